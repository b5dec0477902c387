// The libFuzzer entry of one target, chosen when compiling (ZAVO_FUZZ_TARGET: its name).
#include "fuzz/targets.h"

#include <cstring>

namespace {

fuzz::Entry chosenEntry() {
    for (const fuzz::Target& target : fuzz::targets()) {
        if (std::strcmp(target.name, ZAVO_FUZZ_TARGET) == 0) {
            return target.entry;
        }
    }
    return nullptr;
}

const fuzz::Entry entry = chosenEntry();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::require(entry != nullptr, "no such fuzz target");
    return entry(data, size);
}
