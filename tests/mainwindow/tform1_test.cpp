// The main window without an apparatus: start-up state, the spin buttons, the arm buttons, the scan
// button, the record list and the vertical range, showing a record, fitting to the screen and closing.
#include "tests/support/formsession.h"
#include "tests/support/trsaccess.h"

#include "mainwindow/plot/scanplot.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/hints.h"
#include "widgets/spinbutton.h"

#include "records/trecdata.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class DisconnectedWindow : public ::testing::Test {
protected:
    DisconnectedWindow() : session({}, 0.02, QStringLiteral("[scan]\ntime=5\nres=2\n[Hints]\nshow=2\n")) {}

    // What the window posted since the last call; the set is emptied.
    engine::RequestSet taken() { return thread().pendingRequests.take(); }
    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }
    // The thread's first updates (it reports the missing link) have reached the window: they run
    // before its first pass ends.
    void settle() {
        ASSERT_TRUE(session.waitUntil([this] { return thread().status().passes > 0; }));
        ASSERT_EQ(form().CV->text(), QStringLiteral("Disconected "));
    }
    // The settings strip is usable only while a record is displayed: the live one.
    void showLive() {
        settle();
        form().lista->setCurrentIndex(0);
        form().listaChange();
        ASSERT_EQ(form().displayedRecord(), thread().liveRecord.get());
        ASSERT_TRUE(form().plot->Panel4()->isEnabled());
    }
    // Enables a control the missing link disabled, so the test can click it.
    static void click(QAbstractButton* button) {
        button->setEnabled(true);
        button->click();
    }
    static void clickSpin(SpinButton* spin, bool up) {
        spin->setEnabled(true);
        (up ? spin->upButton() : spin->downButton())->click();
    }

    formtest::Session session;
};

TEST_F(DisconnectedWindow, StartsWithTheSavedSettingsEveryWindowAndNoRecord) {
    settle();
    TForm1& f = form();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("ZAVO DRIVER USB v2.30"));
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("0.5 "));
    EXPECT_EQ(f.st->currentIndex(), 2);
    EXPECT_EQ(f.range->currentText(), QStringLiteral("auto"));
    EXPECT_EQ(f.lista->itemText(0), QStringLiteral("Live at 0.5 deg angular res."));
    EXPECT_EQ(f.displayedRecord(), nullptr);
    EXPECT_FALSE(f.BitBtn4->isEnabled());
    EXPECT_FALSE(f.SpeedButton2->isEnabled());
    EXPECT_FALSE(f.offseton->isEnabled());
    EXPECT_FALSE(f.BitBtn2->isEnabled());
    EXPECT_FALSE(f.d[0]->isEnabled());
    EXPECT_TRUE(f.dall->isChecked());
    EXPECT_TRUE(f.plot->pointto()->isChecked());
    // No link: every control that would post a request is disabled.
    for (QWidget* control : std::initializer_list<QWidget*>{
             f.rec, f._pause, f._stop, f.ssleft, f.sleft, f.sright, f.ssright, f.HV, f.speaker, f.setup,
             f.BitBtn3, f.smode, f.SpinButton1, f.SpinButton4, f.st})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
}

TEST_F(DisconnectedWindow, HintsFollowTheSettingAtFirstDisplay) {
    // "show" = 2 turns hints off: only 1 turns them on.
    form().show();
    EXPECT_FALSE(session.windows().setup().shints->isChecked());
    EXPECT_FALSE(ui::hintsShown(form().rec));
    EXPECT_FALSE(ui::hintsShown(&session.windows().moveArm()));
    session.windows().setup().shints->click();
    EXPECT_TRUE(ui::hintsShown(form().rec));
    EXPECT_TRUE(ui::hintsShown(session.windows().scalar().rrs));
}

