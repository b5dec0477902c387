// Line faults around a scan that the apparatus itself cannot tell: a configuration block out of
// turn (line noise), the end of the move between two regions lost in a silence, a stall while the
// settings are taken, a command lost in a short silence, and a sweep that went on through a lost
// link.
#include "tests/support/simfixture.h"

#include <atomic>
#include <thread>

using namespace enginetest;
using engine::ScanOutcome;
using engine::ScanPlan;

namespace {

class LineFaults : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        connect();
        plan.angularStep = 1;
        plan.countingTime = 1;
    }

    sim::Firmware::Activity activity() {
        return firmware([](sim::Firmware& f) { return f.activity(); });
    }
    int armPosition() {
        return firmware([](sim::Firmware& f) { return f.armPosition(); });
    }
    // The arm range the apparatus keeps in its memory.
    std::pair<int, int> storedRange() {
        return firmware([](sim::Firmware& f) {
            const sim::ConfigMemory::Words words = f.memory().storedWords();
            return std::pair{words.armMin, words.armMax};
        });
    }
    // Runs `fault` on this thread once, when `when` first holds during the scan.
    void faultWhen(std::function<bool(engine::TRS&)> when, std::function<void()> fault) {
        observer = [when = std::move(when), fault = std::move(fault), done = false](engine::RoutineId,
                                                                                    engine::TRS& t) mutable {
            if (!done && when(t)) {
                done = true;
                fault();
            }
        };
    }

    // Once the apparatus is silent: waits until the thread waits for the acknowledge of a command
    // the silence swallowed (it has gone in and the replies already on their way are read), then
    // ends the silence. Also ends it when the link goes first or on `giveUp`.
    void speakOnceACommandIsLost(const std::atomic<bool>& giveUp) {
        const std::uint64_t losses = thread->status().linkLosses;
        const auto over = [&] { return giveUp.load() || thread->status().linkLosses != losses; };
        const auto waitFor = [&](const std::function<bool()>& done) {
            while (!done() && !over())
                std::this_thread::sleep_for(100us);
        };
        waitFor([this] { return firmware([](sim::Firmware& f) { return f.silent(); }); });
        while (!over()) {
            waitFor([this] { return thread->status().awaitingAck; });
            const sim::Micros sent = firmware([](sim::Firmware& f) { return f.now(); });
            waitFor([&] { return firmware([](sim::Firmware& f) { return f.now(); }) > sent + 20'000; });
            const std::uint64_t passes = thread->status().passes;
            waitFor([&] { return thread->status().passes > passes + 2; });
            if (thread->status().awaitingAck)
                break;
        }
        apparatus->setSilent(false);
    }

    ScanPlan plan;
};

} // namespace

TEST_F(LineFaults, AConfigurationBlockOutOfTurnIsNoiseAndNothingIsWrittenFromIt) {
    const std::pair<int, int> range = storedRange();
    plan.regions = {{400, 500}};
    ASSERT_TRUE(driver->applySettings(plan, kWait));
    faultWhen([](engine::TRS& t) { return t.liveRecord->ValidCellCount() >= 20; },
              [this] {
                  apparatus->injectByte('x');
                  apparatus->injectGarbage(64);
              });
    ASSERT_TRUE(driver->startScan(plan, kWait));
    const ScanOutcome outcome = driver->finishScan(kWait);
    observer = nullptr;
    // The garbled reply costs the link; what was measured stays.
    EXPECT_EQ(outcome, ScanOutcome::LinkLost);
    EXPECT_GE(validCells(), 20);
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    EXPECT_EQ(storedRange(), range);
    // The block the thread ends the run with is the apparatus's own.
    shutDownThread();
    EXPECT_EQ(storedRange(), range);
}

TEST_F(LineFaults, TheEndOfTheMoveBetweenRegionsLostInASilenceDoesNotStallTheScan) {
    plan.regions = {{400, 420}, {1400, 1420}};
    ASSERT_TRUE(driver->applySettings(plan, kWait));
    // Silent from the middle of the move to the second region until the arm stands there: its
    // positions and its 0x03 are lost.
    faultWhen([this](engine::TRS& t) { return t.scanRegion == 1 && armPosition() > 900; },
              [this] { apparatus->setSilent(true); });
    std::thread speaker([this] {
        while (!firmware([](sim::Firmware& f) { return f.silent(); }))
            std::this_thread::sleep_for(1ms);
        while (activity() != sim::Firmware::Activity::Idle)
            std::this_thread::sleep_for(1ms);
        apparatus->setSilent(false);
    });
    ASSERT_TRUE(driver->startScan(plan, kWait));
    // The thread's clock runs only when moved: a few seconds without a position make it ask.
    const bool ended = until([&] {
        clock.advanceMs(100);
        return driver->scanEnded();
    });
    speaker.join();
    observer = nullptr;
    ASSERT_TRUE(ended) << "the scan stalled";
    EXPECT_EQ(driver->finishScan(kWait), ScanOutcome::Completed)
        << thread->status().scanEndingText.toStdString();
    EXPECT_EQ(validCells(), 42);
}

