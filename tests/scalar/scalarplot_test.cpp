// The rules and the widget of the scalar-mode chart.
#include "scalar/filterlist.h"
#include "scalar/scalarchart.h"
#include "scalar/scalarplot.h"
#include "tests/scalar/qtapp.h"

#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>

#include <gtest/gtest.h>

using scalar_tests::ensureApplication;

using namespace scalar;

namespace {

const ScalarCells kRow = {"1", "1000 ", "Cu", "Ni", "E. S. 14", "0,5", "120", "123.45"};

QList<QPointF> pointsOf(const QXYSeries* series) {
    return series->points();
}

} // namespace

TEST(ScalarPlot, XFollowsTheVariableAndYIsTheRate) {
    const QLocale german(QLocale::German);
    const std::pair<Variable, double> cases[] = {{detectorHv, 1000}, {radiator, 7},    {filter, 6},
                                                 {position, 1},      {thickness, 0.5}, {tubeCurrent, 120}};
    for (const auto& [variable, x] : cases) {
        const std::optional<PlotPoint> point = plotPoint(kRow, variable, german);
        ASSERT_TRUE(point) << variable;
        EXPECT_DOUBLE_EQ(point->x, x) << variable;
        EXPECT_DOUBLE_EQ(point->y, 123.45) << variable;
        EXPECT_EQ(point->color, (std::array<int, 3>{0, 128, 0})) << variable; // Ni
    }
}

TEST(ScalarPlot, RowsWhoseXOrYCannotBeReadAreNotPlotted) {
    ScalarCells row = kRow;
    row[colRadiator] = "cu"; // item lookups compare whole texts exactly
    EXPECT_FALSE(plotPoint(row, radiator, QLocale::c()));
    EXPECT_TRUE(plotPoint(row, detectorHv, QLocale::c()));
    row[colVoltage] = "10.5 ";
    EXPECT_FALSE(plotPoint(row, detectorHv, QLocale::c()));
    row = kRow;
    row[colRate] = "";
    EXPECT_FALSE(plotPoint(row, filter, QLocale::c()));
    row = kRow;
    row[colFilter] = "Pb";
    EXPECT_FALSE(plotPoint(row, filter, QLocale::c()));
    EXPECT_EQ(plotPoint(row, radiator, QLocale::c())->color, kUnknownFilterColor);
}

TEST(ScalarPlot, TitlesOfEveryVariable) {
    EXPECT_EQ(chartTitles(detectorHv).title, "Radiation counts vs. Detector HV");
    EXPECT_EQ(chartTitles(thickness).xAxis, "Filter thickness [mm]");
    EXPECT_TRUE(chartTitles(tubeCurrent).title.contains("X-ray tube current"));
    EXPECT_TRUE(chartTitles(tubeCurrent).xAxis.contains("X-ray tube current"));
    EXPECT_EQ(variableItems()[4], "Filter thicknes");
    EXPECT_EQ(xLabels(position).size(), 18);
    EXPECT_TRUE(xLabels(thickness).isEmpty());
}

TEST(ScalarChartWidget, ThreeSeriesInOrderWithTheFixedPoints) {
    ensureApplication();
    ScalarChart chart;
    const QList<QAbstractSeries*> series = chart.chart()->series();
    ASSERT_EQ(series.size(), 3);
    EXPECT_EQ(series[0], chart.lineSeries());
    EXPECT_EQ(series[1], chart.fixedSeries());
    EXPECT_EQ(series[2], chart.pointSeries());
    EXPECT_EQ(chart.lineSeries()->color(), QColor(Qt::red));
    EXPECT_EQ(chart.fixedSeries()->color(), QColor(Qt::green));
    EXPECT_EQ(chart.pointSeries()->color(), QColor(Qt::yellow));
    EXPECT_EQ(chart.pointSeries()->markerShape(), QScatterSeries::MarkerShapeRectangle);
    EXPECT_EQ(pointsOf(chart.fixedSeries()), (QList<QPointF>{{0, 0}, {1, 50}}));
    EXPECT_FALSE(chart.chart()->legend()->isVisible());
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical).at(0)->titleText(), "Radiation count [CPS]");
}

TEST(ScalarChartWidget, PointsStaySortedByXEachInItsColour) {
    ensureApplication();
    ScalarChart chart;
    chart.addPoint(false, {700, 30, {255, 0, 0}});
    chart.addPoint(false, {300, 10, {0, 0, 128}});
    chart.addPoint(false, {500, 20, {0, 128, 0}});
    chart.addPoint(true, {2, 5, {128, 128, 0}});
    EXPECT_EQ(pointsOf(chart.pointSeries()), (QList<QPointF>{{300, 10}, {500, 20}, {700, 30}}));
    EXPECT_EQ(ScalarChart::pointColor(chart.pointSeries(), 0), QColor(0, 0, 128));
    EXPECT_EQ(ScalarChart::pointColor(chart.pointSeries(), 1), QColor(0, 128, 0));
    EXPECT_EQ(ScalarChart::pointColor(chart.pointSeries(), 2), QColor(255, 0, 0));
    EXPECT_EQ(pointsOf(chart.lineSeries()), (QList<QPointF>{{2, 5}}));
    auto* x = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).at(0));
    ASSERT_TRUE(x);
    EXPECT_LE(x->min(), 0); // the fixed origin stays in view
    EXPECT_GE(x->max(), 700);
    chart.clearPoints();
    EXPECT_TRUE(pointsOf(chart.pointSeries()).isEmpty());
    EXPECT_TRUE(pointsOf(chart.lineSeries()).isEmpty());
    EXPECT_EQ(pointsOf(chart.fixedSeries()).size(), 2);
}

TEST(ScalarChartWidget, ItemVariablesLabelTheirIndices) {
    ensureApplication();
    ScalarChart chart;
    chart.setTitles(chartTitles(filter), xLabels(filter));
    auto* x = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).at(0));
    ASSERT_TRUE(x);
    EXPECT_EQ(x->categoriesLabels(), filterItems());
    EXPECT_EQ(x->titleText(), "Filter selection");
    EXPECT_EQ(chart.chart()->title(), "Radiation counts vs. Filter selection");
    chart.setTitles(chartTitles(tubeCurrent), {});
    EXPECT_TRUE(qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Horizontal).at(0)));
    EXPECT_EQ(chart.chart()->axes(Qt::Horizontal).size(), 1);
}

TEST(FilterList, SwatchThenInverseTextOnTheListBackground) {
    ensureApplication();
    QComboBox box;
    box.addItems(filterItems());
    scalar::drawFilterItems(&box);
    QImage image(120, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 120, 20);
    option.palette.setColor(QPalette::Base, QColor(255, 255, 255));
    {
        QPainter painter(&image);
        box.itemDelegate()->paint(&painter, option, box.model()->index(6, 0)); // "Ni"
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 128, 0));
    EXPECT_EQ(image.pixelColor(19, 19), QColor(0, 128, 0));
    EXPECT_EQ(image.pixelColor(20, 10), QColor(255, 255, 255));
    // Some text pixels: black, the inverse of the white background.
    int dark = 0;
    for (int x = 23; x < 60; ++x) {
        for (int y = 0; y < 20; ++y) {
            dark += image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 5);
}
