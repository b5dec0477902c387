#include "simulator/physics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>

namespace sim {

namespace {

// K lines and absorption data of the elements V..Zn (X-ray Data Booklet; mass attenuation from
// XrayDB / xraylib computations; densities from standard tables).
constexpr std::array<Element, 8> kElements{{
    {23, "V", 4.952, 5.427, 5.465, 8.0, 586.0, 6.11},
    {24, "Cr", 5.415, 5.947, 5.989, 7.8, 516.0, 7.15},
    {25, "Mn", 5.899, 6.490, 6.539, 7.8, 451.0, 7.21},
    {26, "Fe", 6.404, 7.058, 7.112, 7.6, 407.0, 7.86},
    {27, "Co", 6.930, 7.649, 7.709, 7.5, 355.0, 8.90},
    {28, "Ni", 7.478, 8.265, 8.333, 7.4, 329.0, 8.91},
    {29, "Cu", 8.048, 8.905, 8.979, 7.3, 278.0, 8.96},
    {30, "Zn", 8.639, 9.572, 9.659, 7.2, 253.0, 7.14},
}};

// Exponent of the energy dependence of photoabsorption between absorption edges.
constexpr double kAbsorptionExponent = 2.7;

// Scale of the model, chosen so that a copper tube at 35 kV and 200 uA on NaCl shows a first-order
// K-alpha1 peak of about 3000 cps and a continuum of a few hundred cps (see README.md).
constexpr double kReferenceCurrentUa = 200.0;
constexpr double kReferenceKv = 35.0;
constexpr double kLinePeakCps = 3000.0;    // K-alpha1, first order, at the reference setting
constexpr double kContinuumCps = 1500.0;   // scale of the Kramers continuum
constexpr double kFluorescenceCps = 300.0; // scale of the radiator's fluorescence
constexpr double kLineExponent = 1.6;      // line intensity ~ (U / U_K - 1)^1.6
constexpr double kLineFwhmDeg = 0.25;      // instrument line width in 2 theta (collimator and slit)
constexpr std::array<double, 4> kOrderReflectivity{1.0, 0.2, 0.04, 0.008};
constexpr double kRadiatorKBetaFraction = 0.13;

// Geiger counter window and gas (model constants, README.md).
constexpr double kWindowKev = 3.0;
constexpr double kGasKev = 20.0;

double degToRad(double deg) {
    return deg * std::numbers::pi / 180.0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Overvoltage term of the characteristic line intensity, 0 below the K edge.
double overvoltageTerm(double tubeKv, double edgeKev) {
    if (tubeKv <= edgeKev) {
        return 0.0;
    }
    return std::pow(tubeKv / edgeKev - 1.0, kLineExponent);
}

// Relative strengths of the anode's lines at the bench setting; K-alpha1 at the reference setting = 1.
struct LineStrengths {
    double kAlpha1;
    double kAlpha2;
    double kBeta1;
};

LineStrengths lineStrengths(const Bench& bench) {
    const AnodeLines lines = anodeLines(bench.anode);
    const double relative = bench.tubeCurrentUa / kReferenceCurrentUa *
                            overvoltageTerm(bench.tubeKv, lines.kEdgeKev) /
                            overvoltageTerm(kReferenceKv, lines.kEdgeKev);
    return {relative, relative * 0.5, relative * 1.5 * lines.kBetaToKAlpha};
}

double gaussianProfile(double offsetDeg) {
    const double x = offsetDeg / kLineFwhmDeg;
    return std::exp(-4.0 * std::numbers::ln2 * x * x);
}

// What the counter registers on its plateau from photons of one energy arriving at `rate`.
double detected(const Bench& bench, double rate, double energyKev) {
    return rate * filterTransmission(bench, energyKev) * detectorEfficiency(energyKev);
}

double braggRate(const Bench& bench, double twoThetaDeg) {
    const double theta = degToRad(twoThetaDeg / 2.0);
    if (theta <= 0.0 || theta >= std::numbers::pi / 2.0) {
        return 0.0;
    }
    const AnodeLines lines = anodeLines(bench.anode);
    const LineStrengths strength = lineStrengths(bench);
    const double d = latticeSpacingPm(bench.crystal);
    const double lambdaMin = duaneHuntLimitPm(bench.tubeKv);
    const double current = bench.tubeCurrentUa / kReferenceCurrentUa;
    const double kvScale = bench.tubeKv / kReferenceKv;
    // Each line's peak is normalised to its K-alpha1 counterpart through the counter's efficiency.
    const double referenceEfficiency = detectorEfficiency(kHcKevPm / lines.kAlpha1Pm);

    double rate = 0.0;
    for (int order = 1; order <= static_cast<int>(kOrderReflectivity.size()); ++order) {
        const double reflectivity = kOrderReflectivity[order - 1];
        const double lambda = 2.0 * d * std::sin(theta) / order;
        if (lambda > lambdaMin) {
            const double x = lambda / lambdaMin;
            const double density =
                kContinuumCps * current * (lines.z / 29.0) * kvScale * kvScale * (x - 1.0) / (x * x);
            rate += detected(bench, density * std::cos(theta) / order * reflectivity, kHcKevPm / lambda);
        }
        const std::array<std::pair<double, double>, 3> lineSet{{
            {lines.kAlpha1Pm, strength.kAlpha1},
            {lines.kAlpha2Pm, strength.kAlpha2},
            {lines.kBeta1Pm, strength.kBeta1},
        }};
        for (const auto& [wavelength, relative] : lineSet) {
            const auto at = braggTwoThetaDeg(wavelength, bench.crystal, order);
            if (!at || relative <= 0.0) {
                continue;
            }
            const double peak = kLinePeakCps * relative * reflectivity / referenceEfficiency;
            rate += detected(bench, peak * gaussianProfile(twoThetaDeg - *at), kHcKevPm / wavelength);
        }
    }
    return rate;
}

double fluorescenceRate(const Bench& bench) {
    const Element* radiator = elementByZ(bench.radiatorZ);
    if (radiator == nullptr || bench.tubeKv <= radiator->kEdgeKev) {
        return 0.0;
    }
    const AnodeLines lines = anodeLines(bench.anode);
    const LineStrengths strength = lineStrengths(bench);
    const double u = bench.tubeKv;
    const double edge = radiator->kEdgeKev;
    // Continuum photons above the radiator's K edge (Kramers: N(E) ~ Z (U - E) / E), per 10 keV.
    double excitation = (lines.z / 29.0) * bench.tubeCurrentUa / kReferenceCurrentUa *
                        (u * std::log(u / edge) - (u - edge)) / 10.0;
    // Anode lines that lie above the edge excite it too.
    const std::array<std::pair<double, double>, 3> lineSet{{
        {lines.kAlpha1Pm, strength.kAlpha1},
        {lines.kAlpha2Pm, strength.kAlpha2},
        {lines.kBeta1Pm, strength.kBeta1},
    }};
    for (const auto& [wavelength, relative] : lineSet) {
        if (kHcKevPm / wavelength > edge) {
            excitation += relative;
        }
    }
    const double z4 = std::pow(static_cast<double>(radiator->z), 4.0);
    const double yield = z4 / (1.12e6 + z4); // K fluorescence yield, common approximation
    const double emitted = kFluorescenceCps * excitation * yield * (1.0 - 1.0 / radiator->edgeJump);
    return detected(bench, emitted * (1.0 - kRadiatorKBetaFraction), radiator->kAlpha1Kev) +
           detected(bench, emitted * kRadiatorKBetaFraction, radiator->kBeta1Kev);
}

} // namespace

const Element* elementByZ(int z) {
    for (const Element& element : kElements) {
        if (element.z == z) {
            return &element;
        }
    }
    return nullptr;
}

const Element* elementBySymbol(std::string_view symbol) {
    for (const Element& element : kElements) {
        if (equalsIgnoringCase(element.symbol, symbol)) {
            return &element;
        }
    }
    return nullptr;
}

std::optional<Anode> anodeByName(std::string_view name) {
    for (Anode anode : {Anode::Cu, Anode::Mo, Anode::Fe}) {
        if (equalsIgnoringCase(anodeName(anode), name)) {
            return anode;
        }
    }
    return std::nullopt;
}

std::optional<Crystal> crystalByName(std::string_view name) {
    for (Crystal crystal : {Crystal::NaCl, Crystal::LiF}) {
        if (equalsIgnoringCase(crystalName(crystal), name)) {
            return crystal;
        }
    }
    return std::nullopt;
}

const char* anodeName(Anode anode) {
    switch (anode) {
    case Anode::Mo:
        return "Mo";
    case Anode::Fe:
        return "Fe";
    case Anode::Cu:
        break;
    }
    return "Cu";
}

const char* crystalName(Crystal crystal) {
    return crystal == Crystal::LiF ? "LiF" : "NaCl";
}

std::string benchProblem(const Bench& bench) {
    if (!(bench.tubeKv >= 0.0 && bench.tubeKv <= 60.0)) {
        return "tube voltage must lie between 0 and 60 kV";
    }
    if (bench.tubeCurrentUa < 0 || bench.tubeCurrentUa > 255) {
        return "tube current must lie between 0 and 255 uA";
    }
    if (bench.filterZ != 0 && elementByZ(bench.filterZ) == nullptr) {
        return "filter must be one of V, Cr, Mn, Fe, Co, Ni, Cu, Zn";
    }
    if (!(bench.filterUm >= 0.0 && bench.filterUm <= 1000.0)) {
        return "filter thickness must lie between 0 and 1000 um";
    }
    if (bench.radiatorZ != 0 && elementByZ(bench.radiatorZ) == nullptr) {
        return "radiator must be one of V, Cr, Mn, Fe, Co, Ni, Cu, Zn";
    }
    if (std::abs(bench.armAngleError) > 3600 || std::abs(bench.referenceError) > 3600) {
        return "arm angle errors must lie within 3600 steps";
    }
    if (!(bench.backgroundCps >= 0.0 && bench.backgroundCps <= 1e5)) {
        return "background must lie between 0 and 100000 cps";
    }
    return {};
}

double latticeSpacingPm(Crystal crystal) {
    return crystal == Crystal::LiF ? 201.3 : 282.01;
}

std::optional<double> braggTwoThetaDeg(double wavelengthPm, Crystal crystal, int order) {
    const double s = order * wavelengthPm / (2.0 * latticeSpacingPm(crystal));
    if (order < 1 || s <= 0.0 || s >= 1.0) {
        return std::nullopt;
    }
    return 2.0 * std::asin(s) * 180.0 / std::numbers::pi;
}

double duaneHuntLimitPm(double tubeKv) {
    return tubeKv > 0.0 ? kHcKevPm / tubeKv : std::numeric_limits<double>::infinity();
}

AnodeLines anodeLines(Anode anode) {
    switch (anode) {
    case Anode::Mo:
        return {70.93, 71.36, 63.23, 20.00, 0.19, 42};
    case Anode::Fe:
        return {193.60, 194.00, 175.66, 7.112, 0.14, 26};
    case Anode::Cu:
        break;
    }
    return {154.06, 154.44, 139.22, 8.979, 0.15, 29};
}

double filterTransmission(const Bench& bench, double energyKev) {
    const Element* filter = elementByZ(bench.filterZ);
    if (filter == nullptr || bench.filterUm <= 0.0 || energyKev <= 0.0) {
        return 1.0;
    }
    double mu = filter->muAboveEdgeCm2g * std::pow(filter->kEdgeKev / energyKev, kAbsorptionExponent);
    if (energyKev < filter->kEdgeKev) {
        mu /= filter->edgeJump;
    }
    return std::exp(-mu * filter->densityGcm3 * bench.filterUm * 1e-4);
}

double detectorEfficiency(double energyKev) {
    if (energyKev <= 0.0) {
        return 0.0;
    }
    const double window = std::exp(-std::pow(kWindowKev / energyKev, 3.0));
    const double gas = 1.0 - std::exp(-std::pow(kGasKev / energyKev, kAbsorptionExponent));
    return window * gas;
}

double plateauRate(const Bench& bench, double twoThetaDeg) {
    if (bench.tubeKv <= 0.0 || bench.tubeCurrentUa <= 0) {
        return 0.0;
    }
    return bench.radiatorZ != 0 ? fluorescenceRate(bench) : braggRate(bench, twoThetaDeg);
}

namespace geiger {

double voltageResponse(double volts) {
    if (volts <= kStartingVolts) {
        return 0.0;
    }
    if (volts < kPlateauStartVolts) {
        const double s = (volts - kStartingVolts) / (kPlateauStartVolts - kStartingVolts);
        return s * s * (3.0 - 2.0 * s);
    }
    const double slopePer100V = 0.03;
    return 1.0 + slopePer100V * (std::min(volts, kPlateauEndVolts) - kPlateauStartVolts) / 100.0;
}

double dischargeRate(double volts) {
    if (volts <= kPlateauEndVolts) {
        return 0.0;
    }
    return std::min(2.0 * std::exp((volts - kPlateauEndVolts) / 15.0), 1e6);
}

double registeredRate(double trueRate) {
    return trueRate <= 0.0 ? 0.0 : trueRate / (1.0 + trueRate * kDeadTimeS);
}

} // namespace geiger

double registeredRate(const Bench& bench, double twoThetaDeg, bool hvOn, double hvVolts) {
    if (!hvOn) {
        return 0.0;
    }
    const double events =
        geiger::voltageResponse(hvVolts) * (plateauRate(bench, twoThetaDeg) + bench.backgroundCps) +
        geiger::dischargeRate(hvVolts);
    return geiger::registeredRate(events);
}

} // namespace sim
