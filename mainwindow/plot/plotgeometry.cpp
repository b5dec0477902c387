#include "mainwindow/plot/plotgeometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace plot {

namespace {

// round(n / d) for d > 0, ties to even, exactly.
std::int64_t divideRoundHalfEven(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    std::int64_t r = n % d;
    if (r < 0) { // make it the floor quotient
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1) != 0)) {
        ++q;
    }
    return q;
}

std::int64_t divideFloor(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    if (n % d != 0 && (n < 0) != (d < 0)) {
        --q;
    }
    return q;
}

int saturate(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Whole within the rounding noise of a few floating-point operations.
bool nearlyWhole(double value) {
    return std::fabs(value - std::nearbyint(value)) <= 1e-9 * std::max(1.0, std::fabs(value));
}

} // namespace

PlotLayout plotLayout(QSize panel) {
    const int width = std::max(panel.width(), 0);
    const int height = std::max(panel.height(), 0);
    PlotLayout layout;
    layout.axes = QRect(0, 0, width, std::max(height - kSettingsStripHeight, 0));
    layout.curveArea = QRect(kCurveLeft, kCurveTop, std::max(width - kCurveLeft - kCurveRightMargin, 0),
                             std::max(height - kSettingsStripHeight - 15 - 2 * kAxisFontHeight, 0));
    layout.settingsStrip = QRect(0, height - kSettingsStripHeight, width, kSettingsStripHeight);
    return layout;
}

int roundHalfEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value);
    if (rounded <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (rounded >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(rounded);
}

int floorToMultiple(int value, int m) {
    return saturate(divideFloor(value, m) * m);
}

// ---- Horizontal scale ----

int Scale::toPixels(std::int64_t units) const {
    return saturate(divideRoundHalfEven(units * num, den));
}

int Scale::toUnits(std::int64_t pixel) const {
    return num > 0 ? saturate(divideRoundHalfEven(pixel * den, num)) : 0;
}

std::int64_t Scale::unitsBelow(std::int64_t pixel) const {
    return num > 0 ? divideFloor(pixel * den, num) : 0;
}

int horizontalScrollRange(int span, int zoomLevels, int zoomLevel) {
    if (zoomLevel <= 0) {
        return 0;
    }
    if (zoomLevels == 1 && zoomLevel == 1) {
        return span;
    }
    if (zoomLevels == 2) {
        return zoomLevel == 1 ? span / 2 : span;
    }
    return 0;
}

Scale horizontalScale(int clientWidth, int span, int scrollRange, int zoomLevels, int zoomLevel) {
    const std::int64_t width = std::max(clientWidth, 1);
    Scale s;
    if (scrollRange <= 0) {
        s = {width, std::max(span, 1)};
    } else if (scrollRange < width) {
        s = {width, scrollRange};
    }
    if (zoomLevels == 2 && zoomLevel == 1) {
        s.den *= 2;
    }
    return s;
}

// ---- Vertical scale ----

int highestVerticalZoomLevel(int rangeIndex) {
    return std::clamp(rangeIndex, 0, kMaxVerticalZoomLevel);
}

int yOfValue(double value, double fullScale, int extent) {
    if (!(fullScale > 0) || std::isnan(value)) {
        return extent - 1;
    }
    // Keep wild values (a damaged file, the real's largest value) within what a painter can take.
    const double limit = 1 << 24;
    const double height = std::clamp(extent * value / fullScale, -limit, limit);
    return extent - roundHalfEven(height) - 1;
}

// ---- Strips ----

PositionRange positionsOfPixels(int left, int right, const Scale& s) {
    PositionRange range;
    range.first = saturate(s.unitsBelow(std::max(left, 0)));
    range.last = saturate(s.unitsBelow(std::max(right, -1) + std::int64_t{1}) + 1);
    return range;
}

PositionRange widenStrip(PositionRange strip, int g0, int span, int step) {
    if (strip.empty()) {
        return strip;
    }
    const std::int64_t m = std::max(step, 1);
    // Align outwards to the step grid of absolute angles (G0 is a whole degree, on every grid).
    std::int64_t first = divideFloor(std::int64_t{g0} + strip.first, m) * m - g0;
    std::int64_t last = -divideFloor(-(std::int64_t{g0} + strip.last), m) * m - g0;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, span);
    if (last < first) {
        return {};
    }
    return {saturate(first - m), saturate(last + m)};
}

