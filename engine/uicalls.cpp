// Synchronised calls: the engine's part of each routine and the helpers the windows use inside
// them. Everything here runs on the user-interface thread while the worker waits.
#include "engine/estimate.h"
#include "engine/trs.h"
#include "engine/windowupdates.h"

#include "records/fileflows.h"
#include "records/real48.h"

#include <QtGlobal>

#include <algorithm>

namespace engine {

// Windows may only be touched on the user-interface thread; a routine run anywhere else is a
// fault of whoever set up the executor (Debug and sanitizer builds stop on it).
void TRS::assertOnUiThread() const {
    Q_ASSERT_X(executor_.onUiThread(), "engine::TRS", "window routine outside the user-interface thread");
}

bool TRS::post(RoutineId routine, const RecordEdit& edit) {
    return executor_.call([&] {
        if (edit && liveRecord)
            edit(*liveRecord);
        runRoutine(routine);
        refreshRecordView();
    });
}

bool TRS::onUi(const std::function<void()>& work) {
    return executor_.call([&] {
        assertOnUiThread();
        work();
        refreshRecordView();
    });
}

void TRS::runRoutine(RoutineId routine) {
    assertOnUiThread();
    switch (routine) {
    case RoutineId::refreshReadouts:
        preparePlotChange();
        windows_.refreshReadouts(*this);
        forgetPlotChange();
        break;
    case RoutineId::updateControlEnabling:
        windows_.updateControlEnabling(*this);
        break;
    case RoutineId::updateRecordControls:
        windows_.updateRecordControls(*this);
        break;
    case RoutineId::refreshScanStatus: {
        const int state = scanState.load();
        if (state != scanRepositioning && state != scanMovingArm)
            computeEstimate();
        windows_.refreshScanStatus(*this);
        break;
    }
    case RoutineId::refreshIdleEstimate:
        computeEstimate();
        windows_.refreshIdleEstimate(*this);
        break;
    case RoutineId::showRemainingTime:
        windows_.showRemainingTime(*this);
        break;
    case RoutineId::releaseLiveRecord:
        windows_.releaseLiveRecord(*this);
        break;
    case RoutineId::replaceLiveRecord:
        replaceLiveRecordNow();
        break;
    case RoutineId::showLiveEntry:
        windows_.showLiveEntry(*this);
        break;
    case RoutineId::refreshLiveEntry:
        windows_.refreshLiveEntry(*this);
        break;
    case RoutineId::redrawLiveRecord:
        windows_.redrawLiveRecord(*this);
        break;
    case RoutineId::mergePendingRequests:
        requestSet |= pendingRequests.take();
        windows_.mergePendingRequests(*this);
        break;
    case RoutineId::refreshSettingControls:
        windows_.refreshSettingControls(*this);
        angleText.clear();
        rateText.clear();
        currentText.clear();
        hvText.clear();
        break;
    case RoutineId::showScalarResult:
        windows_.showScalarResult(*this);
        break;
    case RoutineId::abortDataWait:
        windows_.abortDataWait(*this);
        break;
    case RoutineId::releaseMoveButton:
        windows_.releaseMoveButton(*this);
        break;
    case RoutineId::showSettingsFailure:
        windows_.showSettingsFailure(*this);
        break;
    }
}

void TRS::replaceLiveRecordNow() {
    windows_.releaseLiveRecord(*this);
    forgetPlotChange(); // the cells measured belong to the record that goes
    applyPendingRegions();
    auto record = trecdata::Create(config.angularStep, scanStart.load(), scanEnd.load(), config.offset,
                                   config.countingTime);
    record->offsetEnabled = config.offsetEnabled != 0;
    record->SetDetectorHv(config.hvSetting);
    // The current last reported; later changes follow with the apparatus's 'I' replies.
    record->tubeCurrent = tubeCurrent;
    record->radiator = config.radiatorSelection;
    record->filter = config.filterSelection;
    record->detectorPosition = config.detectorPosition;
    record->filterThickness = records::decodeReal48(config.filterThickness);
    config.roiCount = std::min<std::uint8_t>(config.roiCount, 5);
    for (int i = 0; i < config.roiCount; ++i)
        record->AddRegion(config.roiRanges[static_cast<std::size_t>(i)].start,
                          config.roiRanges[static_cast<std::size_t>(i)].end);
    record->SetRangeMode(config.rangeMode);
    liveRecord = std::move(record);
    windows_.replaceLiveRecord(*this);
}

bool TRS::RecordView::getRegion(int index, int& from, int& to) const {
    if (index < -1 || index >= regionCount)
        return false;
    if (index == -1) {
        from = firstAngle;
        to = lastAngle;
    } else {
        from = regions[static_cast<std::size_t>(index)].from;
        to = regions[static_cast<std::size_t>(index)].to;
    }
    return true;
}

void TRS::refreshRecordView() {
    if (!liveRecord)
        return;
    const trecdata& r = *liveRecord;
    recordView_.regionCount = r.regionCount;
    recordView_.regions = r.regions;
    recordView_.firstAngle = r.FirstAngle();
    recordView_.lastAngle = r.LastAngle();
    recordView_.viewFirstCell = r.ViewFirstCell();
    recordView_.countingTime = r.countingTime;
    recordView_.tubeCurrent = r.tubeCurrent;
}

void TRS::computeEstimate() {
    EstimateInputs in;
    in.scanState = scanState.load();
    in.angularStep = config.angularStep;
    in.countingTime = config.countingTime;
    in.armAngle = armAngle.load();
    in.scanEnd = scanEnd.load();
    in.effectiveOffset = effectiveOffset();
    const int regionCount = liveRecord ? liveRecord->regionCount : 0;
    // Idle: the next scan starts where startScan starts it (the first region, or the whole
    // record), not at the region the last scan ended with.
    const int first = in.scanState == scanIdle ? (regionCount > 0 ? 0 : -1) : scanRegion;
    for (int i = first; liveRecord && i <= regionCount - 1; ++i) {
        std::int32_t from = 0;
        std::int32_t to = 0;
        if (liveRecord->GetRegion(i, from, to))
            in.segments.emplace_back(from, to);
    }
    const std::int64_t seconds = estimateSeconds(in);
    remainingMinutes = static_cast<int>(seconds / 60);
    scanEndTime = clock_.nowMs() + seconds * 1000;
    remainingText = remainingTimeText(remainingMinutes);
}

QString TRS::scanStatusText() const {
    if (!connected.load() && !accessProblem.isEmpty())
        return accessProblem;
    // A scan cut off by a lost link keeps its state until the apparatus answers again; it must
    // not look as if it went on.
    const int state = scanState.load();
    if (!linkReady.load() && state >= scanScanning && state <= scanUnconditional &&
        scanEnding.load() == scanEndingIncomplete)
        return QStringLiteral("Scan incomplete: ") + scanEndingText;
    if (adjusting)
        return QStringLiteral("Adjusting");
    if (calibrating)
        return QStringLiteral("Coarse angle calibration");
    QString region;
    if (liveRecord)
        liveRecord->RegionText(scanRegion, region);
    switch (scanState.load()) {
    case scanIdle:
        if (!liveRecord || !liveRecord->modified.load())
            return QStringLiteral("Idle");
        if (scanEnding.load() == scanEndingIncomplete)
            return QStringLiteral("Scan incomplete: ") + scanEndingText;
        return QStringLiteral("Idle (press reset to enable changes)");
    case scanScanning:
        return QStringLiteral("Scanning ") + region;
    case scanPaused:
        return QStringLiteral("Scan paused ") + region;
    case scanRepositioning: {
        std::int32_t from = 0;
        std::int32_t to = 0;
        if (liveRecord)
            liveRecord->GetRegion(scanRegion, from, to);
        return QString::asprintf("Repositioning to %.2f deg", from / 20.0);
    }
    case scanUnconditional:
        return QStringLiteral("Unconditional scannig");
    case scanMovingArm:
        return QStringLiteral("Moving arm");
    case scanUnconditionalPaused:
        return QStringLiteral("Pause unconditional scan");
    default:
        return {};
    }
}

QString TRS::liveEntryLabel() const {
    const int step = liveRecord ? liveRecord->angularStep : 1;
    const int time = liveRecord ? liveRecord->countingTime : 0;
    // A step the list does not offer still shows its angle, so the live entry is never blank.
    QString stepText = records::stepText(step);
    if (stepText.isEmpty())
        stepText = QString::number(step * 0.05);
    return QStringLiteral("Live at ") + stepText + QString::asprintf("/%.1f ", time / 10.0) +
           QStringLiteral(" [deg/sec]");
}

RemainingShown TRS::remainingShown() const {
    return engine::remainingShown(scanState.load(), adjusting, calibrating);
}

// The strip to draw and the growth of the automatic full scale, from the cells measured since the
// last refresh. The full scale grows whether or not a window shows the live record, so it is the
// same for every receiver and holds when the record is shown again.
void TRS::preparePlotChange() {
    plotChange_ = {};
    if (plotDirtyFrom == -1 || !liveRecord)
        return;
    trecdata& live = *liveRecord;
    plotChange_.newPoints = true;
    const int shift = live.ViewPhase() + effectiveOffset();
    plotChange_.stripFrom = plotDirtyFrom - shift;
    plotChange_.stripTo = plotDirtyTo - shift;
    const int grown = grownFullScaleIndex(live, dirtyCellFirst_, dirtyCellLast_);
    if (grown >= 0) {
        live.rangeIndex = static_cast<std::uint8_t>(grown);
        plotChange_.fullScaleRaised = true;
    }
}

// After the refresh the changed-plot range starts afresh.
void TRS::forgetPlotChange() {
    plotDirtyFrom = -1;
    dirtyCellFirst_ = 0;
    dirtyCellLast_ = -1;
    plotChange_ = {};
}

} // namespace engine
