#include "analysis/seriesevaluation.h"

#include "analysis/series.h"
#include "analysis/xraydata.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

namespace analysis {

namespace {

constexpr int kCurveSamples = 48;

QString pm(const Measured& m, int decimals) {
    return QStringLiteral("%1 ± %2").arg(m.value, 0, 'f', decimals).arg(m.sigma, 0, 'f', decimals);
}

std::vector<SeriesPoint> seriesPoints(const std::vector<SeriesReading>& readings) {
    std::vector<SeriesPoint> points;
    for (const SeriesReading& r : readings) {
        points.push_back({r.x, r.rateCps, r.sigmaCps});
    }
    return points;
}

std::pair<double, double> xRange(const std::vector<SeriesReading>& readings) {
    const auto [low, high] =
        std::minmax_element(readings.begin(), readings.end(), [](auto& a, auto& b) { return a.x < b.x; });
    return {low->x, high->x};
}

double highestRate(const std::vector<SeriesReading>& readings) {
    double high = 0;
    for (const SeriesReading& r : readings) {
        high = std::max(high, r.rateCps);
    }
    return high;
}

// `f` sampled evenly from `from` to `to`.
template <class F>
SeriesCurve sampled(double from, double to, F f) {
    SeriesCurve curve;
    for (int i = 0; i <= kCurveSamples; ++i) {
        const double x = from + (to - from) * i / kCurveSamples;
        curve.points.push_back({x, f(x)});
    }
    return curve;
}

SeriesCurve vertical(double x, double height, int filterZ) {
    return {{{x, 0}, {x, height}}, filterZ};
}

SeriesEvaluation plateauEvaluation(const std::vector<SeriesReading>& readings) {
    const PlateauResult r = plateau(seriesPoints(readings));
    if (!r.ok()) {
        return {{r.reason}, {}};
    }
    SeriesEvaluation e;
    e.lines = {QStringLiteral("Plateau from %1 V (threshold, 90 % of the plateau rate)")
                   .arg(r.thresholdV, 0, 'f', 0),
               r.endV ? QStringLiteral("Plateau ends at %1 V").arg(*r.endV, 0, 'f', 0)
                      : QStringLiteral("Plateau end not reached (up to %1 V measured)").arg(r.toV, 0, 'f', 0),
               QStringLiteral("Slope %1 % per 100 V").arg(pm(r.slopePercentPer100V, 1)),
               QStringLiteral("Working voltage %1 V (a third of the way into the plateau)")
                   .arg(r.workingV, 0, 'f', 0)};
    if (r.fit.ok) {
        // The fitted plateau line from the threshold to its last point.
        const double to = r.endV.value_or(r.toV);
        e.curves.push_back({{{r.thresholdV, r.fit.at(r.thresholdV)}, {to, r.fit.at(to)}}, -1});
    }
    return e;
}

SeriesEvaluation attenuationEvaluation(const std::vector<SeriesReading>& readings, int anodeZ) {
    const int filterZ = readings.empty() ? 0 : readings.front().filterZ;
    const int radiatorZ = readings.empty() ? 0 : readings.front().radiatorZ;
    const double energy = radiationEnergyKeV(radiatorZ, anodeZ);
    const AttenuationResult r = attenuation(seriesPoints(readings), filterZ, energy);
    if (!r.ok()) {
        return {{r.reason}, {}};
    }
    SeriesEvaluation e;
    e.lines << QStringLiteral("ln R against thickness: μ = %1 1/cm").arg(pm(r.muPerCm, 1));
    if (filterZ > 0) {
        e.lines << QStringLiteral("μ/ρ (%1) = %2 cm²/g; xraylib %3 cm²/g at %4 keV")
                       .arg(elementSymbol(filterZ), pm(r.muRhoCm2PerG, 1))
                       .arg(r.referenceMuRhoCm2PerG, 0, 'f', 1)
                       .arg(r.energyKeV, 0, 'f', 3);
    }
    const auto [from, to] = xRange(readings);
    e.curves.push_back(sampled(from, to, [&](double mm) { return std::exp(r.fit.at(mm)); }));
    return e;
}

SeriesEvaluation deadTimeEvaluation(const std::vector<SeriesReading>& readings) {
    const DeadTimeResult r = deadTimeFromCurrent(seriesPoints(readings));
    if (!r.ok()) {
        return {{r.reason}, {}};
    }
    const Measured us{r.deadTimeS.value * 1e6, r.deadTimeS.sigma * 1e6};
    SeriesEvaluation e;
    e.lines = {QStringLiteral("True rate through the origin: %1 cps/µA").arg(pm(r.cpsPerUa, 3)),
               QStringLiteral("Dead time τ = %1 µs (non-paralysable)").arg(pm(us, 0))};
    e.curves.push_back(sampled(0, xRange(readings).second, [&](double ua) { return r.registeredAt(ua); }));
    return e;
}

// X of the element `z` where the readings step by one X per element (item indices).
std::optional<double> offsetOfX(const std::vector<SeriesReading>& readings, bool byRadiator) {
    for (const SeriesReading& r : readings) {
        const int z = byRadiator ? r.radiatorZ : r.filterZ;
        if (z > 0) {
            return r.x - z;
        }
    }
    return std::nullopt;
}

// The edges the Moseley line puts where the chart shows them: with the radiator as X, a vertical in
// each filter's colour where its edge energy lies between the Kα energies of the bracket's
// radiators; with the filter as X, one where each measured radiator's Kα equals a filter's edge.
std::vector<SeriesCurve> moseleyCurves(const MoseleyResult& r, const std::vector<SeriesReading>& readings,
                                       bool byRadiator) {
    std::vector<SeriesCurve> curves;
    const auto offset = offsetOfX(readings, byRadiator);
    const double a = r.measured.slope.value, s = r.measured.screening.value;
    if (!offset || !(a > 0)) {
        return curves;
    }
    const double height = highestRate(readings);
    if (byRadiator) {
        for (const EdgeBracket& b : r.brackets) {
            const double edge = std::pow(a * (b.filterZ - s), 2);
            const double share = (edge - b.belowKeV) / (b.aboveKeV - b.belowKeV);
            curves.push_back(vertical(b.belowZ + share + *offset, height, b.filterZ));
        }
        return curves;
    }
    std::set<int> radiators, filters;
    for (const SeriesReading& reading : readings) {
        radiators.insert(reading.radiatorZ);
        filters.insert(reading.filterZ);
    }
    filters.erase(0);
    for (const int radiatorZ : radiators) {
        const double z = s + std::sqrt(radiationEnergyKeV(radiatorZ, 0)) / a;
        if (radiatorZ > 0 && !filters.empty() && z >= *filters.begin() - 0.5 &&
            z <= *filters.rbegin() + 0.5) {
            curves.push_back(vertical(z + *offset, height, -1));
        }
    }
    return curves;
}

SeriesEvaluation moseleyEvaluation(const std::vector<SeriesReading>& readings, bool byRadiator) {
    const MoseleyResult r = moseley(readings);
    SeriesEvaluation e;
    for (const EdgeBracket& b : r.brackets) {
        e.lines << QStringLiteral("%1 K edge between %2 and %3: %4 keV (xraylib %5)")
                       .arg(elementSymbol(b.filterZ), elementSymbol(b.belowZ), elementSymbol(b.aboveZ),
                            pm(b.edgeKeV, 3))
                       .arg(b.referenceEdgeKeV, 0, 'f', 3);
    }
    if (!r.ok()) {
        e.lines << r.reason;
        return e;
    }
    e.lines << QStringLiteral("√E = a (Z − s): a = %1 keV½, s = %2")
                   .arg(pm(r.measured.slope, 4), pm(r.measured.screening, 2))
            << QStringLiteral("xraylib edges: a = %1 keV½, s = %2")
                   .arg(pm(r.reference.slope, 4), pm(r.reference.screening, 2));
    e.curves = moseleyCurves(r, readings, byRadiator);
    return e;
}

} // namespace

SeriesEvaluation evaluateSeries(SeriesKind kind, const std::vector<SeriesReading>& readings, int anodeZ) {
    switch (kind) {
    case SeriesKind::counterPlateau:
        return plateauEvaluation(readings);
    case SeriesKind::attenuation:
        return attenuationEvaluation(readings, anodeZ);
    case SeriesKind::deadTime:
        return deadTimeEvaluation(readings);
    case SeriesKind::moseleyByRadiator:
    case SeriesKind::moseleyByFilter:
        return moseleyEvaluation(readings, kind == SeriesKind::moseleyByRadiator);
    case SeriesKind::none:
        break;
    }
    return {{QStringLiteral("The detector position has no evaluation.")}, {}};
}

} // namespace analysis
