// Scans, arm moves and calibration against the simulated apparatus, and the thread's timers.
#include "tests/support/simfixture.h"
#include "tests/support/trsaccess.h"

#include "records/recordfile.h"
#include "records/roiedit.h"

#include <QFile>

#include <algorithm>
#include <vector>

using namespace enginetest;
using engine::RoutineId;
using engine::ScanOutcome;
using engine::ScanPlan;

namespace {

// The simulated apparatus's arm range is 100..2400 with offset 0: record cell = angle - 100.
constexpr int kArmMin = 100;

bool cellValid(engine::TRS& t, int angle) {
    return t.liveRecord->ReadCell(angle - kArmMin).valid;
}

class ScanTest : public SimFixture {
protected:
    // Connects and sets step and counting time (tenths); HV on.
    void prepare(int step, int countingTime) {
        connect();
        plan.angularStep = step;
        plan.countingTime = countingTime;
        ASSERT_TRUE(driver->applySettings(plan, kWait));
    }

    ScanOutcome scan() {
        EXPECT_TRUE(driver->startScan(plan, kWait));
        return driver->finishScan(kWait);
    }

    // Records every status the thread shows, with the state and the alignment target.
    void recordStatuses() {
        observer = [this](RoutineId id, engine::TRS& t) {
            if (id == RoutineId::refreshScanStatus)
                statuses.push_back(
                    {t.scanStatusText(), t.scanState.load(), t.adjusting ? t.alignTarget : -1});
        };
    }
    int countState(int state) const {
        int n = 0;
        for (const auto& s : statuses)
            n += s.state == state && s.alignTarget == -1 ? 1 : 0;
        return n;
    }
    std::vector<int> alignTargets() const {
        std::vector<int> targets;
        for (const auto& s : statuses)
            if (s.alignTarget != -1)
                targets.push_back(s.alignTarget);
        return targets;
    }

    struct Status {
        QString text;
        int state;
        int alignTarget;
    };
    // The estimate the idle thread shows for a scan of one region, on a fresh live record.
    std::int64_t idleEstimateSeconds(int from, int to) {
        thread->storeRegions(
            1, {zavo::RoiRange{static_cast<std::int16_t>(from), static_cast<std::int16_t>(to)}});
        thread->rebuildLiveRecord();
        std::int64_t seconds = -1;
        const auto replaced = updates.count(RoutineId::replaceLiveRecord);
        observer = [&](RoutineId id, engine::TRS& t) {
            if (id == RoutineId::refreshIdleEstimate &&
                updates.count(RoutineId::replaceLiveRecord) > replaced)
                seconds = (t.scanEndTime - clock.nowMs()) / 1000;
        };
        EXPECT_TRUE(until([&] { return seconds != -1; }));
        observer = nullptr;
        return seconds;
    }

    ScanPlan plan;
    std::vector<Status> statuses;
};

} // namespace

TEST_F(ScanTest, WholeRangeAtHalfDegreeSteps) {
    prepare(10, 1);
    EXPECT_TRUE(thread->hvIsOn.load());
    recordStatuses();
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    EXPECT_EQ(countState(engine::scanRepositioning), 1);
    EXPECT_GE(countState(engine::scanScanning), 1);
    EXPECT_TRUE(alignTargets().empty()); // 100 lies on the 0.5-degree grid
    // One point every ten cells from 5.00 to 120.00 degrees, each filling nine cells; the cell
    // half-way between two points stays empty.
    for (int angle = 100; angle <= 2400; angle += 10)
        ASSERT_TRUE(cellValid(*thread, angle)) << angle;
    for (int angle = 105; angle < 2400; angle += 10)
        ASSERT_FALSE(cellValid(*thread, angle)) << angle;
    EXPECT_EQ(validCells(), 229 * 9 + 2 * 5);
    EXPECT_TRUE(thread->liveRecord->modified.load());
    // Only the first point locks the setting controls.
    EXPECT_EQ(updates.count(RoutineId::updateRecordControls), 1u);
    EXPECT_EQ(updates.statusText(), "Idle (press reset to enable changes)");
    EXPECT_GT(updates.plottedCells(), 200u);
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.gate() == 50; })); // idle gate restored
}