TEST_F(DisconnectedWindow, CountingTimeSpinButtonsClampAndPostOnlyChanges) {
    showLive();
    TForm1& f = form();
    taken();
    f.sfrq->setText(QStringLiteral("0.1 "));
    clickSpin(f.SpinButton1, false);
    clickSpin(f.SpinButton3, false);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("0.1 "));
    EXPECT_TRUE(taken().empty());

    f.sfrq->setText(QStringLiteral("0.5 "));
    clickSpin(f.SpinButton2, false);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("0.1 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).countingTime, 1);
    EXPECT_TRUE(taken().contains(engine::setCountingTime));

    f.sfrq->setText(QStringLiteral("295.0 "));
    clickSpin(f.SpinButton3, true);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("300.0 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).countingTime, 3000);
    EXPECT_TRUE(taken().contains(engine::setCountingTime));

    clickSpin(f.SpinButton1, true);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("300.0 "));
    EXPECT_TRUE(taken().empty());

    f.sfrq->setText(QStringLiteral("1.0 "));
    clickSpin(f.SpinButton1, true);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("1.1 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).countingTime, 11);
}

TEST_F(DisconnectedWindow, DetectorVoltageSpinButtonsClampAndTheScalarWindowFollows) {
    showLive();
    TForm1& f = form();
    taken();
    f.HVctrl->setText(QStringLiteral("30 "));
    clickSpin(f.SpinButton5, false);
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("0 "));
    EXPECT_EQ(session.windows().scalar().HVctrl->text(), QStringLiteral("0 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).hv, 0);
    EXPECT_TRUE(taken().contains(engine::setDetectorHv));
    // At 0 V a down button posts 0 V again.
    clickSpin(f.SpinButton4, false);
    EXPECT_TRUE(taken().contains(engine::setDetectorHv));

    f.HVctrl->setText(QStringLiteral("1250 "));
    clickSpin(f.SpinButton5, true);
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("1275 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).hv, 255);
    EXPECT_TRUE(taken().contains(engine::setDetectorHv));
    clickSpin(f.SpinButton4, true);
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("1275 "));
    EXPECT_TRUE(taken().empty());

    // A read-out that holds no number (before the first connection) posts nothing.
    f.HVctrl->clear();
    clickSpin(f.SpinButton4, true);
    EXPECT_TRUE(taken().empty());
}

TEST_F(DisconnectedWindow, AngularStepAndSpinButtonsPostTheirRequestValueFirst) {
    settle();
    TForm1& f = form();
    taken();
    f.st->setCurrentIndex(3);
    f.stChange();
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).angularStep, 1);
    f.st->setCurrentIndex(0);
    f.stChange();
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).angularStep, 10);
    EXPECT_TRUE(taken().contains(engine::setAngularStep));
}

TEST_F(DisconnectedWindow, ArmButtonsRefuseAtTheLimitsAndMoveOtherwise) {
    settle();
    TForm1& f = form();
    // Without an apparatus both limits are 0.
    thread().armAngle.store(0);
    taken();
    click(f.sleft);
    click(f.sright);
    EXPECT_TRUE(taken().empty());

    thread().armAngle.store(5);
    click(f.sleft);
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).moveTarget, 4);
    EXPECT_TRUE(taken().contains(engine::moveArm));
    click(f.sright);
    EXPECT_TRUE(taken().empty());
}

TEST_F(DisconnectedWindow, ContinuousArmButtonsMoveWhileHeldAndStopOnRelease) {
    settle();
    TForm1& f = form();
    taken();
    thread().armAngle.store(5);
    f.ssleft->setEnabled(true);
    QTest::mousePress(f.ssleft, Qt::LeftButton);
    EXPECT_TRUE(f.holdDown);
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).moveTarget, 0);
    EXPECT_TRUE(taken().contains(engine::moveArm));
    QTest::mouseRelease(f.ssleft, Qt::LeftButton);
    EXPECT_FALSE(f.holdDown);
    EXPECT_TRUE(taken().contains(engine::stop));
    EXPECT_FALSE(f.ssleft->isEnabled());

    // At the limit: nothing to move, and the release posts no stop.
    thread().armAngle.store(0);
    f.ssleft->setEnabled(true);
    QTest::mousePress(f.ssleft, Qt::LeftButton);
    EXPECT_TRUE(f.holdDown);
    QTest::mouseRelease(f.ssleft, Qt::LeftButton);
    EXPECT_TRUE(taken().empty());

    // Only the left mouse button counts.
    f.ssright->setEnabled(true);
    thread().armAngle.store(-3);
    QTest::mousePress(f.ssright, Qt::RightButton);
    EXPECT_FALSE(f.holdUp);
    QTest::mouseRelease(f.ssright, Qt::RightButton);
    EXPECT_TRUE(taken().empty());
    QTest::mousePress(f.ssright, Qt::LeftButton);
    EXPECT_TRUE(f.holdUp);
    EXPECT_TRUE(taken().contains(engine::moveArm));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).moveTarget, 0);
}

