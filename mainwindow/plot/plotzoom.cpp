#include "mainwindow/plot/plotzoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plot {

namespace {

// Scales are fractions over this denominator: fine enough that a zoom never visibly jumps.
constexpr std::int64_t kScaleDenominator = 1 << 16;

double pixelsPerUnit(const Scale& s) {
    return s.value();
}

} // namespace

int contentWidth(int span, const Scale& scale) {
    return scale.toPixels(span);
}

Scale freeScale(double pixelsPerUnit, int span, int clientWidth) {
    span = std::max(span, 1);
    const double fitted = static_cast<double>(clientWidth) / span;
    if (!(pixelsPerUnit > fitted)) {
        return {std::max(clientWidth, 1), span};
    }
    const double held = std::min(pixelsPerUnit, static_cast<double>(kMaxPixelsPerUnit));
    return {static_cast<std::int64_t>(std::llround(held * kScaleDenominator)), kScaleDenominator};
}

int positionShowing(double units, int x, const Scale& scale, int span, int clientWidth) {
    const double pos = units * pixelsPerUnit(scale) - x;
    const int highest = std::max(contentWidth(span, scale) - clientWidth, 0);
    return std::clamp(static_cast<int>(std::lround(pos)), 0, highest);
}

double unitsAtPixel(const HorizontalView& view, int x) {
    return (view.pos + x) / pixelsPerUnit(view.scale);
}

HorizontalView wheelZoomHorizontal(const HorizontalView& view, int mouseX, double factor, int span,
                                   int clientWidth) {
    const double units = unitsAtPixel(view, mouseX);
    HorizontalView next;
    next.scale = freeScale(pixelsPerUnit(view.scale) * factor, span, clientWidth);
    next.pos = positionShowing(units, mouseX, next.scale, span, clientWidth);
    return next;
}

int maxVerticalExtent(double fullScale, int pointSize) {
    const double most = 4.0 * std::max(pointSize, 1) * fullScale;
    return static_cast<int>(std::min(most, 1e9));
}

VerticalView wheelZoomVertical(const VerticalView& view, int mouseY, double factor, int clientHeight,
                               int maxExtent) {
    const int extent = std::max(view.extent, clientHeight);
    const double rel = static_cast<double>(view.pos + mouseY) / extent;
    VerticalView next;
    next.extent = std::clamp(static_cast<int>(std::lround(extent * factor)), clientHeight,
                             std::max(maxExtent, clientHeight));
    next.pos = std::clamp(static_cast<int>(std::lround(rel * next.extent - mouseY)), 0,
                          std::max(next.extent - clientHeight, 0));
    return next;
}

HorizontalView rectangleZoomHorizontal(const HorizontalView& view, int x0, int x1, int span,
                                       int clientWidth) {
    const double first = unitsAtPixel(view, std::min(x0, x1));
    const double last = unitsAtPixel(view, std::max(x0, x1));
    HorizontalView next;
    next.scale = freeScale(clientWidth / std::max(last - first, 1e-9), span, clientWidth);
    next.pos = positionShowing(first, 0, next.scale, span, clientWidth);
    return next;
}

VerticalView rectangleZoomVertical(const VerticalView& view, int y0, int y1, int clientHeight,
                                   int maxExtent) {
    const int extent = std::max(view.extent, clientHeight);
    const int top = view.pos + std::min(y0, y1);
    const int rows = std::max(std::abs(y1 - y0), 1);
    VerticalView next;
    const double factor = static_cast<double>(clientHeight) / rows;
    next.extent = std::clamp(static_cast<int>(std::lround(extent * factor)), clientHeight,
                             std::max(maxExtent, clientHeight));
    next.pos = std::clamp(static_cast<int>(std::lround(top * static_cast<double>(next.extent) / extent)), 0,
                          std::max(next.extent - clientHeight, 0));
    return next;
}

int roundAngleSpacing(const Scale& scale, int minGap) {
    static constexpr std::array<int, 10> kSpacings = {1, 2, 4, 10, 20, 40, 100, 200, 400, 1000};
    for (const int spacing : kSpacings) {
        if (scale.toPixels(spacing) >= minGap) {
            return spacing;
        }
    }
    return kSpacings.back();
}

std::vector<Tick> roundAngleTicks(int g0, int scrollPos, const Scale& scale, int width, int minGap) {
    std::vector<Tick> ticks;
    if (scale.num <= 0) {
        return ticks;
    }
    const int spacing = roundAngleSpacing(scale, minGap);
    // The first multiple of the spacing at or right of the visible left edge.
    const std::int64_t leftUnits = std::int64_t{g0} + scale.unitsBelow(scrollPos);
    std::int64_t angle = floorToMultiple(static_cast<int>(leftUnits), spacing);
    for (int guard = 0; guard < 100000; ++guard, angle += spacing) {
        const int offset = scale.toPixels(angle - g0) - scrollPos;
        if (offset < 0) {
            continue;
        }
        if (offset > width) {
            break;
        }
        ticks.push_back({offset, angleLabel(static_cast<int>(angle))});
    }
    return ticks;
}

} // namespace plot
