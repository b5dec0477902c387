// The application-wide Move arm shortcut: M with the LEFT Ctrl key held opens the dialog while the
// link is up and the thread is idle; the right Ctrl key does not count.
#include "tests/support/formsession.h"

#include "mainwindow/keyfilter.h"
#include "setup/tform12.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class MoveArmShortcutTest : public ::testing::Test {
protected:
    // The thread's first updates have run (with no link they would close the dialog again); then
    // the link is taken as up: the disconnected thread does not touch these flags.
    void SetUp() override {
        ASSERT_TRUE(session.waitUntil([this] { return session.thread().status().passes > 0; }));
        session.thread().linkReady.store(true);
        session.thread().controlsEnabled.store(true);
    }

    // A key event as the platform delivers it, with its native virtual key.
    static bool send(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                     quint32 native) {
        QKeyEvent event(type, key, modifiers, 0, native, 0);
        return QApplication::sendEvent(target, &event);
    }
    void controlDown(quint32 native) {
        send(&session.form(), QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, native);
    }
    void controlUp(quint32 native) {
        send(&session.form(), QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, native);
    }

    // Presses M with Ctrl held; returns whether the Move arm dialog opened (it is closed again).
    bool pressM() {
        TForm12* dialog = &session.windows().moveArm();
        opened = false;
        shownAngle.clear();
        QTimer::singleShot(0, dialog, [this, dialog] {
            opened = dialog->isVisible();
            shownAngle = dialog->angl->text();
            if (opened)
                dialog->done(0);
        });
        handled = send(&session.form(), QEvent::KeyPress, Qt::Key_M, Qt::ControlModifier, 'm');
        QCoreApplication::processEvents(); // runs the check when the dialog did not open
        return opened;
    }

    formtest::Session session;
    bool opened = false;
    bool handled = false;
    QString shownAngle;
};

TEST_F(MoveArmShortcutTest, LeftControlOpensTheDialogWithTheArmAngle) {
    session.thread().armAngle.store(907);
    controlDown(MoveArmShortcut::kLeftControl);
    EXPECT_TRUE(pressM());
    EXPECT_TRUE(handled);
    EXPECT_EQ(shownAngle, QStringLiteral("45.35 "));
    // Pressed again and released: M alone does nothing.
    controlDown(MoveArmShortcut::kLeftControl);
    controlUp(MoveArmShortcut::kLeftControl);
    EXPECT_FALSE(pressM());
}

TEST_F(MoveArmShortcutTest, RightControlDoesNotOpenIt) {
    controlDown(MoveArmShortcut::kRightControl);
    EXPECT_FALSE(pressM());
    // Releasing the right key does not release a held left key.
    controlDown(MoveArmShortcut::kLeftControl);
    controlUp(MoveArmShortcut::kRightControl);
    EXPECT_TRUE(pressM());
    EXPECT_TRUE(handled);
}

TEST_F(MoveArmShortcutTest, NotDuringAScanOrAMove) {
    controlDown(MoveArmShortcut::kLeftControl);
    session.thread().scanState.store(engine::scanScanning);
    EXPECT_FALSE(pressM());
    session.thread().scanState.store(engine::scanMovingArm);
    EXPECT_FALSE(pressM());
    session.thread().scanState.store(engine::scanIdle);
    EXPECT_TRUE(pressM());
}

TEST_F(MoveArmShortcutTest, NotWithoutALinkOrWithTheControlsDisabled) {
    controlDown(MoveArmShortcut::kLeftControl);
    session.thread().linkReady.store(false);
    EXPECT_FALSE(pressM());
    session.thread().linkReady.store(true);
    session.thread().controlsEnabled.store(false);
    EXPECT_FALSE(pressM());
    session.thread().controlsEnabled.store(true);
    EXPECT_TRUE(pressM());
}

TEST_F(MoveArmShortcutTest, TheLeftKeyIsForgottenWhenTheApplicationLosesFocus) {
    // The filter sees one event several times on its way to the parents: still one key.
    controlDown(MoveArmShortcut::kLeftControl);
    controlDown(MoveArmShortcut::kLeftControl);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(pressM());
}

} // namespace
