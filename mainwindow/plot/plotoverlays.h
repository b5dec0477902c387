// Records laid over the displayed one: their colours, the legend that names them, and what the
// curve painter needs to draw them on the displayed record's axes. Also the error bars of a curve.
// Pure rules and painting on any QPainter; the screen plot and the printed page share them.
#pragma once

#include "mainwindow/plot/plotcurve.h"

#include <QColor>
#include <QLine>
#include <QRect>
#include <QString>

#include <vector>

class QFontMetrics;
class QPainter;
class trecdata;

namespace plot {

// A record drawn with the displayed one. The record is not owned.
struct Overlay {
    const trecdata* record = nullptr;
    QString label; // the record list's entry
};

// The colour of the n-th overlay (0, 1, ...): on the plot's dark background, or on paper. The
// palette repeats after its last colour. Every colour keeps a contrast of at least 3 : 1 against
// its background, and two neighbours in the palette differ in hue.
QColor overlayColour(int n, bool print);
inline constexpr int kOverlayPaletteSize = 6;
// The WCAG contrast ratio of two colours (1 .. 21).
double contrastRatio(const QColor& a, const QColor& b);

// The comment's first line, shortened to `maxChars` characters with "..." when longer.
QString firstCommentLine(const QString& comment, int maxChars = 40);

// One line of the legend: a colour sample and "label  first comment line".
struct LegendLine {
    QColor colour;
    QString text;
};
// The legend's lines: the displayed record first, then the overlays in their palette colours.
std::vector<LegendLine> legendLines(const trecdata& shown, const QString& shownLabel,
                                    const std::vector<Overlay>& overlays, bool print);
// The legend's box in the top right corner of an area of the given width, for the font's metrics.
QRect legendBox(const std::vector<LegendLine>& lines, const QFontMetrics& metrics, int areaWidth);
// Paints the legend (a box in `background` with a frame in `frame`) at its box; nothing for fewer
// than two lines (a record alone needs no legend).
void paintLegend(QPainter& painter, const std::vector<LegendLine>& lines, int areaWidth, const QColor& frame,
                 const QColor& background);

// The displayed record's mapping for another record laid over it: the same pixels per angle unit,
// left edge and full scale, with the other record's step and angle range.
CurveMapping overlayMapping(const CurveMapping& shown, const trecdata& overlay);

// Vertical error bars of +/- one standard uncertainty at the record's points (as curvePoints picks
// them), from the counting statistics of each cell or a transmission's own uncertainty.
std::vector<QLine> errorBars(const trecdata& record, const CurveMapping& mapping, PositionRange positions,
                             int skipBelow, int stopAbove);

} // namespace plot
