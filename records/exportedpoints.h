// Which points of a scan its exports hold: the text file and the workbook list the same points.
#pragma once

#include "records/trecdata.h"

#include <cstdint>
#include <vector>

namespace records {

struct ExportedPoint {
    double degrees;    // displayed angle, applied offset included
    double rate;       // counting rate averaged over the step's fill window, cps
    std::int32_t cell; // the cell index the point comes from, 0..2599
};

// The points a scan exports, in ascending cell order: every valid cell whose displayed angle is a
// multiple of the angular step. A scan at step 10 thus gives one point per 0.5 degree.
std::vector<ExportedPoint> exportedPoints(const trecdata& record);

} // namespace records
