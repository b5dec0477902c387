#include "analysis/series.h"

#include "analysis/xraydata.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace analysis {

namespace {

constexpr double kPlateauBand = 0.10; // rates on the plateau stay within 10 % of its first rate
constexpr double kThresholdShare = 0.90;

bool sortedUsable(std::vector<SeriesPoint>& points, QString* reason, std::size_t minimum) {
    std::sort(points.begin(), points.end(),
              [](const SeriesPoint& a, const SeriesPoint& b) { return a.x < b.x; });
    if (points.size() < minimum) {
        *reason = QStringLiteral("Too few readings to evaluate (at least %1 needed).").arg(minimum);
        return false;
    }
    if (points.front().x == points.back().x) {
        *reason = QStringLiteral("All readings were taken at one value; vary the condition.");
        return false;
    }
    return true;
}

// Whether `b` differs from `a` by more than the share `band` of a's rate and more than the counting
// noise can explain (3 σ of the difference), so that short counts do not cut a plateau into pieces.
bool differs(const SeriesPoint& a, const SeriesPoint& b, double band) {
    const double difference = std::abs(b.rateCps - a.rateCps);
    return difference > band * a.rateCps && difference > 3 * std::hypot(a.sigmaCps, b.sigmaCps);
}

// The longest run of consecutive points whose rates stay within the band of the run's first rate.
std::pair<std::size_t, std::size_t> longestFlatRun(const std::vector<SeriesPoint>& points) {
    std::pair<std::size_t, std::size_t> best{0, 0};
    for (std::size_t start = 0; start < points.size(); ++start) {
        const double first = points[start].rateCps;
        if (!(first > 0)) {
            continue;
        }
        std::size_t end = start;
        while (end + 1 < points.size() && !differs(points[start], points[end + 1], kPlateauBand)) {
            ++end;
        }
        const double span = points[end].x - points[start].x;
        if (span > points[best.second].x - points[best.first].x) {
            best = {start, end};
        }
    }
    return best;
}

MoseleyLine moseleyLine(const std::vector<double>& z, const std::vector<double>& sqrtE,
                        const std::vector<double>& sigma) {
    MoseleyLine line;
    line.fit = fitLine(z, sqrtE, sigma);
    if (!line.fit.ok || line.fit.slope.value == 0) {
        return line;
    }
    // √E = a + b·Z = b·(Z − s): s = −a/b, its variance from the covariance of a and b.
    const double a = line.fit.intercept.value, b = line.fit.slope.value;
    const double da = -1.0 / b, db = a / (b * b);
    const double variance = da * da * line.fit.intercept.sigma * line.fit.intercept.sigma +
                            db * db * line.fit.slope.sigma * line.fit.slope.sigma +
                            2 * da * db * line.fit.covariance;
    line.slope = line.fit.slope;
    line.screening = {-a / b, std::sqrt(std::max(variance, 0.0))};
    return line;
}

double kAlpha1KeV(int z) {
    for (const XrayLine& line : characteristicLines(z)) {
        if (line.name == QStringLiteral("Kα1")) {
            return line.energyKeV;
        }
    }
    return std::nan("");
}

} // namespace

PlateauResult plateau(std::vector<SeriesPoint> points) {
    PlateauResult result;
    if (!sortedUsable(points, &result.reason, 3)) {
        return result;
    }
    const auto [start, end] = longestFlatRun(points);
    if (end - start < 1) {
        result.reason = QStringLiteral("No plateau: no two neighbouring voltages read within 10 %.");
        return result;
    }
    std::vector<double> x, y, s;
    for (std::size_t i = start; i <= end; ++i) {
        x.push_back(points[i].x);
        y.push_back(points[i].rateCps);
        s.push_back(std::max(points[i].sigmaCps, 1e-9));
    }
    result.fit = fitLine(x, y, s);
    result.fromV = points[start].x;
    result.toV = points[end].x;
    result.thresholdV = points[start].x;
    if (start > 0) {
        const SeriesPoint& below = points[start - 1];
        const SeriesPoint& first = points[start];
        const double target = kThresholdShare * first.rateCps;
        if (target > below.rateCps) {
            result.thresholdV =
                below.x + (first.x - below.x) * (target - below.rateCps) / (first.rateCps - below.rateCps);
        }
    }
    if (end + 1 < points.size() && points[end + 1].rateCps > points[end].rateCps &&
        differs(points[end], points[end + 1], kPlateauBand)) {
        result.endV = points[end].x;
    }
    const double middle = result.fit.at((result.fromV + result.toV) / 2);
    if (result.fit.ok && middle > 0) {
        result.slopePercentPer100V = {100.0 * 100.0 * result.fit.slope.value / middle,
                                      100.0 * 100.0 * result.fit.slope.sigma / middle};
    }
    result.workingV = result.thresholdV + (result.endV.value_or(result.toV) - result.thresholdV) / 3.0;
    return result;
}

