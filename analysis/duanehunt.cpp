#include "analysis/duanehunt.h"

#include "analysis/bragg.h"
#include "analysis/linearfit.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

constexpr double kEdgeLow = 0.2;  // share of the continuum's height where the edge's fit starts
constexpr double kEdgeHigh = 0.6; // and where it ends
constexpr double kNoiseLevel = 0.05;

struct Edge {
    std::vector<double> x, y, sigma; // the rising edge's points
    std::vector<double> background;  // rates of the points before it
    QString reason;                  // why there is none
};

DuaneHunt failed(const QString& reason) {
    DuaneHunt result;
    result.reason = reason;
    return result;
}

void take(const Series& series, std::size_t i, Edge& edge) {
    edge.x.push_back(series.x[i]);
    edge.y.push_back(series.y[i]);
    edge.sigma.push_back(series.sigma[i]);
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

// The edge the user chose: the points in [from, to], the background from the points below.
Edge chosenEdge(const Series& series, double from, double to) {
    Edge edge;
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        if (series.x[i] < from) {
            edge.background.push_back(series.y[i]);
        } else if (series.x[i] <= to) {
            take(series, i, edge);
        }
    }
    if (edge.background.empty()) {
        edge.reason = QStringLiteral("no points below the chosen edge for the background");
    }
    return edge;
}

Edge foundEdge(const Series& series, const std::vector<Peak>& peaks) {
    Edge edge;
    const Smoothed s = smooth(series);
    std::size_t end = s.y.size();
    if (!peaks.empty()) {
        const double limit = peaks.front().centreDeg.value - 2 * peaks.front().fwhmDeg.value;
        end = static_cast<std::size_t>(std::lower_bound(series.x.begin(), series.x.end(), limit) -
                                       series.x.begin());
    }
    const std::size_t lead = std::max<std::size_t>(3, std::lround(0.5 / series.stepDeg));
    const auto top = static_cast<std::size_t>(std::max_element(s.y.begin(), s.y.begin() + end) - s.y.begin());
    if (end < lead + 5) {
        edge.reason = QStringLiteral("no edge in the record: too few points before the first line");
        return edge;
    }
    const double level = median(std::vector<double>(series.y.begin(), series.y.begin() + lead));
    const double height = s.y[top] - level;
    if (!(height > 5 * s.sigma[top])) {
        edge.reason = QStringLiteral("no edge above the background");
        return edge;
    }
    if (top < lead + 2 || level > 0.2 * s.y[top]) {
        edge.reason = QStringLiteral("no edge in the record: it starts on the continuum");
        return edge;
    }
    std::size_t low = 0;
    while (low < top && s.y[low] < level + kEdgeLow * height) {
        ++low;
    }
    std::size_t high = low;
    while (high < top && s.y[high] < level + kEdgeHigh * height) {
        ++high;
    }
    low = high - low < 2 && low > 0 ? low - 1 : low;
    high = high - low < 2 ? std::min(high + 1, top) : high;
    for (std::size_t i = 0; i < low; ++i) {
        if (s.y[i] <= level + kNoiseLevel * height) {
            edge.background.push_back(series.y[i]);
        }
    }
    for (std::size_t i = low; i <= high; ++i) {
        take(series, i, edge);
    }
    if (edge.x.size() < 3) {
        edge.reason = QStringLiteral("the edge is too steep for the step: fewer than three points on it");
    }
    return edge;
}

// The straight line through the edge, weighted by the Poisson variance of its own rates.
LineFit edgeLine(const Edge& edge, const Counting& counting) {
    LineFit line = fitLine(edge.x, edge.y, edge.sigma);
    if (!line.ok) {
        return line;
    }
    std::vector<double> sigma(edge.x.size());
    for (std::size_t i = 0; i < sigma.size(); ++i) {
        sigma[i] = std::sqrt(fitVariance(line.at(edge.x[i]), counting));
    }
    line = fitLine(edge.x, edge.y, sigma);
    const double scale = std::sqrt(std::max(1.0, line.reducedChi2()));
    line.slope.sigma *= scale;
    line.intercept.sigma *= scale;
    line.covariance *= scale * scale;
    return line;
}

} // namespace

DuaneHunt duaneHunt(const Series& series, const std::vector<Peak>& peaks, const EvalOptions& options) {
    const Edge edge = options.fromDeg && options.toDeg ? chosenEdge(series, *options.fromDeg, *options.toDeg)
                                                       : foundEdge(series, peaks);
    if (!edge.reason.isEmpty()) {
        return failed(edge.reason);
    }
    const LineFit line = edgeLine(edge, series.counting);
    if (!line.ok || !(line.slope.value > 0)) {
        return failed(QStringLiteral("the edge does not rise"));
    }
    // The background: the mean rate of the points before the edge, σ from their counts (at least one).
    double sum = 0;
    for (double y : edge.background) {
        sum += y;
    }
    const double n = static_cast<double>(edge.background.size());
    const double background = sum / n;
    const double backgroundSigma =
        std::sqrt(std::max(sum * series.counting.seconds, 1.0)) / (n * series.counting.seconds);
    DuaneHunt result;
    const double x0 = (background - line.intercept.value) / line.slope.value;
    const double variance = line.sigmaAt(x0) * line.sigmaAt(x0) + backgroundSigma * backgroundSigma;
    const Measured limitDeg{x0, std::sqrt(variance) / line.slope.value};
    result.lambdaMinPm = wavelengthPm(limitDeg, options.dPm, 1);
    if (!(result.lambdaMinPm.value > 0)) {
        return failed(QStringLiteral("the edge meets the background below zero degrees"));
    }
    result.found = true;
    result.fromDeg = edge.x.front();
    result.toDeg = edge.x.back();
    result.energyMaxKeV = energyKeV(result.lambdaMinPm);
    result.lineIntercept = line.intercept.value;
    result.lineSlope = line.slope.value;
    result.backgroundCps = background;
    if (options.tubeKv > 0) {
        const double h =
            kElementaryChargeC * options.tubeKv * 1e3 * result.lambdaMinPm.value * 1e-12 / kSpeedOfLightMPerS;
        result.planckJs = {h, h * result.lambdaMinPm.sigma / result.lambdaMinPm.value};
        result.planckDeviationPercent = 100 * (h - kPlanckJs) / kPlanckJs;
    } else {
        result.reason = QStringLiteral("no tube voltage given: Planck's constant not computed");
    }
    return result;
}

} // namespace analysis
