// Shared by the window tests and the window benchmark: a run of the program's parts (windows,
// acquisition thread) on a chosen device provider with its own settings file, and a guard against
// hangs. The test main has created the application object.
#pragma once

#include "app/project1.h"

#include "device/ftprovider.h"
#include "engine/clock.h"
#include "engine/trs.h"

#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace sim {
class Apparatus;
struct ApparatusOptions;
} // namespace sim

namespace formtest {

using namespace std::chrono_literals;

// The in-process simulated apparatus, its time running `timeScale` times faster than real time.
std::unique_ptr<ft::Provider> simulator(double timeScale);

// One run of the windows, created as the program creates them, on `provider` (none: no apparatus
// attached). The thread's pauses run `sleeperScale` times their length.
class Session {
public:
    explicit Session(std::unique_ptr<ft::Provider> provider = {}, double sleeperScale = 0.02,
                     const QString& settingsText = {});
    ~Session();

    project1::Windows& windows() const { return *windows_; }
    TForm1& form() const { return windows_->main(); }
    engine::TRS& thread() const { return windows_->thread(); }
    // In a folder of its own: a test may put a file in the folder's place.
    QString settingsPath() const { return dir_.filePath(QStringLiteral("settings/rtg.ini")); }
    // An apparatus is connected and ready for the user: the handshake passed, its own (valid)
    // configuration block taken over (it replaces whatever was set before it came), the arm's
    // position shown, nothing running, and the live record displayed.
    bool apparatusReady() const;
    // Serves the thread's calls and the event loop until `done` or the timeout.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 20s) const;
    // Ends the run as the program does at exit: the windows go, the thread stops.
    void end();

private:
    QTemporaryDir dir_;
    engine::Sleeper sleeper_;
    std::unique_ptr<project1::Windows> windows_;
};

// A fixture's base: the windows on the in-process simulated apparatus, its time running
// `options.timeScale` times faster than real time and the thread's pauses with it; the main window
// shown unless `showMain` is false.
class SimulatedWindows {
public:
    explicit SimulatedWindows(const sim::ApparatusOptions& options, bool showMain = true);

    std::shared_ptr<sim::Apparatus> apparatus;
    Session session;
};

// Fails the test program if it is still alive `limit` after construction (a hang).
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit);
    ~Watchdog();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace formtest
