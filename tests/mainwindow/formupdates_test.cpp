// The windows on the simulated apparatus: the settings arrive, a whole scan runs through the
// windows with the plot growing, the HV limit caps the HV buttons, and closing during a scan or a
// move ends the program without a hang.
#include "tests/engine/lockedprovider.h"
#include "tests/support/formsession.h"
#include "widgets/messages.h"

#include "mainwindow/plot/scanplot.h"
#include "scalar/tform13.h"
#include "setup/tform4.h"
#include "widgets/spinbutton.h"

#include "records/trecdata.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

constexpr double kTimeScale = 5;

int limePixels(QWidget* canvas) {
    const QImage image = canvas->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            count += colour.green() > 200 && colour.red() < 100 && colour.blue() < 100 ? 1 : 0;
        }
    }
    return count;
}

class SimulatedApparatus : public ::testing::Test {
protected:
    SimulatedApparatus() : session(formtest::simulator(kTimeScale), 1.0 / kTimeScale) { form().show(); }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }

    // Connected, with the apparatus's settings shown and a fresh live record displayed.
    void connect() {
        ASSERT_TRUE(session.waitUntil([this] {
            return thread().linkReady.load() && thread().controlsEnabled.load() && thread().liveRecord &&
                   form().displayedRecord() == thread().liveRecord.get() &&
                   form().sfrq->text() == QLatin1String("2.0 ") && thread().configSnapshot().armMax == 2400;
        }));
    }
    // A short scan: 20.00 to 25.00 degrees in steps of 0.5 degree, 0.2 s a step.
    void shortenTheScan() {
        std::array<zavo::RoiRange, 5> ranges{};
        ranges[0] = {400, 500};
        thread().storeRegions(1, ranges);
        form().sfrq->setText(QStringLiteral("0.3 "));
        form().SpinButton1->downButton()->click();
        form().st->setCurrentIndex(0);
        form().stChange();
        ASSERT_TRUE(session.waitUntil([this] {
            const zavo::DeviceConfig config = thread().configSnapshot();
            return config.countingTime == 2 && config.angularStep == 10 && config.roiCount == 1;
        }));
    }
    void startScan() {
        ASSERT_TRUE(form().rec->isEnabled());
        form().rec->click();
        ASSERT_TRUE(session.waitUntil([this] { return thread().scanState.load() == engine::scanScanning; }));
    }

    // Closes the window and ends the program as it does at exit; the thread must be gone after. The
    // scan measured so far is given up (No to the question about it).
    void closeAndEnd() {
        QElapsedTimer clock;
        clock.start();
        ui::setMessageResponder([](const ui::Message&) { return ui::Reply::No; });
        EXPECT_TRUE(form().close());
        ui::setMessageResponder({});
        session.end();
        EXPECT_EQ(acquisitionThread, nullptr);
        // Generous: the apparatus's own shutdown pauses take 2.5 s, here a fifth of it.
        EXPECT_LT(clock.elapsed(), 20000);
    }

    formtest::Session session;
};

// A found apparatus whose port does not open: the status line names the port, as much as fits, and
// its tooltip holds the whole text with the fix; once the port opens the status is the scan state.
TEST(FormAccess, APortThatDoesNotOpenIsOnTheStatusLineWithTheFixInItsTooltip) {
    auto provider = std::make_unique<enginetest::LockedSimProvider>(
        std::make_shared<sim::Apparatus>(sim::ApparatusOptions{{}, kTimeScale}));
    enginetest::LockedSimProvider& port = *provider;
    formtest::Session session(std::move(provider));
    TForm1& f = session.form();
    EXPECT_TRUE(session.waitUntil([&] { return f.scanstate->toolTip() == enginetest::kLockedPortProblem; }))
        << f.scanstate->toolTip().toStdString();
    EXPECT_TRUE(f.scanstate->text().startsWith(QLatin1String("No permission for the port /dev/ttyUSB7.")))
        << f.scanstate->text().toStdString();
    EXPECT_LT(f.scanstate->fontMetrics().horizontalAdvance(f.scanstate->text()), f.scanstate->width());

    port.locked = false;
    EXPECT_TRUE(session.waitUntil([&] { return f.scanstate->text() == QLatin1String("Idle"); }));
    EXPECT_TRUE(f.scanstate->toolTip().isEmpty());
}

