// The anode's characteristic lines named among the fitted peaks, in the diffraction orders 1..N, and
// the lattice spacing the named lines imply.
//
// Kα1 and Kα2 lie so close that a scan resolves them only in higher orders. Every peak near the
// Kα pair of an order is therefore refitted as a doublet: two Gaussians of one width, Kα2 held at the
// angle of the tabulated wavelength ratio and at the tabulated intensity ratio (xraylib's radiative
// rates, about 1 : 2). Where the two angles lie at least half a line width and two steps apart, the
// pair counts as resolved and both lines are reported; otherwise one line "Kα" is reported at the
// intensity-weighted mean wavelength (Cu: 154.19 pm), which is what the eye and a single Gaussian
// take for the line's position.
#pragma once

#include "analysis/evaluation.h"
#include "analysis/peaks.h"

#include <QString>

#include <vector>

namespace analysis {

struct NamedLine {
    QString name;
    double lambdaPm = 0;
};

struct LineCatalogue {
    std::vector<NamedLine> lines; // Kα (the weighted mean), Kα1, Kα2, Kβ1, then the L lines
    double kAlpha1Pm = 0, kAlpha2Pm = 0, kAlphaMeanPm = 0;
    double kAlpha2Share = 0; // intensity of Kα2 relative to Kα1
};

inline const QString kKAlpha = QStringLiteral("Kα");
inline const QString kKAlpha1 = QStringLiteral("Kα1");
inline const QString kKAlpha2 = QStringLiteral("Kα2");

// The lines of the anode with atomic number z (from xraylib); empty lines for an unknown element.
LineCatalogue lineCatalogue(int z);

// A peak from a fitted line, not yet named; its first-order wavelength filled in.
Peak peakFromFit(const GaussianFit& fit, double dPm);

// Names a peak as `line` in `order`: its wavelength and energy in that order and the deviation from
// the tabulated wavelength.
void nameLine(Peak& peak, const QString& line, int order, double tabulatedPm, double dPm);

// Replaces the peaks near the Kα pair of each order by a doublet fit, named as above.
void fitKAlphaDoublets(const Series& series, const LineCatalogue& catalogue, const EvalOptions& options,
                       std::vector<Peak>& peaks);

// Names every peak still unnamed: the nearest line and order whose predicted angle lies within the
// larger of three standard uncertainties of the centre and the step; the others stay unknown.
void identifyLines(std::vector<Peak>& peaks, const LineCatalogue& catalogue, const EvalOptions& options,
                   double stepDeg);

// The lattice spacing the named lines imply: each d = nλ/(2 sin θ), one weighted mean (its σ scaled
// by the Birge ratio where the lines disagree more than their σ allow). Unknown without a named line.
Measured impliedSpacing(const std::vector<Peak>& peaks);

} // namespace analysis
