// What an evaluation adds to the plot: a marker and a label over each peak ("Kα n=1", or its
// wavelength when no line of the anode matches it) and the Duane–Hunt line where it was found.
// Painted in the curve's content coordinates, on the screen canvas and on the printed page alike.
#pragma once

#include "mainwindow/plot/plotcurve.h"

#include <QColor>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

namespace analysis {
struct Peak;
struct SpectrumResult;
} // namespace analysis

namespace plot {

struct PeakMark {
    double angleDeg = 0;
    double topCps = 0; // the peak's top: background and height
    QString label;
};

struct EvalMarks {
    std::vector<PeakMark> peaks;
    bool duaneHunt = false;
    double edgeFromDeg = 0; // the fitted line from where it meets the background ...
    double edgeToDeg = 0;   // ... to the top of the rising edge used
    double lineIntercept = 0;
    double lineSlope = 0;
    double backgroundCps = 0;
};

// "Kα n=1" for a named line in order n, "λ 154.0 pm" for a peak no line matches.
QString peakLabel(const analysis::Peak& peak);
EvalMarks evalMarks(const analysis::SpectrumResult& result);

// Content x of an angle in degrees, content y of a rate, for a curve mapping.
double xOfDegrees(double angleDeg, const CurveMapping& mapping);
double yOfRate(double rateCps, const CurveMapping& mapping);

// Where a peak's label goes: its text's baseline centre, kept inside the top of the content area
// (a peak above the full scale is labelled at the top).
struct LabelPlace {
    double x = 0;            // the marker's
    double textX = 0;        // the label's centre, kept within the area's width (near its ends)
    double markerTop = 0;    // the marker runs from here ...
    double markerBottom = 0; // ... down to just above the peak
    double baseline = 0;
};
LabelPlace labelPlace(const PeakMark& mark, const CurveMapping& mapping, int textAscent);

// The places of all the labels, so that none covers another: a label that would overlap one
// already placed (a resolved doublet's pair, close lines in high orders) goes a line higher, its
// marker reaching up to it, or a line below the lowest it meets where the top leaves no room.
// `widthOf` gives a label's text width, `lineHeight` the text's height.
std::vector<LabelPlace> labelPlaces(const std::vector<PeakMark>& marks, const CurveMapping& mapping,
                                    int textAscent, int lineHeight,
                                    const std::function<double(const QString&)>& widthOf);

// Paints the marks with the painter's font in `colour`.
void paintEvalMarks(QPainter& painter, const EvalMarks& marks, const CurveMapping& mapping,
                    const QColor& colour);

} // namespace plot
