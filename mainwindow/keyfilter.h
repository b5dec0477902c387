// The application-wide keyboard shortcut of the Move arm dialog: M while the LEFT Ctrl key is held
// asks its owner to open the dialog (which it does when the link is up, the acquisition thread is
// idle and the dialog is not already open). The right Ctrl key does not count.
//
// Key events do not tell the two Ctrl keys apart, so the filter follows the left one's own press
// and release (native virtual key 0xFFE3 on X11 and Wayland; the key state on Windows). It sees
// every key event of the application, some more than once as they travel to parent widgets, so
// tracking is idempotent; switching to another application forgets the key.
#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;

class MoveArmShortcut : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 kLeftControl = 0xFFE3;
    static constexpr quint32 kRightControl = 0xFFE4;

    // Installs itself on the application. `open` opens the dialog and says whether it did.
    explicit MoveArmShortcut(std::function<bool()> open, QObject* parent = nullptr);
    ~MoveArmShortcut() override;

    bool leftControlDown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key event opened the dialog (and is therefore handled).
    bool openMoveArm(const QKeyEvent& key);

    std::function<bool()> open_;
    bool leftControl_ = false;
    bool opening_ = false;
};
