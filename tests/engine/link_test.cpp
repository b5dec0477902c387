// The acquisition thread's link: connection, handshake and configuration, losing the link and
// reconnecting, the settings in rtg.ini, the shutdown sequence and closing without deadlock.
#include "tests/support/simfixture.h"

#include "tests/engine/lockedprovider.h"

#include "engine/profilefile.h"
#include "engine/qtuiexecutor.h"

#include <QCoreApplication>

#include <cstring>
#include <thread>

using namespace enginetest;
using engine::RoutineId;

namespace {

// The simulated apparatus under another USB serial number.
class RenamedProvider : public sim::SimProvider {
public:
    RenamedProvider(std::shared_ptr<sim::Apparatus> apparatus, std::string serial)
        : sim::SimProvider(std::move(apparatus)), serial_(std::move(serial)) {}

    ft::Status ListDevices(void* arg1, void* arg2, ft::Dword flags) override {
        const ft::Status status = sim::SimProvider::ListDevices(arg1, arg2, flags);
        if (status == ft::OK && (flags & ft::LIST_BY_INDEX) && (flags & ft::OPEN_BY_SERIAL_NUMBER))
            std::strncpy(static_cast<char*>(arg2), serial_.c_str(), 16);
        return status;
    }

private:
    std::string serial_;
};

} // namespace

TEST_F(SimFixture, ConnectsAndTakesOverTheApparatusConfiguration) {
    connect();
    EXPECT_TRUE(thread->connected.load());
    EXPECT_TRUE(thread->controlsEnabled.load());
    EXPECT_TRUE(updates.controlsEnabled());
    const zavo::DeviceConfig config = thread->configSnapshot();
    EXPECT_TRUE(config.isValid());
    EXPECT_EQ(config.armMin, 100);
    EXPECT_EQ(config.armMax, 2400);
    // A valid block: HV setting back to 0, the scan range is the arm range.
    EXPECT_EQ(config.hvSetting, 0);
    EXPECT_EQ(thread->scanStart.load(), 100);
    EXPECT_EQ(thread->scanEnd.load(), 2400);
    EXPECT_EQ(thread->status().deviceSection, "SIM00001");
    // The live record was rebuilt from the block: its range and settings.
    EXPECT_GE(updates.count(RoutineId::replaceLiveRecord), 1u);
    EXPECT_EQ(thread->liveRecord->startAngle, 100);
    EXPECT_EQ(thread->liveRecord->endAngle, 2400);
    EXPECT_EQ(thread->liveRecord->countingTime, 20);
    EXPECT_TRUE(thread->liveRecord->offsetEnabled);
    EXPECT_EQ(updates.liveEntryLabel(), "Live at 0.05/2.0  [deg/sec]");
    EXPECT_GE(updates.count(RoutineId::refreshSettingControls), 1u);
    // The handshake's codes reached the apparatus: speaker on, HV off, 0.5 s idle gate.
    EXPECT_TRUE(thread->speakerIsOn.load());
    EXPECT_FALSE(thread->hvIsOn.load());
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.speakerOn() && !f.hvOn() && f.gate() == 50; }));
    // Read-outs arrive from the status polls and the idle display rate.
    EXPECT_TRUE(
        until([&] { return updates.angleText() == "45.00 deg. " && updates.rateText().endsWith(" cps "); }));
    EXPECT_EQ(updates.statusText(), "Idle");
}

TEST_F(SimFixture, BlankConfigurationIsResetToTheDefaultsOnBothSides) {
    apparatusOptions.firmware.memory = sim::ConfigMemory::blank();
    connect();
    const zavo::DeviceConfig config = thread->configSnapshot();
    EXPECT_TRUE(config.isValid());
    EXPECT_EQ(config.armMin, 300);
    EXPECT_EQ(config.armMax, 2400);
    EXPECT_EQ(config.offset, 0);
    EXPECT_EQ(config.countingTime, 20);
    EXPECT_EQ(config.hvLimit, 130);
    EXPECT_EQ(thread->scanStart.load(), 300);
    EXPECT_EQ(thread->liveRecord->startAngle, 300);
    EXPECT_EQ(thread->liveRecord->endAngle, 2400);
    // The apparatus stored the block the thread wrote, and took offset 0.
    EXPECT_TRUE(firmware([](sim::Firmware& f) { return f.memory().marked() && f.offset() == 0; }));
    EXPECT_GE(updates.count(RoutineId::refreshSettingControls), 2u);
}

