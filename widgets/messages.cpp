// Message boxes through QMessageBox, or through the responder a test installed.
#include "widgets/messages.h"

#include <QMessageBox>

namespace ui {

namespace {

MessageResponder& responder() {
    static MessageResponder instance;
    return instance;
}

Reply show(QWidget* parent, const Message& message) {
    if (responder())
        return responder()(message);
    QMessageBox box(parent);
    box.setWindowTitle(message.caption);
    box.setText(message.text);
    switch (message.kind) {
    case MessageKind::ProceedQuestion:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case MessageKind::SaveQuestion:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Reply::Yes;
    case QMessageBox::No:
        return Reply::No;
    case QMessageBox::Ok:
        return Reply::Ok;
    default:
        return Reply::Cancel;
    }
}

} // namespace

void setMessageResponder(MessageResponder newResponder) {
    responder() = std::move(newResponder);
}

bool askProceed(QWidget* parent, const QString& text) {
    return show(parent, {MessageKind::ProceedQuestion, QStringLiteral("Warning"), text}) == Reply::Yes;
}

Reply askSave(QWidget* parent, const QString& text) {
    return show(parent, {MessageKind::SaveQuestion, QStringLiteral("Warning"), text});
}

void showError(QWidget* parent, const QString& text) {
    show(parent, {MessageKind::Error, QStringLiteral("Error"), text});
}

} // namespace ui
