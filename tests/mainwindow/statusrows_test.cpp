// The scan status through the windows on the simulated apparatus, with an arm slow enough that
// every passing state can be seen: each state sets the scan and arm buttons, the remaining time and
// the scan flag as its row says (paused, repositioning, unconditional scan and its pause,
// adjusting, coarse calibration); what the status line says when the link is lost.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "tests/support/formsession.h"

#include "mainwindow/plot/scanplot.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"

#include "records/trecdata.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr double kTimeScale = 5;

// One row of the status table: enabled / down of the scan buttons, the arm buttons, Setup and
// Reset, the scan flag. The remaining time is checked apart.
struct Row {
    bool recEnabled;
    bool recAllUp;
    bool recDown;
    bool pauseEnabled;
    bool pauseDown;
    bool stopEnabled;
    bool arrows;
    bool setupAndReset;
    bool scanActive;
};

class StatusRows : public ::testing::Test, protected formtest::SimulatedWindows {
protected:
    StatusRows() : SimulatedWindows(options()) {}

    // A tenth of the usual arm speed: a move of ten steps takes a fifth of a second.
    static sim::ApparatusOptions options() {
        sim::ApparatusOptions o;
        o.timeScale = kTimeScale;
        o.firmware.armStepTime = 100000;
        return o;
    }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }

    void connect() {
        ASSERT_TRUE(session.waitUntil([this] {
            return session.apparatusReady() && form().scanstate->text() == QLatin1String("Idle") &&
                   form().rec->isEnabled();
        }));
    }

    // Waits until the status shows `text` (the row is set by the same routine) and checks the row.
    void expectRow(const QString& text, const Row& row) {
        TForm1& f = form();
        ASSERT_TRUE(session.waitUntil([&] { return f.scanstate->text().startsWith(text); }, 60s))
            << "status " << f.scanstate->text().toStdString() << " (" << thread().scanEndingText.toStdString()
            << "), waiting for " << text.toStdString();
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(f.rec->isEnabled(), row.recEnabled);
        EXPECT_EQ(f.rec->allowAllUp(), row.recAllUp);
        EXPECT_EQ(f.rec->isChecked(), row.recDown);
        EXPECT_EQ(f._pause->isEnabled(), row.pauseEnabled);
        EXPECT_EQ(f._pause->isChecked(), row.pauseDown);
        EXPECT_EQ(f._stop->isEnabled(), row.stopEnabled);
        for (QWidget* arrow : std::initializer_list<QWidget*>{f.ssleft, f.sleft, f.sright, f.ssright})
            EXPECT_EQ(arrow->isEnabled(), row.arrows) << arrow->objectName().toStdString();
        EXPECT_EQ(f.setup->isEnabled(), row.setupAndReset);
        EXPECT_EQ(f.BitBtn3->isEnabled(), row.setupAndReset);
        EXPECT_EQ(f.scanActive, row.scanActive);
    }

    void stopAndWaitForIdle() {
        form()._stop->click();
        const bool idle = session.waitUntil(
            [this] {
                return thread().scanState.load() == engine::scanIdle && !thread().adjusting &&
                       !thread().calibrating && form().scanstate->text().startsWith(QLatin1String("Idle"));
            },
            20s);
        ASSERT_TRUE(idle) << "state " << thread().scanState.load() << " adjusting " << thread().adjusting
                          << " calibrating " << thread().calibrating << " status "
                          << form().scanstate->text().toStdString();
    }
};

TEST_F(StatusRows, UnconditionalScanAndItsPause) {
    formtest::Watchdog watchdog(180s);
    connect();
    TForm1& f = form();
    f.tl->clear();
    // Pause while idle: an unconditional pause; the scan button is off and the scan flag clear.
    f._pause->click();
    expectRow(QStringLiteral("Pause unconditional scan"),
              {false, false, false, true, true, true, false, false, false});
    EXPECT_EQ(f.tl->text(), thread().remainingText);
    EXPECT_FALSE(f.tl->text().isEmpty());
    // Released: the unconditional scan runs over the whole range.
    f.tl->clear();
    f._pause->click();
    expectRow(QStringLiteral("Unconditional scannig"),
              {true, false, true, true, false, true, false, false, true});
    EXPECT_FALSE(f.tl->text().isEmpty());
    // The Move arm dialog's spin buttons stay as they were; idle enables them.
    stopAndWaitForIdle();
    EXPECT_TRUE(session.windows().moveArm().SpinButton1->isEnabled());
}

