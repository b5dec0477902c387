#include "fuzz/targets.h"

#include "records/recordfile.h"

namespace fuzz {

namespace {

// Queries the windows make of every loaded record; the sanitizers watch their arithmetic.
void queryGeometry(const trecdata& record) {
    for (std::int32_t region = -1; region < record.regionCount; ++region) {
        std::int32_t from = 0;
        std::int32_t to = 0;
        require(record.GetRegion(region, from, to), "a held region is not given");
        QString text;
        record.RegionText(region, text);
    }
    (void)record.ViewFirstCell();
    (void)record.ViewPhase();
    (void)record.ZoomXLimit();
    const std::int32_t last = record.LastCell();
    require(last < trecdata::kCellCount, "the last cell lies past the grid");
    for (const std::int32_t index : {0, last / 2, last}) {
        (void)record.ValueAtAngle(record.IndexToAngle(index));
    }
    (void)record.ValidCellCount();
}

} // namespace

int recordFile(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto record = records::parseRecordFile(bytes, &error);
    if (!record) {
        require(error == QLatin1String(records::kWrongFileFormat), "a refusal without its message");
        return 0;
    }
    queryGeometry(*record);
    const QByteArray saved = records::recordFileBytes(*record);
    const auto again = records::parseRecordFile(saved, &error);
    require(again != nullptr, "a saved record does not load");
    require(records::recordFileBytes(*again) == saved, "load, save and load again changes the file");
    require(again->comment == record->comment, "the comment changes on saving");
    require(again->offsetEnabled == record->offsetEnabled, "the offset switch changes on saving");
    return 0;
}

} // namespace fuzz
