// Watching a counted sweep for the ways it can end without its proper 0x03, and how a scan ends.
//
// A sweep is finished only when the arm stands at its segment's end (the last grid step that
// does not pass it). A 0x03 before that is not taken as the end: line noise can make one, and an
// apparatus that really stopped shows it by going idle (display rates 'c') or by falling silent.
// Both make the thread ask the apparatus where the arm is (status poll: 'I' then 'W'); the answer
// decides between a finished segment and an interrupted scan. Silence longer than a step's
// counting time plus a margin starts the same question, and an apparatus that does not answer it
// loses the link. After a stop, a pause or a halt the rates still on their way are stored until
// the apparatus confirms the stop with its 0x03. A finished scan with steps missing (a reply lost
// on the line) ends as incomplete, with how many and where.
//
// The move to a segment's start is watched the same way: the arm reports every step, so a move
// that reports nothing for a few seconds (its 0x03 or its acknowledge lost on the line) is asked
// where it is. Standing at the start, the scan goes on; elsewhere the move is ordered once more,
// and a second failure ends the scan as incomplete. Without an answer the link is re-established.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/protocol.h"

namespace engine {

namespace {

QString degrees(int units) {
    return QString::asprintf("%.2f", units / 20.0);
}

} // namespace

bool TRS::sweeping() const {
    const int state = scanState.load();
    return deviceBusy && !adjusting && !calibrating && (state == scanScanning || state == scanUnconditional);
}

bool TRS::repositioning() const {
    return deviceBusy && !adjusting && !calibrating && scanState.load() == scanRepositioning;
}

void TRS::sweepStarted() {
    sweepAcked_ = false;
    sweepHeardMs_ = clock_.nowMs();
    probing_ = false;
    windingDown_ = false;
    if (scanState.load() == scanUnconditional)
        sweepFrom_ = armAngle.load();
}

void TRS::sweepHeard() {
    if (sweeping() || repositioning())
        sweepHeardMs_ = clock_.nowMs();
}

void TRS::askPosition() {
    probing_ = true;
    probeAnswered_ = false;
    probeSentMs_ = clock_.nowMs();
    probeDeadlineMs_ = probeSentMs_ + kProbeAnswerMs;
    // After seconds of silence no acknowledge is on its way any more: one lost in the silence
    // must not keep the question from going out.
    awaitingAck = false;
    enqueue(zavo::cmdStatusPoll);
}

bool TRS::sweepWatchStep() {
    const bool moving = repositioning();
    if (!sweeping() && !moving) {
        probing_ = false;
        return true;
    }
    const std::int64_t now = clock_.nowMs();
    if (probing_) {
        if (now <= probeDeadlineMs_)
            return true;
        // The apparatus does not say where it is: start afresh with a new link.
        loseLink();
        return false;
    }
    const std::int64_t allowance =
        moving ? kMoveSilenceMs : std::int64_t{recordView_.countingTime} * 100 + kSweepSilenceMarginMs;
    if (now - sweepHeardMs_ > allowance)
        askPosition();
    return true;
}

void TRS::sweepIdleRate() {
    if (!(sweeping() || repositioning()) || !sweepAcked_)
        return; // a display rate sent before the apparatus took the run command
    if (!probing_) {
        askPosition();
        return;
    }
    // The question went out while the apparatus heard nothing: ask again.
    const std::int64_t now = clock_.nowMs();
    if (awaitingAck && lastCode == zavo::cmdStatusPoll && now - probeSentMs_ > kProbeResendMs) {
        awaitingAck = false;
        probeSentMs_ = now;
        enqueue(zavo::cmdStatusPoll);
    }
}

void TRS::sweepPositionReply() {
    if (probing_ && probeAnswered_ && repositioning()) {
        probing_ = false;
        repositionAnswered();
        return;
    }
    if (!probing_ || !probeAnswered_ || !sweeping())
        return;
    probing_ = false;
    if (atSegmentEnd()) {
        // The apparatus stands at the end: its 0x03 was lost.
        segmentFinished();
        deviceBusy = false;
        post(RoutineId::refreshScanStatus);
    } else
        interruptSweep(QStringLiteral("the apparatus stopped at %1 deg before the end of the sweep")
                           .arg(degrees(armAngle.load())));
}

void TRS::repositionAnswered() {
    const int target = moveTarget.load();
    if (armAngle.load() == target) {
        operationComplete(); // the 0x03 of the move was lost
        return;
    }
    if (!repositionRetried_) {
        repositionRetried_ = true;
        enqueueMovePattern(target);
        sweepHeardMs_ = clock_.nowMs();
        return;
    }
    enqueue(zavo::cmdStop);
    enqueue(zavo::cmdIdleGate);
    scanState.store(scanIdle);
    scanInterrupted(QStringLiteral("the apparatus stopped at %1 deg on its way to %2 deg")
                        .arg(degrees(armAngle.load()), degrees(target)));
    post(RoutineId::refreshScanStatus);
}

bool TRS::atSegmentEnd() const {
    int from = 0;
    int to = 0;
    recordView_.getRegion(scanState.load() == scanUnconditional ? -1 : scanRegion, from, to);
    const int step = liveRecord ? std::max(1, liveRecord->angularStep) : 1;
    const int angle = armAngle.load();
    return angle <= to && to - angle < step;
}

void TRS::countMissingSteps(int from, int to) {
    const int step = liveRecord ? std::max(1, liveRecord->angularStep) : 1;
    const int base = scanStart.load() + effectiveOffset();
    for (int angle = roundUpToGrid(from, step); angle <= to; angle += step) {
        const int cell = angle - base;
        if (cell < 0 || cell >= trecdata::kCellCount || liveRecord->ReadCell(cell).valid)
            continue;
        if (missingSteps_ == 0)
            firstMissing_ = angle;
        lastMissing_ = angle;
        ++missingSteps_;
    }
}

void TRS::segmentFinished() {
    writeSafetyCopyIfModified();
    int from = 0;
    int to = 0;
    if (scanState.load() == scanUnconditional) {
        recordView_.getRegion(-1, from, to);
        countMissingSteps(sweepFrom_, to);
        enqueue(zavo::cmdIdleGate);
        scanState.store(scanIdle);
        scanFinished();
        return;
    }
    recordView_.getRegion(scanRegion, from, to);
    countMissingSteps(from, to);
    ++scanRegion;
    if (scanRegion < recordView_.regionCount) {
        recordView_.getRegion(scanRegion, from, to);
        enqueueMovePattern(from);
        scanState.store(scanRepositioning);
    } else {
        enqueue(zavo::cmdIdleGate);
        scanState.store(scanIdle);
        scanFinished();
    }
}

void TRS::scanFinished() {
    if (missingSteps_ == 0) {
        scanEnding.store(scanEndingComplete);
        return;
    }
    scanEnding.store(scanEndingIncomplete);
    scanEndingText = QStringLiteral("%1 steps missing between %2 and %3 deg")
                         .arg(missingSteps_)
                         .arg(degrees(firstMissing_), degrees(lastMissing_));
}

void TRS::scanInterrupted(const QString& reason) {
    // The first reason is the one that counts: a halt is followed by a stop, for instance.
    if (scanEnding.load() == scanEndingIncomplete)
        return;
    scanEnding.store(scanEndingIncomplete);
    scanEndingText = reason;
}

void TRS::interruptSweep(const QString& reason) {
    enqueue(zavo::cmdStop);
    enqueue(zavo::cmdIdleGate);
    windingDown_ = true;
    scanState.store(scanIdle);
    scanInterrupted(reason);
    post(RoutineId::refreshScanStatus);
}

void TRS::scanBegins() {
    repositionRetried_ = false;
    scanEnding.store(scanEndingNone);
    scanEndingText.clear();
    missingSteps_ = 0;
    probing_ = false;
    windingDown_ = false;
    scanSafetyDeadline_ = clock_.nowMs() + kScanSafetyIntervalMs;
}

} // namespace engine
