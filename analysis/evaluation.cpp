#include "analysis/evaluation.h"

#include "analysis/bragg.h"
#include "analysis/duanehunt.h"
#include "analysis/lines.h"
#include "analysis/peaks.h"

#include "records/exportedpoints.h"
#include "records/trecdata.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// The fewest points a peak or edge fit can stand on.
constexpr int kMinPoints = 5;
// Wider "peaks" are bends of the continuum (the knee above the Duane-Hunt edge), not lines: the
// apparatus's lines are a few tenths of a degree wide, a coarse step makes them up to a few steps.
double maxFwhmDeg(double stepDeg) {
    return std::max(1.5, 4 * stepDeg);
}

// The record's points, dead-time corrected; an error text when a point cannot be corrected.
QString collectPoints(const trecdata& record, const Counting& counting, SpectrumResult& result,
                      Series& series) {
    for (const records::ExportedPoint& p : records::exportedPoints(record)) {
        const std::optional<CorrectedRate> rate = correctDeadTime(p.rate, counting);
        if (!rate) {
            return QStringLiteral("A dead time of %1 µs cannot correct the rate of %2 cps at %3°: 1 − Rτ is "
                                  "not positive.")
                .arg(counting.deadTimeUs)
                .arg(p.rate, 0, 'f', 2)
                .arg(p.degrees, 0, 'f', 2);
        }
        SpectrumPoint point;
        point.angleDeg = p.degrees;
        point.rateCps = rate->rateCps;
        point.rateSigmaCps = rate->sigmaCps;
        point.wavelengthPm = wavelengthPm(p.degrees, result.options.dPm, 1);
        point.energyKeV = energyKeV(point.wavelengthPm);
        result.points.push_back(point);
        series.x.push_back(p.degrees);
        series.y.push_back(rate->rateCps);
        series.sigma.push_back(measuredFitSigma(p.rate, counting));
    }
    return {};
}

// The record itself: enough points, a counting time, some counts.
QString recordProblem(const trecdata& record, const SpectrumResult& result) {
    if (result.points.empty()) {
        return QStringLiteral("The record holds no measured points.");
    }
    if (result.points.size() < kMinPoints) {
        return QStringLiteral("The record holds %1 measured points; an evaluation needs at least %2.")
            .arg(result.points.size())
            .arg(kMinPoints);
    }
    if (record.countingTime <= 0) {
        return QStringLiteral("The record has no counting time, so its rates have no uncertainty.");
    }
    return {};
}

// A fitted line worth reporting: its height above 3 σ, and its centre known to better than half its
// width (a fit of nothing leaves the centre free, with a σ of thousands of degrees).
bool credible(const GaussianFit& fit) {
    return fit.ok && fit.heightCps.value > 3 * fit.heightCps.sigma &&
           fit.centreDeg.sigma < 0.5 * fit.fwhmDeg.value;
}

// Whether a fit is a second fit of a peak already held: its centre within half the width of a
// higher one (two maxima of the noise on one peak's top).
bool duplicate(const std::vector<Peak>& peaks, const GaussianFit& fit) {
    for (const Peak& peak : peaks) {
        const double apart = std::abs(peak.centreDeg.value - fit.centreDeg.value);
        if (apart < 0.5 * std::max(peak.fwhmDeg.value, fit.fwhmDeg.value) &&
            peak.heightCps.value >= fit.heightCps.value) {
            return true;
        }
    }
    return false;
}

std::vector<Peak> fittedPeaks(const Series& series, double dPm) {
    std::vector<GaussianFit> fits;
    const double widest = maxFwhmDeg(series.stepDeg);
    for (const PeakCandidate& candidate : findPeaks(series)) {
        if (candidate.widthDeg > widest) {
            continue;
        }
        const GaussianFit fit = fitGaussian(series, candidate);
        if (credible(fit) && fit.fwhmDeg.value <= widest) {
            fits.push_back(fit);
        }
    }
    std::vector<Peak> peaks;
    std::vector<const GaussianFit*> byHeight;
    for (const GaussianFit& fit : fits) {
        byHeight.push_back(&fit);
    }
    std::sort(byHeight.begin(), byHeight.end(), [](const GaussianFit* a, const GaussianFit* b) {
        return a->heightCps.value > b->heightCps.value;
    });
    for (const GaussianFit* fit : byHeight) {
        if (!duplicate(peaks, *fit)) {
            peaks.push_back(peakFromFit(*fit, dPm));
        }
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const Peak& a, const Peak& b) { return a.centreDeg.value < b.centreDeg.value; });
    return peaks;
}

