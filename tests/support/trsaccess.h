// Tests only: the acquisition thread's request values, which nothing else can reach (the windows
// write them through the typed request calls alone), and its pending rebuild of the live record.
#pragma once

#include "engine/trs.h"

namespace engine {

struct TrsTestAccess {
    // The values as the worker would take them over now.
    struct Values {
        int countingTime;
        int scalarCountTime;
        int armPosition;
        int armMin;
        int armMax;
        int offset;
        int angularStep;
        int hv;
        int hvLimit;
        int hvLimitEnabled;
        double filterThickness;
        int rangeMode;
        int radiator;
        int filter;
        int detectorPosition;
        int autoCoarse;
        int offsetEnabled;
        int moveTarget;
        bool calibrateThenScan;
        bool rebuildPending;
    };

    static Values values(const TRS& t) {
        return {t.countingTimeRequest.load(),     t.scalarCountTimeRequest.load(),
                t.armPositionRequest.load(),      t.armMinRequest.load(),
                t.armMaxRequest.load(),           t.offsetRequest.load(),
                t.angularStepRequest.load(),      t.hvRequest.load(),
                t.hvLimitRequest.load(),          t.hvLimitEnabledRequest.load(),
                t.filterThicknessRequest.load(),  t.rangeModeRequest.load(),
                t.radiatorRequest.load(),         t.filterRequest.load(),
                t.detectorPositionRequest.load(), t.autoCoarseRequest.load(),
                t.offsetEnabledRequest.load(),    t.moveTarget.load(),
                t.calibrateThenScan.load(),       t.rebuildPending_.load()};
    }

    // Forgets a rebuild of the live record that no pass has taken over yet.
    static void forgetRebuild(TRS& t) { t.rebuildPending_.store(false); }
};

} // namespace engine
