// What the points measured since the last read-out refresh change in the plot of the live record:
// the strip of the curve to draw, and the growth of the automatic full scale. The engine works
// both out once, before refreshReadouts runs, for every receiver of the routine.
#pragma once

#include <cstdint>

class trecdata;

namespace engine {

struct PlotChange {
    bool newPoints = false; // points were measured since the last refresh
    // Plot positions of the new points for the plot's drawCurveStrip (the changed-plot range less
    // the view's phase and the offset); valid when `newPoints`.
    int stripFrom = 0;
    int stripTo = 0;
    // The automatic full scale grew from the new points: the live record's `rangeIndex` already
    // holds the new index; a window shows it as a range change not made by the user.
    bool fullScaleRaised = false;
};

// The full-scale index the automatic range grows to when the record's cells `firstCell` ..
// `lastCell` have just been measured, or -1 when it does not grow. Only cells inside the shown
// region (the current region, else the whole record) count, every one of them up to the region's
// last angle; the range never shrinks.
int grownFullScaleIndex(const trecdata& record, int firstCell, int lastCell);

} // namespace engine
