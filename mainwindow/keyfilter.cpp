#include "mainwindow/keyfilter.h"

#include <QApplication>
#include <QKeyEvent>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

MoveArmShortcut::MoveArmShortcut(std::function<bool()> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    if (qApp)
        qApp->installEventFilter(this);
}

MoveArmShortcut::~MoveArmShortcut() {
    if (qApp)
        qApp->removeEventFilter(this);
}

bool MoveArmShortcut::leftControlDown() const {
#ifdef Q_OS_WIN
    return (GetKeyState(VK_LCONTROL) & 0x8000) != 0;
#else
    return leftControl_;
#endif
}

bool MoveArmShortcut::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->nativeVirtualKey() == kLeftControl)
            leftControl_ = event->type() == QEvent::KeyPress;
        else if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_M && openMoveArm(*key))
            return true;
        break;
    }
    case QEvent::ApplicationDeactivate:
        leftControl_ = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool MoveArmShortcut::openMoveArm(const QKeyEvent& key) {
    if (!leftControlDown() || !(key.modifiers() & Qt::ControlModifier) || opening_ || !open_)
        return false;
    opening_ = true;
    const bool opened = open_();
    opening_ = false;
    return opened;
}
