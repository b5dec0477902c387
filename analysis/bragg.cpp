#include "analysis/bragg.h"

#include "records/trecdata.h"

#include <array>
#include <cmath>
#include <numbers>

namespace analysis {

namespace {

constexpr std::array kCrystals = {Crystal{"NaCl", 282.01}, Crystal{"LiF", 201.3}, Crystal{"KBr", 329.0}};

constexpr double kRadPerDeg = std::numbers::pi / 180.0;

} // namespace

std::span<const Crystal> knownCrystals() {
    return kCrystals;
}

std::optional<double> crystalSpacingPm(QStringView name) {
    for (const Crystal& crystal : kCrystals) {
        if (name.compare(QLatin1String(crystal.name), Qt::CaseInsensitive) == 0) {
            return crystal.dPm;
        }
    }
    return std::nullopt;
}

double wavelengthPm(double armDeg, double dPm, int order) {
    return 2.0 * dPm * std::sin(armDeg * kRadPerDeg / 2.0) / order;
}

Measured wavelengthPm(Measured armDeg, double dPm, int order) {
    // dλ/d(arm) = d·cos(arm/2)/n per radian of the arm angle.
    const double slope = dPm * std::cos(armDeg.value * kRadPerDeg / 2.0) / order * kRadPerDeg;
    return {wavelengthPm(armDeg.value, dPm, order), std::abs(slope) * armDeg.sigma};
}

double energyKeV(double wavelengthPm) {
    return wavelengthPm > 0 ? kHcKeVPm / wavelengthPm : std::numeric_limits<double>::quiet_NaN();
}

Measured energyKeV(Measured wavelengthPm) {
    const double energy = energyKeV(wavelengthPm.value);
    return {energy, energy * wavelengthPm.sigma / wavelengthPm.value};
}

double armAngleDeg(double wavelengthPm, double dPm, int order) {
    const double s = order * wavelengthPm / (2.0 * dPm);
    if (!(s >= 0 && s <= 1)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return 2.0 * std::asin(s) / kRadPerDeg;
}

double cellAngleDeg(const trecdata& record, int index) {
    return record.IndexToAngle(index) / 20.0;
}

} // namespace analysis
