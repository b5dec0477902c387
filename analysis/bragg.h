// Bragg geometry of the goniometer: the arm carrying the counter stands at 2θ when the crystal
// stands at θ, so a line of wavelength λ in order n appears at the arm angle 2·asin(nλ / 2d).
#pragma once

#include "analysis/measured.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <span>

class trecdata;

namespace analysis {

// h·c in keV·pm (CODATA 2018: 1.23984198 keV·nm).
inline constexpr double kHcKeVPm = 1239.842;

struct Crystal {
    const char* name;
    double dPm; // lattice spacing of the reflecting planes
};

// The crystals of the apparatus: NaCl (200) 282.01 pm, LiF (200) 201.3 pm, KBr (200) 329.0 pm.
// LiF is xraylib's 201.315 pm (a = 402.6 pm); the 201.4 pm found in some manuals is 0.05 % long,
// which moves Mo Kα by 0.035 pm: several standard uncertainties of a good scan.
std::span<const Crystal> knownCrystals();
// The lattice spacing of a named crystal (case ignored), nothing for an unknown name.
std::optional<double> crystalSpacingPm(QStringView name);

// λ = 2d·sin(arm/2)/n in pm for an arm angle in degrees.
double wavelengthPm(double armDeg, double dPm, int order);
// The same with the angle's standard uncertainty carried through (first order in σ).
Measured wavelengthPm(Measured armDeg, double dPm, int order);
// E = hc/λ in keV; NaN for λ <= 0.
double energyKeV(double wavelengthPm);
Measured energyKeV(Measured wavelengthPm);
// The arm angle in degrees at which λ appears in order n; NaN when nλ > 2d (no reflection).
double armAngleDeg(double wavelengthPm, double dPm, int order);

// The displayed angle of cell `index` of a record, in degrees: the record's own cell angles with its
// offset applied exactly as the plot and the record file apply it (trecdata::IndexToAngle).
double cellAngleDeg(const trecdata& record, int index);

} // namespace analysis
