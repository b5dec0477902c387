// The scan record: geometry, cells, regions of interest, view geometry and range.
#include "records/trecdata.h"

#include "records/real48.h"

#include <algorithm>
#include <cmath>

namespace records {

int fullScaleIndex(double highestRate) {
    for (int i = 0; i < 9; ++i) {
        if (highestRate <= kFullScale[static_cast<std::size_t>(i)]) {
            return i;
        }
    }
    return 9;
}

} // namespace records

namespace {

constexpr std::uint64_t kValueMask = (std::uint64_t{1} << 48) - 1;
constexpr std::uint64_t kValidBit = std::uint64_t{1} << 48;

struct Window {
    int below; // cells before the centre
    int above; // cells after the centre
};

// Cells filled by (and averaged over) one measurement of the given step around its centre cell.
// Step 10 covers 9 cells, so the cell half-way between two measurements stays empty.
Window fillWindow(std::int32_t angularStep) {
    switch (angularStep) {
    case 2:
        return {0, 1};
    case 4:
        return {1, 2};
    case 10:
        return {4, 4};
    default: // step 1, and the single centre cell for any step the apparatus never uses
        return {0, 0};
    }
}

std::int32_t floorToDegree(std::int32_t angle) {
    const std::int32_t q = angle / 20 - (angle % 20 < 0 ? 1 : 0);
    return q * 20;
}

std::int32_t ceilToDegree(std::int32_t angle) {
    return -floorToDegree(-angle);
}

bool onGrid(std::int64_t index) {
    return index >= 0 && index < trecdata::kCellCount;
}

} // namespace

trecdata::trecdata() : cells_{} {}

std::unique_ptr<trecdata> trecdata::Create(std::int32_t angularStep, std::int32_t startAngle,
                                           std::int32_t endAngle, std::int32_t angleOffset,
                                           std::int32_t countingTime) {
    auto record = std::make_unique<trecdata>();
    record->angularStep = angularStep;
    record->startAngle = startAngle;
    record->endAngle = endAngle;
    record->angleOffset = angleOffset;
    record->countingTime = countingTime;
    record->offsetEnabled = true;
    record->SetRangeMode(0);
    return record;
}

// ---- Geometry ----

std::int32_t trecdata::AngleToIndex(std::int32_t angle) const {
    if (angle < FirstAngle() || angle > LastAngle()) {
        return -1;
    }
    return angle - FirstAngle();
}

bool trecdata::IsValidAt(std::int32_t angle) const {
    const std::int32_t index = AngleToIndex(angle);
    return onGrid(index) && ReadCell(index).valid;
}

std::int32_t trecdata::LastCell() const {
    const std::int64_t last = std::int64_t{endAngle} - startAngle;
    return static_cast<std::int32_t>(std::min<std::int64_t>(last, kCellCount - 1));
}

// ---- Data ----

void trecdata::ClearCells() {
    for (auto& cell : cells_) {
        cell.store(0, std::memory_order_release);
    }
    regionCount = 0;
    currentRegion = -1; // the regions are gone, so only "All" remains to be shown
}

void trecdata::SetPoint(std::int32_t index, double value) {
    if (index < 0 || std::isnan(value)) {
        return;
    }
    const Window window = fillWindow(angularStep);
    const std::int64_t low = std::max<std::int64_t>(std::int64_t{index} - window.below, 0);
    const std::int64_t high = std::min<std::int64_t>(std::int64_t{index} + window.above, LastCell());
    if (low > high) {
        return; // past the record's last cell: nothing stored, nothing changed
    }
    const std::uint64_t cell = records::encodeReal48BitsSaturated(value) | kValidBit;
    for (std::int64_t i = low; i <= high; ++i) {
        cells_[static_cast<std::size_t>(i)].store(cell, std::memory_order_release);
    }
    // Set after the cells: a save that clears the flag before reading the cells either holds this
    // point or sees the flag set again (see SaveSerialized).
    modified = true;
}

trecdata::Cell trecdata::ReadCell(std::int32_t index) const {
    if (!onGrid(index)) {
        return {};
    }
    const std::uint64_t cell = cells_[static_cast<std::size_t>(index)].load(std::memory_order_acquire);
    return {records::decodeReal48Bits(cell & kValueMask), (cell & kValidBit) != 0};
}

double trecdata::CellValue(std::int32_t index) const {
    return onGrid(index) ? ReadCell(index).value : -1.0;
}

double trecdata::ValueAtAngle(std::int32_t angle) const {
    const std::int32_t centre = AngleToIndex(angle);
    if (!onGrid(centre)) {
        return -1.0;
    }
    // Read each cell once, so the centre counted in the mean is the one just checked.
    const Window window = fillWindow(angularStep);
    double sum = 0;
    int count = 0;
    bool centreValid = false;
    for (std::int32_t i = centre - window.below; i <= centre + window.above; ++i) {
        const Cell cell = ReadCell(i);
        if (cell.valid) {
            sum += cell.value;
            ++count;
            centreValid = centreValid || i == centre;
        }
    }
    return centreValid ? sum / count : -1.0;
}

