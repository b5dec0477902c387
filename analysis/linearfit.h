// Weighted straight-line fits (GSL) with the uncertainties of their parameters. The weights are
// 1/σ² of each point; the parameter uncertainties come from the covariance of those absolute
// weights, not rescaled by χ²: a caller whose σ are only relative can scale them by the reduced χ².
#pragma once

#include "analysis/measured.h"

#include <span>

namespace analysis {

struct LineFit {
    bool ok = false; // false for fewer than two usable points or a degenerate x range
    Measured slope;
    Measured intercept;
    double covariance = 0; // cov(intercept, slope)
    double chi2 = 0;
    int dof = 0;

    double at(double x) const { return intercept.value + slope.value * x; }
    // Standard uncertainty of the line at x.
    double sigmaAt(double x) const;
    double reducedChi2() const { return dof > 0 ? chi2 / dof : 0.0; }
};

// y = a + b·x through the points with σ > 0 and finite values; others are left out.
LineFit fitLine(std::span<const double> x, std::span<const double> y, std::span<const double> sigma);
// y = b·x through the origin (intercept and covariance zero).
LineFit fitLineThroughOrigin(std::span<const double> x, std::span<const double> y,
                             std::span<const double> sigma);

} // namespace analysis
