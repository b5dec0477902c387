#include "mainwindow/plot/plotcurve.h"

#include "records/trecdata.h"

#include <QPainter>

#include <algorithm>

namespace plot {

int curveStep(const trecdata& record) {
    return std::clamp(record.angularStep, 1, trecdata::kCellCount);
}

CurveMapping curveMapping(const trecdata& record, const Scale& scale, int extent) {
    CurveMapping mapping;
    mapping.g0 = record.ViewFirstCell();
    mapping.span = record.ViewSpan();
    mapping.step = curveStep(record);
    mapping.firstAngle = record.FirstAngle();
    mapping.lastAngle = record.LastAngle();
    mapping.scale = scale;
    mapping.extent = extent;
    const std::size_t index = std::min<std::size_t>(record.rangeIndex, records::kFullScale.size() - 1);
    mapping.fullScale = records::kFullScale[index];
    return mapping;
}

std::vector<CurvePoint> curvePoints(const trecdata& record, const CurveMapping& mapping,
                                    PositionRange positions, int skipBelow, int stopAbove) {
    std::vector<CurvePoint> points;
    if (!positions.empty()) {
        const int count = std::max(positions.last - positions.first, 0) / mapping.step + 1;
        points.reserve(static_cast<std::size_t>(std::min(count, trecdata::kCellCount + 1)));
    }
    forEachGridAngle(mapping, positions, skipBelow, stopAbove, [&](std::int32_t angle, int x) {
        const double value = record.ValueAtAngle(angle);
        const bool hasData = value > -1;
        points.push_back({x, hasData ? yOfValue(value, mapping.fullScale, mapping.extent) : 0, hasData});
    });
    return points;
}

void paintCurve(QPainter& painter, const std::vector<CurvePoint>& points, const CurveStyle& style) {
    if (style.background && style.clearBottom >= style.clearTop) {
        // Clearing column by column ahead of each point, as the points advance, clears the strip
        // and the columns up to the last point, and never a column something was already drawn in;
        // one rectangle gives the same pixels at a fraction of the cost.
        const int right = std::max(style.clearRight, points.empty() ? style.clearRight : points.back().x);
        if (right >= style.clearLeft) {
            painter.fillRect(QRect(QPoint(style.clearLeft, style.clearTop), QPoint(right, style.clearBottom)),
                             *style.background);
        }
    }
    // A point is one device pixel however the canvas is scaled; lines may be wider on paper.
    painter.setPen(QPen(style.colour, style.pointMode ? 0 : style.lineWidth));
    bool previousHasData = false;
    QPoint pen;
    for (const CurvePoint& point : points) {
        if (point.hasData) {
            const QPoint here(point.x, point.y);
            if (style.pointMode || !previousHasData) {
                // A point after a gap starts a new line; drawing it also keeps a lone point visible.
                painter.drawPoint(here);
            } else if (here != pen) {
                // A line that ends where it starts adds nothing, and a PDF writer makes an empty
                // path of it that readers complain about.
                painter.drawLine(pen, here);
            }
            pen = here;
        }
        previousHasData = point.hasData;
    }
}

} // namespace plot
