// Driving the acquisition thread without windows: the command line, the demo, tests and
// benchmarks post the same typed requests the windows do and serve the thread's synchronised calls
// on the calling thread while they wait.
#pragma once

#include "engine/headlessupdates.h"
#include "engine/trs.h"
#include "engine/uiexecutor.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace engine {

struct ScanPlan {
    // Regions of interest in displayed angle units, up to five; none: the whole arm range.
    std::vector<std::pair<int, int>> regions;
    int angularStep = 1;  // angle units: 1, 2, 4 or 10
    int countingTime = 1; // tenths of a second per step
    std::optional<int> hvVolts;
    bool hvOn = true;
};

enum class ScanOutcome {
    Completed,
    Incomplete,  // ended without reaching its end, or with steps missing (TRS::scanEndingText says)
    Interrupted, // the interrupt flag was raised; the scan was stopped
    LinkLost,
    TimedOut,
};

class HeadlessDriver {
public:
    using Clock = std::chrono::steady_clock;

    // Serves the thread's calls on the calling thread, which must be the executor's
    // user-interface thread. Installs itself as the observer of `updates`.
    HeadlessDriver(TRS& thread, UiExecutor& executor, HeadlessUpdates& updates);

    // A flag (raised from elsewhere, e.g. by Ctrl+C) that ends every wait early.
    void setInterrupt(const std::atomic<bool>* flag) { interrupt_ = flag; }
    bool interrupted() const { return interrupt_ && interrupt_->load(); }
    // A flag that cuts short the waits that only pace the end (a stopped sweep's last rates, the
    // apparatus settling); the save and switching the HV off are never skipped for it.
    void setHurry(const std::atomic<bool>* flag) { hurry_ = flag; }
    bool hurried() const { return hurry_ && hurry_->load(); }
    // Called on every turn of the serving loop (e.g. to read a signal pipe that raises the flags).
    void setPoll(std::function<void()> poll) { poll_ = std::move(poll); }
    // Called after every routine the thread posts (progress display).
    void setProgress(HeadlessUpdates::Observer progress) { progress_ = std::move(progress); }

    // Serves calls until `done` holds, the time-out passes or the interrupt is raised; returns
    // `done`'s last value.
    bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Until the handshake is complete and the apparatus's configuration block has been taken over.
    // Ends early, false, when the apparatus is found but cannot be opened (the thread's
    // `accessProblem` says why): waiting would not help.
    bool waitForApparatus(std::chrono::milliseconds timeout);
    // The same after a lost link: until the new link has its handshake and the apparatus's block.
    bool waitForNewLink(std::chrono::milliseconds timeout);

    // Until the thread has nothing left to do: no pending or active request, an empty queue, no
    // acknowledge outstanding and the apparatus not busy.
    bool waitUntilSettled(std::chrono::milliseconds timeout);

    // Counting time, step and HV of the plan (and HV on/off); true when the apparatus took them.
    // A link lost on the way is waited for (up to `timeout`) and the settings asked for again, up
    // to kSettingsRetries times; so are settings the thread settled without (asked for while a
    // link that had already gone was being replaced: the new one begins with the apparatus's own
    // block).
    static constexpr int kSettingsRetries = 3;
    bool applySettings(const ScanPlan& plan, std::chrono::milliseconds timeout);

    // applySettings, then startScan, on one link: a link lost before the scan's first point
    // (settings taken locally and then lost with the link, the move to the start lost on the
    // line) is waited for and both are done again, up to kSettingsRetries times. True once the
    // settings were taken; scanStarted() then tells whether the scan runs (on the link its
    // settings were taken on, or with a point measured before a loss).
    bool startScanAsPlanned(const ScanPlan& plan, std::chrono::milliseconds timeout);

    // A fresh live record with the plan's regions, then startScan. True once the scan runs.
    bool startScan(const ScanPlan& plan, std::chrono::milliseconds timeout);
    // Until the running scan ends and the apparatus has confirmed it (the rates of a stopped
    // sweep still on their way are in). On interrupt the scan is stopped (the stop request) and
    // its end awaited for up to `stopTimeout`. On time-out the scan keeps running.
    ScanOutcome finishScan(std::chrono::milliseconds timeout,
                           std::chrono::milliseconds stopTimeout = std::chrono::seconds(10));
    // Posts stop and waits until the thread is idle again.
    bool stopScan(std::chrono::milliseconds timeout);

    // The thread's posted-routine count since the last startScan: scan started and ended.
    bool scanStarted() const { return scanStarted_; }
    bool scanEnded() const { return scanEnded_; }
    std::uint64_t linkLossesAtStart() const { return linkLossesAtStart_; }

private:
    void observe(RoutineId id, TRS& thread);
    bool settingsTaken(const ScanPlan& plan) const;
    bool settled() const;

    TRS& thread_;
    UiExecutor& executor_;
    HeadlessUpdates& updates_;
    const std::atomic<bool>* interrupt_ = nullptr;
    const std::atomic<bool>* hurry_ = nullptr;
    std::function<void()> poll_;
    HeadlessUpdates::Observer progress_;
    bool configSeen_ = false;
    bool scanStarted_ = false;
    bool scanEnded_ = false;
    std::uint64_t linkLossesAtStart_ = 0;
    std::uint64_t settingsLinkLosses_ = 0; // the link the settings were last taken on
};

const char* scanOutcomeText(ScanOutcome outcome);

} // namespace engine
