#include "analysis/seriesevaluation.h"

#include "analysis/measuredtext.h"
#include "analysis/series.h"
#include "analysis/xraydata.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

constexpr int kCurveSamples = 48;

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
               QStringLiteral("Slope %1 % per 100 V").arg(measuredText(r.slopePercentPer100V, 1)),
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
    e.lines << QStringLiteral("ln R against thickness: μ = %1 1/cm").arg(measuredText(r.muPerCm, 1));
    if (filterZ > 0) {
        e.lines << QStringLiteral("μ/ρ (%1) = %2 cm²/g; xraylib %3 cm²/g at %4 keV")
                       .arg(elementSymbol(filterZ), measuredText(r.muRhoCm2PerG, 1))
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
    e.lines = {QStringLiteral("True rate through the origin: %1 cps/µA").arg(measuredText(r.cpsPerUa, 3)),
               QStringLiteral("Dead time τ = %1 µs (non-paralysable)").arg(measuredText(us, 0))};
    e.curves.push_back(sampled(0, xRange(readings).second, [&](double ua) { return r.registeredAt(ua); }));
    return e;
}

// The Moseley line where the chart shows it, with the radiator as X: a vertical in each filter's
// colour where the line puts its edge between the Kα energies of the bracket's radiators (X steps by
// one per element, as the radiator items do). With the filter as X the readings of all radiators
// stand over each filter and no edge has a place of its own, so nothing is drawn.
std::vector<SeriesCurve> moseleyCurves(const MoseleyResult& r, const std::vector<SeriesReading>& readings) {
    std::vector<SeriesCurve> curves;
    const auto radiator =
        std::find_if(readings.begin(), readings.end(), [](auto& p) { return p.radiatorZ > 0; });
    const double a = r.measured.slope.value, s = r.measured.screening.value;
    if (radiator == readings.end() || !(a > 0)) {
        return curves;
    }
    const double offset = radiator->x - radiator->radiatorZ;
    for (const EdgeBracket& b : r.brackets) {
        const double edge = std::pow(a * (b.filterZ - s), 2);
        const double share = (edge - b.belowKeV) / (b.aboveKeV - b.belowKeV);
        curves.push_back(vertical(b.belowZ + share + offset, highestRate(readings), b.filterZ));
    }
    return curves;
}

SeriesEvaluation moseleyEvaluation(const std::vector<SeriesReading>& readings, bool byRadiator) {
    const MoseleyResult r = moseley(readings);
    SeriesEvaluation e;
    for (const EdgeBracket& b : r.brackets) {
        e.lines << QStringLiteral("%1 K edge between %2 and %3: %4 keV (xraylib %5)")
                       .arg(elementSymbol(b.filterZ), elementSymbol(b.belowZ), elementSymbol(b.aboveZ),
                            measuredText(b.edgeKeV, 3))
                       .arg(b.referenceEdgeKeV, 0, 'f', 3);
    }
    if (!r.ok()) {
        e.lines << r.reason;
        return e;
    }
    e.lines << QStringLiteral("√E = a (Z − s): a = %1 keV½, s = %2")
                   .arg(measuredText(r.measured.slope, 4), measuredText(r.measured.screening, 2))
            << QStringLiteral("xraylib edges: a = %1 keV½, s = %2")
                   .arg(measuredText(r.reference.slope, 4), measuredText(r.reference.screening, 2));
    if (byRadiator) {
        e.curves = moseleyCurves(r, readings);
    }
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
