// Message boxes with the system's exact texts: one small helper per kind, so that tests answer them
// instead of a person.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ui {

// Caption "Error", a single OK button.
void showError(QWidget* parent, const QString& text);
// Caption "Warning", Yes and No with No preselected; true for Yes.
bool askWarning(QWidget* parent, const QString& text);

// Answers the messages in place of the boxes: called with the caption and the text, returns the
// answer to a question (true for Yes; ignored for an error). An empty handler shows the boxes again.
using MessageHandler = std::function<bool(const QString& caption, const QString& text)>;
void setMessageHandler(MessageHandler handler);

} // namespace ui