TEST_F(ScanTest, ThreeRegionsAreScannedOneAfterTheOther) {
    prepare(1, 1);
    plan.regions = {{600, 640}, {800, 820}, {1000, 1040}};
    recordStatuses();
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_EQ(countState(engine::scanRepositioning), 3);
    ASSERT_FALSE(statuses.empty());
    bool sawSecond = false;
    for (const auto& s : statuses)
        sawSecond |= s.text == "Scanning 40.00 deg to 41.00 deg";
    EXPECT_TRUE(sawSecond);
    EXPECT_EQ(validCells(), 41 + 21 + 41);
    for (int angle : {600, 640, 800, 820, 1000, 1040})
        EXPECT_TRUE(cellValid(*thread, angle)) << angle;
    for (int angle : {599, 641, 799, 821, 999, 1041})
        EXPECT_FALSE(cellValid(*thread, angle)) << angle;
    EXPECT_TRUE(until([&] { return thread->status().scanRegion == 3; }));
}

TEST_F(ScanTest, RegionsEditedDuringTheScanChangeTheSegmentsNotReachedYet) {
    prepare(1, 1);
    plan.regions = {{600, 640}, {800, 820}};
    bool edited = false;
    // On the user-interface side, as the region editor's Apply does: the live record's regions
    // change while the first segment is measured, and go to the thread.
    observer = [&](RoutineId, engine::TRS& t) {
        if (edited || t.scanState.load() != engine::scanScanning || t.liveRecord->ValidCellCount() < 5)
            return;
        roi::storeRegions(*t.liveRecord, {{600, 640}, {900, 920}});
        t.copyRegionsToThread();
        edited = true;
    };
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    ASSERT_TRUE(edited);
    EXPECT_TRUE(cellValid(*thread, 640)); // the segment under way ends where it was going
    for (int angle : {900, 910, 920})
        EXPECT_TRUE(cellValid(*thread, angle)) << angle;
    for (int angle : {800, 810, 820})
        EXPECT_FALSE(cellValid(*thread, angle)) << angle;
    EXPECT_EQ(validCells(), 41 + 21);
    EXPECT_EQ(thread->configSnapshot().roiRanges[1], (zavo::RoiRange{900, 920}));
}

TEST_F(ScanTest, StartAtHalfDegreeStepsIsAlignedToTheGrid) {
    prepare(10, 1);
    plan.regions = {{901, 960}}; // 45.05 .. 48.00 degrees
    recordStatuses();
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_EQ(alignTargets(), std::vector<int>({910}));
    bool sawAdjusting = false;
    for (const auto& s : statuses)
        sawAdjusting |= s.text == "Adjusting";
    EXPECT_TRUE(sawAdjusting);
    // Points at 45.50, 46.00 ... 48.00 degrees; nothing counted at 45.05.
    EXPECT_TRUE(cellValid(*thread, 910));
    EXPECT_TRUE(cellValid(*thread, 960));
    EXPECT_FALSE(cellValid(*thread, 901));
    EXPECT_FALSE(cellValid(*thread, 905));
}

TEST_F(ScanTest, FinestStepNeedsNoAlignment) {
    prepare(1, 1);
    plan.regions = {{901, 910}};
    recordStatuses();
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_TRUE(alignTargets().empty());
    EXPECT_TRUE(cellValid(*thread, 901));
    EXPECT_EQ(validCells(), 10);
}

TEST_F(ScanTest, AlignmentBeyondTheArmRangeEndsTheScanWithoutASweep) {
    prepare(10, 1);
    // Lower the arm's upper end off the 0.5-degree grid.
    thread->requestArmMax(2395);
    ASSERT_TRUE(until([&] { return thread->configSnapshot().armMax == 2395; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    plan.regions = {{2391, 2395}};
    recordStatuses();
    ASSERT_EQ(scan(), ScanOutcome::Incomplete);
    EXPECT_EQ(thread->status().scanEndingText, "the start 119.55 deg lies beyond the arm range");
    EXPECT_EQ(countState(engine::scanScanning), 0);
    EXPECT_TRUE(alignTargets().empty());
    EXPECT_EQ(validCells(), 0);
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    EXPECT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.gate() == 50; }));
}

