// The acquisition thread's routines on the program's windows. Each runs on the user-interface
// thread while the thread waits (a synchronised call), so it may read and write the thread's
// fields and the windows freely. Windows that do not exist (yet, or any more) are skipped.
#pragma once

#include "engine/windowupdates.h"

class TForm1;

class FormUpdates : public engine::WindowUpdates {
public:
    explicit FormUpdates(TForm1& form) : form_(form) {}

    void refreshReadouts(engine::TRS& thread) override;
    void updateControlEnabling(engine::TRS& thread) override;
    void updateRecordControls(engine::TRS& thread) override;
    void refreshScanStatus(engine::TRS& thread) override;
    void refreshIdleEstimate(engine::TRS& thread) override;
    void showRemainingTime(engine::TRS& thread) override;
    void releaseLiveRecord(engine::TRS& thread) override;
    void replaceLiveRecord(engine::TRS& thread) override;
    void showLiveEntry(engine::TRS& thread) override;
    void refreshLiveEntry(engine::TRS& thread) override;
    void redrawLiveRecord(engine::TRS& thread) override;
    void mergePendingRequests(engine::TRS& thread) override;
    void refreshSettingControls(engine::TRS& thread) override;
    void showScalarResult(engine::TRS& thread) override;
    void abortDataWait(engine::TRS& thread) override;
    void releaseMoveButton(engine::TRS& thread) override;
    void showSettingsFailure(engine::TRS& thread) override;

private:
    // The setting controls: counting time, angular step and detector voltage of the main window,
    // the scalar-mode selections and the scalar-mode "SM" button.
    void enableRecordControls(const engine::TRS& thread);
    bool liveDisplayed(const engine::TRS& thread) const;

    TForm1& form_;
};