TEST_F(SimulatedApparatus, TheApparatusSettingsReachEveryWindow) {
    connect();
    TForm1& f = form();
    EXPECT_EQ(f.st->currentIndex(), 3); // 0.05 degree
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("0 "));
    EXPECT_EQ(session.windows().setup().HVctrl->text(), QStringLiteral("650 "));
    EXPECT_TRUE(session.windows().setup().hvlon->isChecked());
    EXPECT_EQ(session.windows().scalar().sfrq->text(), QStringLiteral("1.0 "));
    EXPECT_TRUE(session.waitUntil([&] { return f.CA->text() == QLatin1String("45.00 deg. "); }))
        << f.CA->text().toStdString();
    EXPECT_TRUE(session.waitUntil([&] {
        return f.lista->itemText(0) == QLatin1String("Live at 0.05/2.0  [deg/sec]");
    })) << f.lista->itemText(0).toStdString();
    EXPECT_TRUE(session.waitUntil([&] { return f.scanstate->text() == QLatin1String("Idle"); }));
    EXPECT_FALSE(f.tl->text().isEmpty());
    for (QWidget* control :
         std::initializer_list<QWidget*>{f.rec, f.sleft, f.HV, f.setup, f.smode, f.SpinButton1, f.st})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
}

TEST_F(SimulatedApparatus, TheHvLimitCapsTheVoltageButtonsButNotStepsDown) {
    connect();
    TForm1& f = form();
    f.HVctrl->setText(QStringLiteral("600 "));
    f.SpinButton5->upButton()->click();
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("650 "));
    f.SpinButton5->upButton()->click();
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("650 "));

    // The limit raised to 1000 V through the Setup dialog's spin buttons.
    TForm4* setup = &session.windows().setup();
    for (int i = 0; i < 7; ++i)
        setup->SpinButton14->upButton()->click();
    ASSERT_EQ(setup->HVctrl->text(), QStringLiteral("1000 "));
    ASSERT_TRUE(session.waitUntil([this] { return thread().configSnapshot().hvLimit == 200; }));
    f.HVctrl->setText(QStringLiteral("980 "));
    f.SpinButton5->upButton()->click();
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("1000 "));
    f.SpinButton4->downButton()->click();
    EXPECT_EQ(f.HVctrl->text(), QStringLiteral("995 "));
}

TEST_F(SimulatedApparatus, AWholeScanRunsThroughTheWindowsAndThePlotGrows) {
    formtest::Watchdog watchdog(300s);
    connect();
    shortenTheScan();
    startScan();
    TForm1& f = form();
    EXPECT_TRUE(f.rec->isChecked());
    EXPECT_TRUE(f._stop->isEnabled());
    EXPECT_FALSE(f.sleft->isEnabled());
    EXPECT_FALSE(f.setup->isEnabled());
    EXPECT_TRUE(f.scanActive);

    const trecdata* live = thread().liveRecord.get();
    ASSERT_EQ(f.displayedRecord(), live);
    bool sawStatus = false;
    int cells = 0;
    std::vector<int> lime; // lime pixels each time the record gained points
    ASSERT_TRUE(session.waitUntil(
        [&] {
            sawStatus = sawStatus || f.scanstate->text() == QLatin1String("Scanning 20.00 deg to 25.00 deg");
            if (live->ValidCellCount() != cells) {
                cells = live->ValidCellCount();
                lime.push_back(limePixels(f.plot->PaintBox1()));
            }
            return thread().scanState.load() == engine::scanIdle && !f.scanActive;
        },
        120s));
    lime.push_back(limePixels(f.plot->PaintBox1()));

    EXPECT_TRUE(sawStatus);
    ASSERT_GE(lime.size(), 3u);
    EXPECT_GT(lime.front(), 0);
    EXPECT_GT(lime.back(), lime.front());
    EXPECT_TRUE(std::is_sorted(lime.begin(), lime.end()));
    // Every step of the region was measured, nothing outside it.
    for (int angle = 400; angle <= 500; angle += 10)
        EXPECT_GE(live->ValueAtAngle(angle), 0) << angle;
    EXPECT_EQ(live->ValueAtAngle(380), -1);
    EXPECT_EQ(live->ValueAtAngle(520), -1);
    // Idle again, with unsaved data: the settings stay frozen until a reset.
    EXPECT_TRUE(session.waitUntil(
        [&] { return f.scanstate->text() == QLatin1String("Idle (press reset to enable changes)"); }));
    EXPECT_FALSE(f.rec->isChecked());
    EXPECT_TRUE(f.rec->isEnabled());
    EXPECT_FALSE(f.SpinButton1->isEnabled());
    EXPECT_FALSE(f.st->isEnabled());
    EXPECT_FALSE(f.smode->isEnabled());
    EXPECT_TRUE(f.CV->text().endsWith(QLatin1String(" cps ")));
}

