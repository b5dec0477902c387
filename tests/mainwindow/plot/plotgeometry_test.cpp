// The scan plot's geometry: scales, mappings, ticks, labels, strips and zoom steps.
#include "mainwindow/plot/plotgeometry.h"
#include "records/trecdata.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cmath>
#include <string>

using namespace plot;

namespace {

QStringList labels(const std::vector<Tick>& ticks) {
    QStringList texts;
    for (const Tick& tick : ticks) {
        texts << tick.label;
    }
    return texts;
}

// Runs `body` with a German locale (decimal comma) as the default of Qt and of the C library.
template <class Body>
void withGermanLocale(Body body) {
    const QLocale saved;
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; Qt's default covers the rest
    body();
    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(saved);
}

} // namespace

TEST(PlotLayout, PartsOfThePanel) {
    const PlotLayout layout = plotLayout(QSize(800, 500));
    EXPECT_EQ(layout.axes, QRect(0, 0, 800, 443));
    EXPECT_EQ(layout.curveArea, QRect(50, 20, 720, 406));
    EXPECT_EQ(layout.settingsStrip, QRect(0, 443, 800, 57));
    // A panel too small for the plot gives empty parts, not negative sizes.
    const PlotLayout tiny = plotLayout(QSize(40, 30));
    EXPECT_GE(tiny.curveArea.width(), 0);
    EXPECT_GE(tiny.curveArea.height(), 0);
    EXPECT_GE(tiny.axes.height(), 0);
}

TEST(PlotRounding, TiesGoToEvenAndLargeValuesSaturate) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.6), 3);
    EXPECT_EQ(roundHalfEven(1e300), INT_MAX);
    EXPECT_EQ(roundHalfEven(-1e300), INT_MIN);
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);
    EXPECT_EQ(floorToMultiple(-3, 2), -4);
    EXPECT_EQ(floorToMultiple(7, 4), 4);
}

TEST(PlotScale, FitsStretchesOrShowsOnePixelPerUnit) {
    // Level 0: the whole span fitted to the width.
    const Scale fitted = horizontalScale(600, 1201, 0, 2, 0);
    EXPECT_DOUBLE_EQ(fitted.value(), 600.0 / 1201);
    EXPECT_EQ(fitted.toPixels(1201), 600);
    // A scroll range narrower than the width is stretched to it.
    EXPECT_DOUBLE_EQ(horizontalScale(1000, 601, 601, 1, 1).value(), 1000.0 / 601);
    // One pixel per angle unit once the range is at least the width.
    EXPECT_DOUBLE_EQ(horizontalScale(600, 1201, 1201, 2, 2).value(), 1.0);
    EXPECT_DOUBLE_EQ(horizontalScale(600, 1201, 600, 2, 1).value(), 0.5);
    // The product is rounded exactly, ties to even.
    const Scale half = horizontalScale(600, 1201, 600, 2, 1);
    EXPECT_EQ(half.toPixels(1), 0);
    EXPECT_EQ(half.toPixels(3), 2);
    EXPECT_EQ(half.toPixels(5), 2);
    EXPECT_EQ(half.toUnits(7), 14);
}

TEST(PlotScale, SpansOfferZeroOneOrTwoHorizontalLevels) {
    // 29, 30, 59 and 60 whole degrees.
    struct Case {
        int span;
        int levels;
        std::vector<int> ranges;
    };
    const Case cases[] = {{581, 0, {0}}, {601, 1, {0, 601}}, {1181, 1, {0, 1181}}, {1201, 2, {0, 600, 1201}}};
    for (const Case& c : cases) {
        const int levels = trecdata::ZoomXLimitForSpan(c.span);
        EXPECT_EQ(levels, c.levels) << c.span;
        std::vector<int> ranges;
        for (int level = 0; level <= levels; ++level) {
            ranges.push_back(horizontalScrollRange(c.span, levels, level));
        }
        EXPECT_EQ(ranges, c.ranges) << c.span;
    }
}