PixelColumns columnsOfPositions(int first, int last, int step, const Scale& s) {
    if (last < first) {
        return {};
    }
    return {s.toPixels(std::int64_t{first} - step), s.toPixels(std::int64_t{last} + step)};
}

// ---- Axes ----

QString valueLabel(double value) {
    return QString::asprintf("%.0f", value);
}

QString generalNumber(double value) {
    return QString::number(value, 'g', 15);
}

QString angleLabel(int angle) {
    const std::int64_t magnitude = std::abs(std::int64_t{angle});
    QString text = angle < 0 ? QStringLiteral("-") : QString();
    if (magnitude % 20 == 0) {
        text += QString::number(magnitude / 20);
    } else {
        text += QString::asprintf("%lld.%2.2lld", static_cast<long long>(magnitude / 20),
                                  static_cast<long long>(magnitude % 20 * 5));
    }
    return text;
}

std::vector<Tick> verticalTicksUnzoomed(int height, double fullScale) {
    std::vector<Tick> ticks;
    ticks.push_back({height + 1, QStringLiteral("0")});
    const double tenth = std::trunc(fullScale / 10);
    for (int i = 0; i <= 10; ++i) {
        ticks.push_back({height + 1 - roundHalfEven(height * i / 10.0), valueLabel(i * tenth)});
    }
    return ticks;
}

double verticalTickStep(double fullScale, int scrollRange, int pointSize) {
    double d = scrollRange > 0 ? 4.0 * pointSize * fullScale / scrollRange : 0;
    if (!(d > 0) || !std::isfinite(d)) {
        d = 1;
    }
    double power = std::pow(10.0, std::floor(std::log10(d)));
    double m = d / power;
    // log10 may land a hair beside a power of ten.
    if (m >= 10 && nearlyWhole(m / 10)) {
        power *= 10;
        m = d / power;
    } else if (m < 1) {
        power /= 10;
        m = d / power;
    }
    m = nearlyWhole(m) ? std::nearbyint(m) : std::trunc(m) + 1;
    return m * power;
}

double lowestTickValue(double fullScale, int scrollRange, int scrollPos, int clientHeight, double step) {
    if (scrollRange <= 1 || !(step > 0)) {
        return 0;
    }
    const double bottom =
        static_cast<double>(scrollRange - clientHeight - scrollPos) / (scrollRange - 1) * fullScale;
    // Below zero there is nothing to label: that happens when the zoomed range is lower than the
    // curve area itself.
    if (bottom <= 0) {
        return 0;
    }
    const double steps = bottom / step;
    return (nearlyWhole(steps) ? std::nearbyint(steps) : std::trunc(steps) + 1) * step;
}

std::vector<Tick> verticalTicksZoomed(int clientHeight, int scrollRange, int scrollPos, double fullScale,
                                      int pointSize) {
    std::vector<Tick> ticks;
    if (scrollRange <= 0 || !(fullScale > 0)) {
        return ticks;
    }
    const double step = verticalTickStep(fullScale, scrollRange, pointSize);
    const double low = lowestTickValue(fullScale, scrollRange, scrollPos, clientHeight, step);
    // A tick covers at least 4 x pointSize pixels, so a screenful holds few; the bound only guards
    // against a degenerate step.
    for (int k = 0; k < 100000; ++k) {
        const double value = low + k * step;
        const int y = clientHeight -
                      roundHalfEven(clientHeight + scrollPos + value / fullScale * scrollRange - scrollRange);
        if (y <= 0) {
            break;
        }
        if (y <= clientHeight) {
            ticks.push_back({y + 1, valueLabel(value)});
        }
    }
    return ticks;
}

