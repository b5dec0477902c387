#include "engine/plotchange.h"

#include "records/trecdata.h"

#include <algorithm>

namespace engine {

int grownFullScaleIndex(const trecdata& record, int firstCell, int lastCell) {
    if (record.rangeMode != 0 || firstCell > lastCell)
        return -1;
    std::int32_t from = 0;
    std::int32_t to = 0;
    if (!record.GetRegion(record.currentRegion, from, to))
        record.GetRegion(-1, from, to);
    // The region's angles as cells of the record: counted from the record's first angle, so
    // neither the whole degree the view starts at nor the offset shifts them.
    const int first = std::max(firstCell, from - record.FirstAngle());
    const int last = std::min(lastCell, to - record.FirstAngle());
    double highest = -1;
    for (int i = first; i <= last; ++i) {
        const trecdata::Cell cell = record.ReadCell(i);
        if (cell.valid)
            highest = std::max(highest, cell.value);
    }
    if (highest < 0)
        return -1;
    const int index = records::fullScaleIndex(highest);
    return index > record.rangeIndex ? index : -1;
}

} // namespace engine
