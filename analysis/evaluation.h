// The evaluation of a Bragg spectrum: the record's points with their uncertainties, wavelength and
// energy; the peaks found and fitted; the anode's lines named in their orders; the lattice spacing the
// named lines imply; the Duane–Hunt limit and Planck's constant. One call, used by the command line
// and the windows alike.
#pragma once

#include "analysis/evaloptions.h"
#include "analysis/measured.h"

#include <QString>

#include <vector>

class trecdata;

namespace analysis {

// One valid cell of the record, dead-time corrected when the options ask for it.
struct SpectrumPoint {
    double angleDeg = 0;
    double rateCps = 0;
    double rateSigmaCps = 0;
    double wavelengthPm = 0; // first order
    double energyKeV = 0;    // first order
};

struct Peak {
    Measured centreDeg;
    Measured fwhmDeg;
    Measured heightCps; // above the background
    Measured netCounts; // counts above the background under the peak (rate × counting time summed)
    double chi2PerDof = 0;
    double backgroundAt = 0; // background rate at the centre (for drawing)
    // The line it was matched to: "Kα1", "Kα2", "Kβ1", "Kα" (an unresolved Kα1/Kα2 doublet: the
    // intensity-weighted mean), ... ; empty when no line of the anode lies near it ("unknown").
    QString line;
    int order = 0;     // diffraction order of the match, 0 when unknown
    Measured lambdaPm; // measured wavelength in the matched order (first order when unknown)
    Measured energyKeV;
    double tabulatedPm = 0; // the line's wavelength from xraylib (0 when unknown)
    double deviationPm = 0; // measured − tabulated
    // Fitted as a Kα1/Kα2 pair with one width, the tabulated wavelength ratio and intensity ratio
    // (fwhmDeg is then the width of each line); both lines of a resolved pair carry it.
    bool doublet = false;
    double fitFromDeg = 0; // the points the fit used
    double fitToDeg = 0;
};

struct DuaneHunt {
    bool found = false;
    QString reason;     // why not, when not found ("no edge above the background")
    double fromDeg = 0; // the rising edge used
    double toDeg = 0;
    Measured lambdaMinPm;
    Measured energyMaxKeV;
    Measured planckJs;                 // h = e·U·λmin/c; unknown without a tube voltage
    double planckDeviationPercent = 0; // against 6.62607015e-34 J s
    // The fitted straight line rate = a + b·angle and the background it meets (for drawing).
    double lineIntercept = 0;
    double lineSlope = 0;
    double backgroundCps = 0;
};

struct SpectrumResult {
    QString error;            // non-empty: the options or the record cannot be evaluated at all
    EvalOptions options;      // as used (the comment's words applied)
    QStringList notes;        // what the reader should know ("no peak found", comment words refused)
    double countingTimeS = 0; // per point
    double stepDeg = 0;       // the record's angular step
    std::vector<SpectrumPoint> points;
    std::vector<Peak> peaks;
    Measured impliedDPm; // weighted mean over the named lines; unknown without one
    DuaneHunt duaneHunt;
};

// Whether the record's comment words apply over the options given (a caller that has applied them
// itself and put the user's explicit choices over them passes Ignore).
enum class CommentWords { Apply, Ignore };

// Evaluates the record with `defaults` and the record's comment words applied over them. Reads the
// record only (the window thread may call it on the live record while the thread fills it).
SpectrumResult analyseSpectrum(const trecdata& record, const EvalOptions& defaults,
                               CommentWords comment = CommentWords::Apply);

} // namespace analysis
