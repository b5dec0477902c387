// The remaining-time estimate of a scan: 20 ms for every angle unit the arm travels without
// counting, plus the counting time for every measured step.
#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace engine {

struct EstimateInputs {
    int scanState = 0;
    int angularStep = 1;  // angle units per step (the configuration's)
    int countingTime = 0; // tenths of a second per step (the configuration's)
    int armAngle = 0;     // effective form
    int scanEnd = 0;      // device form
    int effectiveOffset = 0;
    // The segments still to scan (displayed angles), in order: for an unconditional scan they are
    // not used.
    std::vector<std::pair<int, int>> segments;
};

// Whole seconds.
std::int64_t estimateSeconds(const EstimateInputs& in);

// "N min." for one minute or more, else "<1 min.".
QString remainingTimeText(std::int64_t minutes);

// What the remaining-time read-out shows when the scan status changes: the estimate in the states
// that count towards an end (idle, unconditional scan and its pause), nothing during a move or a
// calibration; a scan, its pause, the repositioning and the alignment leave it as it is (the
// running scan refreshes it itself).
enum class RemainingShown { unchanged, cleared, estimate };
RemainingShown remainingShown(int scanState, bool adjusting, bool calibrating);

} // namespace engine
