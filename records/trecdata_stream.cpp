// The scan record in record-file form (everything after the 4-byte magic):
//
//   regionCount u8, startAngle i32, endAngle i32, angularStep i32, countingTime i32,
//   angleOffset i32, detectorHv real48, tubeCurrent real48, regionCount u8 (the copy that counts),
//   regionCount x {from i16, to i16}, currentRegion i32, 2600 cells x {real48, valid u8, 0 u8},
//   rangeMode u8, radiator u8, filter u8, detectorPosition u8, filterThickness real48,
//   L i32 (comment bytes + 1), comment (Windows-1252) + 0, offsetEnabled u8 (optional).
#include "records/trecdata.h"

#include "records/bytestream.h"
#include "records/cp1252.h"

#include <QIODevice>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr qsizetype kCellBytes = 8;
constexpr std::uint64_t kStoredCellMask = (std::uint64_t{1} << 56) - 1; // value and valid byte
constexpr std::uint64_t kValidByte = std::uint64_t{0xff} << 48;
constexpr std::uint64_t kValidBit = std::uint64_t{1} << 48;

// Angles further out than this (2500 turns of the arm) cannot come from a scan; refusing them keeps
// every geometry sum of a loaded record inside 32 bits.
constexpr std::int32_t kAngleLimit = 1'000'000;

bool plausibleAngle(std::int32_t angle) {
    return std::abs(angle) <= kAngleLimit;
}

std::unique_ptr<trecdata> refuse(QString* error) {
    if (error) {
        *error = QString::fromLatin1(records::kWrongFileFormat);
    }
    return nullptr;
}

} // namespace

QByteArray trecdata::Serialize() const {
    const std::uint8_t count = std::min<std::uint8_t>(regionCount, kMaxRegions);
    QByteArray commentBytes = records::toCp1252(comment);
    commentBytes.truncate(records::kMaxCommentBytes);

    QByteArray out;
    out.reserve(20857 + 4 * count + commentBytes.size() + 1);
    records::ByteWriter w(out);
    w.u8(count);
    w.i32(startAngle);
    w.i32(endAngle);
    w.i32(angularStep);
    w.i32(countingTime);
    w.i32(angleOffset);
    w.real48(detectorHv);
    w.real48(tubeCurrent);
    w.u8(count);
    for (int i = 0; i < count; ++i) {
        w.i16(regions[static_cast<std::size_t>(i)].from);
        w.i16(regions[static_cast<std::size_t>(i)].to);
    }
    w.i32(currentRegion);
    for (const auto& cell : cells_) {
        w.u64(cell.load(std::memory_order_acquire) & kStoredCellMask);
    }
    w.u8(rangeMode);
    w.u8(radiator);
    w.u8(filter);
    w.u8(detectorPosition);
    w.real48(filterThickness);
    w.i32(static_cast<std::int32_t>(commentBytes.size() + 1));
    w.bytes(commentBytes);
    w.u8(0);
    w.u8(offsetEnabled ? 1 : 0);
    return out;
}

bool trecdata::SaveToStream(QIODevice& stream) {
    return SaveSerialized([&stream](const QByteArray& bytes) { return stream.write(bytes) == bytes.size(); });
}

std::unique_ptr<trecdata> trecdata::Parse(QByteArrayView bytes, QString* error) {
    auto record = std::make_unique<trecdata>();
    records::ByteReader r(bytes);

    r.u8(); // first copy of the region count; the second one counts
    record->startAngle = r.i32();
    record->endAngle = r.i32();
    record->angularStep = r.i32();
    record->countingTime = r.i32();
    record->angleOffset = r.i32();
    record->detectorHv = r.real48();
    record->tubeCurrent = r.real48();
    const std::uint8_t count = r.u8();
    if (!r.ok() || count > kMaxRegions || !plausibleAngle(record->startAngle) ||
        !plausibleAngle(record->endAngle) || !plausibleAngle(record->angleOffset)) {
        return refuse(error);
    }
    record->regionCount = count;
    for (std::size_t i = 0; i < count; ++i) {
        record->regions[i].from = r.i16();
        record->regions[i].to = r.i16();
    }
    record->currentRegion = r.i32();
    const QByteArrayView cells = r.bytes(kCellCount * kCellBytes);
    const std::uint8_t rangeMode = r.u8();
    if (!r.ok()) {
        return refuse(error);
    }
    records::ByteReader cellReader(cells);
    for (auto& cell : record->cells_) {
        // Keep the stored value bytes as they are (so the file saves back unchanged) and read any
        // non-zero valid byte as "measured".
        std::uint64_t stored = cellReader.u64() & kStoredCellMask;
        if (stored & kValidByte) {
            stored = (stored & ~kValidByte) | kValidBit;
        }
        cell.store(stored, std::memory_order_relaxed);
    }
    // A current region the list does not hold would break every view query: show the whole record.
    if (record->currentRegion < -1 || record->currentRegion >= count) {
        record->currentRegion = -1;
    }
    record->SetRangeMode(rangeMode); // with offsetEnabled still clear, as the file's writer did

    record->radiator = r.u8();
    record->filter = r.u8();
    record->detectorPosition = r.u8();
    record->filterThickness = r.real48();
    const std::int32_t commentLength = r.i32();
    if (!r.ok() || commentLength <= 0 || commentLength > r.remaining() ||
        commentLength > records::kMaxCommentBytes + 1) {
        return refuse(error);
    }
    const QByteArrayView comment = r.bytes(commentLength);
    const qsizetype end = comment.indexOf('\0');
    record->comment = records::fromCp1252(end < 0 ? comment : comment.first(end));

    // Files written before the last field existed end here: their offset is applied.
    record->offsetEnabled = true;
    if (!r.atEnd()) {
        record->offsetEnabled = r.u8() != 0;
    }
    return record;
}

std::unique_ptr<trecdata> trecdata::LoadFromStream(QIODevice& stream, QString* error) {
    return Parse(stream.readAll(), error);
}
