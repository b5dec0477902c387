// X-ray data of the elements, from xraylib: line and edge energies, attenuation, density. The rest of
// the program sees only these functions; no table of these values is typed into the program.
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace analysis {

// The atomic number of an element symbol ("Cu", case ignored after the first letter), 0 when unknown.
int atomicNumber(QStringView symbol);
// The symbol of an atomic number ("Cu"), empty when unknown.
QString elementSymbol(int z);

// A characteristic line of an element.
struct XrayLine {
    QString name;            // "Kα1", "Kα2", "Kβ1", "Lα1", ...
    double energyKeV = 0;    // xraylib's line energy
    double relativeRate = 0; // radiative rate within its shell (xraylib RadRate): Kα1 : Kα2 ≈ 2 : 1
};

// The lines an anode or radiator of element z emits in the spectrometer's range: Kα1, Kα2, Kβ1 for
// every element xraylib knows, and the L lines Lα1, Lα2, Lβ1, Lβ2, Lγ1 for heavy elements (z >= 50,
// such as W). Lines xraylib has no energy for are left out; an unknown element gives none.
std::vector<XrayLine> characteristicLines(int z);

// K-edge energy in keV; NaN when unknown.
double kEdgeKeV(int z);
// Total mass attenuation coefficient μ/ρ in cm²/g at `energyKeV`; NaN when unknown.
double massAttenuationCm2PerG(int z, double energyKeV);
// Density of the element in g/cm³; NaN when unknown.
double densityGPerCm3(int z);

} // namespace analysis