TEST_F(SimulatedApparatus, TheAutomaticFullScaleGrowsWithTheMeasuredValuesAndNeverShrinks) {
    formtest::Watchdog watchdog(300s);
    connect();
    shortenTheScan();
    TForm1& f = form();
    ASSERT_EQ(f.range->currentIndex(), 0); // "auto"
    // Counts need the detector's high voltage: 650 V, on.
    f.HVctrl->setText(QStringLiteral("600 "));
    f.SpinButton5->upButton()->click();
    f.HV->click();
    ASSERT_TRUE(session.waitUntil(
        [this] { return thread().hvIsOn.load() && thread().configSnapshot().hvSetting == 130; }));
    startScan();
    const trecdata* live = thread().liveRecord.get();
    ASSERT_EQ(live->rangeMode, 0);
    std::vector<int> indices{live->rangeIndex};
    ASSERT_TRUE(session.waitUntil(
        [&] {
            if (live->rangeIndex != indices.back())
                indices.push_back(live->rangeIndex);
            return thread().scanState.load() == engine::scanIdle && !f.scanActive;
        },
        120s));
    EXPECT_TRUE(std::is_sorted(indices.begin(), indices.end()));
    // The range ends at the full scale of the highest value measured anywhere in the region, its
    // last cells included.
    double highest = -1;
    for (int angle = 400; angle <= 500; angle += 10)
        highest = std::max(highest, live->ValueAtAngle(angle));
    ASSERT_GT(highest, 0);
    EXPECT_EQ(live->rangeIndex, std::max(indices.front(), records::fullScaleIndex(highest))) << highest;
    EXPECT_GT(live->rangeIndex, indices.front()) << highest;
    EXPECT_EQ(f.range->currentIndex(), 0);
}

TEST_F(SimulatedApparatus, ALoadedRecordFreezesTheScanSettingsButNotTheScalarSelections) {
    connect();
    TForm1& f = form();
    TForm13& scalar = session.windows().scalar();
    auto loaded = std::make_unique<trecdata>();
    const int entry =
        f.addLoadedRecord(std::move(loaded), QStringLiteral("loaded.rtg: Live at 0.5/1.0  [deg/sec]"));
    f.lista->setCurrentIndex(entry);
    f.listaChange();
    ASSERT_NE(f.displayedRecord(), thread().liveRecord.get());
    ASSERT_TRUE(thread().controlsEnabled.load());
    for (QWidget* control : std::initializer_list<QWidget*>{f.SpinButton1, f.SpinButton2, f.SpinButton3, f.st,
                                                            f.SpinButton4, f.SpinButton5})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    for (QWidget* control :
         std::initializer_list<QWidget*>{scalar.rrs, scalar.fs, scalar.dp, scalar.ft, f.smode})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    // The thread's next enabling keeps it so while the loaded record is shown.
    f.updateControlEnabling();
    EXPECT_FALSE(f.st->isEnabled());
    EXPECT_TRUE(scalar.rrs->isEnabled());
    // Back on the live scan, the settings can be changed again.
    f.lista->setCurrentIndex(0);
    f.listaChange();
    for (QWidget* control :
         std::initializer_list<QWidget*>{f.SpinButton1, f.SpinButton3, f.st, f.SpinButton5})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
}

TEST_F(SimulatedApparatus, ClosingDuringAScanEndsWithoutAHang) {
    formtest::Watchdog watchdog(120s);
    connect();
    startScan();
    closeAndEnd();
}

TEST_F(SimulatedApparatus, ClosingDuringAMoveEndsWithoutAHang) {
    formtest::Watchdog watchdog(120s);
    connect();
    QTest::mousePress(form().ssright, Qt::LeftButton);
    ASSERT_TRUE(session.waitUntil([this] { return thread().scanState.load() == engine::scanMovingArm; }));
    // Held during the move, the button stays usable; the other arm buttons do not.
    EXPECT_TRUE(form().ssright->isEnabled());
    EXPECT_FALSE(form().sright->isEnabled());
    closeAndEnd();
}

} // namespace
