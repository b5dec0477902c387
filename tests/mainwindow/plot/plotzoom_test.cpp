// The mouse's zoom rules, round angle ticks, the overlay palette and the legend.
#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/plotoverlays.h"
#include "mainwindow/plot/plotzoom.h"
#include "tests/support/plotfixtures.h"

#include <gtest/gtest.h>

using namespace plot;

namespace {

QStringList labels(const std::vector<Tick>& ticks) {
    QStringList list;
    for (const Tick& tick : ticks)
        list << tick.label;
    return list;
}

TEST(MouseZoom, WheelKeepsTheAngleUnderTheCursorAndStopsAtItsLimits) {
    constexpr int width = 700;
    constexpr int span = 2601; // 0 .. 130 degrees
    struct Case {
        double factor;
        int mouseX;
        int notches;
    };
    for (const Case& c :
         std::vector<Case>{{1.25, 350, 1}, {1.25, 10, 3}, {1.25, 690, 5}, {0.8, 200, 2}, {1.25, 100, 40}}) {
        HorizontalView view{freeScale(0, span, width), 0};
        // Zoom in first where the case zooms out, so there is something to zoom out of.
        if (c.factor < 1)
            view = wheelZoomHorizontal(view, c.mouseX, 8, span, width);
        for (int n = 0; n < c.notches; ++n) {
            const double before = unitsAtPixel(view, c.mouseX);
            const HorizontalView next = wheelZoomHorizontal(view, c.mouseX, c.factor, span, width);
            // Within a pixel, unless the content's end stops the scroll position.
            const bool heldAtEnd = next.pos == 0 || next.pos == contentWidth(span, next.scale) - width;
            if (!heldAtEnd) {
                EXPECT_NEAR(unitsAtPixel(next, c.mouseX), before, 0.5 / next.scale.value() + 1e-9);
            }
            view = next;
        }
        EXPECT_GE(view.scale.value(), static_cast<double>(width) / span - 1e-12);
        EXPECT_LE(view.scale.value(), kMaxPixelsPerUnit + 1e-9);
    }
    // Zooming out never goes past the fitted view.
    const HorizontalView fitted = wheelZoomHorizontal({freeScale(0, span, width), 0}, 300, 0.5, span, width);
    EXPECT_EQ(fitted.pos, 0);
    EXPECT_EQ(contentWidth(span, fitted.scale), width);
}

TEST(MouseZoom, RectangleFillsTheViewOnBothAxes) {
    constexpr int width = 700;
    constexpr int span = 2601;
    const HorizontalView fitted{freeScale(0, span, width), 0};
    // Columns of 30 and 33 degrees (600 and 660 units) in the fitted view.
    const int x30 = fitted.scale.toPixels(600);
    const int x33 = fitted.scale.toPixels(660);
    const HorizontalView zoomed = rectangleZoomHorizontal(fitted, x33, x30, span, width);
    const double left = unitsAtPixel(zoomed, 0);
    const double right = unitsAtPixel(zoomed, width);
    // The rectangle's columns are whole pixels: its angles are known to a pixel of the old view.
    const double pixel = 1 / fitted.scale.value();
    EXPECT_NEAR(left, 600, pixel);
    EXPECT_NEAR(right, 660, pixel);

    // Rows 100..200 of a 400-pixel high unzoomed view: the extent grows fourfold, row 100 at the top.
    const VerticalView rows = rectangleZoomVertical({0, 0}, 200, 100, 400, 100000);
    EXPECT_EQ(rows.extent, 1600);
    EXPECT_EQ(rows.pos, 400);
    // A wheel notch down about a point goes back up to the whole height, never below it.
    EXPECT_EQ(wheelZoomVertical({400, 0}, 100, 0.5, 400, 100000).extent, 400);
    const VerticalView in = wheelZoomVertical({400, 0}, 100, 2, 400, 100000);
    EXPECT_EQ(in.extent, 800);
    EXPECT_EQ(in.pos, 100); // row 100 of 400 is row 200 of 800: still under the cursor
    // A 50 cps full scale with an 8-point axis font zooms to 1600 pixels at most: 32 pixels a cps.
    EXPECT_EQ(maxVerticalExtent(50, 8), 1600);
    EXPECT_EQ(wheelZoomVertical({400, 0}, 100, 100, 400, maxVerticalExtent(50, 8)).extent, 1600);
}

TEST(MouseZoom, AngleTicksFallOnRoundValuesAtEveryZoom) {
    struct Case {
        Scale scale;
        int g0;
        int pos;
        int width;
        const char* labels;
    };
    const std::vector<Case> cases = {
        // 1 pixel per unit, scrolled by 217 pixels from 12 degrees: ticks every 5 degrees from 25.
        {{1, 1}, 240, 217, 300, "25 30 35"},
        // 10 pixels per unit: every 0.5 degree.
        {{10, 1}, 600, 35, 400, "30.50 31 31.50 32"},
        // 40 pixels per unit, the left edge at 31.70 degrees: every 0.1 degree.
        {{40, 1}, 600, 1360, 200, "31.70 31.80 31.90"},
        // The fitted view of 130 degrees over 700 pixels: every 10 degrees.
        {{700, 2601}, 0, 0, 700, "0 10 20 30 40 50 60 70 80 90 100 110 120 130"},
    };
    for (const Case& c : cases) {
        const std::vector<Tick> ticks = roundAngleTicks(c.g0, c.pos, c.scale, c.width, 50);
        EXPECT_EQ(labels(ticks).join(' '), QString::fromLatin1(c.labels));
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            EXPECT_GE(ticks[i].pos - ticks[i - 1].pos, 49);
        }
    }
}

TEST(Overlays, PaletteIsReadableOnScreenAndPaperAndTheLegendNamesEveryRecord) {
    for (int n = 0; n < kOverlayPaletteSize; ++n) {
        EXPECT_GE(contrastRatio(overlayColour(n, false), kBackground), 3.0) << n;
        EXPECT_GE(contrastRatio(overlayColour(n, true), Qt::white), 3.0) << n;
        EXPECT_NE(overlayColour(n, false), kLime);
        EXPECT_NE(overlayColour(n, false), overlayColour(n + 1, false));
    }
    EXPECT_EQ(overlayColour(kOverlayPaletteSize, true), overlayColour(0, true));

    auto shown = plotfixtures::spectrumRecord();
    shown->comment = QStringLiteral("Cu, Ni filter\r\nsecond line");
    auto other = plotfixtures::spectrumRecord();
    const std::vector<LegendLine> lines = legendLines(*shown, "a.RTG", {{other.get(), "b.RTG"}}, false);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, QStringLiteral("a.RTG  Cu, Ni filter"));
    EXPECT_EQ(lines[0].colour, kLime);
    EXPECT_EQ(lines[1].text, QStringLiteral("b.RTG"));
    EXPECT_EQ(lines[1].colour, overlayColour(0, false));
    EXPECT_EQ(firstCommentLine(QString(50, QLatin1Char('x')), 10), QStringLiteral("xxxxxxx..."));
}

} // namespace
