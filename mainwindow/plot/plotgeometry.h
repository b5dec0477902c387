// Geometry of the scan plot as pure functions: scales, scroll ranges, the mapping of angles and
// counting rates to pixels and back, tick positions and texts, and the outcome of the zoom steps.
//
// The screen plot and the printed page share these, so nothing here touches a widget. Angles are
// integers in angle units of 0.05 degree; "positions" are angles counted from the view's left edge
// G0 (the region start rounded down to a whole degree). Pixel x and y are content coordinates of
// the curve canvas: x = 0 is the left end of the horizontal scroll range, y = 0 its top.
//
// Number texts always use '.' as the decimal separator, whatever the user's locale, like the
// apparatus read-outs and the region texts of the record.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace plot {

// ---- Fixed layout (pixels) ----
inline constexpr int kCurveLeft = 50;           // left edge of the curve area in the axes box
inline constexpr int kCurveTop = 20;            // top edge of the curve area in the axes box
inline constexpr int kCurveRightMargin = 30;    // from the curve area to the panel's right edge
inline constexpr int kSettingsStripHeight = 57; // the settings strip along the panel's bottom
inline constexpr int kAxisFontHeight = 11;      // character height of the axis font
inline constexpr int kAxisFontPointSize = 8;    // point size of the axis font
inline constexpr int kTickLength = 5;           // vertical axis ticks, leftwards from kCurveLeft
inline constexpr int kValueLabelRight = 42;     // right end of the vertical axis labels
inline constexpr int kAngleTickLength = 3;      // horizontal axis ticks, downwards
inline constexpr int kMaxVerticalZoomLevel = 7;
// Vertical scroll range by vertical zoom level.
inline constexpr std::array<int, kMaxVerticalZoomLevel + 1> kVerticalZoomRanges = {
    0, 1001, 2001, 5001, 10001, 20001, 25001, 32762};

// Where the plot's parts lie inside the plot panel.
struct PlotLayout {
    QRect axes;          // the axes box: the panel above the settings strip
    QRect curveArea;     // the scrolling curve area, outer rectangle
    QRect settingsStrip; // along the panel's bottom
};
PlotLayout plotLayout(QSize panel);

// Rounds to the nearest integer, ties to the even one; values beyond the int range saturate.
int roundHalfEven(double value);
// Largest multiple of m not above value (m > 0), also for negative values.
int floorToMultiple(int value, int m);

// ---- Horizontal scale ----

// Pixels per angle unit as an exact fraction, so that the curve, its axis and the cursor read-out
// round the same products the same way.
struct Scale {
    std::int64_t num = 1;
    std::int64_t den = 1;
    double value() const { return static_cast<double>(num) / static_cast<double>(den); }
    // round(units x s)
    int toPixels(std::int64_t units) const;
    // The angle units at a pixel: round(pixel / s).
    int toUnits(std::int64_t pixel) const;
    // trunc(pixel / s) for pixel >= 0.
    std::int64_t unitsBelow(std::int64_t pixel) const;
};

// The scroll range of a horizontal zoom level for a span S with NX levels.
int horizontalScrollRange(int span, int zoomLevels, int zoomLevel);
// s for the client width CW, span S, scroll range HR and the zoom levels.
Scale horizontalScale(int clientWidth, int span, int scrollRange, int zoomLevels, int zoomLevel);
// Content x of the position (angle - G0).
inline int xOfPosition(int position, const Scale& s) {
    return s.toPixels(position);
}

// ---- Vertical scale ----

inline int verticalScrollRange(int zoomLevel) {
    return kVerticalZoomRanges[static_cast<std::size_t>(zoomLevel)];
}
// The highest vertical zoom level a full-scale index allows (0 without a record: pass -1).
int highestVerticalZoomLevel(int rangeIndex);
// Hy: the pixel height the full scale spans.
inline int verticalExtent(int scrollRange, int clientHeight) {
    return scrollRange > 0 ? scrollRange : clientHeight;
}
// Content y of a counting rate. Rates far above the full scale land far above the top.
int yOfValue(double value, double fullScale, int extent);

