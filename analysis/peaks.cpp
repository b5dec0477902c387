#include "analysis/peaks.h"

#include "analysis/nlfit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace analysis {

namespace {

constexpr double kFwhmPerSigma = 2.354820045; // 2·√(2 ln 2)
constexpr double kRadPerDeg = std::numbers::pi / 180.0;
const double kSqrt2Pi = std::sqrt(2.0 * std::numbers::pi);

// Half-width in points of the smoothing kernel and of the local-maximum test: about 0.15°.
int kernelHalfWidth(double stepDeg) {
    return std::max(1, static_cast<int>(std::lround(0.15 / stepDeg)));
}

// The clipping window of the background estimate: wide enough to pass under a resolved Kα1/Kα2 pair.
int clipWindow(double stepDeg) {
    return std::max(2, static_cast<int>(std::lround(0.7 / stepDeg)));
}

double lls(double y) {
    return std::log(std::log(std::sqrt(std::max(y, 0.0) + 1.0) + 1.0) + 1.0);
}

double unlls(double v) {
    const double root = std::exp(std::exp(v) - 1.0) - 1.0;
    return root * root - 1.0;
}

double gauss(double x, double centre, double sigma) {
    const double u = (x - centre) / sigma;
    return std::exp(-0.5 * u * u);
}

// The points of the series inside [from, to].
struct Window {
    std::vector<double> x, y, sigma;
};

Window pointsIn(const Series& series, double from, double to) {
    Window w;
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        if (series.x[i] >= from && series.x[i] <= to) {
            w.x.push_back(series.x[i]);
            w.y.push_back(series.y[i]);
            w.sigma.push_back(series.sigma[i]);
        }
    }
    return w;
}

// Fills the line's numbers from parameters (height, centre, σ) with their covariance block.
GaussianFit lineResult(const NlFit& fit, double height, double heightSigma, double centre, double centreSigma,
                       const Series& series) {
    GaussianFit line;
    const double s = std::abs(fit.p[2]);
    const double scale = height / fit.p[0]; // the second line of a doublet is a fixed share of the first
    line.centreDeg = {centre, centreSigma};
    line.fwhmDeg = {kFwhmPerSigma * s, kFwhmPerSigma * fit.sigma(2)};
    line.heightCps = {height, heightSigma};
    // Counts above the background: the area in cps·degree over the point spacing, times the gate.
    const double perArea = series.counting.seconds / series.stepDeg * kSqrt2Pi * scale;
    const double a = fit.p[0];
    const double variance = s * s * fit.cov(0, 0) + a * a * fit.cov(2, 2) + 2 * a * s * fit.cov(0, 2);
    line.netCounts = {perArea * a * s, perArea * std::sqrt(std::max(variance, 0.0))};
    line.chi2PerDof = fit.chi2PerDof();
    line.ok = true;
    return line;
}

} // namespace

Smoothed smooth(const Series& series) {
    const int k = kernelHalfWidth(series.stepDeg);
    const int n = static_cast<int>(series.y.size());
    Smoothed out{std::vector<double>(n), std::vector<double>(n)};
    for (int i = 0; i < n; ++i) {
        double sum = 0, weights = 0, variance = 0;
        for (int j = std::max(0, i - k); j <= std::min(n - 1, i + k); ++j) {
            const double w = k + 1 - std::abs(j - i);
            sum += w * series.y[j];
            weights += w;
            variance += w * w * series.sigma[j] * series.sigma[j];
        }
        out.y[i] = sum / weights;
        out.sigma[i] = std::sqrt(variance) / weights;
    }
    return out;
}

std::vector<double> snipBackground(const std::vector<double>& smoothed, double stepDeg) {
    const int n = static_cast<int>(smoothed.size());
    std::vector<double> v(n), next(n);
    std::transform(smoothed.begin(), smoothed.end(), v.begin(), lls);
    for (int p = 1; p <= clipWindow(stepDeg); ++p) {
        next = v;
        for (int i = p; i < n - p; ++i) {
            next[i] = std::min(v[i], 0.5 * (v[i - p] + v[i + p]));
        }
        v.swap(next);
    }
    std::transform(v.begin(), v.end(), v.begin(), unlls);
    return v;
}

