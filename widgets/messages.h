// The program's message boxes, one helper per kind, so that every exact text goes through one place
// and tests can answer the boxes without a person (setMessageResponder).
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ui {

enum class MessageKind {
    ProceedQuestion, // caption "Warning", warning icon, Yes and No, No preselected
    SaveQuestion,    // caption "Warning", warning icon, Yes, No and Cancel, Yes preselected
    Error,           // caption "Error", error icon, a single OK button
};

enum class Reply { Yes, No, Cancel, Ok };

struct Message {
    MessageKind kind;
    QString caption;
    QString text;
};

// While a responder is set, no box is shown: the responder gets each message and gives the answer
// (tests). An empty function shows the boxes again.
using MessageResponder = std::function<Reply(const Message&)>;
void setMessageResponder(MessageResponder responder);

// A question before data is lost: true only for Yes.
bool askProceed(QWidget* parent, const QString& text);
// Whether to save something before it is lost: Yes, No or Cancel.
Reply askSave(QWidget* parent, const QString& text);
// An input or file error.
void showError(QWidget* parent, const QString& text);

} // namespace ui
