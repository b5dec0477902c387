// The routines through which the acquisition thread changes the windows.
//
// The thread runs each of them as a synchronised call: on the user-interface thread, while the
// worker waits, so a routine may read and write the thread's fields freely (see trs.h). The
// engine's own bookkeeping happens around the call:
// - refreshScanStatus, refreshIdleEstimate: the remaining-time estimate (`remainingMinutes`,
//   `scanEndTime`, `remainingText`) is computed first, in the states that use it;
// - replaceLiveRecord: releaseLiveRecord() runs first (stop showing the old record, which is
//   freed right after); then the new live record is created from the configuration, with its
//   regions, and replaceLiveRecord() shows it;
// - refreshLiveEntry, redrawLiveRecord: the change of the live record's field that caused the call
//   is already made;
// - mergePendingRequests: the pending requests have already joined `requestSet`;
// - refreshSettingControls: afterwards the four read-out texts are cleared.
// - refreshReadouts: the engine has worked out what the new points change in the plot
//   (TRS::plotChange(): the strip to draw, the automatic full scale already grown); afterwards it
//   forgets the changed-plot range (`plotDirtyFrom` := -1). It is posted while `displayDirty` is
//   set; the loop clears `displayDirty` after the call;
// - refreshScanStatus: TRS::remainingShown() tells what the remaining-time read-out shows.
// Every routine runs on the user-interface thread; Debug builds assert it.
#pragma once

namespace engine {

class TRS;

// The routines by name, for whoever needs to tell them apart (the thread's dispatch, observers).
enum class RoutineId {
    refreshReadouts,
    updateControlEnabling,
    updateRecordControls,
    refreshScanStatus,
    refreshIdleEstimate,
    showRemainingTime,
    releaseLiveRecord,
    replaceLiveRecord,
    showLiveEntry,
    refreshLiveEntry,
    redrawLiveRecord,
    mergePendingRequests,
    refreshSettingControls,
    showScalarResult,
    abortDataWait,
    releaseMoveButton,
    showSettingsFailure,
};
inline constexpr int kRoutineCount = 17;

const char* routineName(RoutineId id);

class WindowUpdates {
public:
    virtual ~WindowUpdates() = default;

    virtual void refreshReadouts(TRS& thread) = 0;
    virtual void updateControlEnabling(TRS& thread) = 0;
    virtual void updateRecordControls(TRS& thread) = 0;
    virtual void refreshScanStatus(TRS& thread) = 0;
    virtual void refreshIdleEstimate(TRS& thread) = 0;
    virtual void showRemainingTime(TRS& thread) = 0;
    virtual void releaseLiveRecord(TRS& thread) = 0;
    virtual void replaceLiveRecord(TRS& thread) = 0;
    virtual void showLiveEntry(TRS& thread) = 0;
    virtual void refreshLiveEntry(TRS& thread) = 0;
    virtual void redrawLiveRecord(TRS& thread) = 0;
    virtual void mergePendingRequests(TRS& thread) = 0;
    virtual void refreshSettingControls(TRS& thread) = 0;
    virtual void showScalarResult(TRS& thread) = 0;
    virtual void abortDataWait(TRS& thread) = 0;
    virtual void releaseMoveButton(TRS& thread) = 0;
    // The settings file could not be written (TRS::settingsFailure says why); posted once for
    // each new failure.
    virtual void showSettingsFailure(TRS& thread) = 0;
};

} // namespace engine