TEST(PlotScale, VerticalMappingAndZoomTable) {
    EXPECT_EQ(verticalScrollRange(0), 0);
    EXPECT_EQ(verticalScrollRange(1), 1001);
    EXPECT_EQ(verticalScrollRange(7), 32762);
    // 50 cps cannot zoom, 100 cps one level, 20000 cps and 50000 cps stop at 7.
    EXPECT_EQ(highestVerticalZoomLevel(0), 0);
    EXPECT_EQ(highestVerticalZoomLevel(1), 1);
    EXPECT_EQ(highestVerticalZoomLevel(8), 7);
    EXPECT_EQ(highestVerticalZoomLevel(9), 7);
    EXPECT_EQ(highestVerticalZoomLevel(-1), 0);

    EXPECT_EQ(verticalExtent(0, 400), 400);
    EXPECT_EQ(verticalExtent(5001, 400), 5001);
    EXPECT_EQ(yOfValue(0, 1000, 400), 399);
    EXPECT_EQ(yOfValue(500, 1000, 400), 199);
    EXPECT_EQ(yOfValue(1000, 1000, 400), -1);
    // Above the full scale the point lies above the top, unclipped; absurd values stay paintable.
    EXPECT_EQ(yOfValue(2000, 1000, 400), -401);
    EXPECT_LT(yOfValue(1.7e38, 50, 32762), -1000000);
    EXPECT_GT(yOfValue(1.7e38, 50, 32762), -100000000);
}

TEST(PlotAxes, ZoomedTickStepCoversThirtyTwoPixels) {
    // 32 pixels cover 6.4 cps at VR 5001 and 32 cps at VR 1001.
    EXPECT_DOUBLE_EQ(verticalTickStep(1000, 5001, 8), 7);
    EXPECT_DOUBLE_EQ(verticalTickStep(1000, 1001, 8), 40);
    // Whole multiples of a power of ten are kept, not raised by rounding noise.
    EXPECT_DOUBLE_EQ(verticalTickStep(1000, 3200, 8), 10);
    EXPECT_DOUBLE_EQ(verticalTickStep(2000, 3200, 8), 20);
    EXPECT_DOUBLE_EQ(verticalTickStep(30000, 3200, 8), 300);
    EXPECT_DOUBLE_EQ(verticalTickStep(20000, 32762, 8), 20);
}

TEST(PlotAxes, LowestZoomedTickIsRaisedToTheStep) {
    // The bottom of the visible area at VP 0: (5001 - 400) / 5000 x 1000 = 920.2, raised to 924.
    EXPECT_DOUBLE_EQ(lowestTickValue(1000, 5001, 0, 400, 7), 924);
    // At the bottom end of the range it is exactly 0.
    EXPECT_DOUBLE_EQ(lowestTickValue(1000, 5001, 4601, 400, 7), 0);
    // A multiple stays: (1001 - 401 - 0) / 1000 x 1000 = 600.
    EXPECT_DOUBLE_EQ(lowestTickValue(1000, 1001, 0, 401, 40), 600);
    // A zoomed range lower than the area would start below zero: labels start at 0.
    EXPECT_DOUBLE_EQ(lowestTickValue(100, 1001, 0, 1200, 4), 0);
}

