// The application-wide keyboard shortcut of the Move arm dialog: M while the LEFT Ctrl key is held
// opens the dialog when the acquisition thread is idle and the dialog is not already open. The
// right Ctrl key does not count.
//
// Key events do not tell the two Ctrl keys apart, so the filter follows the left one's own press
// and release (native virtual key 0xFFE3 on X11 and Wayland; the key state on Windows). It sees
// every key event of the application, some more than once as they travel to parent widgets, so
// tracking is idempotent; switching to another application forgets the key.
#pragma once

#include <QObject>

class QKeyEvent;

class MoveArmShortcut : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 kLeftControl = 0xFFE3;
    static constexpr quint32 kRightControl = 0xFFE4;

    // Installs itself on the application.
    explicit MoveArmShortcut(QObject* parent = nullptr);
    ~MoveArmShortcut() override;

    bool leftControlDown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key event opened the dialog (and is therefore handled).
    bool openMoveArm(const QKeyEvent& key);

    bool leftControl_ = false;
    bool opening_ = false;
};