TEST_F(ScanTest, PauseBetweenGridStepsThenResumeRealignsAndCountsAgain) {
    // A slow arm (a second a step, a tenth of a second in real time), so that the pause lands
    // well between two grid positions however busy the machine is.
    apparatusOptions.timeScale = 10;
    apparatusOptions.firmware.armStepTime = 1'000'000;
    prepare(10, 1);
    plan.regions = {{900, 920}}; // the arm stands at 900: no long move first
    bool paused = false;
    observer = [&](RoutineId id, engine::TRS& t) {
        if (!paused && id == RoutineId::refreshReadouts && t.scanState.load() == engine::scanScanning &&
            t.armAngle.load() == 912) {
            paused = true;
            t.requestPause(true);
        }
    };
    ASSERT_TRUE(driver->startScan(plan, kWait));
    ASSERT_TRUE(until([&] { return paused && thread->scanState.load() == engine::scanPaused; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    observer = nullptr;
    const int stoppedAt = thread->armAngle.load();
    ASSERT_GT(stoppedAt, 910);
    ASSERT_LT(stoppedAt, 920);
    EXPECT_EQ(updates.statusText(), "Scan paused 45.00 deg to 46.00 deg");
    EXPECT_EQ(validCells(), 2 * 9); // 45.00 and 45.50 degrees

    recordStatuses();
    thread->requestPause(false);
    ASSERT_EQ(driver->finishScan(kWait), ScanOutcome::Completed);
    EXPECT_EQ(alignTargets(), std::vector<int>({920}));
    // Counted again with the scan's gate (the alignment's fast gate would count nothing): the
    // last grid point is there, and nothing between the grid points.
    for (int angle : {900, 910, 920})
        EXPECT_TRUE(cellValid(*thread, angle)) << angle;
    EXPECT_FALSE(cellValid(*thread, 915));
    EXPECT_EQ(validCells(), 3 * 9);
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
}

TEST_F(ScanTest, PauseWhileIdleThenResumeScansUnconditionallyToTheEnd) {
    prepare(10, 1);
    recordStatuses();
    thread->requestPause(true);
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanUnconditionalPaused; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_EQ(updates.statusText(), "Pause unconditional scan");
    thread->requestPause(false);
    ASSERT_TRUE(until([&] { return countState(engine::scanUnconditional) > 0; }));
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanIdle; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    // From the arm's position (45.00 degrees) to the end of the range.
    EXPECT_TRUE(cellValid(*thread, 900));
    EXPECT_TRUE(cellValid(*thread, 2400));
    EXPECT_FALSE(cellValid(*thread, 890));
    EXPECT_EQ(thread->armAngle.load(), 2400);
}

TEST_F(ScanTest, StopDuringAMoveHaltsTheArmAndReturnsToIdle) {
    apparatusOptions.firmware.armStepTime = 50'000;
    prepare(1, 1);
    bool stopped = false;
    observer = [&](RoutineId id, engine::TRS& t) {
        if (!stopped && id == RoutineId::refreshReadouts && t.scanState.load() == engine::scanMovingArm &&
            t.armAngle.load() > 950) {
            stopped = true;
            t.requestStop();
        }
    };
    thread->requestMoveArm(2000);
    ASSERT_TRUE(until([&] { return stopped; }));
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanIdle; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    observer = nullptr;
    EXPECT_LT(thread->armAngle.load(), 2000);
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.activity() == sim::Firmware::Activity::Idle; }));
    EXPECT_TRUE(until([&] { return updates.statusText() == "Idle"; }));
}

TEST_F(ScanTest, MoveArmGoesToTheTargetAndReleasesTheMoveButton) {
    prepare(1, 1);
    const auto released = updates.count(RoutineId::releaseMoveButton);
    thread->requestMoveArm(1234);
    ASSERT_TRUE(until([&] { return thread->armAngle.load() == 1234; }));
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanIdle; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_GT(updates.count(RoutineId::releaseMoveButton), released);
    EXPECT_TRUE(until([&] { return updates.angleText() == "61.70 deg. "; }));
}