TEST(PlotAxes, ZoomedTicksStayInsideTheArea) {
    const std::vector<Tick> bottom = verticalTicksZoomed(400, 5001, 4601, 1000, 8);
    ASSERT_GE(bottom.size(), 5u);
    EXPECT_EQ(bottom.front().label, "0");
    EXPECT_EQ(bottom.front().pos, 401);
    EXPECT_EQ(bottom[1].label, "7");
    for (std::size_t i = 0; i < bottom.size(); ++i) {
        EXPECT_GT(bottom[i].pos, 1);
        EXPECT_LE(bottom[i].pos, 401);
        if (i > 0) {
            EXPECT_GE(bottom[i - 1].pos - bottom[i].pos, 32); // 7 cps are 35 pixels here
        }
    }
    EXPECT_EQ(verticalTicksZoomed(400, 5001, 0, 1000, 8).front().label, "924");
    // A low zoomed range in a tall area: no negative rates, nothing below the area.
    for (const Tick& tick : verticalTicksZoomed(1200, 1001, 0, 100, 8)) {
        EXPECT_FALSE(tick.label.startsWith('-'));
        EXPECT_LE(tick.pos, 1201);
    }
}

TEST(PlotAxes, UnzoomedTicksEveryTenthOfTheFullScale) {
    const std::vector<Tick> ticks = verticalTicksUnzoomed(400, 1000);
    ASSERT_EQ(ticks.size(), 12u);
    EXPECT_EQ(ticks[0].pos, 401);
    EXPECT_EQ(ticks[0].label, "0");
    EXPECT_EQ(ticks[6].pos, 201);
    EXPECT_EQ(ticks[6].label, "500");
    EXPECT_EQ(ticks[11].pos, 1);
    EXPECT_EQ(ticks[11].label, "1000");
    EXPECT_EQ(labels(verticalTicksUnzoomed(405, 50)).join(' '), "0 0 5 10 15 20 25 30 35 40 45 50");
    EXPECT_EQ(verticalTicksUnzoomed(405, 50)[2].pos, 406 - 40); // round(40.5) is 40
}

TEST(PlotAxes, AngleTickSpacingFollowsTheSpan) {
    EXPECT_EQ(angleTickSpacing(20 * 20 + 1), 20);
    EXPECT_EQ(angleTickSpacing(21 * 20 + 1), 40);
    EXPECT_EQ(angleTickSpacing(50 * 20 + 1), 40);
    EXPECT_EQ(angleTickSpacing(51 * 20 + 1), 100);
    EXPECT_EQ(angleTickSpacing(100 * 20 + 1), 100);
    EXPECT_EQ(angleTickSpacing(101 * 20 + 1), 200);
}

TEST(PlotAxes, AngleLabels) {
    EXPECT_EQ(angleLabel(245), "12.25");
    EXPECT_EQ(angleLabel(240), "12");
    EXPECT_EQ(angleLabel(241), "12.05");
    EXPECT_EQ(angleLabel(0), "0");
    EXPECT_EQ(angleLabel(2600), "130");
    EXPECT_EQ(angleLabel(-240), "-12");
    EXPECT_EQ(angleLabel(-245), "-12.25");
    EXPECT_EQ(angleLabel(-5), "-0.25");
    EXPECT_EQ(angleLabel(-19), "-0.95");
}

TEST(PlotAxes, RegionStartingOffAWholeDegree) {
    // A region from 12.35 to 15.00 degrees: the view starts at 12 degrees.
    auto record = trecdata::Create(1, 200, 600, 0, 10);
    record->offsetEnabled = false;
    record->AddRegion(247, 300);
    record->SelectRegion(0);
    ASSERT_EQ(record->ViewFirstCell(), 240);
    ASSERT_EQ(record->ViewSpan(), 61);
    const Scale s = horizontalScale(720, record->ViewSpan(), 0, record->ZoomXLimit(), 0);
    const std::vector<Tick> ticks = horizontalTicks(leftEdgeAngle(240, 0, s), record->ViewSpan(), s, 720);
    ASSERT_EQ(labels(ticks).join(' '), "12 13 14 15");
    EXPECT_EQ(ticks[0].pos, 0);
    // 12.50 degrees is 10 angle units times s right of the left edge, on the axis' own mapping.
    EXPECT_EQ(xOfPosition(250 - 240, s), roundHalfEven(10 * 720.0 / 61));
    EXPECT_EQ(xOfPosition(260 - 240, s), ticks[1].pos);
}