AttenuationResult attenuation(const std::vector<SeriesPoint>& input, int filterZ, double energyKeV) {
    AttenuationResult result;
    std::vector<SeriesPoint> points = input;
    if (!sortedUsable(points, &result.reason, 2)) {
        return result;
    }
    std::vector<double> x, y, s;
    for (const SeriesPoint& p : points) {
        if (p.rateCps > 0 && p.sigmaCps > 0) {
            x.push_back(p.x);
            y.push_back(std::log(p.rateCps));
            s.push_back(p.sigmaCps / p.rateCps);
        }
    }
    result.fit = fitLine(x, y, s);
    if (!result.fit.ok) {
        result.reason = QStringLiteral("Rates of zero: ln R cannot be fitted.");
        return result;
    }
    // Thickness in mm: μ per cm is ten times the slope per mm.
    result.muPerCm = {-10.0 * result.fit.slope.value, 10.0 * result.fit.slope.sigma};
    result.energyKeV = energyKeV;
    const double density = densityGPerCm3(filterZ);
    if (std::isfinite(density) && density > 0) {
        result.muRhoCm2PerG = {result.muPerCm.value / density, result.muPerCm.sigma / density};
        result.referenceMuRhoCm2PerG = massAttenuationCm2PerG(filterZ, energyKeV);
    }
    return result;
}

double radiationEnergyKeV(int radiatorZ, int anodeZ) {
    return kAlpha1KeV(radiatorZ > 0 ? radiatorZ : anodeZ);
}

double DeadTimeResult::registeredAt(double currentUa) const {
    const double trueRate = cpsPerUa.value * currentUa;
    return trueRate / (1 + trueRate * deadTimeS.value);
}

DeadTimeResult deadTimeFromCurrent(const std::vector<SeriesPoint>& input) {
    DeadTimeResult result;
    std::vector<SeriesPoint> points = input;
    if (!sortedUsable(points, &result.reason, 3)) {
        return result;
    }
    std::vector<double> x, y, s;
    for (const SeriesPoint& p : points) {
        if (p.x > 0 && p.rateCps > 0 && p.sigmaCps > 0) {
            x.push_back(1.0 / p.x);
            y.push_back(1.0 / p.rateCps);
            s.push_back(p.sigmaCps / (p.rateCps * p.rateCps));
        }
    }
    const LineFit fit = fitLine(x, y, s);
    if (!fit.ok || x.size() < 3 || !(fit.slope.value > 0)) {
        result.reason = QStringLiteral("Too few readings with a current and a rate above zero.");
        return result;
    }
    result.deadTimeS = fit.intercept;
    const double k = 1.0 / fit.slope.value;
    result.cpsPerUa = {k, k * fit.slope.sigma / fit.slope.value};
    return result;
}

MoseleyResult moseley(const std::vector<MoseleyReading>& readings) {
    MoseleyResult result;
    // The last reading of each radiator and filter counts, as in the workbook.
    std::map<std::pair<int, int>, MoseleyReading> last;
    for (const MoseleyReading& r : readings) {
        if (r.radiatorZ > 0) {
            last[{r.radiatorZ, r.filterZ}] = r;
        }
    }
    std::map<int, std::vector<Transmission>> byFilter;
    for (const auto& [key, r] : last) {
        const auto open = last.find({key.first, 0});
        if (key.second == 0 || open == last.end() || !(open->second.rateCps > 0)) {
            continue;
        }
        const double t = r.rateCps / open->second.rateCps;
        const double rel = std::hypot(r.rateCps > 0 ? r.sigmaCps / r.rateCps : 0.0,
                                      open->second.sigmaCps / open->second.rateCps);
        Transmission tr{key.first, key.second, {t, t * rel}};
        result.transmissions.push_back(tr);
        byFilter[key.second].push_back(tr);
    }
    std::vector<double> z, sqrtE, sigma, sqrtRef;
    for (auto& [filterZ, list] : byFilter) {
        std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.radiatorZ < b.radiatorZ; });
        std::optional<std::size_t> drop;
        double worst = 1.0;
        for (std::size_t i = 0; i + 1 < list.size(); ++i) {
            const double ratio =
                list[i].value.value > 0 ? list[i + 1].value.value / list[i].value.value : 1.0;
            if (list[i + 1].radiatorZ == list[i].radiatorZ + 1 && ratio < worst) {
                worst = ratio;
                drop = i;
            }
        }
        if (!drop || worst > 0.5) {
            continue; // no sharp drop between neighbours: the edge was not bracketed
        }
        EdgeBracket bracket;
        bracket.filterZ = filterZ;
        bracket.belowZ = list[*drop].radiatorZ;
        bracket.aboveZ = list[*drop + 1].radiatorZ;
        bracket.belowKeV = kAlpha1KeV(bracket.belowZ);
        bracket.aboveKeV = kAlpha1KeV(bracket.aboveZ);
        bracket.referenceEdgeKeV = kEdgeKeV(filterZ);
        bracket.edgeKeV = {(bracket.belowKeV + bracket.aboveKeV) / 2,
                           (bracket.aboveKeV - bracket.belowKeV) / 2};
        result.brackets.push_back(bracket);
        z.push_back(filterZ);
        sqrtE.push_back(std::sqrt(bracket.edgeKeV.value));
        sigma.push_back(bracket.edgeKeV.sigma / (2 * std::sqrt(bracket.edgeKeV.value)));
        sqrtRef.push_back(std::sqrt(bracket.referenceEdgeKeV));
    }
    if (result.brackets.size() < 2) {
        result.reason =
            result.transmissions.empty()
                ? QStringLiteral("No radiator measured both with and without a filter.")
                : QStringLiteral("Moseley's law needs the K edges of two or more filters bracketed.");
        return result;
    }
    result.measured = moseleyLine(z, sqrtE, sigma);
    result.reference = moseleyLine(z, sqrtRef, sigma);
    return result;
}

} // namespace analysis
