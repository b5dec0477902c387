#include "widgets/messages.h"

#include <QMessageBox>

namespace ui {
namespace {

MessageAnswerer& answerer() {
    static MessageAnswerer instance;
    return instance;
}

} // namespace

MessageAnswerer setMessageAnswerer(MessageAnswerer next) {
    MessageAnswerer previous = std::move(answerer());
    answerer() = std::move(next);
    return previous;
}

void showError(QWidget* parent, const QString& text) {
    const Message message{QStringLiteral("Error"), text};
    if (answerer()) {
        answerer()(message);
        return;
    }
    QMessageBox::critical(parent, message.caption, message.text, QMessageBox::Ok);
}

} // namespace ui