std::vector<PeakCandidate> findPeaks(const Series& series, double thresholdSigma) {
    const Smoothed s = smooth(series);
    const std::vector<double> background = snipBackground(s.y, series.stepDeg);
    const int n = static_cast<int>(s.y.size());
    const int k = kernelHalfWidth(series.stepDeg);
    std::vector<double> net(n);
    for (int i = 0; i < n; ++i) {
        net[i] = s.y[i] - background[i];
    }
    std::vector<PeakCandidate> peaks;
    for (int i = 0; i < n; ++i) {
        const double significance = s.sigma[i] > 0 ? net[i] / s.sigma[i] : 0.0;
        if (!(significance >= thresholdSigma)) {
            continue;
        }
        bool highest = true; // strictly above the points before it, not below those after it
        for (int j = std::max(0, i - k); j <= std::min(n - 1, i + k) && highest; ++j) {
            highest = j < i ? net[j] < net[i] : net[j] <= net[i];
        }
        if (!highest) {
            continue;
        }
        int left = i, right = i;
        while (left > 0 && net[left - 1] > net[i] / 2) {
            --left;
        }
        while (right < n - 1 && net[right + 1] > net[i] / 2) {
            ++right;
        }
        const double width = std::max(series.x[right] - series.x[left] + series.stepDeg, series.stepDeg);
        peaks.push_back({static_cast<std::size_t>(i), net[i], significance, width, background[i]});
    }
    return peaks;
}

double minFwhmDeg(double stepDeg) {
    return std::min(2 * stepDeg, 0.15);
}

GaussianFit fitGaussian(const Series& series, const PeakCandidate& candidate) {
    const double x0 = series.x[candidate.index];
    const double half = std::max(2.0 * candidate.widthDeg, 6 * series.stepDeg);
    const Window w = pointsIn(series, x0 - half, x0 + half);
    const Model model = [x0](double x, const double* p) {
        return p[3] + p[4] * (x - x0) + p[0] * gauss(x, p[1], p[2]);
    };
    const Counting counting = series.counting;
    const auto fitFrom = [&](double startFwhm) {
        const std::vector<double> start = {candidate.netCps, x0, startFwhm / kFwhmPerSigma,
                                           candidate.backgroundCps, 0.0};
        return fitModel(w.x, w.y, w.sigma, model, start,
                        [counting](double m) { return fitVariance(m, counting); });
    };
    const double narrowest = minFwhmDeg(series.stepDeg);
    NlFit fit = fitFrom(candidate.widthDeg);
    // A weak line with one high point of noise on it can pull the fit onto that point alone: start
    // again from a line of a few steps' width, and keep no fit narrower than a line can be.
    if (fit.ok && kFwhmPerSigma * std::abs(fit.p[2]) < narrowest) {
        fit = fitFrom(std::max(candidate.widthDeg, 4 * series.stepDeg));
    }
    if (!fit.ok || !(fit.p[0] > 0) || fit.p[1] < x0 - half || fit.p[1] > x0 + half ||
        kFwhmPerSigma * std::abs(fit.p[2]) < narrowest) {
        return {};
    }
    GaussianFit line = lineResult(fit, fit.p[0], fit.sigma(0), fit.p[1], fit.sigma(1), series);
    line.fromDeg = w.x.front();
    line.toDeg = w.x.back();
    line.backgroundAtCentre = fit.p[3] + fit.p[4] * (fit.p[1] - x0);
    return line;
}

