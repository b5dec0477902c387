// A measured or fitted number with its standard uncertainty. Every result of the evaluation carries
// its numbers in this form, so nothing shows a fitted value without its ±; the unit is in the name of
// the field that holds it (`lambdaPm`, `energyKeV`).
#pragma once

#include <cmath>
#include <limits>

namespace analysis {

struct Measured {
    double value = std::numeric_limits<double>::quiet_NaN();
    double sigma = std::numeric_limits<double>::quiet_NaN();

    // A value was found (its uncertainty may still be unknown).
    bool known() const { return std::isfinite(value); }
};

// Standard uncertainty of a counting rate `rateCps` measured for `seconds`: sqrt(N)/t with N = R t.
// Zero counts give zero; a non-positive time gives NaN.
inline double rateSigma(double rateCps, double seconds) {
    if (!(seconds > 0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return rateCps > 0 ? std::sqrt(rateCps / seconds) : 0.0;
}

} // namespace analysis
