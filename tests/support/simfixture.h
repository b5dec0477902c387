// The acquisition thread against the in-process simulated apparatus, run a hundred times faster
// than real time, with a manual clock for the long deadlines and a folder of its own for rtg.ini
// and the safety copy. Waits are for conditions with generous time-outs, never for a fixed time.
#pragma once

// The simulator's headers come before any Qt header: its firmware has a member named like Qt's
// `emit` keyword macro.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "engine/clock.h"
#include "engine/headlessdriver.h"
#include "engine/headlessupdates.h"
#include "engine/trs.h"
#include "engine/uiexecutor.h"

#include "device/d2xxunit.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace enginetest {

using namespace std::chrono_literals;

inline constexpr double kTimeScale = 100.0;
// Long enough for a slow sanitizer build on a busy machine.
inline constexpr std::chrono::milliseconds kWait = 60s;

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { shutDownThread(); }

    sim::ApparatusOptions options() const {
        sim::ApparatusOptions o;
        o.timeScale = kTimeScale;
        return o;
    }

    // Builds the apparatus (adjust `apparatusOptions` first) and starts the thread on it.
    void startThread(std::unique_ptr<ft::Provider> provider = nullptr) {
        if (!apparatus)
            apparatus = std::make_shared<sim::Apparatus>(apparatusOptions);
        D2XXUnit::resetState();
        D2XXUnit::setProvider(provider ? std::move(provider) : std::make_unique<sim::SimProvider>(apparatus));
        engine::TrsEnvironment env;
        env.executor = &executor;
        env.windows = &updates;
        env.clock = &clock;
        env.sleeper = &sleeper;
        env.settingsPath = dir.filePath("config/rtg.ini");
        env.safetyCopyDir = dir.filePath("data");
        QDir().mkpath(env.safetyCopyDir);
        thread = std::make_unique<engine::TRS>(env);
        driver = std::make_unique<engine::HeadlessDriver>(*thread, executor, updates);
        driver->setProgress([this](engine::RoutineId id, engine::TRS& t) {
            if (observer)
                observer(id, t);
        });
    }

    void connect() {
        startThread();
        ASSERT_TRUE(driver->waitForApparatus(kWait)) << "no apparatus";
        ASSERT_TRUE(driver->waitUntilSettled(kWait));
    }

    void shutDownThread() {
        if (thread) {
            thread->terminate();
            EXPECT_TRUE(thread->waitFor(kWait));
            driver.reset();
            thread.reset();
        }
        D2XXUnit::setProvider(nullptr);
    }

    bool until(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWait) {
        return driver->serveUntil(done, timeout);
    }

    // Runs `work` on the serving thread while the worker waits in a synchronised call; the
    // loop posts one at least every pass while idle or with changing read-outs.
    template <class Work>
    void inspect(Work&& work) {
        bool done = false;
        observer = [&](engine::RoutineId, engine::TRS& t) {
            if (!done) {
                work(t);
                done = true;
            }
        };
        EXPECT_TRUE(until([&] { return done; }));
        observer = nullptr;
    }

    // The live record is replaced only on this thread, and its cells are atomic.
    int validCells() const { return thread->liveRecord->ValidCellCount(); }

    template <class Action>
    auto firmware(Action&& action) {
        return apparatus->withFirmware(std::forward<Action>(action));
    }

    QTemporaryDir dir;
    sim::ApparatusOptions apparatusOptions = options();
    std::shared_ptr<sim::Apparatus> apparatus;
    engine::ManualClock clock{1'000'000'000};
    engine::Sleeper sleeper{1.0 / kTimeScale};
    engine::UiExecutor executor;
    engine::HeadlessUpdates updates;
    std::unique_ptr<engine::TRS> thread;
    std::unique_ptr<engine::HeadlessDriver> driver;
    std::function<void(engine::RoutineId, engine::TRS&)> observer;
};

} // namespace enginetest
