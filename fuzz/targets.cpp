#include "fuzz/targets.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

std::span<const Target> targets() {
    static constexpr std::array<Target, 4> all{{
        {"record", recordFile},
        {"replies", replies},
        {"deviceconfig", deviceConfig},
        {"profile", profileFile},
    }};
    return all;
}

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

} // namespace fuzz
