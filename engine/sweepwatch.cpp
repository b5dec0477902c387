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

void TRS::sweepStarted() {
    sweepAcked_ = false;
    sweepHeardMs_ = clock_.nowMs();
    probing_ = false;
    windingDown_ = false;
    if (scanState.load() == scanUnconditional)
        sweepFrom_ = armAngle.load();
}

void TRS::sweepHeard() {
    if (sweeping())
        sweepHeardMs_ = clock_.nowMs();
}

void TRS::askPosition() {
    probing_ = true;
    probeAnswered_ = false;
    probeSentMs_ = clock_.nowMs();
    probeDeadlineMs_ = probeSentMs_ + kProbeAnswerMs;
    enqueue(zavo::cmdStatusPoll);
}

bool TRS::sweepWatchStep() {
    if (!sweeping()) {
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
    const std::int64_t allowance = std::int64_t{recordView_.countingTime} * 100 + kSweepSilenceMarginMs;
    if (now - sweepHeardMs_ > allowance)
        askPosition();
    return true;
}

void TRS::sweepIdleRate() {
    if (!sweeping() || !sweepAcked_)
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
    scanEnding.store(scanEndingNone);
    scanEndingText.clear();
    missingSteps_ = 0;
    probing_ = false;
    windingDown_ = false;
    scanSafetyDeadline_ = clock_.nowMs() + kScanSafetyIntervalMs;
}

} // namespace engine
