#include "analysis/deadtime.h"

#include "analysis/measured.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

double tauSeconds(const Counting& counting) {
    return counting.deadTimeUs * 1e-6;
}

// Poisson variance of a registered rate with at least one count.
double registeredVariance(double registeredCps, double seconds) {
    return std::max(registeredCps * seconds, 1.0) / (seconds * seconds);
}

} // namespace

std::optional<CorrectedRate> correctDeadTime(double registeredCps, const Counting& counting) {
    const double live = 1.0 - registeredCps * tauSeconds(counting);
    if (!(live > 0)) {
        return std::nullopt;
    }
    // dn/dm = 1/(1 − mτ)².
    return CorrectedRate{registeredCps / live, rateSigma(registeredCps, counting.seconds) / (live * live)};
}

double fitVariance(double rateCps, const Counting& counting) {
    const double tau = tauSeconds(counting);
    const double rate = std::max(rateCps, 0.0);
    const double registered = rate / (1.0 + rate * tau);
    const double gain = std::pow(1.0 + rate * tau, 2); // dn/dm at that registered rate
    return registeredVariance(registered, counting.seconds) * gain * gain;
}

double measuredFitSigma(double registeredCps, const Counting& counting) {
    const double live = 1.0 - registeredCps * tauSeconds(counting);
    return std::sqrt(registeredVariance(std::max(registeredCps, 0.0), counting.seconds)) / (live * live);
}

} // namespace analysis