TEST_F(StatusRows, RepositioningAdjustingScanningAndPaused) {
    formtest::Watchdog watchdog(180s);
    connect();
    TForm1& f = form();
    // A region just below the arm, off the 0.5-degree grid: the arm moves to its start, aligns to the
    // grid, then counts 0.1 s a step.
    const int arm = thread().armAngle.load();
    std::array<zavo::RoiRange, 5> ranges{};
    ranges[0] = {static_cast<std::int16_t>(arm - 19), static_cast<std::int16_t>(arm + 60)};
    thread().storeRegions(1, ranges);
    f.sfrq->setText(QStringLiteral("0.2 "));
    f.SpinButton1->downButton()->click();
    f.st->setCurrentIndex(0);
    f.stChange();
    ASSERT_TRUE(session.waitUntil([this] {
        const zavo::DeviceConfig config = thread().configSnapshot();
        return config.countingTime == 1 && config.angularStep == 10 && config.roiCount == 1;
    }));
    ASSERT_TRUE(session.waitUntil([this] {
        return thread().liveRecord && thread().liveRecord->angularStep == 10 && form().rec->isEnabled();
    }));

    f.rec->click();
    expectRow(QStringLiteral("Repositioning to"),
              {true, false, true, false, false, true, false, false, true});
    expectRow(QStringLiteral("Adjusting"), {false, false, true, false, false, true, false, false, true});
    expectRow(QStringLiteral("Scanning"), {true, false, true, true, false, true, false, false, true});
    f._pause->click();
    expectRow(QStringLiteral("Scan paused"), {true, true, false, true, true, true, false, false, true});
}

TEST_F(StatusRows, CoarseCalibration) {
    formtest::Watchdog watchdog(180s);
    connect();
    session.windows().setup().BitBtn9->click();
    expectRow(QStringLiteral("Coarse angle calibration"),
              {false, false, true, false, false, true, false, false, false});
}

// A settings file that cannot be written (a file stands where its folder should be, which stops
// root too) is told on the status line when a lost link makes the thread write it, and stays while
// the status has nothing new to say; the next lost link does not tell it again. A scan cut off by
// a lost link never reads as still going on.
TEST_F(StatusRows, ASettingsFileThatCannotBeWrittenIsToldOnceOnTheStatusLine) {
    formtest::Watchdog watchdog(180s);
    connect();
    TForm1& f = form();
    const QString folder = QFileInfo(session.settingsPath()).absolutePath();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // The whole text: the field shows as much as fits, its tooltip the rest.
    const auto status = [&] {
        return f.scanstate->toolTip().isEmpty() ? f.scanstate->text() : f.scanstate->toolTip();
    };
    const QString note = QStringLiteral("Cannot write ") + session.settingsPath();
    const struct {
        const char* name;
        bool scanning;
        QString said; // how the status line begins once the link is gone
    } rounds[] = {
        {"idle", false, note},
        {"repositioning", true, QStringLiteral("Scan incomplete: the link to the apparatus was lost")},
    };
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.name);
        if (round.scanning) {
            f.rec->click();
            ASSERT_TRUE(session.waitUntil([&] {
                return status().startsWith(QLatin1String("Repositioning"));
            })) << status().toStdString();
        }
        apparatus->unplug();
        ASSERT_TRUE(session.waitUntil([&] {
            return !thread().linkReady.load() && status().startsWith(round.said);
        })) << status().toStdString();
        // A pass later every routine of the loss has been shown.
        const std::uint64_t passes = thread().status().passes;
        ASSERT_TRUE(session.waitUntil([&] { return thread().status().passes > passes + 1; }));
        const QString said = status();
        EXPECT_TRUE(said.startsWith(round.said)) << said.toStdString();
        apparatus->replug();
        ASSERT_TRUE(session.waitUntil([&] { return session.apparatusReady(); }));
        if (!round.scanning) {
            EXPECT_EQ(status(), said) << "the note went while the status had nothing new";
        }
    }
}

} // namespace
