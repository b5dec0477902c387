#include "fuzz/targets.h"

#include "device/deviceconfig.h"

#include <algorithm>

namespace fuzz {

int deviceConfig(const std::uint8_t* data, std::size_t size) {
    using zavo::DeviceConfig;
    DeviceConfig::Bytes block{};
    std::copy_n(data, std::min(size, block.size()), block.begin());

    const DeviceConfig held = DeviceConfig::fromBlock(block);
    require(held.toBlock() == block, "a held block does not write back unchanged");
    require(DeviceConfig::fromBlock(held.toBlock()) == held, "toBlock and fromBlock disagree");

    // An 'x' reply carries the five leading words high byte first.
    DeviceConfig::Bytes swapped = block;
    for (std::size_t word = 0; word < 5; ++word) {
        std::swap(swapped[2 * word], swapped[2 * word + 1]);
    }
    DeviceConfig reply = DeviceConfig::fromReply(swapped);
    require(reply == held, "the reply's byte order is not undone");

    if (!reply.isValid()) {
        reply.applyInvalidBlockDefaults();
    }
    (void)DeviceConfig::fromBlock(reply.toBlock()).isValid();
    return 0;
}

} // namespace fuzz
