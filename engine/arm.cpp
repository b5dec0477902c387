// Arm motion and calibration: moves, the coarse angle calibration, declaring the arm position,
// the physical arm range and the offset, and the region check that follows a change of the
// offset or of the arm's lower end.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/protocol.h"

#include <vector>

namespace engine {

void TRS::handleMoveArm() {
    if (deviceBusy)
        return; // waits until the apparatus is idle
    // `moveTarget` was written by the window that posted the request.
    enqueue(zavo::cmdFastGate);
    enqueue(zavo::cmdMoveTo);
    enqueue(zavo::cmdMoveRun);
    requestSet.remove(moveArm);
    scanState.store(scanMovingArm);
    post(RoutineId::refreshScanStatus);
}

void TRS::handleCoarseCalibration() {
    if (deviceBusy)
        return;
    enqueue(zavo::cmdCoarseCalibration);
    requestSet.remove(coarseCalibration);
    calibrating = true;
    post(RoutineId::refreshScanStatus);
}

void TRS::handleSetArmPosition() {
    // The apparatus's offset is zeroed before it is told where the arm stands.
    offsetRequest.store(0);
    enqueue(zavo::cmdSetOffset);
    enqueue(zavo::cmdSetArmPosition);
    requestSet.remove(setArmPosition);
}

void TRS::handleSetArmRange(int request) {
    offsetRequest.store(0);
    enqueue(zavo::cmdSetOffset);
    enqueue(request == setArmMin ? zavo::cmdSetArmMin : zavo::cmdSetArmMax);
    requestSet.remove(request);
}

void TRS::handleApplyOffset() {
    if (deviceBusy)
        return;
    enqueue(zavo::cmdSetOffset);
    requestSet.remove(applyOffset);
}

// Runs on the user-interface thread (it edits the live record). True when it asked for a new
// live record; a live record with unsaved measurements is never replaced here.
bool TRS::regionCheck() {
    const int armMin = config.armMin;
    int kept = 0;
    for (int i = 0; i < config.roiCount && i < 5; ++i) {
        const zavo::RoiRange range = config.roiRanges[static_cast<std::size_t>(i)];
        if (range.start >= armMin)
            config.roiRanges[static_cast<std::size_t>(kept++)] = range;
    }
    config.roiCount = static_cast<std::uint8_t>(kept);

    trecdata& record = *liveRecord;
    std::int32_t from = 0;
    std::int32_t to = 0;
    record.GetRegion(-1, from, to);
    if (from == armMin && to == config.armMax) {
        std::vector<trecdata::Region> collected;
        for (int r = 0; r < record.regionCount; ++r) {
            std::int32_t rFrom = 0;
            std::int32_t rTo = 0;
            if (record.GetRegion(r, rFrom, rTo) && rFrom >= armMin && rTo >= armMin)
                collected.push_back({static_cast<std::int16_t>(rFrom), static_cast<std::int16_t>(rTo)});
        }
        record.SelectRegion(0);
        while (record.regionCount > 0 && record.currentRegion >= 0)
            record.DeleteCurrentRegion();
        for (const trecdata::Region& region : collected)
            record.AddRegion(region.from, region.to);
        return false;
    }
    scanStart.store(config.armMin);
    scanEnd.store(config.armMax);
    // The plain rule asks for a new live record here, which would throw away a scan not yet saved
    // (an offset set with the offset switch on shifts the record's range, so it no longer matches).
    // Such a record is kept, as a reconnection keeps it; the next live record takes the new range
    // when the user discards this one through a path that asks first (Reset, a new scan, closing).
    if (record.modified.load())
        return false;
    rebuildLiveRecord();
    return true;
}

} // namespace engine
