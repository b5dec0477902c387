#include "engine/estimate.h"

namespace engine {

std::int64_t estimateSeconds(const EstimateInputs& in) {
    const std::int64_t step = in.angularStep > 0 ? in.angularStep : 1;
    const std::int64_t p = in.armAngle;
    std::int64_t travel = 0;
    std::int64_t measured = 0;
    if (in.scanState == 4 || in.scanState == 6) {
        const std::int64_t e = std::int64_t{in.scanEnd} + in.effectiveOffset;
        measured = e / step - p / step;
        travel = e - p;
    } else {
        for (auto [from64, to64] : in.segments) {
            std::int64_t from = from64;
            const std::int64_t to = to64;
            if (in.scanState != 0) {
                // Outside idle only what lies beyond the arm remains.
                if (to < p)
                    continue;
                if (from < p)
                    from = p;
            }
            travel += to - from;
            measured += to / step - from / step;
        }
    }
    const std::int64_t ms = (travel - measured) * 20 + measured * in.countingTime * 100;
    return ms / 1000;
}

QString remainingTimeText(std::int64_t minutes) {
    return minutes >= 1 ? QString::number(minutes) + QStringLiteral(" min.") : QStringLiteral("<1 min.");
}

RemainingShown remainingShown(int scanState, bool adjusting, bool calibrating) {
    if (adjusting)
        return RemainingShown::unchanged;
    if (calibrating)
        return RemainingShown::cleared;
    switch (scanState) {
    case 0: // idle
    case 4: // unconditional scan
    case 6: // its pause
        return RemainingShown::estimate;
    case 5: // moving the arm
        return RemainingShown::cleared;
    default:
        return RemainingShown::unchanged;
    }
}

} // namespace engine