TEST_F(SimFixture, CountingTimeOfTheBlockBeyondTheWindowsLimitIsCappedBeforeTheGate) {
    // 700 s a step: in hundredths it would wrap the gate's 16-bit word to 4464.
    apparatusOptions.firmware.memory[10] = 7000 & 0xFF;
    apparatusOptions.firmware.memory[11] = 7000 >> 8;
    connect();
    EXPECT_EQ(thread->configSnapshot().countingTime, engine::kMaxCountingTime);
    engine::ScanPlan plan;
    plan.regions = {{900, 910}}; // where the arm stands
    ASSERT_TRUE(driver->startScan(plan, kWait));
    EXPECT_TRUE(until([&] { return firmware([](sim::Firmware& f) { return f.gate() == 30000; }); }));
    EXPECT_TRUE(driver->stopScan(kWait));
}

TEST_F(SimFixture, NoApparatusKeepsPollingAndShowsDisconnected) {
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    apparatus->unplug();
    startThread();
    EXPECT_TRUE(until([&] { return sleeper.nominalMs() >= 5 * 500; }));
    EXPECT_FALSE(thread->connected.load());
    EXPECT_EQ(updates.rateText(), "Disconected ");
    apparatus->replug();
    EXPECT_TRUE(driver->waitForApparatus(kWait));
}

TEST_F(SimFixture, APortThatDoesNotOpenIsToldOnTheStatusLineUntilItOpens) {
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    auto provider = std::make_unique<LockedSimProvider>(apparatus);
    LockedSimProvider& port = *provider;
    startThread(std::move(provider));
    // The waiting command line gives up at once: waiting does not grant a permission.
    EXPECT_FALSE(driver->waitForApparatus(kWait));
    EXPECT_EQ(thread->status().accessProblem, kLockedPortProblem);
    EXPECT_TRUE(until([&] { return updates.statusText() == kLockedPortProblem; }));
    EXPECT_FALSE(thread->connected.load());

    // Once the rule applies (or the user joined dialout), the apparatus is taken as usual and the
    // status line is the scan state again.
    port.locked = false;
    EXPECT_TRUE(until([&] { return thread->status().accessProblem.isEmpty(); }));
    EXPECT_TRUE(driver->waitForApparatus(kWait));
    EXPECT_TRUE(until([&] { return updates.statusText() == "Idle"; }));
}

TEST_F(SimFixture, UnplugLosesTheLinkWritesTheSettingsAndReconnects) {
    connect();
    thread->requestCountingTime(7);
    ASSERT_TRUE(until([&] { return thread->configSnapshot().countingTime == 7; }));
    ASSERT_TRUE(driver->waitUntilSettled(kWait));
    const auto losses = thread->status().linkLosses;
    apparatus->unplug();
    ASSERT_TRUE(until([&] { return thread->status().linkLosses > losses; }));
    EXPECT_FALSE(thread->connected.load());
    EXPECT_FALSE(thread->linkReady.load());
    EXPECT_TRUE(until([&] { return !updates.controlsEnabled() && updates.rateText() == "Disconected "; }));
    engine::ProfileFile ini(thread->settingsPath());
    EXPECT_EQ(ini.readInt("SIM00001", "TRATE", -1), 7);
    EXPECT_EQ(ini.readInt("SIM00001", "ARATE", -1), 1);
    EXPECT_EQ(ini.readInt("SIM00001", "RTGV", -1), 0);
    apparatus->replug();
    EXPECT_TRUE(driver->waitForApparatus(kWait));
    EXPECT_TRUE(updates.controlsEnabled());
}

TEST_F(SimFixture, SilentApparatusIsDroppedAfterAboutTwentyIdlePasses) {
    connect();
    const auto before = thread->status();
    const auto pausesBefore = sleeper.pauses();
    apparatus->setSilent(true);
    ASSERT_TRUE(until([&] { return thread->status().linkLosses > before.linkLosses; }));
    // Every idle pass ends with a 200 ms pause; 20 of them use up the watchdog (a few passes of
    // the loop may fall between the last byte and the silence).
    const auto after = thread->status();
    EXPECT_GE(after.passes - before.passes, 19u);
    EXPECT_LE(after.passes - before.passes, 40u);
    EXPECT_LE(sleeper.pauses() - pausesBefore, 90u);
    engine::ProfileFile ini(thread->settingsPath());
    EXPECT_EQ(ini.readInt("SIM00001", "TRATE", -1), 20);
    // Once it speaks again the link comes back.
    apparatus->setSilent(false);
    EXPECT_TRUE(driver->waitForApparatus(kWait));
}