// ---- Strips of the curve ----

struct PositionRange {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
};
// The positions a pixel strip left..right (inclusive) shows: step 3 of the curve painter.
PositionRange positionsOfPixels(int left, int right, const Scale& s);
// The positions whose points a paint of the strip must draw: aligned outwards to the angular step,
// clipped to 0..S, then widened by one step on each side so that joining lines enter the strip.
PositionRange widenStrip(PositionRange strip, int g0, int span, int step);
// The pixel columns to repaint for the new points at positions first..last: one step more on each
// side, so the lines that join them to their neighbours are redrawn too.
struct PixelColumns {
    int left = 0;
    int right = -1;
};
PixelColumns columnsOfPositions(int first, int last, int step, const Scale& s);

// ---- Axes ----

struct Tick {
    int pos = 0; // y in curve-area pixels (vertical axis) or x offset from kCurveLeft (horizontal)
    QString label;
};
// Vertical ticks without zoom: "0" at the bottom, then i x (F div 10) for i = 0..10, y counted
// from the curve area's top (so 0 at height + 1 for the bottom tick).
std::vector<Tick> verticalTicksUnzoomed(int height, double fullScale);
// The tick step of the zoomed vertical axis: the smallest whole multiple (1..10) of a power of ten
// that covers at least 4 x pointSize pixels.
double verticalTickStep(double fullScale, int scrollRange, int pointSize);
// The value at the bottom of the visible area, raised to a multiple of the step and never below 0.
double lowestTickValue(double fullScale, int scrollRange, int scrollPos, int clientHeight, double step);
// Vertical ticks of the zoomed axis (y from the curve area's top, 0 < y <= height).
std::vector<Tick> verticalTicksZoomed(int clientHeight, int scrollRange, int scrollPos, double fullScale,
                                      int pointSize);
// Horizontal tick spacing in angle units for a span.
int angleTickSpacing(int span);
// The angle at the visible area's left edge for a scroll position.
int leftEdgeAngle(int g0, int scrollPos, const Scale& s);
// Horizontal ticks: x offsets from the curve's left edge while they are at most the width.
std::vector<Tick> horizontalTicks(int leftAngle, int span, const Scale& s, int width);
// "12" for 240, "12.25" for 245; negative angles get a leading minus: "-12.25" for -245.
QString angleLabel(int angle);
// Counting rate labels "%.0f".
QString valueLabel(double value);
// Header values: up to 15 significant digits without trailing zeros.
QString generalNumber(double value);

// ---- Zoom ----

// One axis of the view: zoom level, scroll range, scroll position.
struct AxisView {
    int level = 0;
    int range = 0;
    int pos = 0;
    friend bool operator==(const AxisView&, const AxisView&) = default;
};
// The scroll position that puts the relative point rel (0 = first, 1 = last pixel of the content)
// of a content `extent` pixels long under the mouse, limited to 0 .. range - client (never negative).
// Measured between first and last pixel, a zoom at either end of the view keeps that end in view.
int scrollPositionAfterZoom(double rel, int mouse, int extent, int range, int client);
// Horizontal zoom by one level at the visible-area x; nullopt when there is no level that way.
std::optional<AxisView> zoomHorizontally(const AxisView& view, int mouseX, int dir, int span, int zoomLevels,
                                         int clientWidth);
// Vertical zoom by one level at the visible-area y up to level top; nullopt when there is none.
std::optional<AxisView> zoomVertically(const AxisView& view, int mouseY, int dir, int top, int clientHeight);

// ---- Cursor read-out ----

// An angle snapped to the grid of the angular step (1, 2, 4 or 10).
int snapToStep(int angle, int step);
// "%.2f deg, %.2f cps", or "%.2f deg, ----" for a value below 0.
QString cursorReadout(int angle, double value);

} // namespace plot
