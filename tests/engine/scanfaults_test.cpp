// Scans against an apparatus that misbehaves while the link stays up: a stray 0x03, a halt, an
// apparatus that falls silent, a stop while rates are still on their way. Nothing measured may be
// lost and no partial scan may pass for a complete one.
#include "tests/support/simfixture.h"

#include <thread>

using namespace enginetest;
using engine::RoutineId;
using engine::ScanOutcome;
using engine::ScanPlan;

namespace {

class ScanFaults : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        connect();
        plan.angularStep = 1;
        plan.countingTime = 1;
        plan.regions = {{400, 500}}; // 101 steps
        ASSERT_TRUE(driver->applySettings(plan, kWait));
    }

    // Runs `fault` once, on the worker's next call after `cells` points are stored.
    void faultAfter(int cells, std::function<void()> fault) {
        observer = [this, cells, fault = std::move(fault), done = false](RoutineId, engine::TRS& t) mutable {
            if (!done && t.liveRecord->ValidCellCount() >= cells) {
                done = true;
                fault();
            }
        };
    }

    ScanOutcome scan(std::chrono::milliseconds timeout = kWait) {
        EXPECT_TRUE(driver->startScan(plan, kWait));
        const ScanOutcome outcome = driver->finishScan(timeout);
        observer = nullptr;
        return outcome;
    }

    QString endingText() const { return thread->status().scanEndingText; }
    std::uint64_t stepsSent() { return apparatus->sweepStepsSent(); }
    bool apparatusIdle() {
        return firmware([](sim::Firmware& f) { return f.activity() == sim::Firmware::Activity::Idle; });
    }

    ScanPlan plan;
};

} // namespace

TEST_F(ScanFaults, AStray03InTheMiddleOfASweepIsNotItsEnd) {
    faultAfter(20, [this] { apparatus->injectByte(0x03); });
    EXPECT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_EQ(validCells(), 101);
    EXPECT_EQ(thread->scanEnding.load(), engine::scanEndingComplete);
    EXPECT_EQ(updates.statusText(), "Idle (press reset to enable changes)");
}

TEST_F(ScanFaults, AHaltEndsTheScanAsIncompleteAndKeepsEveryRateSent) {
    faultAfter(30, [this] { apparatus->injectHalt(); });
    EXPECT_EQ(scan(), ScanOutcome::Incomplete);
    EXPECT_TRUE(endingText().startsWith("the apparatus halted at ")) << endingText().toStdString();
    EXPECT_LT(validCells(), 101);
    EXPECT_EQ(static_cast<std::uint64_t>(validCells()), stepsSent());
    EXPECT_TRUE(updates.statusText().startsWith("Scan incomplete: the apparatus halted"))
        << updates.statusText().toStdString();
    // A new scan starts with a clean slate.
    EXPECT_EQ(scan(), ScanOutcome::Completed);
    EXPECT_EQ(thread->scanEnding.load(), engine::scanEndingComplete);
}

TEST_F(ScanFaults, RatesArrivingAfterAStopAreStored) {
    // Stopped as soon as the first point is in: the apparatus sends more before it hears the stop.
    observer = [this, stopped = false](RoutineId, engine::TRS& t) mutable {
        if (!stopped && t.liveRecord->ValidCellCount() >= 1) {
            stopped = true;
            t.requestStop();
        }
    };
    EXPECT_TRUE(driver->startScan(plan, kWait));
    EXPECT_EQ(driver->finishScan(kWait), ScanOutcome::Incomplete);
    observer = nullptr;
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_TRUE(endingText().startsWith("stopped at ")) << endingText().toStdString();
    EXPECT_EQ(static_cast<std::uint64_t>(validCells()), stepsSent());
}

TEST_F(ScanFaults, ASilenceOverTheSweepsEndIsNoticedAndTheMissingStepsAreNamed) {
    faultAfter(20, [this] { apparatus->setSilent(true); });
    // The sweep runs on unheard; when it is over the apparatus speaks again (idle display rates).
    std::thread speaker([this] {
        while (!apparatus->withFirmware([](sim::Firmware& f) { return f.silent(); }))
            std::this_thread::sleep_for(1ms);
        while (!apparatusIdle())
            std::this_thread::sleep_for(1ms);
        apparatus->setSilent(false);
    });
    const ScanOutcome outcome = scan(20s);
    speaker.join();
    EXPECT_EQ(outcome, ScanOutcome::Incomplete);
    const int missing = 101 - validCells();
    EXPECT_GT(missing, 0);
    EXPECT_TRUE(endingText().startsWith(QStringLiteral("%1 steps missing between ").arg(missing)))
        << endingText().toStdString();
    EXPECT_TRUE(endingText().endsWith(" and 25.00 deg")) << endingText().toStdString();
}

TEST_F(ScanFaults, AHoleInTheMiddleIsReportedWithItsPlace) {
    faultAfter(20, [this] { apparatus->setSilent(true); });
    std::thread speaker([this] {
        while (!apparatus->withFirmware([](sim::Firmware& f) { return f.silent(); }))
            std::this_thread::sleep_for(1ms);
        const int from = apparatus->withFirmware([](sim::Firmware& f) { return f.armPosition(); });
        while (apparatus->withFirmware([](sim::Firmware& f) { return f.armPosition(); }) < from + 10)
            std::this_thread::sleep_for(1ms);
        apparatus->setSilent(false);
    });
    EXPECT_EQ(scan(), ScanOutcome::Incomplete);
    speaker.join();
    const int missing = 101 - validCells();
    EXPECT_GE(missing, 9);
    EXPECT_LT(missing, 60);
    EXPECT_TRUE(endingText().contains(QStringLiteral("%1 steps missing between ").arg(missing)))
        << endingText().toStdString();
}

TEST_F(ScanFaults, AnApparatusThatStaysSilentLosesTheLink) {
    faultAfter(20, [this] { apparatus->setSilent(true); });
    EXPECT_TRUE(driver->startScan(plan, kWait));
    // The thread's clock stands still unless moved: past the step's allowance the position is
    // asked for; past the answer's time the link goes.
    ASSERT_TRUE(until([&] { return apparatus->withFirmware([](sim::Firmware& f) { return f.silent(); }); }));
    const auto losses = thread->status().linkLosses;
    ASSERT_TRUE(until([&] {
        clock.advanceMs(500);
        return thread->status().linkLosses != losses;
    }));
    observer = nullptr;
    EXPECT_EQ(driver->finishScan(kWait), ScanOutcome::LinkLost);
    EXPECT_GE(validCells(), 20);
    EXPECT_EQ(endingText(), "the link to the apparatus was lost");
}
