// Peaks of a counting-rate series: a search that holds up under Poisson noise, and the fit of each
// peak as a Gaussian on a linear background (or as a Kα1/Kα2 doublet) by weighted non-linear least
// squares.
//
// The search smooths the rates with a triangular kernel about 0.3° wide, estimates the background
// under the peaks by iterative clipping (SNIP, on the log-log-square-root scale that suits counting
// data), and keeps the local maxima whose smoothed rate above that background is at least
// `thresholdSigma` standard deviations of the smoothed counting noise.
#pragma once

#include "analysis/deadtime.h"
#include "analysis/measured.h"

#include <vector>

namespace analysis {

// Points in ascending angle: rates (dead-time corrected where asked) with the σ a fit weights them by.
struct Series {
    std::vector<double> x, y, sigma;
    Counting counting;
    double stepDeg = 0.05; // the scan's angular step
};

// The series smoothed with the search's kernel, and the standard deviation of each smoothed value.
struct Smoothed {
    std::vector<double> y, sigma;
};
Smoothed smooth(const Series& series);
// The background under the peaks of a smoothed series.
std::vector<double> snipBackground(const std::vector<double>& smoothed, double stepDeg);

struct PeakCandidate {
    std::size_t index = 0; // of the point at the maximum
    double netCps = 0;     // smoothed rate above the background there
    double significance = 0;
    double widthDeg = 0; // rough full width at half maximum of the smoothed net peak
    double backgroundCps = 0;
};

inline constexpr double kPeakThresholdSigma = 5.0;
std::vector<PeakCandidate> findPeaks(const Series& series, double thresholdSigma = kPeakThresholdSigma);

// A fitted Gaussian (one line of a doublet, too) with the linear background under it.
struct GaussianFit {
    bool ok = false;
    Measured centreDeg, fwhmDeg, heightCps, netCounts;
    double chi2PerDof = 0;
    double fromDeg = 0, toDeg = 0; // the points fitted
    double backgroundAtCentre = 0;
};

// The narrowest line a fit may give: two steps, at most 0.15°. Narrower fits stand on one or two
// points of noise.
double minFwhmDeg(double stepDeg);

// A single Gaussian on a linear background around a candidate; not ok for a fit narrower than
// minFwhmDeg.
GaussianFit fitGaussian(const Series& series, const PeakCandidate& candidate);

// A Gaussian of a given width (the instrument's, from the lines already fitted) on a linear
// background around a candidate: for a weak line where the free width would follow the noise.
// Its FWHM is reported with no uncertainty.
GaussianFit fitGaussianOfWidth(const Series& series, const PeakCandidate& candidate, double fwhmDeg);

// Two Gaussians of one width whose centres keep the ratio of the two lines' wavelengths
// (sin(c2/2) = ratio·sin(c1/2)) and whose heights keep the lines' intensity ratio, on one linear
// background, over [fromDeg, toDeg]. The first line's centre starts at `startDeg`.
struct DoubletFit {
    bool ok = false;
    GaussianFit first, second;
};
DoubletFit fitDoublet(const Series& series, double startDeg, double startFwhmDeg, double fromDeg,
                      double toDeg, double wavelengthRatio, double intensityRatio);

// The arm angle of the second line of a doublet whose first line stands at `firstDeg`.
double partnerAngleDeg(double firstDeg, double wavelengthRatio);

} // namespace analysis
