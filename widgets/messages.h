// Messages to the user, one function per kind, so that tests can answer them without a person.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ui {

struct Message {
    QString caption;
    QString text;
};

// Answers messages in place of a person; true stands for OK (or Yes).
using MessageAnswerer = std::function<bool(const Message&)>;

// While an answerer is set, every message goes to it and no box is shown; an empty one brings the
// boxes back. Returns the answerer it replaces.
MessageAnswerer setMessageAnswerer(MessageAnswerer answerer);

// An input or file error: a modal box with the caption "Error" and a single OK button.
void showError(QWidget* parent, const QString& text);

} // namespace ui