// A move belongs to the link it was asked for on: the arm never sets off by itself when an
// apparatus answers again.
TEST_F(ScanTest, AMoveAskedForWithoutALinkIsDroppedWhenTheApparatusConnects) {
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    apparatus->unplug();
    startThread();
    ASSERT_TRUE(until([&] { return thread->status().passes > 0; }));
    thread->requestMoveArm(300);
    apparatus->replug();
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.armPosition() == 900; }));
}

TEST_F(ScanTest, AMoveWaitingWhenTheLinkIsLostIsDropped) {
    apparatusOptions.firmware.armStepTime = 50'000;
    prepare(1, 1);
    const auto losses = thread->status().linkLosses;
    bool pulled = false;
    observer = [&](RoutineId id, engine::TRS& t) {
        if (!pulled && id == RoutineId::refreshReadouts && t.scanState.load() == engine::scanMovingArm &&
            t.armAngle.load() > 950) {
            // A second move waits while the apparatus is busy with the first.
            t.requestMoveArm(300);
            pulled = true;
            apparatus->unplug();
        }
    };
    thread->requestMoveArm(2000);
    ASSERT_TRUE(until([&] { return pulled && thread->status().linkLosses > losses; }));
    observer = nullptr;
    EXPECT_FALSE(thread->status().requestSet.contains(engine::moveArm));
    EXPECT_FALSE(thread->pendingRequests.contains(engine::moveArm));
    apparatus->replug();
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.armPosition() > 900; }));
}

TEST_F(ScanTest, UnplugMidScanKeepsThePointsAndReconnectsIdle) {
    prepare(1, 1);
    plan.regions = {{400, 800}};
    bool pulled = false;
    observer = [&](RoutineId, engine::TRS& t) {
        if (!pulled && t.liveRecord->ValidCellCount() >= 50) {
            pulled = true;
            apparatus->unplug();
        }
    };
    ASSERT_TRUE(driver->startScan(plan, kWait));
    EXPECT_EQ(driver->finishScan(kWait), ScanOutcome::LinkLost);
    observer = nullptr;
    const trecdata* record = thread->liveRecord.get();
    const int kept = validCells();
    EXPECT_GE(kept, 50);
    EXPECT_LT(kept, 401);
    // The scan state survives the loss until the device is opened again.
    EXPECT_EQ(thread->scanState.load(), engine::scanScanning);
    apparatus->replug();
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    ASSERT_TRUE(until([&] { return updates.lastScanState() == engine::scanIdle; }));
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    // The measured points are still there, unsaved.
    EXPECT_EQ(thread->liveRecord.get(), record);
    EXPECT_EQ(validCells(), kept);
    EXPECT_TRUE(thread->liveRecord->modified.load());
    EXPECT_EQ(updates.statusText(), "Scan incomplete: the link to the apparatus was lost");
}

TEST_F(ScanTest, HaltNoticeStopsTheScanAsIncomplete) {
    prepare(1, 1);
    plan.regions = {{400, 800}};
    bool halted = false;
    observer = [&](RoutineId, engine::TRS& t) {
        if (!halted && t.liveRecord->ValidCellCount() >= 20) {
            halted = true;
            apparatus->injectHalt();
        }
    };
    ASSERT_TRUE(driver->startScan(plan, kWait));
    EXPECT_EQ(driver->finishScan(kWait), ScanOutcome::Incomplete);
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    EXPECT_LT(validCells(), 401);
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.activity() == sim::Firmware::Activity::Idle; }));
}

TEST_F(ScanTest, CalibrateThenScan) {
    prepare(10, 1);
    plan.regions = {{600, 700}};
    recordStatuses();
    thread->storeRegions(1, {zavo::RoiRange{600, 700}});
    thread->requestScan(true);
    ASSERT_TRUE(until([&] { return countState(engine::scanRepositioning) > 0; }));
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanIdle && validCells() > 0; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    bool sawCalibration = false;
    for (const auto& s : statuses)
        sawCalibration |= s.text == "Coarse angle calibration";
    EXPECT_TRUE(sawCalibration);
    for (int angle = 600; angle <= 700; angle += 10)
        EXPECT_TRUE(cellValid(*thread, angle)) << angle;
    EXPECT_FALSE(engine::TrsTestAccess::values(*thread).calibrateThenScan);
}

