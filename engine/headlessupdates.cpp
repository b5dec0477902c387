#include "engine/headlessupdates.h"

#include "engine/trs.h"

#include <numeric>

namespace engine {

const char* routineName(RoutineId id) {
    static constexpr std::array<const char*, kRoutineCount> names = {
        "refreshReadouts",        "updateControlEnabling", "updateRecordControls", "refreshScanStatus",
        "refreshIdleEstimate",    "showRemainingTime",     "releaseLiveRecord",    "replaceLiveRecord",
        "showLiveEntry",          "refreshLiveEntry",      "redrawLiveRecord",     "mergePendingRequests",
        "refreshSettingControls", "showScalarResult",      "abortDataWait",        "releaseMoveButton",
        "showSettingsFailure"};
    return names[static_cast<std::size_t>(id)];
}

std::uint64_t HeadlessUpdates::total() const {
    return std::accumulate(counts_.begin(), counts_.end(), std::uint64_t{0});
}

void HeadlessUpdates::done(RoutineId id, TRS& thread) {
    ++counts_[static_cast<std::size_t>(id)];
    if (observer_)
        observer_(id, thread);
}

void HeadlessUpdates::refreshReadouts(TRS& t) {
    angleText_ = t.angleText;
    rateText_ = t.rateText;
    currentText_ = t.currentText;
    hvText_ = t.hvText;
    if (const PlotChange& change = t.plotChange(); change.newPoints)
        plottedCells_ += static_cast<std::uint64_t>(change.stripTo - change.stripFrom + 1);
    done(RoutineId::refreshReadouts, t);
}

void HeadlessUpdates::updateControlEnabling(TRS& t) {
    controlsEnabled_ = t.controlsEnabled.load();
    done(RoutineId::updateControlEnabling, t);
}

void HeadlessUpdates::updateRecordControls(TRS& t) {
    done(RoutineId::updateRecordControls, t);
}

void HeadlessUpdates::refreshScanStatus(TRS& t) {
    statusText_ = t.scanStatusText();
    lastScanState_ = t.scanState.load();
    switch (t.remainingShown()) {
    case RemainingShown::estimate:
        remainingText_ = t.remainingText;
        break;
    case RemainingShown::cleared:
        remainingText_.clear();
        break;
    case RemainingShown::unchanged:
        break;
    }
    done(RoutineId::refreshScanStatus, t);
}

void HeadlessUpdates::refreshIdleEstimate(TRS& t) {
    remainingText_ = t.remainingText;
    done(RoutineId::refreshIdleEstimate, t);
}

void HeadlessUpdates::showRemainingTime(TRS& t) {
    remainingText_ = t.remainingText;
    done(RoutineId::showRemainingTime, t);
}

void HeadlessUpdates::releaseLiveRecord(TRS& t) {
    done(RoutineId::releaseLiveRecord, t);
}

void HeadlessUpdates::replaceLiveRecord(TRS& t) {
    done(RoutineId::replaceLiveRecord, t);
}

void HeadlessUpdates::showLiveEntry(TRS& t) {
    liveEntryLabel_ = t.liveEntryLabel();
    done(RoutineId::showLiveEntry, t);
}

void HeadlessUpdates::refreshLiveEntry(TRS& t) {
    liveEntryLabel_ = t.liveEntryLabel();
    done(RoutineId::refreshLiveEntry, t);
}

void HeadlessUpdates::redrawLiveRecord(TRS& t) {
    done(RoutineId::redrawLiveRecord, t);
}

void HeadlessUpdates::mergePendingRequests(TRS& t) {
    done(RoutineId::mergePendingRequests, t);
}

void HeadlessUpdates::refreshSettingControls(TRS& t) {
    done(RoutineId::refreshSettingControls, t);
}

void HeadlessUpdates::showScalarResult(TRS& t) {
    done(RoutineId::showScalarResult, t);
}

void HeadlessUpdates::abortDataWait(TRS& t) {
    done(RoutineId::abortDataWait, t);
}

void HeadlessUpdates::releaseMoveButton(TRS& t) {
    done(RoutineId::releaseMoveButton, t);
}

void HeadlessUpdates::showSettingsFailure(TRS& t) {
    // Standard error has told it already (the settings file tells its first failure there).
    done(RoutineId::showSettingsFailure, t);
}

} // namespace engine
