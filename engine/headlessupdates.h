// A window-less receiver of the acquisition thread's routines, for the command line, tests and
// benchmarks: it counts every routine, keeps what a window would show (status line, remaining
// time, read-outs) and hands each call to an optional observer.
#pragma once

#include "engine/windowupdates.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace engine {

class HeadlessUpdates : public WindowUpdates {
public:
    using Observer = std::function<void(RoutineId, TRS&)>;

    // Called after each routine has done its work, on the user-interface thread.
    void setObserver(Observer observer) { observer_ = std::move(observer); }

    std::uint64_t count(RoutineId id) const { return counts_[static_cast<std::size_t>(id)]; }
    std::uint64_t total() const;

    // What a main window would show.
    const QString& statusText() const { return statusText_; }
    const QString& remainingText() const { return remainingText_; }
    const QString& rateText() const { return rateText_; }
    const QString& angleText() const { return angleText_; }
    const QString& hvText() const { return hvText_; }
    const QString& currentText() const { return currentText_; }
    const QString& liveEntryLabel() const { return liveEntryLabel_; }
    bool controlsEnabled() const { return controlsEnabled_; }
    int lastScanState() const { return lastScanState_; }
    // Measured cells the plot would have drawn.
    std::uint64_t plottedCells() const { return plottedCells_; }

    void refreshReadouts(TRS& thread) override;
    void updateControlEnabling(TRS& thread) override;
    void updateRecordControls(TRS& thread) override;
    void refreshScanStatus(TRS& thread) override;
    void refreshIdleEstimate(TRS& thread) override;
    void showRemainingTime(TRS& thread) override;
    void releaseLiveRecord(TRS& thread) override;
    void replaceLiveRecord(TRS& thread) override;
    void showLiveEntry(TRS& thread) override;
    void refreshLiveEntry(TRS& thread) override;
    void redrawLiveRecord(TRS& thread) override;
    void mergePendingRequests(TRS& thread) override;
    void refreshSettingControls(TRS& thread) override;
    void showScalarResult(TRS& thread) override;
    void abortDataWait(TRS& thread) override;
    void releaseMoveButton(TRS& thread) override;
    void showSettingsFailure(TRS& thread) override;

private:
    void done(RoutineId id, TRS& thread);

    std::array<std::uint64_t, kRoutineCount> counts_{};
    Observer observer_;
    QString statusText_;
    QString remainingText_;
    QString rateText_;
    QString angleText_;
    QString hvText_;
    QString currentText_;
    QString liveEntryLabel_;
    bool controlsEnabled_ = false;
    int lastScanState_ = 0;
    std::uint64_t plottedCells_ = 0;
};

} // namespace engine