TEST_F(ScanTest, HaltDuringACalibrateThenScanForgetsTheScan) {
    // A slow arm, so that the halt lands while the calibration runs.
    apparatusOptions.firmware.armStepTime = 200'000;
    prepare(10, 1);
    bool halted = false;
    observer = [&](RoutineId, engine::TRS& t) {
        if (!halted && t.calibrating &&
            firmware([](sim::Firmware& f) { return f.activity() == sim::Firmware::Activity::Calibrating; })) {
            halted = true;
            apparatus->injectHalt();
        }
    };
    thread->requestScan(true);
    ASSERT_TRUE(until([&] { return halted; }));
    ASSERT_TRUE(until([&] { return !thread->status().calibrating; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    observer = nullptr;
    EXPECT_FALSE(engine::TrsTestAccess::values(*thread).calibrateThenScan);
    EXPECT_EQ(updates.statusText(), "Idle");

    // A calibration asked for later is only a calibration.
    recordStatuses();
    thread->requestCoarseCalibration();
    // The calibration shows first; only the Idle after it ends the wait.
    const auto sawCalibration = [&] {
        return std::any_of(statuses.begin(), statuses.end(),
                           [](const auto& s) { return s.text == "Coarse angle calibration"; });
    };
    ASSERT_TRUE(until(sawCalibration));
    ASSERT_TRUE(until([&] {
        return !statuses.empty() && statuses.back().text == "Idle" && !thread->status().calibrating;
    }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_EQ(countState(engine::scanRepositioning), 0);
    EXPECT_EQ(thread->scanState.load(), engine::scanIdle);
    EXPECT_EQ(validCells(), 0);
}

TEST_F(ScanTest, AutomaticFullScaleGrowsWithEveryCellOfTheShownRegion) {
    plan.hvVolts = 500; // on the counter's plateau
    prepare(1, 1);
    // The shown region ends on the rising side of the copper K-alpha line (31.7 degrees off the
    // NaCl crystal), so its highest rates lie in its last cells, the whole degree and more past
    // the whole degree below its start.
    plan.regions = {{599, 632}};
    observer = [](RoutineId id, engine::TRS& t) {
        if (id == RoutineId::showLiveEntry)
            t.liveRecord->SelectRegion(0);
    };
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    double highest = -1;
    double highestOfTheFirstDegree = -1;
    int rangeIndex = -1;
    inspect([&](engine::TRS& t) {
        for (int angle = 599; angle <= 632; ++angle) {
            const double value = t.liveRecord->ReadCell(angle - kArmMin).value;
            highest = std::max(highest, value);
            if (angle < 620)
                highestOfTheFirstDegree = std::max(highestOfTheFirstDegree, value);
        }
        rangeIndex = t.liveRecord->rangeIndex;
    });
    // The case is only a test when the last cells decide the range.
    ASSERT_GT(records::fullScaleIndex(highest), records::fullScaleIndex(highestOfTheFirstDegree))
        << highest << " " << highestOfTheFirstDegree;
    EXPECT_EQ(rangeIndex, records::fullScaleIndex(highest));
}

TEST_F(ScanTest, SafetyCopyIsWrittenEveryQuarterHourWithoutClearingModified) {
    prepare(10, 1);
    const QString path = dir.filePath("data/safety.rtg");
    // Nothing unsaved yet: the deadline passes without a file.
    auto deadline = thread->status().safetyDeadline;
    clock.advanceMs(engine::TRS::kSafetyIntervalMs + 1000);
    ASSERT_TRUE(until([&] { return thread->status().safetyDeadline > deadline; }));
    EXPECT_FALSE(QFile::exists(path));

    plan.regions = {{600, 700}};
    ASSERT_EQ(scan(), ScanOutcome::Completed);
    const int cells = validCells();
    // The segment's end wrote one already.
    const auto copies = thread->status().safetyCopies;
    EXPECT_GE(copies, 1u);
    deadline = thread->status().safetyDeadline;
    clock.advanceMs(engine::TRS::kSafetyIntervalMs + 1000);
    ASSERT_TRUE(until([&] { return thread->status().safetyCopies == copies + 1; }));
    EXPECT_GT(thread->status().safetyDeadline, deadline);
    const records::LoadResult copy = records::loadRecordFile(path);
    ASSERT_TRUE(copy.record) << copy.message.toStdString();
    EXPECT_EQ(copy.record->ValidCellCount(), cells);
    // The scan is still unsaved.
    EXPECT_TRUE(thread->liveRecord->modified.load());
    EXPECT_EQ(updates.statusText(), "Idle (press reset to enable changes)");
}

// While a scan runs the safety copy follows within a minute, so a program killed mid-scan keeps
// all but the last minute's points; each segment's end writes it too.
TEST_F(ScanTest, SafetyCopyFollowsARunningScanEveryMinuteAndAtEachSegmentsEnd) {
    prepare(10, 1);
    const QString path = dir.filePath("data/safety.rtg");
    plan.regions = {{600, 640}, {700, 740}};
    bool advanced = false;
    int cellsAtMinute = 0;
    std::uint64_t copiesAtMinute = 0;
    observer = [&](engine::RoutineId, engine::TRS& t) {
        if (!advanced && t.scanRegion == 0 && t.liveRecord->ValidCellCount() >= 10) {
            advanced = true;
            copiesAtMinute = t.status().safetyCopies;
            cellsAtMinute = t.liveRecord->ValidCellCount();
            clock.advanceMs(engine::TRS::kScanSafetyIntervalMs + 1000);
        }
    };
    ASSERT_TRUE(driver->startScan(plan, kWait));
    ASSERT_TRUE(until([&] { return advanced && thread->status().safetyCopies > copiesAtMinute; }));
    const records::LoadResult minute = records::loadRecordFile(path);
    ASSERT_TRUE(minute.record) << minute.message.toStdString();
    EXPECT_GE(minute.record->ValidCellCount(), cellsAtMinute);
    const auto copiesBeforeEnds = thread->status().safetyCopies;
    ASSERT_EQ(driver->finishScan(kWait), ScanOutcome::Completed);
    // One more at the end of each of the two segments.
    EXPECT_GE(thread->status().safetyCopies, copiesBeforeEnds + 1);
    const records::LoadResult end = records::loadRecordFile(path);
    ASSERT_TRUE(end.record);
    EXPECT_EQ(end.record->ValidCellCount(), validCells());
}

TEST_F(ScanTest, HighVoltageIsSwitchedOffAfterHalfAnHourWithoutActivity) {
    prepare(10, 1);
    ASSERT_TRUE(thread->hvIsOn.load());
    // A request of the user renews the half hour; the thread's own status polls do not.
    clock.advanceMs(20 * 60 * 1000);
    thread->requestSpeaker(false);
    ASSERT_TRUE(until([&] { return !thread->speakerIsOn.load(); }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    clock.advanceMs(15 * 60 * 1000);
    const auto passes = thread->status().passes;
    ASSERT_TRUE(until([&] { return thread->status().passes > passes + 200; }));
    EXPECT_TRUE(thread->hvIsOn.load());
    clock.advanceMs(16 * 60 * 1000);
    EXPECT_TRUE(until([&] { return !thread->hvIsOn.load(); }));
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return !f.hvOn(); }));
}

TEST_F(ScanTest, IdleEstimateOfAHundredFinestStepsIsAHundredSeconds) {
    prepare(1, 10);
    EXPECT_EQ(idleEstimateSeconds(600, 700), 100);
    EXPECT_EQ(updates.remainingText(), "1 min.");
}

TEST_F(ScanTest, IdleEstimateOfHalfDegreeStepsOverAThousandUnitsIs118Seconds) {
    prepare(10, 10);
    EXPECT_EQ(idleEstimateSeconds(400, 1400), 118);
}