TEST(PlotAxes, ScrolledAxisStartsAtTheVisibleEdge) {
    const Scale one = horizontalScale(600, 1201, 1201, 2, 2);
    EXPECT_EQ(leftEdgeAngle(240, 37, one), 277);
    const Scale half = horizontalScale(600, 1201, 600, 2, 1);
    EXPECT_EQ(leftEdgeAngle(240, 37, half), 314);
    // Labels then fall between whole degrees (a 40-degree span: a tick every 2 degrees).
    const std::vector<Tick> ticks = horizontalTicks(277, 801, horizontalScale(600, 801, 801, 1, 1), 600);
    EXPECT_EQ(ticks[0].label, "13.85");
    EXPECT_EQ(ticks[1].label, "15.85");
    EXPECT_EQ(ticks[1].pos, 40);
    EXPECT_LE(ticks.back().pos, 600);
    EXPECT_EQ(ticks.size(), 16u); // 0, 40, ..., 600
}

TEST(PlotStrips, PixelsToPositionsAndBack) {
    // Unzoomed, S 1201 over 600 pixels: pixels 100..149 show positions 200..301.
    const Scale fitted = horizontalScale(600, 1201, 0, 2, 0);
    const PositionRange positions = positionsOfPixels(100, 149, fitted);
    EXPECT_EQ(positions.first, 200);
    EXPECT_EQ(positions.last, 301);
    // Half a pixel per unit: twice the pixel.
    const PositionRange half = positionsOfPixels(100, 149, horizontalScale(600, 1201, 600, 2, 1));
    EXPECT_EQ(half.first, 200);
    EXPECT_GE(half.last, 300);
    // Aligned out to the step, clipped to the span, one step more each side.
    const PositionRange widened = widenStrip({201, 299}, 240, 1201, 4);
    EXPECT_EQ(widened.first, 196);
    EXPECT_EQ(widened.last, 304);
    const PositionRange atStart = widenStrip({0, 10}, 240, 1201, 10);
    EXPECT_EQ(atStart.first, -10);
    EXPECT_EQ(atStart.last, 20);
    const PositionRange atEnd = widenStrip({1190, 1400}, 240, 1201, 1);
    EXPECT_EQ(atEnd.last, 1202);
    EXPECT_TRUE(widenStrip({1300, 1400}, 240, 1201, 1).empty());
    // Columns of new points at 50..52 with step 2 at one pixel per unit.
    const PixelColumns columns = columnsOfPositions(50, 52, 2, horizontalScale(600, 1201, 1201, 2, 2));
    EXPECT_EQ(columns.left, 48);
    EXPECT_EQ(columns.right, 54);
}

TEST(PlotZoom, HorizontalZoomKeepsThePointUnderTheMouse) {
    const int span = 1201;
    const int width = 400;
    // Left edge stays at 0.
    auto left = zoomHorizontally({0, 0, 0}, 0, 1, span, 2, width);
    ASSERT_TRUE(left);
    EXPECT_EQ(*left, (AxisView{1, 600, 0}));
    // Right edge stays at HR - CW.
    auto right = zoomHorizontally({1, 600, 200}, width - 1, 1, span, 2, width);
    ASSERT_TRUE(right);
    EXPECT_EQ(*right, (AxisView{2, 1201, 1201 - width}));
    auto lastPixel = zoomHorizontally({0, 0, 0}, width - 1, 1, span, 2, width);
    ASSERT_TRUE(lastPixel);
    EXPECT_EQ(lastPixel->pos, 600 - width);
    // In the middle the relative position under the mouse is kept.
    auto middle = zoomHorizontally({1, 600, 100}, 150, 1, span, 2, width);
    ASSERT_TRUE(middle);
    EXPECT_EQ(middle->pos, roundHalfEven(1200 * (250.0 / 599) - 150));
    // Out again.
    auto out = zoomHorizontally(*middle, 150, -1, span, 2, width);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->level, 1);
    EXPECT_EQ(out->range, 600);
    EXPECT_NEAR(out->pos, 100, 1);
    // No level beyond the ends.
    EXPECT_FALSE(zoomHorizontally({0, 0, 0}, 10, -1, span, 2, width));
    EXPECT_FALSE(zoomHorizontally({2, 1201, 0}, 10, 1, span, 2, width));
    EXPECT_FALSE(zoomHorizontally({0, 0, 0}, 10, 1, 581, 0, width));
}

