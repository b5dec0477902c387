// The apparatus's 64-byte configuration block: layout, the two byte orders, validation and defaults.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zavo {

struct RoiRange {
    std::int16_t start = 0; // arm steps
    std::int16_t end = 0;
    bool operator==(const RoiRange&) const = default;
};

// The block as the system holds it. Byte offsets are those of the 64-byte form.
struct DeviceConfig {
    static constexpr std::size_t size = 64;
    using Bytes = std::array<std::uint8_t, size>;

    std::int16_t offset = 0;                       // 0-1   arm steps, valid -2400..2400
    std::int16_t armPosition = 0;                  // 2-3
    std::int16_t armPositionCopy = 0;              // 4-5
    std::uint16_t armMin = 0;                      // 6-7   steps
    std::uint16_t armMax = 0;                      // 8-9   steps, at most 3600
    std::uint16_t countingTime = 0;                // 10-11 tenths of a second per scan step
    std::uint16_t angularStep = 0;                 // 12-13 1, 2, 4 or 10
    std::uint8_t hvSetting = 0;                    // 14    5 V units
    std::uint8_t roiCount = 0;                     // 15    0..5
    std::array<RoiRange, 5> roiRanges{};           // 16-35
    std::array<std::uint8_t, 6> filterThickness{}; // 36-41 6-byte real (mm), kept as its raw bytes
    std::uint8_t rangeMode = 0;                    // 42
    std::uint8_t radiatorSelection = 0;            // 43
    std::uint8_t filterSelection = 0;              // 44
    std::uint8_t detectorPosition = 0;             // 45
    std::int32_t scalarCountTime = 0;              // 46-49 hundredths of a second
    std::uint8_t hvLimit = 0;                      // 50    5 V units
    std::uint8_t hvLimitEnabled = 0;               // 51    0/1
    std::uint8_t autoCoarseCalibration = 0;        // 52  0/1
    std::uint8_t offsetEnabled = 0;                // 53    0/1
    std::array<std::uint8_t, 2> marker{};          // 54-55 'W','W' when valid
    std::array<std::uint8_t, 8> reserved{};        // 56-63 carried through unchanged

    bool operator==(const DeviceConfig&) const = default;

    // The block of an 'x' reply: bytes 0..9 are five 16-bit words high byte first, the rest is taken
    // as held (little-endian fields).
    static DeviceConfig fromReply(std::span<const std::uint8_t, size> bytes);
    // The block as held, every field low byte first; this is what 'X' writes to the apparatus.
    Bytes toBlock() const;
    // The inverse of toBlock.
    static DeviceConfig fromBlock(std::span<const std::uint8_t, size> bytes);

    // The offsets a valid block holds: -kMaxOffset..kMaxOffset arm steps.
    static constexpr int kMaxOffset = 2400;
    static constexpr bool offsetInRange(int offset) { return offset >= -kMaxOffset && offset <= kMaxOffset; }

    // marker 'W','W', offset in -2400..2400, armMin < armMax, armMax <= 3600.
    bool isValid() const;

    // Device-facing values set when an invalid block is received: offset 0, armPosition and
    // armPositionCopy 900, armMin 300, armMax 2400. Other fields are left alone.
    void applyInvalidBlockDefaults();

    // The configuration reset (queue code cmdResetConfig): offset 0, countingTime 20, angularStep 1,
    // hvSetting 0, roiCount 0, filterThickness 0, the four selections 0, scalarCountTime 100,
    // hvLimit 130, hvLimitEnabled 1, autoCoarseCalibration 0, offsetEnabled 1, marker 'W','W'.
    // Positions, arm range, region entries and reserved bytes keep what they held.
    void applyResetDefaults();

    // The declarations the scalar-mode lists offer: radiators and filters 0..8, detector positions
    // 0..17; the scalar counting time 0.1..300 s (10..30000 hundredths).
    static constexpr int kRadiatorCount = 9;
    static constexpr int kFilterCount = 9;
    static constexpr int kDetectorPositionCount = 18;
    static constexpr std::int32_t kMinScalarCountTime = 10;
    static constexpr std::int32_t kMaxScalarCountTime = 30000;
    // A block taken over from the apparatus may hold any byte: a selection outside its list becomes
    // the first item (the reset's value) and the scalar counting time is kept within what the
    // window offers, so the windows always show a selection and a counting time they can step.
    void keepWithinLists();

    // offset when offsetEnabled is set, else 0.
    int effectiveOffset() const { return offsetEnabled ? offset : 0; }
};

} // namespace zavo
