#include "simulator/benchdeclare.h"

#include <cmath>
#include <cstdlib>

namespace sim {

namespace {

bool isNone(std::string_view text) {
    return text == "N/A" || text == "none" || text == "0";
}

std::string describe(const Bench& bench) {
    const Element* radiator = elementByZ(bench.radiatorZ);
    const Element* filter = elementByZ(bench.filterZ);
    return std::string("bench: radiator ") + (radiator ? radiator->symbol : "N/A (crystal)") + ", filter " +
           (filter ? filter->symbol : "none") + ", thickness " + std::to_string(bench.filterUm) + " um";
}

} // namespace

std::optional<int> declaredElement(std::string_view text) {
    if (isNone(text)) {
        return 0;
    }
    if (const Element* element = elementBySymbol(text)) {
        return element->z;
    }
    return std::nullopt;
}

bool declareOnBench(Bench& bench, std::string_view radiator, std::string_view filter, double filterUm) {
    const auto radiatorZ = declaredElement(radiator);
    const auto filterZ = declaredElement(filter);
    if (!radiatorZ || !filterZ || !std::isfinite(filterUm) || filterUm < 0) {
        return false;
    }
    bench.radiatorZ = *radiatorZ;
    bench.filterZ = *filterZ;
    bench.filterUm = filterUm;
    return true;
}

std::string benchCommand(Bench& bench, const std::vector<std::string>& words) {
    if (words.size() == 2 && words[1] == "show") {
        return describe(bench);
    }
    if (words.size() != 3) {
        return "error: bench radiator N/A|V..Zn, bench filter none|V..Zn, bench thickness UM, bench show";
    }
    const std::string& what = words[1];
    const std::string& value = words[2];
    if (what == "radiator" || what == "filter") {
        const auto z = declaredElement(value);
        if (!z) {
            return "error: " + what + " must be " + (what == "radiator" ? "N/A" : "none") + " or V..Zn";
        }
        (what == "radiator" ? bench.radiatorZ : bench.filterZ) = *z;
        return describe(bench);
    }
    if (what == "thickness") {
        char* end = nullptr;
        const double um = std::strtod(value.c_str(), &end);
        if (end != value.c_str() + value.size() || !std::isfinite(um) || um < 0 || um > 1e5) {
            return "error: thickness needs micrometres, 0..100000";
        }
        bench.filterUm = um;
        return describe(bench);
    }
    return "error: unknown bench setting \"" + what + "\"";
}

} // namespace sim
