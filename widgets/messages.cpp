#include "widgets/messages.h"

#include <QMessageBox>

namespace ui {

namespace {

MessageHandler& handler() {
    static MessageHandler instance;
    return instance;
}

} // namespace

void showError(QWidget* parent, const QString& text) {
    const QString caption = QStringLiteral("Error");
    if (handler()) {
        handler()(caption, text);
        return;
    }
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
}

bool askWarning(QWidget* parent, const QString& text) {
    const QString caption = QStringLiteral("Warning");
    if (handler()) {
        return handler()(caption, text);
    }
    return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void setMessageHandler(MessageHandler newHandler) {
    handler() = std::move(newHandler);
}

} // namespace ui
