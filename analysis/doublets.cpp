// The Kα1/Kα2 doublet of each order: which peaks belong to it, the doublet fit, and how it is named.
#include "analysis/bragg.h"
#include "analysis/lines.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace analysis {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;

struct Pair {
    int order;
    double first, second; // predicted arm angles of Kα1 and Kα2
};

// The unnamed peaks whose centre lies between the pair's angles, widened by the match tolerance.
std::vector<std::size_t> members(const std::vector<Peak>& peaks, const Pair& pair, double stepDeg) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        const Peak& peak = peaks[i];
        const double tolerance = std::max(3 * peak.centreDeg.sigma, stepDeg);
        if (peak.line.isEmpty() && peak.centreDeg.value >= pair.first - tolerance &&
            peak.centreDeg.value <= pair.second + tolerance) {
            found.push_back(i);
        }
    }
    return found;
}

// A line of the doublet with its centre moved to the angle of `lambdaPm` (the fitted Kα1 carried
// by the wavelength ratio) and its uncertainty carried along.
GaussianFit movedTo(GaussianFit line, double lambdaPm, double kAlpha1Pm) {
    const double ratio = lambdaPm / kAlpha1Pm;
    const double c1 = line.centreDeg.value;
    const double c = partnerAngleDeg(c1, ratio);
    const double slope = ratio * std::cos(c1 * kRadPerDeg / 2) / std::cos(c * kRadPerDeg / 2);
    line.centreDeg = {c, slope * line.centreDeg.sigma};
    return line;
}

Peak namedPeak(const GaussianFit& fit, const QString& name, int order, double tabulatedPm, double dPm) {
    Peak peak = peakFromFit(fit, dPm);
    peak.doublet = true;
    nameLine(peak, name, order, tabulatedPm, dPm);
    return peak;
}

// The doublet's peaks as reported: Kα1 and Kα2 when resolved, else one Kα at the weighted mean.
std::vector<Peak> reported(const DoubletFit& fit, const Pair& pair, const LineCatalogue& catalogue,
                           const Series& series, double dPm) {
    const double fwhm = fit.first.fwhmDeg.value;
    if (pair.second - pair.first >= std::max(0.5 * fwhm, 2 * series.stepDeg)) {
        return {namedPeak(fit.first, kKAlpha1, pair.order, catalogue.kAlpha1Pm, dPm),
                namedPeak(fit.second, kKAlpha2, pair.order, catalogue.kAlpha2Pm, dPm)};
    }
    GaussianFit both = movedTo(fit.first, catalogue.kAlphaMeanPm, catalogue.kAlpha1Pm);
    const double sum = 1 + catalogue.kAlpha2Share;
    both.heightCps = {sum * both.heightCps.value, sum * both.heightCps.sigma};
    both.netCounts = {sum * both.netCounts.value, sum * both.netCounts.sigma};
    both.backgroundAtCentre = 0.5 * (fit.first.backgroundAtCentre + fit.second.backgroundAtCentre);
    return {namedPeak(both, kKAlpha, pair.order, catalogue.kAlphaMeanPm, dPm)};
}

} // namespace

void fitKAlphaDoublets(const Series& series, const LineCatalogue& catalogue, const EvalOptions& options,
                       std::vector<Peak>& peaks) {
    if (!(catalogue.kAlphaMeanPm > 0)) {
        return;
    }
    const double ratio = catalogue.kAlpha2Pm / catalogue.kAlpha1Pm;
    for (int order = 1; order <= options.orders; ++order) {
        const Pair pair{order, armAngleDeg(catalogue.kAlpha1Pm, options.dPm, order),
                        armAngleDeg(catalogue.kAlpha2Pm, options.dPm, order)};
        if (!std::isfinite(pair.first) || !std::isfinite(pair.second)) {
            continue;
        }
        const std::vector<std::size_t> found = members(peaks, pair, series.stepDeg);
        if (found.empty()) {
            continue;
        }
        // The narrowest member is closest to one line's width; a single blended peak stands at the
        // weighted mean, so Kα1 starts that far below it.
        double width = peaks[found.front()].fwhmDeg.value;
        for (std::size_t i : found) {
            width = std::min(width, peaks[i].fwhmDeg.value);
        }
        const double mean = armAngleDeg(catalogue.kAlphaMeanPm, options.dPm, order);
        const double start = found.size() == 1 ? peaks[found.front()].centreDeg.value - (mean - pair.first)
                                               : peaks[found.front()].centreDeg.value;
        const DoubletFit fit =
            fitDoublet(series, start, width, start - 1.5 * width, partnerAngleDeg(start, ratio) + 1.5 * width,
                       ratio, catalogue.kAlpha2Share);
        if (!fit.ok || std::abs(fit.first.centreDeg.value - pair.first) >
                           std::max(3 * fit.first.centreDeg.sigma, series.stepDeg)) {
            continue;
        }
        for (auto i = found.rbegin(); i != found.rend(); ++i) {
            peaks.erase(peaks.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        for (Peak& peak : reported(fit, pair, catalogue, series, options.dPm)) {
            peaks.push_back(peak);
        }
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const Peak& a, const Peak& b) { return a.centreDeg.value < b.centreDeg.value; });
}

} // namespace analysis
