// The whole evaluation of a scalar series, as its reader sees it: the lines of text (numbers with
// their uncertainties, or one line saying why the series cannot be evaluated) and the fitted curves
// to draw over the readings, both from one evaluation, so that the panel, the exports and the chart
// never disagree.
#pragma once

#include "analysis/series.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace analysis {

// What the series varies, and so which evaluation it gets.
enum class SeriesKind {
    counterPlateau,    // detector HV: the counter's plateau
    attenuation,       // filter thickness (mm): ln R against thickness
    deadTime,          // tube current (µA): the dead-time curve
    moseleyByRadiator, // X is the radiator: each filter's K edge between two radiators
    moseleyByFilter,   // X is the filter: the same lines, no curve
    none,              // nothing to evaluate (the detector position)
};

struct CurvePoint {
    double x = 0;
    double y = 0;
};
// A polyline in the chart's units (X as the readings', Y in cps). `filterZ` >= 0 draws it in that
// filter's colour (0: "none"), -1 in the colour of a fit.
struct SeriesCurve {
    std::vector<CurvePoint> points;
    int filterZ = -1;
};

struct SeriesEvaluation {
    QStringList lines;
    std::vector<SeriesCurve> curves;
};

// `anodeZ` gives the radiation's energy for the attenuation when no radiator is declared.
SeriesEvaluation evaluateSeries(SeriesKind kind, const std::vector<SeriesReading>& readings, int anodeZ = 29);

} // namespace analysis
