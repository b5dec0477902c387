// The curve painter: the points of a strip and how they are drawn.
#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/plotcurve.h"
#include "records/trecdata.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace plot;

namespace {

const QColor kRed(255, 0, 0);

// 10.00 to 13.00 degrees in steps of 0.1 degree at 40 cps, without the point at 11.00 degrees.
std::unique_ptr<trecdata> recordWithGap() {
    auto record = trecdata::Create(2, 200, 260, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i <= 60; i += 2) {
        if (i != 20) {
            record->SetPoint(i, 40);
        }
    }
    record->SetRangeMode(0);
    return record;
}

CurveMapping oneToOne(const trecdata& record) {
    return curveMapping(record, Scale{1, 1}, 100);
}

QImage redImage() {
    QImage image(80, 100, QImage::Format_RGB32);
    image.fill(kRed);
    return image;
}

void paint(QImage& image, const std::vector<CurvePoint>& points, const CurveStyle& style) {
    QPainter painter(&image);
    paintCurve(painter, points, style);
}

CurveStyle screenStyle(bool pointMode) {
    CurveStyle style;
    style.colour = kLime;
    style.pointMode = pointMode;
    style.background = kBackground;
    style.clearLeft = 0;
    style.clearRight = 79;
    style.clearTop = 0;
    style.clearBottom = 99;
    return style;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// Data at x 10 and 20, none at 30, data at 40 and 50, all at y 50.
const std::vector<CurvePoint> kBrokenLine = {
    {10, 50, true}, {20, 50, true}, {30, 0, false}, {40, 50, true}, {50, 50, true}};

} // namespace

TEST(PlotCurvePoints, StepGridRangeAndGaps) {
    const auto record = recordWithGap();
    const CurveMapping mapping = oneToOne(*record);
    EXPECT_EQ(mapping.g0, 200);
    EXPECT_EQ(mapping.span, 61);
    EXPECT_EQ(mapping.fullScale, 50);
    const std::vector<CurvePoint> points = curvePoints(*record, mapping, {-20, 100}, -1000, 1000);
    ASSERT_EQ(points.size(), 31u); // 200..260 in steps of 2, nothing outside the record
    EXPECT_EQ(points.front().x, 0);
    EXPECT_EQ(points.back().x, 60);
    for (const CurvePoint& point : points) {
        EXPECT_EQ(point.hasData, point.x != 20) << point.x;
        if (point.hasData) {
            EXPECT_EQ(point.y, yOfValue(40, 50, 100));
        }
    }
    // Only the multiples of the step inside the strip, between the skip and stop bounds.
    const std::vector<CurvePoint> strip = curvePoints(*record, mapping, {5, 60}, 10, 30);
    ASSERT_EQ(strip.size(), 11u);
    EXPECT_EQ(strip.front().x, 10);
    EXPECT_EQ(strip.back().x, 30);
    EXPECT_TRUE(curvePoints(*record, mapping, {70, 90}, -1000, 1000).empty());
}

TEST(PlotCurvePoints, OddStartAndNegativeAnglesStayOnTheStepGrid) {
    auto record = trecdata::Create(4, -30, 30, 0, 10);
    record->offsetEnabled = false;
    for (int i = 2; i <= 60; i += 4) { // angles -28, -24, ..., 28
        record->SetPoint(i, 10);
    }
    const CurveMapping mapping = oneToOne(*record);
    ASSERT_EQ(mapping.g0, -40);
    const std::vector<CurvePoint> points = curvePoints(*record, mapping, {0, mapping.span}, -1000, 1000);
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front().x, -28 - -40);
    for (const CurvePoint& point : points) {
        EXPECT_EQ((point.x + mapping.g0) % 4, 0);
        EXPECT_TRUE(point.hasData) << point.x;
    }
}

TEST(PlotCurvePaint, LinesJoinDataButNeverBridgeAGap) {
    QImage image = redImage();
    paint(image, kBrokenLine, screenStyle(false));
    EXPECT_EQ(at(image, 10, 50), kLime);
    EXPECT_EQ(at(image, 15, 50), kLime);
    EXPECT_EQ(at(image, 45, 50), kLime);
    // Between 20 and 40 the missing point breaks the line.
    EXPECT_EQ(at(image, 30, 50), kBackground);
    EXPECT_EQ(at(image, 35, 50), kBackground);
}

TEST(PlotCurvePaint, PointModeSetsSinglePixels) {
    QImage image = redImage();
    paint(image, kBrokenLine, screenStyle(true));
    int lime = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            lime += at(image, x, y) == kLime;
        }
    }
    EXPECT_EQ(lime, 4);
    EXPECT_EQ(at(image, 40, 50), kLime);
    EXPECT_EQ(at(image, 15, 50), kBackground);
}

TEST(PlotCurvePaint, ALonePointShowsInLineMode) {
    QImage image = redImage();
    paint(image, {{10, 20, false}, {20, 60, true}, {30, 10, false}}, screenStyle(false));
    EXPECT_EQ(at(image, 20, 60), kLime);
}

TEST(PlotCurvePaint, ClearsEveryColumnOfTheStripAndNothingElse) {
    QImage image = redImage();
    CurveStyle style = screenStyle(false);
    style.clearLeft = 5;
    style.clearRight = 70;
    style.clearTop = 10;
    style.clearBottom = 89;
    paint(image, kBrokenLine, style);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const bool inside = x >= 5 && x <= 70 && y >= 10 && y <= 89;
            if (inside) {
                ASSERT_NE(at(image, x, y), kRed) << x << "," << y;
            } else {
                ASSERT_EQ(at(image, x, y), kRed) << x << "," << y;
            }
        }
    }
}

TEST(PlotCurvePaint, PaperStyleLeavesTheBackground) {
    QImage image = redImage();
    CurveStyle style;
    style.colour = Qt::black;
    paint(image, kBrokenLine, style);
    EXPECT_EQ(at(image, 15, 50), QColor(Qt::black));
    EXPECT_EQ(at(image, 15, 40), kRed);
    EXPECT_EQ(at(image, 70, 50), kRed);
}

TEST(PlotCurvePoints, DamagedRecordsStayPaintable) {
    // Steps and regions no scan produces, as a damaged file may hold them.
    for (const int step : {0, -5, 7, 100000, INT_MAX}) {
        auto record = trecdata::Create(step, 200, 2000, 0, 10);
        record->offsetEnabled = false;
        record->SetPoint(0, 30);
        record->AddRegion(900, 300);
        record->SelectRegion(0);
        record->rangeIndex = 200;
        const CurveMapping mapping =
            curveMapping(*record, horizontalScale(700, record->ViewSpan(), 0, 0, 0), 400);
        EXPECT_GE(mapping.step, 1);
        EXPECT_EQ(mapping.fullScale, 50000);
        const PositionRange strip =
            widenStrip(positionsOfPixels(0, 699, mapping.scale), mapping.g0, mapping.span, mapping.step);
        QImage image = redImage();
        paint(image, curvePoints(*record, mapping, strip, -1000, 100000), screenStyle(false));
        EXPECT_EQ(at(image, 0, 0), kBackground);
    }
}
