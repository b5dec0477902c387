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
    place.textX = place.x;
    const double top = yOfRate(mark.topCps, mapping);
    // Room for the marker and the text above the peak, else at the top of the area.
    const double lowest = textAscent + kLabelGap + kMarkerLength + kMarkerGap;
    place.markerBottom = std::max(top - kMarkerGap, lowest - kMarkerGap);
    place.markerTop = place.markerBottom - kMarkerLength;
    place.baseline = place.markerTop - kLabelGap;
    return place;
}

std::vector<LabelPlace> labelPlaces(const std::vector<PeakMark>& marks, const CurveMapping& mapping,
                                    int textAscent, int lineHeight,
                                    const std::function<double(const QString&)>& widthOf) {
    struct Box {
        double left, right, top, bottom;
        bool meets(const Box& other) const {
            return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
        }
    };
    std::vector<LabelPlace> places;
    std::vector<Box> boxes;
    for (const PeakMark& mark : marks) {
        LabelPlace place = labelPlace(mark, mapping, textAscent);
        const double halfWidth = widthOf(mark.label) / 2;
        const double areaWidth = mapping.span * mapping.scale.value();
        place.textX = std::max(halfWidth, std::min(place.x, areaWidth - halfWidth));
        const auto boxAt = [&](double baseline) {
            return Box{place.textX - halfWidth, place.textX + halfWidth, baseline - lineHeight, baseline};
        };
        const auto clash = [&](double baseline) {
            return std::any_of(boxes.begin(), boxes.end(),
                               [&](const Box& b) { return b.meets(boxAt(baseline)); });
        };
        double baseline = place.baseline;
        while (clash(baseline) && baseline - lineHeight - textAscent >= 0)
            baseline -= lineHeight;
        while (clash(baseline))
            baseline += lineHeight; // no room above: below the labels it meets
        place.markerTop = std::min(place.markerTop, baseline + kLabelGap);
        place.baseline = baseline;
        boxes.push_back(boxAt(baseline));
        places.push_back(place);
    }
    return places;
}

void paintEvalMarks(QPainter& painter, const EvalMarks& marks, const CurveMapping& mapping,
                    const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 0));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics = painter.fontMetrics();
    const auto widthOf = [&metrics](const QString& text) { return double(metrics.horizontalAdvance(text)); };
    const std::vector<LabelPlace> places =
        labelPlaces(marks.peaks, mapping, metrics.ascent(), metrics.height(), widthOf);
    for (std::size_t i = 0; i < places.size(); ++i) {
        const LabelPlace& place = places[i];
        painter.drawLine(QPointF(place.x, place.markerTop), QPointF(place.x, place.markerBottom));
        const QString& label = marks.peaks[i].label;
        painter.drawText(QPointF(place.textX - widthOf(label) / 2, place.baseline), label);
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
