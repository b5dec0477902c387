#include "simulator/configmemory.h"

namespace sim {

namespace {

constexpr std::size_t kMarker = 54;

void putLowFirst(ConfigMemory::Block& block, std::size_t at, int value) {
    block[at] = static_cast<std::uint8_t>(value & 0xFF);
    block[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void putHighFirst(ConfigMemory::Block& block, std::size_t at, int value) {
    block[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    block[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

int lowFirst(const ConfigMemory::Block& block, std::size_t at) {
    return block[at] | (block[at + 1] << 8);
}

int signed16(int value) {
    return value >= 0x8000 ? value - 0x10000 : value;
}

} // namespace

ConfigMemory::Block ConfigMemory::configured() {
    Block block{};
    putLowFirst(block, 0, 0);    // offset
    putLowFirst(block, 2, 900);  // arm position
    putLowFirst(block, 4, 900);  // its copy
    putLowFirst(block, 6, 100);  // arm range 5.00 ..
    putLowFirst(block, 8, 2400); // .. 120.00 degrees
    putLowFirst(block, 10, 20);  // counting time 2.0 s
    putLowFirst(block, 12, 1);   // angular step 0.05 degree
    // 14 HV 0, 15 no regions, 16..35 regions, 36..41 filter thickness 0.0, 42..45 selections 0.
    putLowFirst(block, 46, 100); // scalar counting time 1.00 s (i32)
    block[50] = 130;             // HV limit 650 V
    block[51] = 1;               // limit in force
    block[52] = 0;               // no calibration before scans
    block[53] = 1;               // offset correction on
    block[kMarker] = 'W';
    block[kMarker + 1] = 'W';
    return block;
}

ConfigMemory::Block ConfigMemory::blank() {
    Block block;
    block.fill(0xFF);
    return block;
}

bool ConfigMemory::marked() const {
    return stored_[kMarker] == 'W' && stored_[kMarker + 1] == 'W';
}

ConfigMemory::Words ConfigMemory::storedWords() const {
    return {signed16(lowFirst(stored_, 0)), signed16(lowFirst(stored_, 2)), lowFirst(stored_, 6),
            lowFirst(stored_, 8)};
}

ConfigMemory::Block ConfigMemory::reply(const Words& live) const {
    Block block = stored_;
    putHighFirst(block, 0, live.offset);
    putHighFirst(block, 2, live.position);
    putHighFirst(block, 4, live.position);
    putHighFirst(block, 6, live.armMin);
    putHighFirst(block, 8, live.armMax);
    return block;
}

} // namespace sim
