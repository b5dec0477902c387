// Scan execution: the scan requests, start alignment, the end of each operation (0x03), the
// storage of every counted step and the apparatus's halt notice.
//
// A scan moves the arm to the start of a segment (the whole record or one region of interest),
// aligns the start to the step grid, then orders a counted sweep to the segment's end; the
// apparatus reports the position ('W') and one counting rate ('S') per step and 0x03 at the end.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/protocol.h"
#include "device/replies.h"

#include <algorithm>

namespace engine {
namespace {

QString degrees(int units) {
    return QString::asprintf("%.2f", units / 20.0);
}

} // namespace

int roundUpToGrid(int b, int step) {
    const int rest = ((b % step) + step) % step;
    return rest == 0 ? b : b + step - rest;
}

// Aligns the arm to the step grid before a sweep; false when the aligned start lies beyond the
// arm's range (the sweep must not start).
bool TRS::startAlignment() {
    const int step = liveRecord ? liveRecord->angularStep : 1;
    if (step == 1)
        return true;
    const int angle = armAngle.load();
    int b = angle;
    if (step == 2 || step == 4 || step == 10)
        b = roundUpToGrid(angle, step);
    if (b > config.armMax + effectiveOffset())
        return false;
    if (b != angle) {
        // Nothing else is sent until the alignment move ends (see `adjusting`).
        alignTarget = b;
        enqueue(zavo::cmdFastGate);
        enqueue(zavo::cmdAlignMove);
        enqueue(zavo::cmdAlignRun);
    }
    return true;
}

void TRS::enqueueMovePattern(int target) {
    moveTarget.store(target);
    enqueue(zavo::cmdFastGate);
    enqueue(zavo::cmdMoveTo);
    enqueue(zavo::cmdMoveRun);
}

void TRS::enqueueSweepPattern(int target) {
    moveTarget.store(target);
    enqueue(zavo::cmdScanGate);
    enqueue(zavo::cmdMoveTo);
    enqueue(zavo::cmdScanRun);
}

void TRS::handleStartScan() {
    if (deviceBusy)
        return; // waits until the apparatus is idle
    if (scanState.load() == scanIdle) {
        scanBegins();
        scanRegion = recordView_.regionCount > 0 ? 0 : -1;
        int from = 0;
        int to = 0;
        recordView_.getRegion(scanRegion, from, to);
        enqueueMovePattern(from);
        scanState.store(scanRepositioning);
    }
    requestSet.remove(startScan);
    post(RoutineId::refreshScanStatus);
}

void TRS::handleCalibrateAndScan() {
    requestSet.remove(calibrateAndScan);
    calibrateThenScan.store(true);
    requestSet.add(coarseCalibration);
}

void TRS::handlePauseScan() {
    const int state = scanState.load();
    if (deviceBusy) {
        if (state != scanIdle) {
            // Rates already on their way still belong to the scan.
            windingDown_ = sweeping();
            enqueue(zavo::cmdIdleGate);
            enqueue(zavo::cmdStop);
            scanState.store(state == scanUnconditional || state == scanMovingArm ? scanUnconditionalPaused
                                                                                 : scanPaused);
        }
    } else if (state == scanIdle) {
        scanState.store(scanUnconditionalPaused);
        enqueue(zavo::cmdIdleGate);
    }
    requestSet.remove(pauseScan);
    post(RoutineId::refreshScanStatus);
}

void TRS::handleResumeScan() {
    requestSet.remove(resumeScan);
    if (deviceBusy)
        return;
    int from = 0;
    int to = 0;
    const int state = scanState.load();
    if (state == scanUnconditionalPaused) {
        recordView_.getRegion(-1, from, to);
        if (startAlignment()) {
            enqueueSweepPattern(to);
            scanState.store(scanUnconditional);
        } else {
            scanState.store(scanIdle);
        }
    } else if (state == scanPaused) {
        recordView_.getRegion(scanRegion, from, to);
        moveTarget.store(to);
        if (startAlignment()) {
            enqueueSweepPattern(to);
            scanState.store(scanScanning);
        } else {
            scanState.store(scanIdle);
        }
    }
    post(RoutineId::refreshScanStatus);
}

void TRS::handleStop() {
    requestSet.remove(stop);
    if (deviceBusy) {
        requestSet.remove(resumeScan);
        requestSet.remove(startScan);
        enqueue(zavo::cmdStop);
        enqueue(zavo::cmdIdleGate);
        const int state = scanState.load();
        if (state >= scanScanning && state <= scanUnconditional)
            scanInterrupted(QStringLiteral("stopped at %1 deg").arg(degrees(armAngle.load())));
        // Rates already on their way still belong to the scan.
        windingDown_ = sweeping();
        scanState.store(scanIdle);
        calibrating = false;
        calibrateThenScan.store(false);
        return; // the status follows with the apparatus's 0x03
    }
    const int state = scanState.load();
    if (state == scanPaused)
        scanInterrupted(QStringLiteral("stopped at %1 deg").arg(degrees(armAngle.load())));
    if (state == scanPaused || state == scanUnconditionalPaused)
        scanState.store(scanIdle);
    post(RoutineId::refreshScanStatus);
}

void TRS::operationComplete() {
    if (adjusting) {
        adjusting = false;
        post(RoutineId::refreshScanStatus);
    } else if (calibrating) {
        calibrating = false;
        post(RoutineId::refreshScanStatus);
        if (calibrateThenScan.exchange(false))
            requestSet.add(startScan);
    } else {
        const int eo = effectiveOffset();
        int from = 0;
        int to = 0;
        switch (scanState.load()) {
        case scanScanning:
        case scanUnconditional:
            // A 0x03 before the arm has reached the segment's end does not end the sweep (see
            // sweepwatch.cpp): the apparatus is still busy as far as the thread knows.
            if (!atSegmentEnd())
                return;
            segmentFinished();
            break;
        case scanPaused:
            // The sweep had reached its end when the pause stopped it: the scan is complete.
            // Both positions are compared in effective form.
            recordView_.getRegion(scanRegion, from, to);
            if (armAngle.load() == to) {
                enqueue(zavo::cmdIdleGate);
                scanState.store(scanIdle);
                countMissingSteps(from, to);
                scanFinished();
            }
            break;
        case scanRepositioning:
            recordView_.getRegion(scanRegion, from, to);
            if (startAlignment()) {
                enqueueSweepPattern(to);
                scanState.store(scanScanning);
            } else {
                // The move ran with the fast gate; restore the idle one.
                enqueue(zavo::cmdIdleGate);
                scanState.store(scanIdle);
                scanInterrupted(
                    QStringLiteral("the start %1 deg lies beyond the arm range").arg(degrees(from)));
            }
            break;
        case scanMovingArm:
            enqueue(zavo::cmdIdleGate);
            scanState.store(scanIdle);
            break;
        case scanUnconditionalPaused:
            // Both positions in device form.
            if (armAngle.load() - eo == config.armMin) {
                enqueue(zavo::cmdIdleGate);
                scanState.store(scanMovingArm);
            }
            break;
        default:
            break;
        }
        post(RoutineId::refreshScanStatus);
    }
    deviceBusy = false;
    windingDown_ = false;
    stopOrdered_ = false;
}

void TRS::scanStep(double rate) {
    countRate = rate;
    rateText = zavo::rateText(rate);
    const int state = scanState.load();
    sweepHeard();
    if (state == scanScanning || state == scanUnconditional || windingDown_) {
        hvOffDeadline = clock_.nowMs() + kHvOffIntervalMs;
        const int eo = effectiveOffset();
        const int start = scanStart.load();
        const int t = armAngle.load() - (start + eo);
        if (t >= 0 && t <= config.armMax - config.armMin) {
            const bool wasModified = liveRecord->modified.load();
            liveRecord->SetPoint(t, countRate);
            if (!wasModified)
                post(RoutineId::updateRecordControls);
            const int x = t + start + 2 * eo - recordView_.viewFirstCell;
            if (plotDirtyFrom == -1)
                plotDirtyFrom = x;
            plotDirtyTo = x;
            if (dirtyCellFirst_ > dirtyCellLast_) {
                dirtyCellFirst_ = t;
                dirtyCellLast_ = t;
            } else {
                dirtyCellFirst_ = std::min(dirtyCellFirst_, t);
                dirtyCellLast_ = std::max(dirtyCellLast_, t);
            }
        }
    }
    displayDirty = true;
}

// The apparatus halted on its own. A scan that was to follow a calibration is forgotten with the
// calibration: left waiting, it would start with the next calibration the user asks for.
void TRS::haltNotice() {
    enqueue(zavo::cmdStop);
    calibrating = false;
    const int state = scanState.load();
    if (state >= scanScanning && state <= scanUnconditional)
        scanInterrupted(QStringLiteral("the apparatus halted at %1 deg").arg(degrees(armAngle.load())));
    // Rates already on their way still belong to the scan, until the stop's 0x03.
    windingDown_ = windingDown_ || sweeping();
    calibrateThenScan.store(false);
    enqueue(zavo::cmdIdleGate);
    scanState.store(scanIdle);
    post(RoutineId::refreshScanStatus);
}

} // namespace engine
