// The auxiliary windows: waiting for data, export progress and support.
#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "widgets/controls.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(AuxiliaryWindows, TheWaitingWindowFillsItsBarAndOnlyClosesFromOutside) {
    TForm14 waiting;
    EXPECT_TRUE(waiting.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(waiting.Label1->text(), QStringLiteral("Waiting for data, please wait ...."));
    EXPECT_EQ(waiting.Button1->text(), QStringLiteral("Abort"));
    // A counting time of 0.1 s: maximum 1, full after the first tick, and it stays there.
    waiting.ProgressBar1->setMaximum(1);
    waiting.ProgressBar1->setValue(0);
    waiting.Timer1Timer();
    EXPECT_EQ(waiting.ProgressBar1->value(), 1);
    waiting.Timer1Timer();
    EXPECT_EQ(waiting.ProgressBar1->value(), 1);
    // The timer runs only while the window is shown; Escape does not close it.
    waiting.show();
    EXPECT_TRUE(waiting.Timer1->isActive());
    QTest::keyClick(&waiting, Qt::Key_Escape);
    EXPECT_TRUE(waiting.isVisible());
    waiting.done(ui::mrAbort);
    EXPECT_FALSE(waiting.isVisible());
    EXPECT_FALSE(waiting.Timer1->isActive());
    EXPECT_EQ(waiting.result(), ui::mrAbort);
}

TEST(AuxiliaryWindows, TheWaitingWindowCentresOverItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 200, 701, 500);
    TForm14 waiting;
    waiting.placeOver(&owner);
    const QRect frame = owner.frameGeometry();
    EXPECT_EQ(waiting.x(), frame.left() + (frame.width() - waiting.width()) / 2);
    EXPECT_EQ(waiting.y(), frame.top() + (frame.height() - waiting.height()) / 2);
}

TEST(AuxiliaryWindows, SupportAndProgressWindows) {
    TForm15 support;
    EXPECT_EQ(support.windowTitle(), QStringLiteral("ZAVO DRIVER USB"));
    EXPECT_FALSE(support.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(support.Label1->font().bold());
    // The guide's path is shown; its button opens nothing without a desktop (offscreen here).
    const auto labels = support.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text().endsWith(QStringLiteral("/share/doc/zavo-driver/guide.md"));
    }));
    EXPECT_FALSE(support.GuideButton->isEnabled());
    TForm5 progress;
    progress.ProgressBar1->setMaximum(2);
    progress.stepIt();
    progress.stepIt();
    progress.stepIt();
    EXPECT_EQ(progress.ProgressBar1->value(), 2);
}

TEST(AuxiliaryWindows, TheWaitingWindowWaitsOverItsOwnerUntilTheReadingEndsIt) {
    QWidget owner;
    owner.setGeometry(100, 200, 701, 500);
    TForm14 waiting;
    int aborts = 0;
    waiting.onAbort = [&aborts] { ++aborts; };
    waiting.ProgressBar1->setValue(7);
    // "Abort" only asks for the abort; the reading's end closes the window, with its result.
    QTimer::singleShot(0, &waiting, [&] {
        EXPECT_TRUE(waiting.isVisible());
        EXPECT_EQ(waiting.ProgressBar1->maximum(), 30);
        EXPECT_EQ(waiting.ProgressBar1->value(), 0);
        waiting.Button1->click();
        EXPECT_TRUE(waiting.isVisible());
        waiting.endWait(ui::mrAbort);
    });
    EXPECT_EQ(waiting.waitOver(&owner, 30), ui::mrAbort);
    EXPECT_EQ(aborts, 1);
    const QRect frame = owner.frameGeometry();
    EXPECT_EQ(waiting.x(), frame.left() + (frame.width() - waiting.width()) / 2);
    // Ending a wait that is not open changes nothing.
    waiting.endWait(ui::mrOk);
    EXPECT_FALSE(waiting.isVisible());
    EXPECT_EQ(waiting.result(), ui::mrAbort);
}

TEST(AuxiliaryWindows, TheExportProgressWindowShowsAdvancesAndHides) {
    QWidget owner;
    owner.setGeometry(50, 60, 800, 600);
    TForm5 progress;
    ProgressWindow& window = progress;
    window.begin(&owner, 3);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.ProgressBar1->maximum(), 3);
    EXPECT_EQ(progress.ProgressBar1->value(), 0);
    for (int i = 0; i < 5; ++i)
        window.step();
    EXPECT_EQ(progress.ProgressBar1->value(), 3);
    window.end();
    EXPECT_FALSE(progress.isVisible());
}

} // namespace

TEST(AuxiliaryWindows, AReadingShorterThanATickStillShowsABarThatFills) {
    QWidget owner;
    TForm14 waiting;
    QTimer::singleShot(0, &waiting, [&] {
        // Not Qt's busy animation (maximum 0): one tick fills it.
        EXPECT_EQ(waiting.ProgressBar1->maximum(), 1);
        waiting.endWait(ui::mrOk);
    });
    EXPECT_EQ(waiting.waitOver(&owner, 0), ui::mrOk);
}