int trecdata::ValidCellCount() const {
    return static_cast<int>(std::count_if(cells_.begin(), cells_.end(), [](const auto& cell) {
        return (cell.load(std::memory_order_acquire) & kValidBit) != 0;
    }));
}

// ---- Regions of interest ----

void trecdata::AddRegion(std::int16_t from, std::int16_t to) {
    if (regionCount >= kMaxRegions) {
        return;
    }
    regions[regionCount] = {from, to};
    ++regionCount;
}

void trecdata::DeleteCurrentRegion() {
    const int count = std::min<int>(regionCount, kMaxRegions);
    if (currentRegion < 0 || currentRegion >= count) {
        return;
    }
    std::copy(regions.begin() + currentRegion + 1, regions.begin() + count, regions.begin() + currentRegion);
    regions[static_cast<std::size_t>(count - 1)] = {};
    regionCount = static_cast<std::uint8_t>(count - 1);
    if (currentRegion == regionCount) {
        --currentRegion;
    }
}

void trecdata::SelectRegion(std::int32_t index) {
    const std::int32_t count = std::min<std::int32_t>(regionCount, kMaxRegions);
    currentRegion = std::max(index < count ? index : count - 1, -1);
}

void trecdata::ShowRegion(std::int32_t index) {
    SelectRegion(index);
    if (rangeMode == 0) {
        SetRangeMode(0);
    }
}

bool trecdata::GetRegion(std::int32_t index, std::int32_t& from, std::int32_t& to) const {
    if (index < -1 || index >= std::min<std::int32_t>(regionCount, kMaxRegions)) {
        return false;
    }
    if (index == -1) {
        from = FirstAngle();
        to = LastAngle();
    } else {
        from = regions[static_cast<std::size_t>(index)].from;
        to = regions[static_cast<std::size_t>(index)].to;
    }
    return true;
}

bool trecdata::RegionText(std::int32_t index, QString& text) const {
    std::int32_t from = 0;
    std::int32_t to = 0;
    if (!GetRegion(index, from, to)) {
        text.clear();
        return false;
    }
    text = QString::asprintf("%0.2f deg to %0.2f deg", from / 20.0, to / 20.0);
    return true;
}

void trecdata::CopyRegions(std::uint8_t& count, std::array<Region, kMaxRegions>& entries) const {
    count = std::min<std::uint8_t>(regionCount, kMaxRegions);
    entries = regions;
}

// ---- View geometry ----

namespace {

// The current region, or the whole record should `currentRegion` not name a region.
void shownRange(const trecdata& record, std::int32_t& from, std::int32_t& to) {
    if (!record.GetRegion(record.currentRegion, from, to)) {
        record.GetRegion(-1, from, to);
    }
}

} // namespace

std::int32_t trecdata::ViewFirstCell() const {
    std::int32_t from = 0;
    std::int32_t to = 0;
    shownRange(*this, from, to);
    return floorToDegree(from);
}

std::int32_t trecdata::ViewPhase() const {
    std::int32_t from = 0;
    std::int32_t to = 0;
    shownRange(*this, from, to);
    return from - floorToDegree(from);
}

std::int32_t trecdata::ViewSpan() const {
    std::int32_t from = 0;
    std::int32_t to = 0;
    shownRange(*this, from, to);
    return ceilToDegree(to) - floorToDegree(from) + 1;
}

std::int32_t trecdata::ZoomXLimit() const {
    return ZoomXLimitForSpan(ViewSpan());
}

std::int32_t trecdata::ZoomXLimitForSpan(std::int32_t span) {
    if (span >= 1200) {
        return 2;
    }
    return span > 600 ? 1 : 0;
}

// ---- Settings ----

void trecdata::SetRangeMode(std::uint8_t mode) {
    rangeMode = mode;
    if (mode != 0) {
        // Modes past the table (only a damaged file holds them) select the largest full scale
        // rather than an index the table does not have.
        rangeIndex = static_cast<std::uint8_t>(std::min<int>(mode - 1, records::kFullScale.size() - 1));
        return;
    }
    std::int32_t from = 0;
    std::int32_t to = 0;
    shownRange(*this, from, to);
    // Only angles on the grid can hold data.
    const std::int64_t first = std::max<std::int64_t>(from, FirstAngle());
    const std::int64_t last = std::min<std::int64_t>(to, std::int64_t{FirstAngle()} + kCellCount - 1);
    double highest = -1;
    for (std::int64_t angle = first; angle <= last; ++angle) {
        highest = std::max(highest, ValueAtAngle(static_cast<std::int32_t>(angle)));
    }
    rangeIndex = static_cast<std::uint8_t>(records::fullScaleIndex(highest));
}

void trecdata::SetComment(const QString& text) {
    comment = text;
    modified = true;
}
