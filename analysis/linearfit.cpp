#include "analysis/linearfit.h"

#include "analysis/gslquiet.h"

#include <gsl/gsl_fit.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace analysis {

namespace {

struct Usable {
    std::vector<double> x, y, w;
};

Usable usablePoints(std::span<const double> x, std::span<const double> y, std::span<const double> sigma) {
    Usable points;
    const std::size_t n = std::min({x.size(), y.size(), sigma.size()});
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(x[i]) && std::isfinite(y[i]) && sigma[i] > 0 && std::isfinite(sigma[i])) {
            points.x.push_back(x[i]);
            points.y.push_back(y[i]);
            points.w.push_back(1.0 / (sigma[i] * sigma[i]));
        }
    }
    return points;
}

bool spread(const std::vector<double>& x) {
    for (double v : x) {
        if (v != x.front()) {
            return true;
        }
    }
    return false;
}

} // namespace

double LineFit::sigmaAt(double x) const {
    const double variance =
        intercept.sigma * intercept.sigma + 2 * x * covariance + x * x * slope.sigma * slope.sigma;
    return std::sqrt(std::max(variance, 0.0));
}

LineFit fitLine(std::span<const double> x, std::span<const double> y, std::span<const double> sigma) {
    quietGsl();
    const Usable p = usablePoints(x, y, sigma);
    LineFit fit;
    if (p.x.size() < 2 || !spread(p.x)) {
        return fit;
    }
    double c0, c1, cov00, cov01, cov11, chi2;
    if (gsl_fit_wlinear(p.x.data(), 1, p.w.data(), 1, p.y.data(), 1, p.x.size(), &c0, &c1, &cov00, &cov01,
                        &cov11, &chi2) != 0) {
        return fit;
    }
    fit.ok = true;
    fit.intercept = {c0, std::sqrt(cov00)};
    fit.slope = {c1, std::sqrt(cov11)};
    fit.covariance = cov01;
    fit.chi2 = chi2;
    fit.dof = static_cast<int>(p.x.size()) - 2;
    return fit;
}

LineFit fitLineThroughOrigin(std::span<const double> x, std::span<const double> y,
                             std::span<const double> sigma) {
    quietGsl();
    const Usable p = usablePoints(x, y, sigma);
    LineFit fit;
    const bool allZero = std::all_of(p.x.begin(), p.x.end(), [](double v) { return v == 0; });
    if (p.x.empty() || allZero) {
        return fit;
    }
    double c1, cov11, chi2;
    if (gsl_fit_wmul(p.x.data(), 1, p.w.data(), 1, p.y.data(), 1, p.x.size(), &c1, &cov11, &chi2) != 0) {
        return fit;
    }
    fit.ok = true;
    fit.intercept = {0.0, 0.0};
    fit.slope = {c1, std::sqrt(cov11)};
    fit.chi2 = chi2;
    fit.dof = static_cast<int>(p.x.size()) - 1;
    return fit;
}

} // namespace analysis