GaussianFit fitGaussianOfWidth(const Series& series, const PeakCandidate& candidate, double fwhmDeg) {
    const double x0 = series.x[candidate.index];
    const double half = std::max(2.0 * fwhmDeg, 6 * series.stepDeg);
    const Window w = pointsIn(series, x0 - half, x0 + half);
    const double s = fwhmDeg / kFwhmPerSigma;
    const Model model = [x0, s](double x, const double* p) {
        return p[2] + p[3] * (x - x0) + p[0] * gauss(x, p[1], s);
    };
    const Counting counting = series.counting;
    const NlFit four =
        fitModel(w.x, w.y, w.sigma, model, {candidate.netCps, x0, candidate.backgroundCps, 0.0},
                 [counting](double m) { return fitVariance(m, counting); });
    if (!four.ok || !(four.p[0] > 0) || four.p[1] < x0 - half || four.p[1] > x0 + half) {
        return {};
    }
    // The same fit with the width as a parameter of no uncertainty, as the free fit reports it.
    NlFit fit = four;
    fit.p = {four.p[0], four.p[1], s, four.p[2], four.p[3]};
    fit.covariance.assign(25, 0.0);
    constexpr std::size_t kSlot[] = {0, 1, 3, 4};
    for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = 0; j < 4; ++j) {
            fit.covariance[kSlot[i] * 5 + kSlot[j]] = four.cov(i, j);
        }
    }
    GaussianFit line = lineResult(fit, fit.p[0], fit.sigma(0), fit.p[1], fit.sigma(1), series);
    line.fromDeg = w.x.front();
    line.toDeg = w.x.back();
    line.backgroundAtCentre = fit.p[3] + fit.p[4] * (fit.p[1] - x0);
    return line;
}

double partnerAngleDeg(double firstDeg, double wavelengthRatio) {
    const double s = wavelengthRatio * std::sin(firstDeg * kRadPerDeg / 2);
    return s >= -1 && s <= 1 ? 2 * std::asin(s) / kRadPerDeg : std::numeric_limits<double>::quiet_NaN();
}

DoubletFit fitDoublet(const Series& series, double startDeg, double startFwhmDeg, double fromDeg,
                      double toDeg, double wavelengthRatio, double intensityRatio) {
    const Window w = pointsIn(series, fromDeg, toDeg);
    if (w.x.size() < 8) {
        return {};
    }
    const double x0 = 0.5 * (fromDeg + toDeg);
    const double r = wavelengthRatio, q = intensityRatio;
    const Model model = [x0, r, q](double x, const double* p) {
        const double c2 = partnerAngleDeg(p[1], r);
        return p[3] + p[4] * (x - x0) + p[0] * (gauss(x, p[1], p[2]) + q * gauss(x, c2, p[2]));
    };
    const auto top = std::max_element(w.y.begin(), w.y.end());
    const double base = std::min(w.y.front(), w.y.back());
    const std::vector<double> start = {(*top - base) / (1 + q), startDeg, startFwhmDeg / kFwhmPerSigma, base,
                                       0.0};
    const Counting counting = series.counting;
    const NlFit fit =
        fitModel(w.x, w.y, w.sigma, model, start, [counting](double m) { return fitVariance(m, counting); });
    if (!fit.ok || !(fit.p[0] > 0) || fit.p[1] < fromDeg || fit.p[1] > toDeg) {
        return {};
    }
    const double c1 = fit.p[1], c2 = partnerAngleDeg(c1, r);
    // dc2/dc1 = r·cos(c1/2)/cos(c2/2).
    const double slope = r * std::cos(c1 * kRadPerDeg / 2) / std::cos(c2 * kRadPerDeg / 2);
    DoubletFit doublet;
    doublet.first = lineResult(fit, fit.p[0], fit.sigma(0), c1, fit.sigma(1), series);
    doublet.second = lineResult(fit, q * fit.p[0], q * fit.sigma(0), c2, slope * fit.sigma(1), series);
    for (GaussianFit* line : {&doublet.first, &doublet.second}) {
        line->fromDeg = w.x.front();
        line->toDeg = w.x.back();
        line->backgroundAtCentre = fit.p[3] + fit.p[4] * (line->centreDeg.value - x0);
    }
    doublet.ok = true;
    return doublet;
}

} // namespace analysis
