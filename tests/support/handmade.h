// Record files assembled byte by byte, the way another program following the same layout would
// write them, without the project's own writer.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace handmade {

using Real = std::array<std::uint8_t, 6>;

// 6-byte reals worked out by hand.
inline constexpr Real k0 = {0, 0, 0, 0, 0, 0};
inline constexpr Real k1_5 = {0x81, 0, 0, 0, 0, 0x40};
inline constexpr Real k3_25 = {0x82, 0, 0, 0, 0, 0x50};
inline constexpr Real k12_5 = {0x84, 0, 0, 0, 0, 0x48};
inline constexpr Real k20 = {0x85, 0, 0, 0, 0, 0x20};
inline constexpr Real k25 = {0x85, 0, 0, 0, 0, 0x48};
inline constexpr Real k50 = {0x86, 0, 0, 0, 0, 0x48};
inline constexpr Real k100 = {0x87, 0, 0, 0, 0, 0x48};
inline constexpr Real k123_5 = {0x87, 0, 0, 0, 0, 0x77};
inline constexpr Real k650 = {0x8A, 0, 0, 0, 0x80, 0x22};

struct Record {
    std::uint8_t firstRegionCount = 0xff; // 0xff: same as regions.size()
    std::int32_t startAngle = 200;
    std::int32_t endAngle = 400;
    std::int32_t angularStep = 2;
    std::int32_t countingTime = 15;
    std::int32_t angleOffset = 10;
    Real detectorHv = k650;
    Real tubeCurrent = k50;
    std::optional<std::uint8_t> regionCount; // unset: regions.size()
    std::vector<std::pair<std::int16_t, std::int16_t>> regions;
    std::int32_t currentRegion = -1;
    std::map<int, Real> cells; // valid cells by index
    std::uint8_t rangeMode = 0;
    std::uint8_t radiator = 7;
    std::uint8_t filter = 2;
    std::uint8_t detectorPosition = 3;
    Real filterThickness = k1_5;
    QByteArray comment = "hand made";
    std::optional<std::int32_t> commentLength;     // unset: comment bytes + 1
    std::optional<std::uint8_t> offsetEnabled = 1; // unset: the file ends after the comment
};

inline void put(QByteArray& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

inline void put(QByteArray& out, const Real& real) {
    for (const std::uint8_t byte : real) {
        out.append(static_cast<char>(byte));
    }
}

inline QByteArray file(const Record& r) {
    const auto count = static_cast<std::uint8_t>(r.regionCount.value_or(r.regions.size()));
    QByteArray out("ZAVO");
    put(out, r.firstRegionCount == 0xff ? count : r.firstRegionCount, 1);
    put(out, static_cast<std::uint32_t>(r.startAngle), 4);
    put(out, static_cast<std::uint32_t>(r.endAngle), 4);
    put(out, static_cast<std::uint32_t>(r.angularStep), 4);
    put(out, static_cast<std::uint32_t>(r.countingTime), 4);
    put(out, static_cast<std::uint32_t>(r.angleOffset), 4);
    put(out, r.detectorHv);
    put(out, r.tubeCurrent);
    put(out, count, 1);
    for (const auto& [from, to] : r.regions) {
        put(out, static_cast<std::uint16_t>(from), 2);
        put(out, static_cast<std::uint16_t>(to), 2);
    }
    put(out, static_cast<std::uint32_t>(r.currentRegion), 4);
    for (int i = 0; i < 2600; ++i) {
        const auto cell = r.cells.find(i);
        put(out, cell == r.cells.end() ? k0 : cell->second);
        put(out, cell == r.cells.end() ? 0 : 1, 1);
        put(out, 0, 1);
    }
    put(out, r.rangeMode, 1);
    put(out, r.radiator, 1);
    put(out, r.filter, 1);
    put(out, r.detectorPosition, 1);
    put(out, r.filterThickness);
    put(out,
        static_cast<std::uint32_t>(r.commentLength.value_or(static_cast<std::int32_t>(r.comment.size() + 1))),
        4);
    out.append(r.comment);
    out.append('\0');
    if (r.offsetEnabled) {
        put(out, *r.offsetEnabled, 1);
    }
    return out;
}

} // namespace handmade
