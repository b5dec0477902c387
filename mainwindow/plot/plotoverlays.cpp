#include "mainwindow/plot/plotoverlays.h"

#include "mainwindow/plot/plotaxes.h"
#include "records/transmission.h"
#include "records/trecdata.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace plot {

namespace {

struct PaletteEntry {
    QColor screen; // on the plot's dark green
    QColor paper;  // on white paper
};
// Orange, magenta, sky blue, red, light grey, gold: bright on the screen, darker shades of the same
// hues on paper, so an overlay looks alike on both.
const std::array<PaletteEntry, kOverlayPaletteSize> kPalette = {{
    {QColor(255, 150, 40), QColor(190, 80, 0)},
    {QColor(255, 110, 255), QColor(160, 0, 160)},
    {QColor(110, 180, 255), QColor(0, 70, 200)},
    {QColor(255, 100, 100), QColor(200, 0, 0)},
    {QColor(235, 235, 235), QColor(80, 80, 80)},
    {QColor(255, 220, 120), QColor(130, 100, 0)},
}};

constexpr int kLegendPadding = 4;
constexpr int kLegendSample = 14; // length of the colour sample line

double linearChannel(double c) {
    c /= 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * linearChannel(colour.red()) + 0.7152 * linearChannel(colour.green()) +
           0.0722 * linearChannel(colour.blue());
}

} // namespace

QColor overlayColour(int n, bool print) {
    const PaletteEntry& entry = kPalette[static_cast<std::size_t>(std::max(n, 0) % kOverlayPaletteSize)];
    return print ? entry.paper : entry.screen;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString firstCommentLine(const QString& comment, int maxChars) {
    QString line = comment.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0).trimmed();
    if (line.size() > maxChars) {
        line = line.left(std::max(maxChars - 3, 0)) + QStringLiteral("...");
    }
    return line;
}

std::vector<LegendLine> legendLines(const trecdata& shown, const QString& shownLabel,
                                    const std::vector<Overlay>& overlays, bool print) {
    auto text = [](const QString& label, const trecdata& record) {
        const QString note = firstCommentLine(record.comment);
        return note.isEmpty() ? label : label + QStringLiteral("  ") + note;
    };
    std::vector<LegendLine> lines;
    lines.push_back({print ? QColor(Qt::black) : kLime, text(shownLabel, shown)});
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        if (overlays[i].record) {
            lines.push_back(
                {overlayColour(static_cast<int>(i), print), text(overlays[i].label, *overlays[i].record)});
        }
    }
    return lines;
}

QRect legendBox(const std::vector<LegendLine>& lines, const QFontMetrics& metrics, int areaWidth) {
    int textWidth = 0;
    for (const LegendLine& line : lines) {
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line.text));
    }
    const int width = 3 * kLegendPadding + kLegendSample + textWidth;
    const int height = 2 * kLegendPadding + metrics.height() * static_cast<int>(lines.size());
    return {std::max(areaWidth - width - kLegendPadding, 0), kLegendPadding, width, height};
}

void paintLegend(QPainter& painter, const std::vector<LegendLine>& lines, int areaWidth, const QColor& frame,
                 const QColor& background) {
    if (lines.size() < 2) {
        return;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box = legendBox(lines, metrics, areaWidth);
    painter.save();
    painter.setPen(QPen(frame, 0));
    painter.setBrush(background);
    painter.drawRect(box);
    int baseline = box.top() + kLegendPadding + metrics.ascent();
    const int sampleLeft = box.left() + kLegendPadding;
    for (const LegendLine& line : lines) {
        const int middle = baseline - metrics.ascent() / 2 + metrics.descent() / 2;
        painter.setPen(QPen(line.colour, 2));
        painter.drawLine(sampleLeft, middle, sampleLeft + kLegendSample, middle);
        painter.setPen(line.colour);
        painter.drawText(sampleLeft + kLegendSample + kLegendPadding, baseline, line.text);
        baseline += metrics.height();
    }
    painter.restore();
}

CurveMapping overlayMapping(const CurveMapping& shown, const trecdata& overlay) {
    CurveMapping mapping = shown;
    mapping.step = curveStep(overlay);
    mapping.firstAngle = overlay.FirstAngle();
    mapping.lastAngle = overlay.LastAngle();
    return mapping;
}

std::vector<QLine> errorBars(const trecdata& record, const CurveMapping& mapping, PositionRange positions,
                             int skipBelow, int stopAbove) {
    std::vector<QLine> bars;
    forEachGridAngle(mapping, positions, skipBelow, stopAbove, [&](std::int32_t angle, int x) {
        const double value = record.ValueAtAngle(angle);
        const std::optional<double> sigma = records::cellUncertainty(record, record.AngleToIndex(angle));
        if (value <= -1 || !sigma || *sigma <= 0) {
            return;
        }
        const int top = yOfValue(value + *sigma, mapping.fullScale, mapping.extent);
        const int bottom = yOfValue(std::max(value - *sigma, 0.0), mapping.fullScale, mapping.extent);
        bars.emplace_back(x, top, x, bottom);
    });
    return bars;
}

} // namespace plot