TEST_F(DisconnectedWindow, TheScanButtonDuringAScanStaysDownAndPostsNothing) {
    settle();
    TForm1& f = form();
    taken();
    engine::TrsTestAccess::forgetRebuild(thread());
    f.scanActive = true;
    f.rec->setEnabled(true);
    f.rec->setChecked(true);
    f.rec->setAllowAllUp(true);
    f.rec->click(); // releases it: the handler presses it again
    EXPECT_TRUE(f.rec->isChecked());
    EXPECT_TRUE(taken().empty());
    EXPECT_FALSE(engine::TrsTestAccess::values(thread()).rebuildPending);
}

TEST_F(DisconnectedWindow, TheScanButtonAsksBeforeItDiscardsUnsavedData) {
    settle();
    TForm1& f = form();
    taken();
    engine::TrsTestAccess::forgetRebuild(thread());
    thread().liveRecord->SetPoint(10, 42.0);
    QMessageBox::StandardButton answer = QMessageBox::No;
    QString question;
    const auto answerWith = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->windowTitle() + QLatin1Char('|') + box->text();
                box->button(answer)->click();
            }
        });
    };
    answerWith();
    click(f.rec);
    EXPECT_EQ(question, QStringLiteral("Warning|Current scan will be lost. Proceed without saving?"));
    EXPECT_FALSE(f.rec->isChecked());
    EXPECT_FALSE(f.scanActive);
    EXPECT_TRUE(taken().empty());
    EXPECT_FALSE(engine::TrsTestAccess::values(thread()).rebuildPending);

    answer = QMessageBox::Yes;
    answerWith();
    click(f.rec);
    EXPECT_TRUE(f.scanActive);
    EXPECT_TRUE(engine::TrsTestAccess::values(thread()).rebuildPending);
    EXPECT_FALSE(engine::TrsTestAccess::values(thread()).calibrateThenScan);
    EXPECT_TRUE(taken().contains(engine::startScan));
}

class RecordList : public DisconnectedWindow {
protected:
    void SetUp() override {
        settle();
        auto record = trecdata::Create(1, 200, 2600, 10, 10);
        record->comment = QStringLiteral("loaded scan");
        for (int i = 0; i < 400; ++i)
            record->SetPoint(i, 30.0 + i);
        record->modified = false;
        loaded = record.get();
        entry = form().addLoadedRecord(std::move(record), QStringLiteral("scan.RTG: 0.05/1.0  [deg/sec]"));
        taken();
    }
    void select(int index) {
        form().lista->setCurrentIndex(index);
        form().listaChange();
    }

    trecdata* loaded = nullptr;
    int entry = 0;
};

TEST_F(RecordList, ChoosingALoadedRecordShowsItAndFreezesTheScanSettings) {
    TForm1& f = form();
    select(entry);
    EXPECT_EQ(f.displayedRecord(), loaded);
    EXPECT_EQ(f.displayedEntry, entry);
    EXPECT_TRUE(f.BitBtn2->isEnabled());
    EXPECT_TRUE(f.BitBtn4->isEnabled());
    EXPECT_TRUE(f.SpeedButton2->isEnabled());
    EXPECT_TRUE(f.plot->Panel4()->isEnabled());
    EXPECT_EQ(f.comment->toPlainText(), QStringLiteral("loaded scan"));
    EXPECT_FALSE(loaded->modified.load()); // loading the comment is no edit

    f.comment->setPlainText(QStringLiteral("edited"));
    EXPECT_EQ(loaded->comment, QStringLiteral("edited"));
    EXPECT_TRUE(loaded->modified.load());

    select(0);
    EXPECT_EQ(f.displayedRecord(), thread().liveRecord.get());
    EXPECT_FALSE(f.BitBtn2->isEnabled());
}

TEST_F(RecordList, ARangeChangeOnALoadedRecordChangesOnlyThatRecord) {
    TForm1& f = form();
    select(entry);
    const std::uint8_t liveMode = thread().liveRecord->rangeMode;
    f.plot->zoomVertical(10, 1, false);
    ASSERT_EQ(f.plot->zoomYLevel(), 1);
    f.range->setCurrentIndex(4); // 500 cps
    f.rangeChange(true);
    EXPECT_EQ(loaded->rangeMode, 4);
    EXPECT_EQ(loaded->rangeIndex, 3);
    EXPECT_EQ(f.plot->zoomYLevel(), 0);
    EXPECT_EQ(thread().liveRecord->rangeMode, liveMode);
    EXPECT_FALSE(taken().contains(engine::setRange));
}

