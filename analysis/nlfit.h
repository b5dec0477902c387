// Weighted non-linear least squares (GSL's trust-region Levenberg–Marquardt) of a model with a few
// parameters. The weights are Poisson weights: a first pass weights each point by its measured σ, a
// second pass by the variance the first pass's model predicts there (measured σ favour points that
// fluctuated low and pull heights down). The covariance is that of the absolute weights, scaled up by
// χ²/dof where the model fits worse than counting noise alone allows (never scaled down).
#pragma once

#include <functional>
#include <span>
#include <vector>

namespace analysis {

// The model's value at x for parameters p.
using Model = std::function<double(double x, const double* p)>;
// A point's variance for the model's value there.
using ModelVariance = std::function<double(double modelValue)>;

struct NlFit {
    bool ok = false;
    std::vector<double> p;
    std::vector<double> covariance; // p.size() × p.size(), row major
    double chi2 = 0;
    int dof = 0;

    double sigma(std::size_t i) const;
    double cov(std::size_t i, std::size_t j) const { return covariance[i * p.size() + j]; }
    double chi2PerDof() const { return dof > 0 ? chi2 / dof : 0.0; }
};

// Fits `model` to the points (x, y, sigma > 0) from the start values. False (ok) when there are not
// more points than parameters, GSL fails or a parameter comes out not finite.
NlFit fitModel(std::span<const double> x, std::span<const double> y, std::span<const double> sigma,
               const Model& model, std::vector<double> start, const ModelVariance& variance);

} // namespace analysis
