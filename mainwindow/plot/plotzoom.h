// The mouse's zoom of the scan plot as pure functions: the wheel about the cursor, a dragged
// rectangle, and tick marks on round values at any zoom.
//
// Beside the zoom levels of the tool buttons the plot has a free view on each axis. Horizontally it
// is a scale (pixels per angle unit, any value from the fitted view up to kMaxPixelsPerUnit) and a
// scroll position; the content is round(span x scale) pixels wide. Vertically it is the extent (the
// pixels the full scale spans, from the visible height up to maxVerticalExtent) and a scroll
// position, exactly as the zoom levels' scroll ranges are. So curve, axes and print follow a free
// view with the same mapping they use for the levels.
#pragma once

#include "mainwindow/plot/plotgeometry.h"

#include <vector>

namespace plot {

inline constexpr int kMaxPixelsPerUnit = 40;     // 800 pixels per degree
inline constexpr double kWheelZoomFactor = 1.25; // one wheel notch
inline constexpr int kMinDragPixels = 4;         // a shorter drag is a click
inline constexpr int kMinDragRows = 12;          // a flatter rectangle zooms the angles only

// The highest extent for a full scale: 4 x pointSize pixels (the zoomed axis' least tick gap) then
// still cover 1 cps, so the whole-number tick labels stay distinct.
int maxVerticalExtent(double fullScale, int pointSize);

// A free horizontal view: pixels per angle unit and the scroll position (content x at the left edge).
struct HorizontalView {
    Scale scale;
    int pos = 0;
};
// A free vertical view: the extent Hy and the scroll position (content y at the top edge).
struct VerticalView {
    int extent = 0;
    int pos = 0;
};

// The content width of a span at a scale.
int contentWidth(int span, const Scale& scale);
// The scale of a free view: `pixelsPerUnit` held to clientWidth / span .. kMaxPixelsPerUnit.
Scale freeScale(double pixelsPerUnit, int span, int clientWidth);
// The scroll position that shows `units` (from G0) at the visible-area x, held to the content.
int positionShowing(double units, int x, const Scale& scale, int span, int clientWidth);

// Zoom by `factor` (> 1 in, < 1 out) about the visible-area x: the angle under x stays under it.
HorizontalView wheelZoomHorizontal(const HorizontalView& view, int mouseX, double factor, int span,
                                   int clientWidth);
// The same for values about the visible-area y, up to maxExtent.
VerticalView wheelZoomVertical(const VerticalView& view, int mouseY, double factor, int clientHeight,
                               int maxExtent);
// Zoom to the visible-area columns x0..x1 (either order): their angles fill the width.
HorizontalView rectangleZoomHorizontal(const HorizontalView& view, int x0, int x1, int span, int clientWidth);
// Zoom to the visible-area rows y0..y1: their values fill the height.
VerticalView rectangleZoomVertical(const VerticalView& view, int y0, int y1, int clientHeight, int maxExtent);

// The angle (angle units from G0, fractional) at a visible-area x.
double unitsAtPixel(const HorizontalView& view, int x);

// Tick spacing in angle units for a scale: the smallest of 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20 and
// 50 degrees whose ticks stand at least minGap pixels apart.
int roundAngleSpacing(const Scale& scale, int minGap);
// Ticks on whole multiples of the spacing across the visible width: x offsets from the visible left
// edge, labels as angleLabel gives them.
std::vector<Tick> roundAngleTicks(int g0, int scrollPos, const Scale& scale, int width, int minGap);

} // namespace plot
