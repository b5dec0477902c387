// One pass of the acquisition loop while the link is up and the handshake is complete.
//
// Order of work: check the receive queue; the timers (safety copy, high-voltage auto-off,
// remaining time, read-outs and the idle status poll); read and dispatch at most one reply byte;
// replace the live record when asked; take the lowest request; hand the windows' pending requests
// over; send one queued code when no acknowledge is outstanding; pace the loop.
#include "engine/trs.h"

#include "engine/estimate.h"
#include "engine/windowupdates.h"

#include "device/d2xxunit.h"
#include "device/protocol.h"
#include "device/replies.h"

namespace engine {

bool TRS::queueStatusFails() {
    if (D2XXUnit::GetQueueStatus() == ft::OK)
        return false;
    loseLink();
    return true;
}

// The deadlines are looked at in every pass. Looking only when the idle counter passes 7 would
// miss them for as long as replies keep the display dirty (the counter is then reset before it
// gets there), which would stop the safety copy and the high-voltage auto-off exactly while the
// apparatus is busiest.
void TRS::timersStep() {
    const std::int64_t now = clock_.nowMs();
    if (now > hvOffDeadline && hvIsOn.load()) {
        requestSet.add(hvOff);
        hvOffDeadline = now + kHvOffIntervalMs;
    }
    if (now > safetyDeadline) {
        writeSafetyCopyIfModified();
        safetyDeadline = now + kSafetyIntervalMs;
    }
    const int state = scanState.load();
    // While a scan runs the copy is also kept within a minute of the points (and written at each
    // segment's end): a program killed mid-scan loses at most the last minute's measurements.
    if (state != scanIdle && state != scanMovingArm && now > scanSafetyDeadline_) {
        writeSafetyCopyIfModified();
        scanSafetyDeadline_ = now + kScanSafetyIntervalMs;
    }
    if (state == scanScanning || state == scanUnconditional) {
        const auto minutes = static_cast<int>((scanEndTime - now) / 60000);
        if (minutes != remainingMinutes) {
            remainingMinutes = minutes;
            remainingText = remainingTimeText(minutes);
            post(RoutineId::showRemainingTime);
        }
    }
    if (displayDirty || idleCounter == 0) {
        if (displayDirty)
            post(RoutineId::refreshReadouts);
        displayDirty = false;
        // One status poll per idle pause: an apparatus that answers at once would otherwise be
        // polled again by its own answer, pass after pass, with no pause at all.
        if (state == scanIdle && requestSet.empty() && !polledSincePause_)
            requestSet.add(statusPoll);
        idleCounter = 10;
    }
    if (idleCounter >= 1)
        --idleCounter;
}

// Reads and dispatches at most one reply byte. False when the link was lost.
bool TRS::replyStep() {
    if (D2XXUnit::rxQueueLength == 0)
        return true;
    const ft::Dword got = D2XXUnit::ReadDevice(1);
    if (got < 1 || D2XXUnit::lastIoStatus != ft::OK)
        return true;
    const std::uint8_t tag = D2XXUnit::readBuffer[0];
    // The counters only run down to 0: below it the timers of the loop would never fire again.
    if (idleCounter > 0)
        --idleCounter;
    // The apparatus acknowledges every command at once. While an acknowledge is outstanding only
    // the acknowledge shows that the command was heard: the display rates an idle apparatus keeps
    // sending would otherwise keep a link alive for ever whose command was lost in a short
    // silence, with nothing more ever sent on it.
    const int state = scanState.load();
    if (!awaitingAck || tag == zavo::replyAck)
        replyWatchdog =
            (state == scanScanning || state == scanUnconditional) ? recordView_.countingTime / 10 + 10 : 20;
    try {
        dispatchReply(tag);
    } catch (const zavo::SilentAbort&) {
        loseLink();
        return false;
    }
    if (!connected.load())
        return false;
    if (tag == 'S' && commandQueue.empty() && queueStatusFails())
        return false;
    return true;
}

void TRS::requestStep() {
    if (requestSet.empty())
        return;
    // The thread's own status poll is no activity of the user: it must not keep the high
    // voltage's auto-off from ever coming due.
    RequestSet userRequests = requestSet;
    userRequests.remove(statusPoll);
    if (!userRequests.empty())
        hvOffDeadline = clock_.nowMs() + kHvOffIntervalMs;
    handleRequest(requestSet.lowest());
}

void TRS::passConnected() {
    if (queueStatusFails())
        return;
    if (D2XXUnit::rxQueueLength == 0)
        sleeper_.sleepMs(1);
    timersStep();
    if (!connected.load() || queueStatusFails())
        return;
    if (!replyStep() || !sweepWatchStep())
        return;
    // Cleared before the calls, so a rebuild asked for while they run is not lost.
    if (rebuildPending_.exchange(false)) {
        post(RoutineId::replaceLiveRecord);
        post(RoutineId::showLiveEntry);
        post(RoutineId::updateControlEnabling);
        post(RoutineId::refreshScanStatus);
    }
    if (adjusting)
        return;
    if (!awaitingAck && commandQueue.empty())
        requestStep();
    if (!pendingRequests.empty())
        post(RoutineId::mergePendingRequests);
    if (!awaitingAck) {
        lastCode = commandQueue.dequeue();
        if (!performCode(lastCode))
            return;
        requestSet.remove(lastCode);
    }
    if (scanState.load() == scanIdle)
        post(RoutineId::refreshIdleEstimate);
    if (queueStatusFails())
        return;
    if (D2XXUnit::rxQueueLength == 0 && !deviceBusy) {
        sleeper_.sleepMs(200);
        polledSincePause_ = false;
        if (--replyWatchdog < 0)
            loseLink();
    }
}

} // namespace engine