TEST_F(RecordList, ARangeChangeOnTheLiveRecordGoesToTheThreadToo) {
    TForm1& f = form();
    select(0);
    f.range->setCurrentIndex(2);
    f.rangeChange(true);
    EXPECT_EQ(thread().liveRecord->rangeMode, 2);
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).rangeMode, 2);
    EXPECT_TRUE(taken().contains(engine::setRange));
    // Re-applied by the program (not the user): nothing is posted, the record keeps its mode.
    f.range->setCurrentIndex(5);
    f.rangeChange(false);
    EXPECT_EQ(thread().liveRecord->rangeMode, 2);
    EXPECT_TRUE(taken().empty());
}

TEST_F(RecordList, ShowingTheDisplayedRecordAgainChangesNothing) {
    TForm1& f = form();
    select(entry);
    f.plot->zoomHorizontal(100, 1);
    ASSERT_EQ(f.plot->zoomXLevel(), 1);
    f.showRecord(loaded);
    EXPECT_EQ(f.plot->zoomXLevel(), 1);
    EXPECT_EQ(loaded->zoomXLevel, 0);
    // Another record: the view of the one it stops showing is stored into it.
    select(0);
    EXPECT_EQ(loaded->zoomXLevel, 1);
    EXPECT_EQ(f.plot->zoomXLevel(), 0);
}

TEST_F(RecordList, TheOffsetSwitchActsOnTheDisplayedRecord) {
    TForm1& f = form();
    select(entry);
    const bool before = loaded->offsetEnabled;
    f.offseton->click();
    EXPECT_EQ(loaded->offsetEnabled, !before);
    EXPECT_FALSE(taken().contains(engine::setOffset));

    select(0);
    f.offseton->setChecked(false);
    f.offseton->click();
    EXPECT_TRUE(thread().liveRecord->offsetEnabled);
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).offsetEnabled, 1);
    EXPECT_TRUE(taken().contains(engine::setOffset));
}

TEST_F(RecordList, RegionButtonsFollowTheRecordsRegions) {
    TForm1& f = form();
    loaded->AddRegion(400, 600);
    loaded->AddRegion(800, 900);
    loaded->SelectRegion(1);
    select(entry);
    EXPECT_EQ(f.selectedRegionButton(), 2);
    EXPECT_TRUE(f.d[1]->isEnabled());
    EXPECT_FALSE(f.d[2]->isEnabled());
    EXPECT_EQ(f.aranges->item(1, 0)->text(), QStringLiteral("20.00"));
    EXPECT_EQ(f.aranges->item(2, 1)->text(), QStringLiteral("45.00"));
    EXPECT_TRUE(f.aranges->item(3, 0)->text().isEmpty());
    f.dall->click();
    EXPECT_EQ(loaded->currentRegion, -1);
    f.selectRegionButton(7); // no such button: nothing happens
    EXPECT_EQ(f.selectedRegionButton(), 0);
}

TEST_F(DisconnectedWindow, ALargeWindowIsFittedToTheScreen) {
    TForm1& f = form();
    f.setMinimumSize(0, 0);
    f.resize(3000, 2000);
    f.move(50, 60);
    f.fitToScreen(QRect(0, 0, 1280, 1024));
    const QRect frame = f.frameGeometry();
    EXPECT_EQ(frame.size(), QSize(1280, 1024));
    EXPECT_EQ(frame.topLeft(), QPoint(0, 0));
}

TEST_F(DisconnectedWindow, ClosingWithoutALinkEndsPromptly) {
    settle();
    formtest::Watchdog watchdog(60s);
    TForm1& f = form();
    f.show();
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(f.shutdownPosted());
    // Without a link the thread drops the request it cannot carry out.
    EXPECT_TRUE(session.waitUntil([this] { return !thread().pendingRequests.contains(engine::shutDown); }));
    session.end();
    EXPECT_EQ(acquisitionThread, nullptr);
}

TEST_F(DisconnectedWindow, SettingsAreWrittenWhenTheWindowGoes) {
    settle();
    form().sfrq->setText(QStringLiteral("12.5 "));
    form().st->setCurrentIndex(1);
    session.windows().setup().shints->setChecked(true);
    const QString path = session.settingsPath();
    session.end();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("time=125"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("res=1"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("show=1"))) << text.toStdString();
}

} // namespace
