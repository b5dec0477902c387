// The counter's dead time and the counting noise of a rate. A Geiger counter that is dead for τ after
// each event registers m = n/(1 + nτ) of a true rate n (non-paralysable); the correction is
// n = m/(1 − mτ), impossible where mτ >= 1. A rate counted for t seconds is Poisson: σ(m) = √(m/t).
#pragma once

#include <optional>

namespace analysis {

struct Counting {
    double seconds = 1;    // counting time of one point
    double deadTimeUs = 0; // 0: no correction
};

// The true rate and its standard uncertainty for a registered rate, nothing where 1 − mτ <= 0.
struct CorrectedRate {
    double rateCps = 0;
    double sigmaCps = 0;
};
std::optional<CorrectedRate> correctDeadTime(double registeredCps, const Counting& counting);

// The variance a fit gives a point whose true rate is `rateCps` (a model value): the registered rate's
// Poisson variance carried through the correction. Fewer than one count is counted as one, so that a
// point with no counts still has a finite weight instead of pinning the fit to zero.
double fitVariance(double rateCps, const Counting& counting);
// The same from a measured (registered) rate, for the first pass of a fit before a model exists.
double measuredFitSigma(double registeredCps, const Counting& counting);

} // namespace analysis