TEST_F(SimFixture, SettingsOfTheApparatusAreReadFromItsSectionBeforeTheBlockArrives) {
    engine::ProfileFile ini(dir.filePath("config/rtg.ini"));
    ASSERT_TRUE(ini.writeInt("SIM00001", "TRATE", 33));
    ASSERT_TRUE(ini.writeInt("SIM00001", "ARATE", 4));
    // The apparatus stays silent, so its block never replaces what was read.
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    apparatus->setSilent(true);
    startThread();
    ASSERT_TRUE(until([&] { return thread->status().deviceSection == "SIM00001"; }));
    ASSERT_TRUE(until([&] { return thread->configSnapshot().countingTime == 33; }));
    EXPECT_EQ(thread->configSnapshot().angularStep, 4);
    EXPECT_EQ(thread->configSnapshot().hvSetting, 20); // default
}

TEST_F(SimFixture, SerialNumberThatWouldBreakTheSettingsFileIsMadeSafe) {
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    startThread(std::make_unique<RenamedProvider>(apparatus, "AB]\n[x=1;"));
    ASSERT_TRUE(driver->waitForApparatus(kWait));
    EXPECT_EQ(thread->status().deviceSection, "AB___x_1_");
    const auto losses = thread->status().linkLosses;
    apparatus->unplug();
    ASSERT_TRUE(until([&] { return thread->status().linkLosses > losses; }));
    engine::ProfileFile ini(thread->settingsPath());
    EXPECT_EQ(ini.readInt("AB___x_1_", "TRATE", -1), 20);
    EXPECT_EQ(ini.readInt("x", "TRATE", -1), -1);
}

TEST_F(SimFixture, GarbledReplyLosesTheLinkAndReconnects) {
    connect();
    const auto losses = thread->status().linkLosses;
    apparatus->cutNextReply();
    ASSERT_TRUE(until([&] { return thread->status().linkLosses > losses; }));
    EXPECT_TRUE(driver->waitForApparatus(kWait));
}

TEST_F(SimFixture, EndOfRunSendsTheShutdownSequence) {
    connect();
    thread->requestHv(true);
    ASSERT_TRUE(until([&] { return thread->hvIsOn.load(); }));
    thread->terminate();
    ASSERT_TRUE(thread->waitFor(kWait));
    // HV setting 0 and off, the block stored, the session ended with '!'.
    EXPECT_TRUE(firmware([](sim::Firmware& f) {
        return !f.hvOn() && f.hvSetting() == 0 && f.activity() == sim::Firmware::Activity::SessionEnded;
    }));
    EXPECT_FALSE(thread->connected.load());
}

TEST_F(SimFixture, TerminatingNeverWaitsForACallNobodyServes) {
    connect();
    // The worker soon waits in a synchronised call that this thread does not serve.
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    thread->terminate();
    EXPECT_TRUE(thread->waitFor(kWait));
    // The shutdown sequence's pauses take 2.5 s at most at this time scale.
    EXPECT_LT(std::chrono::steady_clock::now() - start, kWait);
    const auto served = executor.served();
    executor.serve();
    EXPECT_EQ(executor.served(), served); // nothing was left waiting
}

TEST_F(SimFixture, ClosingWhileDisconnectedDropsTheShutdownRequest) {
    apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
    apparatus->unplug();
    startThread();
    thread->requestShutDown();
    EXPECT_TRUE(until([&] { return !thread->pendingRequests.contains(engine::shutDown); }));
    EXPECT_FALSE(thread->shuttingDown.load());
}

TEST(ClosingWithAnEventLoop, ShutDownIsTakenOverWhileTheWindowWaitsThenTheThreadEnds) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    auto apparatus = std::make_shared<sim::Apparatus>(sim::ApparatusOptions{{}, kTimeScale});
    D2XXUnit::resetState();
    D2XXUnit::setProvider(std::make_unique<sim::SimProvider>(apparatus));
    engine::QtUiExecutor ui;
    engine::HeadlessUpdates updates;
    engine::Sleeper sleeper(1.0 / kTimeScale);
    engine::TrsEnvironment env;
    env.executor = &ui.executor();
    env.windows = &updates;
    env.sleeper = &sleeper;
    env.settingsPath = dir.filePath("rtg.ini");
    env.safetyCopyDir = dir.path();
    {
        engine::TRS thread(env);
        EXPECT_EQ(acquisitionThread, &thread);
        // The event loop alone serves the calls.
        ASSERT_TRUE(ui.waitUntil([&] { return thread.linkReady.load(); }, kWait));
        // What the main window does when it closes.
        thread.requestShutDown();
        ASSERT_TRUE(ui.waitUntil([&] { return !thread.pendingRequests.contains(engine::shutDown); }, kWait));
        EXPECT_TRUE(ui.waitUntil([&] { return thread.shuttingDown.load(); }, kWait));
        thread.terminate();
        EXPECT_TRUE(thread.waitFor(kWait));
    }
    EXPECT_EQ(acquisitionThread, nullptr);
    D2XXUnit::setProvider(nullptr);
}
