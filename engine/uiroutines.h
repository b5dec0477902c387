// The routines the acquisition thread posts as synchronised calls (engine-internal).
#pragma once

#include "trs.h"

namespace engine {

enum class TRS::Routine {
    refreshReadouts,
    updateControlEnabling,
    updateRecordControls,
    refreshScanStatus,
    refreshIdleEstimate,
    showRemainingTime,
    replaceLiveRecord,
    showLiveEntry,
    refreshLiveEntry,
    redrawLiveRecord,
    mergePendingRequests,
    refreshSettingControls,
    showScalarResult,
    abortDataWait,
    releaseMoveButton,
};

} // namespace engine
