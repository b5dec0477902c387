#include "engine/headlessdriver.h"

#include "device/protocol.h"

namespace engine {

HeadlessDriver::HeadlessDriver(TRS& thread, UiExecutor& executor, HeadlessUpdates& updates)
    : thread_(thread), executor_(executor), updates_(updates) {
    updates_.setObserver([this](RoutineId id, TRS& t) { observe(id, t); });
}

void HeadlessDriver::observe(RoutineId id, TRS& t) {
    if (id == RoutineId::refreshSettingControls)
        configSeen_ = true;
    if (id == RoutineId::refreshScanStatus) {
        const int state = t.scanState.load();
        const bool busy = state != scanIdle || t.adjusting || t.calibrating;
        if (busy)
            scanStarted_ = true;
        else if (scanStarted_)
            scanEnded_ = true;
    }
    if (progress_)
        progress_(id, t);
}

bool HeadlessDriver::serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (poll_)
            poll_();
        if (done())
            break;
        if (interrupted() || Clock::now() >= deadline)
            return done();
        executor_.serveFor(std::chrono::milliseconds(20));
    }
    return true;
}

bool HeadlessDriver::waitForApparatus(std::chrono::milliseconds timeout) {
    bool ready = false;
    serveUntil(
        [&] {
            ready = thread_.linkReady.load() && configSeen_ && thread_.configSnapshot().isValid();
            return ready || !thread_.status().accessProblem.isEmpty();
        },
        timeout);
    return ready;
}

bool HeadlessDriver::settled() const {
    if (!thread_.pendingRequests.empty() || !thread_.linkReady.load())
        return false;
    // The thread's own status poll comes and goes all the time; it does not count.
    const TrsStatus s = thread_.status();
    RequestSet active = s.requestSet;
    active.remove(statusPoll);
    const bool ownPoll = s.lastCode == zavo::cmdStatusPoll;
    return active.empty() && s.queueCount == 0 && (!s.awaitingAck || ownPoll) && !s.deviceBusy;
}

bool HeadlessDriver::waitForNewLink(std::chrono::milliseconds timeout) {
    configSeen_ = false;
    return waitForApparatus(timeout);
}

bool HeadlessDriver::waitUntilSettled(std::chrono::milliseconds timeout) {
    return serveUntil([&] { return settled(); }, timeout);
}

bool HeadlessDriver::settingsTaken(const ScanPlan& plan) const {
    const auto config = thread_.configSnapshot();
    return config.countingTime == plan.countingTime && config.angularStep == plan.angularStep &&
           (!plan.hvVolts || config.hvSetting == *plan.hvVolts / 5) && thread_.hvIsOn.load() == plan.hvOn;
}

// A link lost while the settings are taken (a silence, a cut or garbled reply) takes them with it:
// the new link begins with the apparatus's own block. Once the apparatus answers again, they are
// asked for anew. A loss that came just before this call shows only as a thread that settled
// without them.
bool HeadlessDriver::applySettings(const ScanPlan& plan, std::chrono::milliseconds timeout) {
    for (int attempt = 0; attempt <= kSettingsRetries; ++attempt) {
        const std::uint64_t losses = thread_.status().linkLosses;
        const auto linkLost = [&] { return thread_.status().linkLosses != losses; };
        thread_.requestCountingTime(plan.countingTime);
        thread_.requestAngularStep(plan.angularStep);
        if (plan.hvVolts)
            thread_.requestDetectorHv(*plan.hvVolts / 5);
        thread_.requestHv(plan.hvOn);
        const bool ended = serveUntil([&] { return linkLost() || settled(); }, timeout);
        if (!linkLost() && ended && settingsTaken(plan)) {
            settingsLinkLosses_ = losses;
            return true;
        }
        if (interrupted() || (!ended && !linkLost()))
            return false;
        if (linkLost()) {
            if (!waitForNewLink(timeout))
                return false;
        }
    }
    return false;
}

// Settings that need no reply (counting time, step) are taken at once, so a silence may cost the
// link only after they count as taken; a command of the scan's own (the move to the start) may be
// lost too. Either way the new link began with the apparatus's own block: before the scan's first
// point, the settings are taken anew and the scan started again.
bool HeadlessDriver::startScanAsPlanned(const ScanPlan& plan, std::chrono::milliseconds timeout) {
    for (int attempt = 0; attempt <= kSettingsRetries; ++attempt) {
        if (!applySettings(plan, timeout))
            return false;
        const auto linkLost = [&] { return thread_.status().linkLosses != settingsLinkLosses_; };
        // The live record is replaced only on this thread; its cells are atomic.
        const auto measured = [&] { return thread_.liveRecord && thread_.liveRecord->ValidCellCount() > 0; };
        const bool started = !linkLost() && startScan(plan, timeout);
        serveUntil([&] { return !started || linkLost() || scanEnded_ || measured(); }, timeout);
        if (!linkLost())
            return true;
        if (measured())
            return true; // measured on the lost link: kept, and the loss is told at the scan's end
        if (interrupted())
            return false;
        if (!waitForNewLink(timeout))
            return false;
    }
    return false;
}

bool HeadlessDriver::startScan(const ScanPlan& plan, std::chrono::milliseconds timeout) {
    std::array<zavo::RoiRange, 5> ranges{};
    std::size_t count = 0;
    for (const auto& [from, to] : plan.regions) {
        if (count == ranges.size())
            break;
        ranges[count++] = {static_cast<std::int16_t>(from), static_cast<std::int16_t>(to)};
    }
    scanStarted_ = false;
    scanEnded_ = false;
    linkLossesAtStart_ = thread_.status().linkLosses;
    thread_.storeRegions(static_cast<std::uint8_t>(count), ranges);
    // What the scan button does: a fresh live record, then the scan.
    thread_.requestScan(false);
    return serveUntil([&] { return scanStarted_; }, timeout);
}

ScanOutcome HeadlessDriver::finishScan(std::chrono::milliseconds timeout,
                                       std::chrono::milliseconds stopTimeout) {
    const bool ended =
        serveUntil([&] { return scanEnded_ || thread_.status().linkLosses != linkLossesAtStart_; }, timeout);
    if (thread_.status().linkLosses != linkLossesAtStart_)
        return ScanOutcome::LinkLost;
    if (ended && scanEnded_) {
        serveUntil([&] { return !thread_.status().deviceBusy || !thread_.linkReady.load() || hurried(); },
                   stopTimeout);
        return thread_.scanEnding.load() == scanEndingIncomplete ? ScanOutcome::Incomplete
                                                                 : ScanOutcome::Completed;
    }
    if (interrupted()) {
        const std::atomic<bool>* flag = interrupt_;
        interrupt_ = nullptr; // the stop itself must be waited for
        stopScan(stopTimeout);
        interrupt_ = flag;
        return ScanOutcome::Interrupted;
    }
    return ScanOutcome::TimedOut;
}

bool HeadlessDriver::stopScan(std::chrono::milliseconds timeout) {
    thread_.requestStop();
    if (!serveUntil([&] { return thread_.scanState.load() == scanIdle || hurried(); }, timeout))
        return false;
    return hurried() || waitUntilSettled(timeout);
}

const char* scanOutcomeText(ScanOutcome outcome) {
    switch (outcome) {
    case ScanOutcome::Completed:
        return "completed";
    case ScanOutcome::Incomplete:
        return "incomplete";
    case ScanOutcome::Interrupted:
        return "interrupted";
    case ScanOutcome::LinkLost:
        return "link to the apparatus lost";
    case ScanOutcome::TimedOut:
        return "timed out";
    }
    return "";
}

} // namespace engine
