// Evaluation of a scalar series: counting rates read against one varied condition. Pure functions,
// data and options in, a result out; every number carries its uncertainty, and a series that cannot
// be evaluated says why in `reason` (one line, for the user).
#pragma once

#include "analysis/linearfit.h"
#include "analysis/measured.h"

#include <QString>

#include <optional>
#include <vector>

namespace analysis {

// One reading: the varied condition and the counting rate with its standard uncertainty.
struct SeriesPoint {
    double x = 0;
    double rateCps = 0;
    double sigmaCps = 0;
};

// The Geiger counter's plateau in a detector-HV series. The plateau is the longest run of
// consecutive voltages whose rates stay within 10 % of the run's first rate, or within 3 σ of the
// counting noise where that is wider; it starts (threshold)
// where the rising edge, interpolated between the last point below and the first on the plateau,
// reaches 90 % of the plateau's first rate. It ends at its last point when a higher voltage reads
// more than 10 % and more than 3 σ above it (discharges). The recommended working voltage lies a third of the
// way from the threshold to the end (to the highest plateau point measured when no end was seen).
struct PlateauResult {
    QString reason; // empty when evaluated
    double thresholdV = 0;
    std::optional<double> endV;
    Measured slopePercentPer100V;
    double workingV = 0;
    LineFit fit; // rate against volts over the plateau points
    double fromV = 0, toV = 0;
    bool ok() const { return reason.isEmpty(); }
};
PlateauResult plateau(std::vector<SeriesPoint> points);

// Attenuation in a filter-thickness series (thickness in mm): ln R against thickness by weighted
// least squares, μ = −slope. `filterZ` is the filter element; `energyKeV` the radiation's energy
// for xraylib's μ/ρ beside the measured one.
struct AttenuationResult {
    QString reason;
    Measured muPerCm;
    Measured muRhoCm2PerG;
    double referenceMuRhoCm2PerG = 0; // xraylib at energyKeV
    double energyKeV = 0;
    LineFit fit; // ln R against mm
    bool ok() const { return reason.isEmpty(); }
};
AttenuationResult attenuation(const std::vector<SeriesPoint>& points, int filterZ, double energyKeV);

// The energy the radiation of a scalar series is taken at: the declared radiator's Kα1 (xraylib),
// or, with no radiator in the beam (radiatorZ 0), the anode's Kα1.
double radiationEnergyKeV(int radiatorZ, int anodeZ);

// Dead time from a tube-current series (current in µA): the true rate is proportional to the
// current, R_true = k·I, and a non-paralysable counter registers R = R_true / (1 + R_true·τ), so
// 1/R = τ + 1/(k·I): a weighted line of 1/R against 1/I gives τ (intercept) and k (1/slope).
struct DeadTimeResult {
    QString reason;
    Measured deadTimeS;
    Measured cpsPerUa; // k, the line through the origin of the true rate
    bool ok() const { return reason.isEmpty(); }
    double registeredAt(double currentUa) const;
};
DeadTimeResult deadTimeFromCurrent(const std::vector<SeriesPoint>& points);

// One reading of a series with what it declares: the radiator and the filter (Z, 0 for none), the
// rate with its counting uncertainty, and the varied condition as the chart shows it (for radiator
// and filter series the item index, which steps by one per element).
struct SeriesReading {
    int radiatorZ = 0;
    int filterZ = 0;
    double rateCps = 0;
    double sigmaCps = 0;
    double x = 0;
};
// Moseley's law from filter K edges: every reading names its radiator and filter.
using MoseleyReading = SeriesReading;
struct Transmission {
    int radiatorZ = 0;
    int filterZ = 0;
    Measured value; // R(filter) / R(none)
};
// For one filter: the neighbouring radiators between which the transmission drops most; its K edge
// lies between their Kα1 energies. The bracket's half width is taken as the edge's uncertainty.
struct EdgeBracket {
    int filterZ = 0;
    int belowZ = 0, aboveZ = 0;
    double belowKeV = 0, aboveKeV = 0;
    double referenceEdgeKeV = 0; // xraylib
    Measured edgeKeV;
};
// √E (keV^½) = slope·(Z − screening), weighted by the brackets; the same through xraylib's edges.
struct MoseleyLine {
    Measured slope;
    Measured screening;
    LineFit fit;
};
struct MoseleyResult {
    QString reason; // set when fewer than two filters give a bracket
    std::vector<Transmission> transmissions;
    std::vector<EdgeBracket> brackets;
    MoseleyLine measured;
    MoseleyLine reference;
    bool ok() const { return reason.isEmpty(); }
};
MoseleyResult moseley(const std::vector<MoseleyReading>& readings);

} // namespace analysis