TEST(PlotZoom, ARangeNarrowerThanTheAreaDoesNotScroll) {
    // 30 degrees on a 1000-pixel area: level 1 is stretched, never scrolled to a negative position.
    auto zoomed = zoomHorizontally({0, 0, 0}, 999, 1, 601, 1, 1000);
    ASSERT_TRUE(zoomed);
    EXPECT_EQ(zoomed->range, 601);
    EXPECT_EQ(zoomed->pos, 0);
    EXPECT_EQ(scrollPositionAfterZoom(1.0, 0, 1001, 1001, 1200), 0);
    EXPECT_EQ(scrollPositionAfterZoom(0.5, 100, 5001, 5001, 400), 2400);
    EXPECT_EQ(scrollPositionAfterZoom(0.99, 0, 5001, 5001, 400), 4601);
}

TEST(PlotZoom, VerticalZoomUpToTheFullScaleLimit) {
    // 20000 cps: seven levels, the last with 32762 pixels.
    AxisView view;
    for (int level = 1; level <= 7; ++level) {
        auto next = zoomVertically(view, 200, 1, highestVerticalZoomLevel(8), 400);
        ASSERT_TRUE(next) << level;
        EXPECT_EQ(next->level, level);
        EXPECT_EQ(next->range, kVerticalZoomRanges[static_cast<std::size_t>(level)]);
        EXPECT_GE(next->pos, 0);
        EXPECT_LE(next->pos, next->range - 400);
        view = *next;
    }
    EXPECT_EQ(view.range, 32762);
    EXPECT_FALSE(zoomVertically(view, 200, 1, 7, 400));
    // 50 cps: no level at all.
    EXPECT_FALSE(zoomVertically({}, 200, 1, highestVerticalZoomLevel(0), 400));
    // Zooming in at the bottom keeps the bottom; out to level 0 leaves nothing to scroll.
    auto bottom = zoomVertically({}, 399, 1, 7, 400);
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->pos, 1001 - 400);
    auto out = zoomVertically(*bottom, 200, -1, 7, 400);
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, (AxisView{0, 0, 0}));
    EXPECT_FALSE(zoomVertically(*out, 200, -1, 7, 400));
}

TEST(PlotReadout, SnapsToTheStepAndFormats) {
    EXPECT_EQ(snapToStep(247, 1), 247);
    EXPECT_EQ(snapToStep(247, 2), 246);
    EXPECT_EQ(snapToStep(-3, 2), -4);
    EXPECT_EQ(snapToStep(245, 4), 244);
    EXPECT_EQ(snapToStep(246, 4), 248);
    EXPECT_EQ(snapToStep(244, 10), 240);
    EXPECT_EQ(snapToStep(245, 10), 250);
    withGermanLocale([] {
        EXPECT_EQ(cursorReadout(452, 3100.5), "22.60 deg, 3100.50 cps");
        EXPECT_EQ(cursorReadout(452, 0), "22.60 deg, 0.00 cps");
        EXPECT_EQ(cursorReadout(-5, -1), "-0.25 deg, ----");
        EXPECT_EQ(valueLabel(2500), "2500");
        EXPECT_EQ(generalNumber(812.5), "812.5");
        EXPECT_EQ(generalNumber(800), "800");
        EXPECT_EQ(angleLabel(245), "12.25");
    });
}
