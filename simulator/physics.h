// What the detector of the simulated apparatus sees: the X-ray spectrum of the tube reflected by the
// analyser crystal at a given detector angle (2 theta), or the fluorescence of a radiator, passed
// through an optional filter foil, and the Geiger-Mueller counter that turns it into counts.
//
// All functions here are pure; the firmware model draws the Poisson counts from the mean rates.
// The constants and their sources are listed in simulator/README.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// Anodes of the X-ray tube.
enum class Anode { Cu, Mo, Fe };
// Analyser crystals (the 200 reflection).
enum class Crystal { NaCl, LiF };

// The things on the bench that the protocol cannot change: knobs and parts of the apparatus.
struct Bench {
    Anode anode = Anode::Cu;
    Crystal crystal = Crystal::NaCl;
    double tubeKv = 35.0;    // tube voltage; 0 switches the emission off
    int tubeCurrentUa = 200; // tube current in microamperes, 0..255 (one byte on the wire)
    int filterZ = 0;         // filter foil element 23..30 (V..Zn); 0 = no filter
    double filterUm = 0.0;   // filter foil thickness, micrometres
    int radiatorZ = 0;       // fluorescence radiator element 23..30 in the beam; 0 = the crystal
    int armAngleError = 0;   // true detector angle minus the arm's position counter at power-up, steps
    int referenceError = 0;  // the same after a coarse calibration (repeatability of the reference switch)
    double backgroundCps = 0.3;
};

// One element of the fluorescence and filter table (Z 23..30).
struct Element {
    int z;
    const char* symbol;
    double kAlpha1Kev;
    double kBeta1Kev;
    double kEdgeKev;
    double edgeJump;        // ratio of the absorption just above and just below the K edge
    double muAboveEdgeCm2g; // mass attenuation coefficient just above the K edge
    double densityGcm3;
};

const Element* elementByZ(int z);
const Element* elementBySymbol(std::string_view symbol); // case-insensitive; null when unknown

std::optional<Anode> anodeByName(std::string_view name);     // "Cu", "Mo", "Fe" (any case)
std::optional<Crystal> crystalByName(std::string_view name); // "NaCl", "LiF" (any case)
const char* anodeName(Anode anode);
const char* crystalName(Crystal crystal);

// Checks a bench for values the model cannot use; returns an explanation, or empty when usable.
std::string benchProblem(const Bench& bench);

inline constexpr double kHcKevPm = 1239.84198; // h c: wavelength in pm = kHcKevPm / energy in keV

// Lattice spacing d of the crystal's reflecting planes, pm.
double latticeSpacingPm(Crystal crystal);
// Detector angle 2 theta (degrees) at which order n reflects a wavelength; empty when impossible.
std::optional<double> braggTwoThetaDeg(double wavelengthPm, Crystal crystal, int order);
// Short-wavelength (Duane-Hunt) limit of the continuum, pm; 0 kV gives +infinity.
double duaneHuntLimitPm(double tubeKv);

// Wavelengths of the anode's characteristic lines, pm.
struct AnodeLines {
    double kAlpha1Pm;
    double kAlpha2Pm;
    double kBeta1Pm;
    double kEdgeKev;
    double kBetaToKAlpha;
    int z;
};
AnodeLines anodeLines(Anode anode);

// Fraction of photons of the given energy that pass the bench's filter foil (1 without a filter).
double filterTransmission(const Bench& bench, double energyKev);
// Fraction of photons of the given energy that the Geiger counter registers on its plateau.
double detectorEfficiency(double energyKev);

// Events per second the counter registers on its plateau at detector angle 2 theta, before its
// high-voltage response and dead time: the photons that pass the filter times the counter's
// efficiency (background not included).
double plateauRate(const Bench& bench, double twoThetaDeg);

// The Geiger-Mueller counter.
namespace geiger {
inline constexpr double kStartingVolts = 325.0;
inline constexpr double kPlateauStartVolts = 450.0;
inline constexpr double kPlateauEndVolts = 650.0;
inline constexpr double kDeadTimeS = 100e-6;
// Relative counting efficiency at a tube voltage: 0 below the starting voltage, rising to 1 at the
// start of the plateau, then a slope of a few per cent per 100 V.
double voltageResponse(double volts);
// Spurious discharges beyond the plateau, counts per second (0 on and below the plateau).
double dischargeRate(double volts);
// Rate the counter registers for a true event rate (non-paralysable dead time).
double registeredRate(double trueRate);
} // namespace geiger

// Mean counting rate (counts per second) the apparatus registers at a detector angle, with the
// counter's high voltage on or off and set to `hvVolts`. Nothing is counted with the HV off.
double registeredRate(const Bench& bench, double twoThetaDeg, bool hvOn, double hvVolts);

} // namespace sim
