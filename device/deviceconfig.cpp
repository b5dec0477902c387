#include "deviceconfig.h"

#include <algorithm>

namespace zavo {

namespace {

// Little-endian field access over the 64-byte form.
class LeReader {
public:
    explicit LeReader(std::span<const std::uint8_t, DeviceConfig::size> b) : b_(b) {}
    std::uint8_t u8(std::size_t at) const { return b_[at]; }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(b_[at] | (b_[at + 1] << 8)); }
    std::int16_t i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::int32_t i32(std::size_t at) const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(u16(at)) |
                                         (static_cast<std::uint32_t>(u16(at + 2)) << 16));
    }
    template <std::size_t N>
    std::array<std::uint8_t, N> bytes(std::size_t at) const {
        std::array<std::uint8_t, N> out{};
        std::copy_n(b_.begin() + static_cast<std::ptrdiff_t>(at), N, out.begin());
        return out;
    }

private:
    std::span<const std::uint8_t, DeviceConfig::size> b_;
};

class LeWriter {
public:
    explicit LeWriter(DeviceConfig::Bytes& b) : b_(b) {}
    void u8(std::size_t at, std::uint8_t v) { b_[at] = v; }
    void u16(std::size_t at, std::uint16_t v) {
        b_[at] = static_cast<std::uint8_t>(v & 0xFF);
        b_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void i16(std::size_t at, std::int16_t v) { u16(at, static_cast<std::uint16_t>(v)); }
    void i32(std::size_t at, std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        u16(at, static_cast<std::uint16_t>(u & 0xFFFF));
        u16(at + 2, static_cast<std::uint16_t>(u >> 16));
    }
    template <std::size_t N>
    void bytes(std::size_t at, const std::array<std::uint8_t, N>& v) {
        std::copy(v.begin(), v.end(), b_.begin() + static_cast<std::ptrdiff_t>(at));
    }

private:
    DeviceConfig::Bytes& b_;
};

constexpr std::size_t leadingWordBytes = 10; // offset, armPosition, armPositionCopy, armMin, armMax

} // namespace

DeviceConfig DeviceConfig::fromBlock(std::span<const std::uint8_t, size> bytes) {
    const LeReader r(bytes);
    DeviceConfig c;
    c.offset = r.i16(0);
    c.armPosition = r.i16(2);
    c.armPositionCopy = r.i16(4);
    c.armMin = r.u16(6);
    c.armMax = r.u16(8);
    c.countingTime = r.u16(10);
    c.angularStep = r.u16(12);
    c.hvSetting = r.u8(14);
    c.roiCount = r.u8(15);
    for (std::size_t i = 0; i < c.roiRanges.size(); ++i) {
        c.roiRanges[i].start = r.i16(16 + 4 * i);
        c.roiRanges[i].end = r.i16(18 + 4 * i);
    }
    c.filterThickness = r.bytes<6>(36);
    c.rangeMode = r.u8(42);
    c.radiatorSelection = r.u8(43);
    c.filterSelection = r.u8(44);
    c.detectorPosition = r.u8(45);
    c.scalarCountTime = r.i32(46);
    c.hvLimit = r.u8(50);
    c.hvLimitEnabled = r.u8(51);
    c.autoCoarseCalibration = r.u8(52);
    c.offsetEnabled = r.u8(53);
    c.marker = r.bytes<2>(54);
    c.reserved = r.bytes<8>(56);
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
    LeWriter w(b);
    w.i16(0, offset);
    w.i16(2, armPosition);
    w.i16(4, armPositionCopy);
    w.u16(6, armMin);
    w.u16(8, armMax);
    w.u16(10, countingTime);
    w.u16(12, angularStep);
    w.u8(14, hvSetting);
    w.u8(15, roiCount);
    for (std::size_t i = 0; i < roiRanges.size(); ++i) {
        w.i16(16 + 4 * i, roiRanges[i].start);
        w.i16(18 + 4 * i, roiRanges[i].end);
    }
    w.bytes(36, filterThickness);
    w.u8(42, rangeMode);
    w.u8(43, radiatorSelection);
    w.u8(44, filterSelection);
    w.u8(45, detectorPosition);
    w.i32(46, scalarCountTime);
    w.u8(50, hvLimit);
    w.u8(51, hvLimitEnabled);
    w.u8(52, autoCoarseCalibration);
    w.u8(53, offsetEnabled);
    w.bytes(54, marker);
    w.bytes(56, reserved);
    return b;
}

bool DeviceConfig::isValid() const {
    return marker[0] == 'W' && marker[1] == 'W' && offset >= -2400 && offset <= 2400 && armMin < armMax &&
           armMax <= 3600;
}

void DeviceConfig::applyInvalidBlockDefaults() {
    offset = 0;
    armPosition = armPositionCopy = 900;
    armMin = 300;
    armMax = 2400;
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