// The width of the lines found so far (their median), or four steps without one.
double typicalFwhmDeg(const std::vector<Peak>& peaks, double stepDeg) {
    std::vector<double> widths;
    for (const Peak& peak : peaks) {
        widths.push_back(peak.fwhmDeg.value);
    }
    if (widths.empty()) {
        return 4 * stepDeg;
    }
    std::nth_element(widths.begin(), widths.begin() + static_cast<std::ptrdiff_t>(widths.size() / 2),
                     widths.end());
    return widths[widths.size() / 2];
}

// A line of the anode too weak for the search (below its 5 σ) may still be measurable where it is
// expected: at each predicted angle with no peak near, a Gaussian of the found lines' width is
// fitted from there, and kept
// when its height exceeds 3 σ and its centre lies within the naming tolerance of that angle (so a
// few positions are tried, not the whole record: a false line at 3 σ stays rare).
void fitExpectedLines(const Series& series, const LineCatalogue& catalogue, const EvalOptions& options,
                      std::vector<Peak>& peaks) {
    const Smoothed smoothed = smooth(series);
    const std::vector<double> background = snipBackground(smoothed.y, series.stepDeg);
    const double width = typicalFwhmDeg(peaks, series.stepDeg);
    const std::size_t found = peaks.size();
    for (int order = 1; order <= options.orders; ++order) {
        for (const NamedLine& line : catalogue.lines) {
            const double at = armAngleDeg(line.lambdaPm, options.dPm, order);
            const auto near = [&](const Peak& p) {
                return std::abs(p.centreDeg.value - at) < std::max(width, 0.3);
            };
            if (line.name == kKAlpha1 || line.name == kKAlpha2 || !std::isfinite(at) ||
                at - width < series.x.front() || at + width > series.x.back() ||
                std::any_of(peaks.begin(), peaks.end(), near)) {
                continue;
            }
            const auto index = static_cast<std::size_t>(
                std::lower_bound(series.x.begin(), series.x.end(), at) - series.x.begin());
            const PeakCandidate candidate{
                index, std::max(smoothed.y[index] - background[index], smoothed.sigma[index]), 0.0, width,
                background[index]};
            const GaussianFit fit = fitGaussianOfWidth(series, candidate, width);
            if (credible(fit) &&
                std::abs(fit.centreDeg.value - at) <= std::max(3 * fit.centreDeg.sigma, series.stepDeg)) {
                peaks.push_back(peakFromFit(fit, options.dPm));
            }
        }
    }
    if (peaks.size() > found) {
        std::sort(peaks.begin(), peaks.end(),
                  [](const Peak& a, const Peak& b) { return a.centreDeg.value < b.centreDeg.value; });
    }
}

} // namespace

SpectrumResult analyseSpectrum(const trecdata& record, const EvalOptions& defaults, CommentWords comment) {
    SpectrumResult result;
    result.options =
        comment == CommentWords::Apply ? applyComment(defaults, record.comment, &result.notes) : defaults;
    result.error = optionsProblem(result.options);
    if (!result.error.isEmpty()) {
        return result;
    }
    result.countingTimeS = record.countingTime / 10.0;
    result.stepDeg = (record.angularStep > 0 ? record.angularStep : 1) / 20.0;
    Series series;
    series.counting = {result.countingTimeS > 0 ? result.countingTimeS : 1.0, result.options.deadTimeUs};
    series.stepDeg = result.stepDeg;
    result.error = collectPoints(record, series.counting, result, series);
    if (result.error.isEmpty()) {
        result.error = recordProblem(record, result);
    }
    if (!result.error.isEmpty()) {
        result.points.clear();
        return result;
    }
    const LineCatalogue catalogue = lineCatalogue(result.options.anodeZ);
    result.peaks = fittedPeaks(series, result.options.dPm);
    fitExpectedLines(series, catalogue, result.options, result.peaks);
    fitKAlphaDoublets(series, catalogue, result.options, result.peaks);
    identifyLines(result.peaks, catalogue, result.options, result.stepDeg);
    result.impliedDPm = impliedSpacing(result.peaks);
    if (std::all_of(series.y.begin(), series.y.end(), [](double y) { return y == 0; })) {
        result.notes.append(
            QStringLiteral("all counting rates are zero (was the counter's high voltage on?)"));
    }
    if (result.peaks.empty()) {
        result.notes.append(QStringLiteral("no peak found"));
    }
    result.duaneHunt = duaneHunt(series, result.peaks, result.options);
    return result;
}

} // namespace analysis
