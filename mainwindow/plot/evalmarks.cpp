#include "mainwindow/plot/evalmarks.h"

#include "analysis/evaluation.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

constexpr double kMarkerGap = 3;     // between the peak's top and the marker
constexpr double kMarkerLength = 10; // pixels
constexpr double kLabelGap = 2;      // between the marker and the label's baseline

} // namespace

QString peakLabel(const analysis::Peak& peak) {
    if (peak.order > 0 && !peak.line.isEmpty()) {
        return QStringLiteral("%1 n=%2").arg(peak.line).arg(peak.order);
    }
    return QString::asprintf("\u03bb %.1f pm", peak.lambdaPm.value);
}

EvalMarks evalMarks(const analysis::SpectrumResult& result) {
    EvalMarks marks;
    for (const analysis::Peak& peak : result.peaks) {
        if (!peak.centreDeg.known()) {
            continue;
        }
        const double height = peak.heightCps.known() ? peak.heightCps.value : 0;
        marks.peaks.push_back({peak.centreDeg.value, peak.backgroundAt + height, peakLabel(peak)});
    }
    const analysis::DuaneHunt& dh = result.duaneHunt;
    if (dh.found && dh.lineSlope != 0 && std::isfinite(dh.lineSlope)) {
        marks.duaneHunt = true;
        marks.edgeFromDeg = (dh.backgroundCps - dh.lineIntercept) / dh.lineSlope;
        marks.edgeToDeg = dh.toDeg;
        marks.lineIntercept = dh.lineIntercept;
        marks.lineSlope = dh.lineSlope;
        marks.backgroundCps = dh.backgroundCps;
    }
    return marks;
}

double xOfDegrees(double angleDeg, const CurveMapping& mapping) {
    return (angleDeg * 20 - mapping.g0) * mapping.scale.value();
}

double yOfRate(double rateCps, const CurveMapping& mapping) {
    const double full = mapping.fullScale > 0 ? mapping.fullScale : 1;
    return mapping.extent - mapping.extent * rateCps / full - 1;
}

LabelPlace labelPlace(const PeakMark& mark, const CurveMapping& mapping, int textAscent) {
    LabelPlace place;
    place.x = xOfDegrees(mark.angleDeg, mapping);
    const double top = yOfRate(mark.topCps, mapping);
    // Room for the marker and the text above the peak, else at the top of the area.
    const double lowest = textAscent + kLabelGap + kMarkerLength + kMarkerGap;
    place.markerBottom = std::max(top - kMarkerGap, lowest - kMarkerGap);
    place.markerTop = place.markerBottom - kMarkerLength;
    place.baseline = place.markerTop - kLabelGap;
    return place;
}

void paintEvalMarks(QPainter& painter, const EvalMarks& marks, const CurveMapping& mapping,
                    const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 0));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics = painter.fontMetrics();
    for (const PeakMark& mark : marks.peaks) {
        const LabelPlace place = labelPlace(mark, mapping, metrics.ascent());
        painter.drawLine(QPointF(place.x, place.markerTop), QPointF(place.x, place.markerBottom));
        const double width = metrics.horizontalAdvance(mark.label);
        painter.drawText(QPointF(place.x - width / 2, place.baseline), mark.label);
    }
    if (marks.duaneHunt) {
        const auto at = [&](double deg) {
            return QPointF(xOfDegrees(deg, mapping),
                           yOfRate(marks.lineIntercept + marks.lineSlope * deg, mapping));
        };
        QPen dashed(colour, 0, Qt::DashLine);
        painter.setPen(dashed);
        painter.drawLine(at(marks.edgeFromDeg), at(marks.edgeToDeg));
        painter.setPen(QPen(colour, 0));
        const QPointF foot = at(marks.edgeFromDeg);
        painter.drawText(QPointF(foot.x() + 2, foot.y() - kLabelGap - kMarkerLength),
                         QStringLiteral("\u03bbmin"));
    }
    painter.restore();
}

} // namespace plot
