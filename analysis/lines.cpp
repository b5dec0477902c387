#include "analysis/lines.h"

#include "analysis/bragg.h"
#include "analysis/xraydata.h"

#include <cmath>
#include <numbers>

namespace analysis {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;

} // namespace

void nameLine(Peak& peak, const QString& line, int order, double tabulatedPm, double dPm) {
    peak.line = line;
    peak.order = order;
    peak.tabulatedPm = tabulatedPm;
    peak.lambdaPm = wavelengthPm(peak.centreDeg, dPm, order);
    peak.energyKeV = energyKeV(peak.lambdaPm);
    peak.deviationPm = peak.lambdaPm.value - tabulatedPm;
}

LineCatalogue lineCatalogue(int z) {
    LineCatalogue catalogue;
    double rate1 = 0, rate2 = 0;
    for (const XrayLine& line : characteristicLines(z)) {
        const double lambda = kHcKeVPm / line.energyKeV;
        if (line.name == kKAlpha1) {
            catalogue.kAlpha1Pm = lambda;
            rate1 = line.relativeRate;
        } else if (line.name == kKAlpha2) {
            catalogue.kAlpha2Pm = lambda;
            rate2 = line.relativeRate;
        }
        catalogue.lines.push_back({line.name, lambda});
    }
    if (catalogue.kAlpha1Pm > 0 && catalogue.kAlpha2Pm > 0 && rate1 > 0 && rate2 > 0) {
        catalogue.kAlpha2Share = rate2 / rate1;
        catalogue.kAlphaMeanPm =
            (rate1 * catalogue.kAlpha1Pm + rate2 * catalogue.kAlpha2Pm) / (rate1 + rate2);
        catalogue.lines.insert(catalogue.lines.begin(), NamedLine{kKAlpha, catalogue.kAlphaMeanPm});
    }
    return catalogue;
}

Peak peakFromFit(const GaussianFit& fit, double dPm) {
    Peak peak;
    peak.centreDeg = fit.centreDeg;
    peak.fwhmDeg = fit.fwhmDeg;
    peak.heightCps = fit.heightCps;
    peak.netCounts = fit.netCounts;
    peak.chi2PerDof = fit.chi2PerDof;
    peak.backgroundAt = fit.backgroundAtCentre;
    peak.fitFromDeg = fit.fromDeg;
    peak.fitToDeg = fit.toDeg;
    peak.lambdaPm = wavelengthPm(peak.centreDeg, dPm, 1);
    peak.energyKeV = energyKeV(peak.lambdaPm);
    return peak;
}

void identifyLines(std::vector<Peak>& peaks, const LineCatalogue& catalogue, const EvalOptions& options,
                   double stepDeg) {
    for (Peak& peak : peaks) {
        if (!peak.line.isEmpty()) {
            continue;
        }
        const double tolerance = std::max(3 * peak.centreDeg.sigma, stepDeg);
        double best = tolerance;
        const NamedLine* match = nullptr;
        int matchOrder = 0;
        for (int order = 1; order <= options.orders; ++order) {
            for (const NamedLine& line : catalogue.lines) {
                const double distance =
                    std::abs(armAngleDeg(line.lambdaPm, options.dPm, order) - peak.centreDeg.value);
                if (distance <= best) {
                    best = distance;
                    match = &line;
                    matchOrder = order;
                }
            }
        }
        if (match != nullptr) {
            nameLine(peak, match->name, matchOrder, match->lambdaPm, options.dPm);
        }
    }
}

Measured impliedSpacing(const std::vector<Peak>& peaks) {
    double sumW = 0, sumWD = 0, sumWDD = 0;
    int count = 0;
    for (const Peak& peak : peaks) {
        // The Kα2 of a doublet comes from the same fitted centre as its Kα1: counted once.
        if (peak.order == 0 || (peak.doublet && peak.line == kKAlpha2) || !(peak.centreDeg.sigma > 0)) {
            continue;
        }
        const double half = peak.centreDeg.value * kRadPerDeg / 2;
        const double d = peak.order * peak.tabulatedPm / (2 * std::sin(half));
        const double sigma = d / std::tan(half) * peak.centreDeg.sigma * kRadPerDeg / 2;
        const double w = 1 / (sigma * sigma);
        sumW += w;
        sumWD += w * d;
        sumWDD += w * d * d;
        ++count;
    }
    if (count == 0) {
        return {};
    }
    const double mean = sumWD / sumW;
    const double chi2 = std::max(sumWDD - sumW * mean * mean, 0.0);
    const double birge = count > 1 ? std::max(1.0, std::sqrt(chi2 / (count - 1))) : 1.0;
    return {mean, birge / std::sqrt(sumW)};
}

} // namespace analysis
