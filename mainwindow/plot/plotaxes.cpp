#include "mainwindow/plot/plotaxes.h"

#include "mainwindow/plot/plotzoom.h"
#include "records/transmission.h"
#include "records/trecdata.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace plot {

namespace {

// Widths in the header are measured on these sample texts, so the layout does not jump with the
// values shown.
const QString kRangeSample = QStringLiteral("130.00 deg to 130.00 deg   ");
const QString kVoltageSample = QStringLiteral("1000 V   ");
// Top of the printed "[deg]" below the curve area's outer bottom.
constexpr int kPrintedAngleUnitTop = 35;
// Round angle ticks stand at least this many pixels apart, room for a label such as "131.25".
constexpr int kRoundTickGap = 50;

void drawTextTop(QPainter& painter, int x, int top, const QString& text) {
    painter.drawText(x, top + painter.fontMetrics().ascent(), text);
}

void drawTextRight(QPainter& painter, int right, int baseline, const QString& text) {
    painter.drawText(right - painter.fontMetrics().horizontalAdvance(text), baseline, text);
}

double fullScaleOf(const trecdata& record) {
    return records::kFullScale[std::min<std::size_t>(record.rangeIndex, records::kFullScale.size() - 1)];
}

void paintValueAxis(QPainter& painter, const trecdata& record, const AxesGeometry& g) {
    const double fullScale = fullScaleOf(record);
    const std::vector<Tick> ticks =
        g.scrollRangeY > 0
            ? verticalTicksZoomed(g.clientHeight, g.scrollRangeY, g.scrollPosY, fullScale, g.pointSize)
            : verticalTicksUnzoomed(g.clientHeight, fullScale);
    const QFontMetrics metrics = painter.fontMetrics();
    for (const Tick& tick : ticks) {
        const int y = kCurveTop + tick.pos;
        painter.drawLine(kCurveLeft - kTickLength, y, kCurveLeft, y);
        drawTextRight(painter, kValueLabelRight, y + g.pointSize / 2, tick.label);
    }
    // A transmission's cells are percentages of the second scan's rate.
    const QString unit = records::isTransmission(record) ? QStringLiteral("[%]") : QStringLiteral("[cps]");
    painter.drawText(metrics.horizontalAdvance(QStringLiteral("[]")), 13, unit);
}

void paintAngleAxis(QPainter& painter, const trecdata& record, const AxesGeometry& g) {
    const int span = record.ViewSpan();
    const Scale s = axesScale(record, g);
    const QFontMetrics metrics = painter.fontMetrics();
    const int tickTop = g.outerHeight + kCurveTop;
    const int labelTop = tickTop + kAngleTickLength;
    // Unzoomed the ticks start at the view's whole degree; zoomed or scrolled they keep to round
    // angles instead of starting at whatever angle the left edge shows.
    const bool zoomed = g.freeScaleX || g.scrollPosX > 0;
    const std::vector<Tick> ticks =
        zoomed
            ? roundAngleTicks(record.ViewFirstCell(), g.scrollPosX, s, g.clientWidth, kRoundTickGap)
            : horizontalTicks(leftEdgeAngle(record.ViewFirstCell(), g.scrollPosX, s), span, s, g.clientWidth);
    for (const Tick& tick : ticks) {
        const int x = kCurveLeft + tick.pos;
        painter.drawLine(x, tickTop, x, tickTop + kAngleTickLength - 1);
        drawTextTop(painter, x - metrics.horizontalAdvance(tick.label) / 2, labelTop, tick.label);
    }
    const QString unit = QStringLiteral("[deg]");
    // On paper the unit goes below the labels, into the space the page adds under the axes box.
    const int unitTop = g.print ? g.outerHeight + kPrintedAngleUnitTop : labelTop - metrics.height();
    drawTextTop(painter, g.boxWidth - 2 - metrics.horizontalAdvance(unit), unitTop, unit);
}

void paintHeader(QPainter& painter, const trecdata& record, bool coloured) {
    for (const HeaderItem& item : headerItems(record, painter.fontMetrics())) {
        if (coloured) {
            painter.setPen(item.isValue ? kYellow : kLime);
        }
        drawTextTop(painter, item.x, 1, item.text);
    }
}

void paintFrame(QPainter& painter, const AxesGeometry& g) {
    const int right = g.clientWidth + kCurveLeft;
    const int bottom = g.outerHeight + kCurveTop + 1;
    const QPoint corners[] = {
        {kCurveLeft, kCurveTop}, {right, kCurveTop}, {right, bottom}, {kCurveLeft, bottom}};
    painter.drawPolygon(corners, 4);
}

} // namespace

std::vector<HeaderItem> headerItems(const trecdata& record, const QFontMetrics& metrics) {
    QString range;
    record.RegionText(record.currentRegion, range);
    std::vector<HeaderItem> items;
    int x = kCurveLeft;
    auto add = [&](const QString& text, bool isValue, const QString& widthSample) {
        items.push_back({x, text, isValue});
        x += metrics.horizontalAdvance(widthSample);
    };
    add(QStringLiteral("RANGE"), false, QStringLiteral("RANGE "));
    add(range, true, kRangeSample);
    add(QStringLiteral("DHV"), false, QStringLiteral("DHV "));
    add(generalNumber(record.detectorHv) + QStringLiteral(" V"), true, kVoltageSample);
    add(QStringLiteral("XRTC"), false, QStringLiteral("XRTC "));
    add(generalNumber(record.tubeCurrent) + QStringLiteral(" \u00b5A"), true, QString());
    return items;
}

Scale axesScale(const trecdata& record, const AxesGeometry& g) {
    if (g.freeScaleX) {
        return *g.freeScaleX;
    }
    return horizontalScale(g.clientWidth, record.ViewSpan(), g.scrollRangeX, record.ZoomXLimit(),
                           g.zoomXLevel);
}

void paintAxes(QPainter& painter, const trecdata& record, const AxesGeometry& geometry) {
    if (geometry.print) {
        painter.save();
        painter.setBrush(Qt::NoBrush);
        paintFrame(painter, geometry);
        painter.restore();
    } else {
        painter.setPen(kLime);
    }
    paintValueAxis(painter, record, geometry);
    paintAngleAxis(painter, record, geometry);
    paintHeader(painter, record, !geometry.print);
}

} // namespace plot