TEST_F(LineFaults, AStallWhileTheSettingsAreTakenIsRiddenOut) {
    // The high voltage is switched only with the apparatus's acknowledge: switching it each time
    // keeps the settings from being taken before the fault has cost the link. In the last row the
    // link is already gone when the settings are asked for, so they meet the link that replaces it.
    const struct {
        std::function<void()> fault;
        bool hvOn;
        bool lostBefore;
    } rows[] = {
        {[this] { apparatus->setSilent(true); }, true, false},
        {[this] { apparatus->cutNextReply(); }, false, false},
        {[this] { apparatus->setSilent(true); }, true, true},
    };
    int countingTime = 3;
    for (const auto& row : rows) {
        plan.hvOn = row.hvOn;
        const std::uint64_t losses = thread->status().linkLosses;
        row.fault();
        // The apparatus answers again once the link has gone.
        std::atomic<bool> spoke = false;
        std::atomic<bool> giveUp = false;
        std::thread speaker([this, losses, &spoke, &giveUp] {
            while (thread->status().linkLosses == losses && !giveUp)
                std::this_thread::sleep_for(1ms);
            apparatus->setSilent(false);
            spoke = true;
        });
        // Served while waiting: the thread may post to the window on its way to the loss.
        bool lost = !row.lostBefore || until([&] { return spoke.load(); });
        plan.countingTime = ++countingTime;
        const bool taken = driver->applySettings(plan, kWait);
        lost = lost && until([&] { return spoke.load(); });
        giveUp = true;
        speaker.join();
        ASSERT_TRUE(lost) << "the fault did not cost the link";
        EXPECT_TRUE(taken) << countingTime;
        EXPECT_EQ(thread->configSnapshot().countingTime, countingTime);
        EXPECT_EQ(thread->hvIsOn.load(), row.hvOn);
    }
}

// A silence that lasts only until one command has gone by unheard: the apparatus speaks again
// and its display rates go on, but the command's acknowledge never comes. Lost among the settings
// or at the start of the scan, the link is re-established, the settings are taken anew and the
// scan runs whole with them.
TEST_F(LineFaults, ACommandLostInAShortSilenceIsNotCoveredByTheRatesThatFollow) {
    const std::pair<const char*, bool> cases[] = {{"among the settings", false},
                                                  {"at the scan's start", true}};
    plan.regions = {{400, 420}};
    for (const auto& [name, atScanStart] : cases) {
        SCOPED_TRACE(name);
        plan.countingTime = atScanStart ? 3 : 2;
        if (atScanStart) {
            ASSERT_TRUE(driver->applySettings(plan, kWait));
            // Silent before the start's first command (the scan gate) goes out.
            faultWhen([](engine::TRS& t) { return t.scanState.load() == engine::scanRepositioning; },
                      [this] { apparatus->setSilent(true); });
        } else {
            apparatus->setSilent(true);
        }
        std::atomic<bool> giveUp = false;
        std::thread speaker([this, &giveUp] { speakOnceACommandIsLost(giveUp); });
        const bool taken = driver->startScanAsPlanned(plan, kWait);
        const ScanOutcome outcome = driver->finishScan(kWait);
        observer = nullptr;
        giveUp = true;
        speaker.join();
        ASSERT_TRUE(taken);
        EXPECT_EQ(outcome, ScanOutcome::Completed) << thread->status().scanEndingText.toStdString();
        EXPECT_EQ(validCells(), 21);
        EXPECT_EQ(thread->liveRecord->countingTime, plan.countingTime);
    }
}

TEST_F(LineFaults, AnApparatusStillSweepingAfterAReconnectIsStopped) {
    plan.regions = {{400, 2000}};
    ASSERT_TRUE(driver->applySettings(plan, kWait));
    const std::uint64_t losses = thread->status().linkLosses;
    faultWhen([](engine::TRS& t) { return t.liveRecord->ValidCellCount() >= 20; },
              [this] { apparatus->cutNextReply(); });
    ASSERT_TRUE(driver->startScan(plan, kWait));
    ASSERT_TRUE(until([&] { return thread->status().linkLosses != losses; }));
    observer = nullptr;
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    ASSERT_TRUE(until([&] { return activity() == sim::Firmware::Activity::Idle; }));
    EXPECT_LT(armPosition(), 2000);
    EXPECT_TRUE(driver->waitUntilSettled(kWait));
}
