// The exported-points rule shared by the text and workbook exports.
#include "records/exportedpoints.h"

namespace records {

std::vector<ExportedPoint> exportedPoints(const trecdata& record) {
    // A step the apparatus never uses (0 or negative, from a damaged file) exports every valid cell.
    const std::int32_t step = record.angularStep > 0 ? record.angularStep : 1;
    std::vector<ExportedPoint> points;
    for (std::int32_t i = 0; i < trecdata::kCellCount; ++i) {
        const std::int32_t angle = record.IndexToAngle(i);
        if (angle % step != 0 || !record.IsValidAt(angle)) {
            continue;
        }
        // A cell may still be written while we read it; a reading of -1 means no data after all.
        const double rate = record.ValueAtAngle(angle);
        if (rate != -1.0) {
            points.push_back({angle / 20.0, rate, i});
        }
    }
    return points;
}

} // namespace records
