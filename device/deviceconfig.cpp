#include "device/deviceconfig.h"

#include <algorithm>
#include <type_traits>

namespace zavo {

namespace {

// Every field with its byte offset in the 64-byte form, in one list for both directions.
template <typename Config, typename Visit>
void forEachField(Config& c, Visit&& visit) {
    visit(0, c.offset);
    visit(2, c.armPosition);
    visit(4, c.armPositionCopy);
    visit(6, c.armMin);
    visit(8, c.armMax);
    visit(10, c.countingTime);
    visit(12, c.angularStep);
    visit(14, c.hvSetting);
    visit(15, c.roiCount);
    for (std::size_t i = 0; i < c.roiRanges.size(); ++i) {
        visit(16 + 4 * i, c.roiRanges[i].start);
        visit(18 + 4 * i, c.roiRanges[i].end);
    }
    visit(36, c.filterThickness);
    visit(42, c.rangeMode);
    visit(43, c.radiatorSelection);
    visit(44, c.filterSelection);
    visit(45, c.detectorPosition);
    visit(46, c.scalarCountTime);
    visit(50, c.hvLimit);
    visit(51, c.hvLimitEnabled);
    visit(52, c.autoCoarseCalibration);
    visit(53, c.offsetEnabled);
    visit(54, c.marker);
    visit(56, c.reserved);
}

template <typename T>
struct IsByteArray : std::false_type {};
template <std::size_t N>
struct IsByteArray<std::array<std::uint8_t, N>> : std::true_type {};

// Integers are held low byte first; byte arrays as they are.
template <typename T>
void load(std::span<const std::uint8_t, DeviceConfig::size> b, std::size_t at, T& field) {
    if constexpr (IsByteArray<T>::value) {
        std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(at), field.size(), field.begin());
    } else {
        std::make_unsigned_t<T> u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u = static_cast<std::make_unsigned_t<T>>(
                u | (static_cast<std::make_unsigned_t<T>>(b[at + i]) << (8 * i)));
        field = static_cast<T>(u);
    }
}

template <typename T>
void store(DeviceConfig::Bytes& b, std::size_t at, const T& field) {
    if constexpr (IsByteArray<T>::value) {
        std::copy(field.begin(), field.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
        const auto u = static_cast<std::make_unsigned_t<T>>(field);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            b[at + i] = static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF);
    }
}

constexpr std::size_t leadingWordBytes = 10; // offset, armPosition, armPositionCopy, armMin, armMax

} // namespace

DeviceConfig DeviceConfig::fromBlock(std::span<const std::uint8_t, size> bytes) {
    DeviceConfig c;
    forEachField(c, [bytes](std::size_t at, auto& field) { load(bytes, at, field); });
    return c;
}

DeviceConfig DeviceConfig::fromReply(std::span<const std::uint8_t, size> bytes) {
    // The reply carries the five leading words high byte first; swap them into the held order.
    Bytes held;
    std::copy(bytes.begin(), bytes.end(), held.begin());
    for (std::size_t i = 0; i < leadingWordBytes; i += 2)
        std::swap(held[i], held[i + 1]);
    return fromBlock(held);
}

DeviceConfig::Bytes DeviceConfig::toBlock() const {
    Bytes b{};
    forEachField(*this, [&b](std::size_t at, const auto& field) { store(b, at, field); });
    return b;
}

bool DeviceConfig::isValid() const {
    return marker[0] == 'W' && marker[1] == 'W' && offsetInRange(offset) && armMin < armMax && armMax <= 3600;
}

void DeviceConfig::applyInvalidBlockDefaults() {
    offset = 0;
    armPosition = armPositionCopy = 900;
    armMin = 300;
    armMax = 2400;
}

void DeviceConfig::keepWithinLists() {
    const auto within = [](std::uint8_t& selection, int count) {
        if (selection >= count)
            selection = 0;
    };
    within(radiatorSelection, kRadiatorCount);
    within(filterSelection, kFilterCount);
    within(detectorPosition, kDetectorPositionCount);
    scalarCountTime = std::clamp(scalarCountTime, kMinScalarCountTime, kMaxScalarCountTime);
}

void DeviceConfig::applyResetDefaults() {
    offset = 0;
    countingTime = 20;
    angularStep = 1;
    hvSetting = 0;
    roiCount = 0;
    filterThickness.fill(0); // the 6-byte real zero
    rangeMode = radiatorSelection = filterSelection = detectorPosition = 0;
    scalarCountTime = 100;
    hvLimit = 130;
    hvLimitEnabled = 1;
    autoCoarseCalibration = 0;
    offsetEnabled = 1;
    marker = {'W', 'W'};
}

} // namespace zavo