int angleTickSpacing(int span) {
    const int degrees = span / 20;
    if (degrees <= 20) {
        return 20;
    }
    if (degrees <= 50) {
        return 40;
    }
    if (degrees <= 100) {
        return 100;
    }
    return 200;
}

int leftEdgeAngle(int g0, int scrollPos, const Scale& s) {
    return saturate(std::int64_t{g0} + s.toUnits(scrollPos));
}

std::vector<Tick> horizontalTicks(int leftAngle, int span, const Scale& s, int width) {
    std::vector<Tick> ticks;
    const int spacing = angleTickSpacing(span);
    for (std::int64_t r = 0; r < 100000; ++r) {
        const int offset = s.toPixels(r * spacing);
        if (offset > width) {
            break;
        }
        ticks.push_back({offset, angleLabel(saturate(leftAngle + r * spacing))});
    }
    return ticks;
}

// ---- Zoom ----

int scrollPositionAfterZoom(double rel, int mouse, int extent, int range, int client) {
    double pos = (extent - 1) * rel - mouse;
    pos = std::max(pos, 0.0);
    if (pos >= range - client) {
        pos = range - client;
    }
    // A range narrower than the visible area does not scroll at all.
    return std::max(roundHalfEven(pos), 0);
}

namespace {

// Where a mouse coordinate lies in content `extent` pixels long, 0 at the first pixel, 1 at the last.
double relativePosition(int mouse, int scrollPos, int extent) {
    return std::clamp(static_cast<double>(mouse + scrollPos) / std::max(extent - 1, 1), 0.0, 1.0);
}

} // namespace

std::optional<AxisView> zoomHorizontally(const AxisView& view, int mouseX, int dir, int span, int zoomLevels,
                                         int clientWidth) {
    if ((dir != -1 && dir != 1) || (dir == -1 && view.level <= 0) || (dir == 1 && view.level >= zoomLevels)) {
        return std::nullopt;
    }
    // The canvas is as wide as the scroll range, or the visible width when that is wider.
    const double rel = relativePosition(mouseX, view.pos, std::max(view.range, clientWidth));
    AxisView next;
    next.level = view.level + dir;
    next.range = horizontalScrollRange(span, zoomLevels, next.level);
    next.pos =
        scrollPositionAfterZoom(rel, mouseX, std::max(next.range, clientWidth), next.range, clientWidth);
    return next;
}

std::optional<AxisView> zoomVertically(const AxisView& view, int mouseY, int dir, int top, int clientHeight) {
    if ((dir != -1 && dir != 1) || (dir == -1 && view.level <= 0) ||
        (dir == 1 && view.level >= std::min(top, kMaxVerticalZoomLevel))) {
        return std::nullopt;
    }
    // The full scale spans the scroll range when zoomed, the visible height when not.
    const double rel = relativePosition(mouseY, view.pos, view.level == 0 ? clientHeight : view.range);
    AxisView next;
    next.level = view.level + dir;
    next.range = verticalScrollRange(next.level);
    next.pos =
        next.level == 0 ? 0 : scrollPositionAfterZoom(rel, mouseY, next.range, next.range, clientHeight);
    return next;
}

// ---- Cursor read-out ----

int snapToStep(int angle, int step) {
    switch (step) {
    case 2:
        return floorToMultiple(angle, 2);
    case 4:
        return floorToMultiple(angle + 2, 4);
    case 10:
        return floorToMultiple(angle + 5, 10);
    default:
        return angle;
    }
}

QString cursorReadout(int angle, double value) {
    if (value >= 0) {
        return QString::asprintf("%.2f deg, %.2f cps", angle / 20.0, value);
    }
    return QString::asprintf("%.2f deg, ----", angle / 20.0);
}

} // namespace plot
