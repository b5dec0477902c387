// The curve of a scan record: the points of a strip and their painting on any QPainter (the
// screen canvas or a printer page).
#pragma once

#include "mainwindow/plot/plotgeometry.h"

#include <QColor>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

class QPainter;
class trecdata;

namespace plot {

// Everything that maps the record's angles and values to canvas pixels.
struct CurveMapping {
    int g0 = 0;         // angle at the unscrolled left edge (ViewFirstCell)
    int span = 1;       // S (ViewSpan)
    int step = 1;       // the record's angular step
    int firstAngle = 0; // the record's angle range
    int lastAngle = -1;
    Scale scale;    // pixels per angle unit
    int extent = 1; // Hy: pixels the full scale spans
    double fullScale = 50;
};
// The step between the curve's points: the record's angular step, kept within 1 .. 2600 so that a
// damaged record cannot produce absurd strips.
int curveStep(const trecdata& record);
// The mapping of a record's current view for a horizontal scale and a vertical extent.
CurveMapping curveMapping(const trecdata& record, const Scale& scale, int extent);

struct CurvePoint {
    int x = 0;
    int y = 0;
    bool hasData = false;
    friend bool operator==(const CurvePoint&, const CurvePoint&) = default;
};

// Calls visit(angle, x) for the angles in `positions` (counted from G0) that lie on the mapping's
// step grid and angle range, in increasing order, skipping those left of skipBelow and ending at
// the first right of stopAbove.
template <class Visit>
void forEachGridAngle(const CurveMapping& mapping, PositionRange positions, int skipBelow, int stopAbove,
                      Visit&& visit) {
    if (positions.empty()) {
        return;
    }
    const std::int64_t step = mapping.step;
    std::int64_t first =
        std::max<std::int64_t>(std::int64_t{mapping.g0} + positions.first, mapping.firstAngle);
    const std::int64_t last =
        std::min<std::int64_t>(std::int64_t{mapping.g0} + positions.last, mapping.lastAngle);
    // First angle on the step grid at or after `first`.
    first += ((step - first % step) % step);
    for (std::int64_t angle = first; angle <= last; angle += step) {
        const int x = mapping.scale.toPixels(angle - mapping.g0);
        if (x < skipBelow) {
            continue;
        }
        if (x > stopAbove) {
            break;
        }
        visit(static_cast<std::int32_t>(angle), x);
    }
}

// The points of the angles in `positions` (counted from G0) that lie on the record's step grid and
// in its angle range, in increasing order. Points left of skipBelow are skipped; the list ends at
// the first point right of stopAbove.
std::vector<CurvePoint> curvePoints(const trecdata& record, const CurveMapping& mapping,
                                    PositionRange positions, int skipBelow, int stopAbove);

struct CurveStyle {
    QColor colour;
    bool pointMode = false;           // single pixels instead of joining lines
    double lineWidth = 0;             // of the joining lines in canvas units; 0 is one device pixel
    std::optional<QColor> background; // clear the columns before drawing (screen); none for paper
    int clearLeft = 0;                // columns clearLeft..clearRight, rows clearTop..clearBottom
    int clearRight = -1;
    int clearTop = 0;
    int clearBottom = -1;
};

// Paints the points in one pass over an opaque background: with a background, the strip's columns
// (and any further ones up to the last point) are cleared first, nothing outside them. Lines join
// consecutive points with data; a point without data breaks the line.
void paintCurve(QPainter& painter, const std::vector<CurvePoint>& points, const CurveStyle& style);

} // namespace plot
