// The scalar-mode chart `wykr`: counting rate against the independent variable, in three series
// (in this order): a red line series for the rows when lines are wanted, a hidden green series with
// the fixed points (0, 0) and (1, 50) that keep the origin, X up to 1 and Y up to 50 cps in view,
// and a yellow point series for the rows otherwise. Every series keeps its points sorted by X, and
// every row point is drawn in its filter's colour. The fitted curves of the series' evaluation are
// drawn over them, after these three series.
#pragma once

#include "analysis/seriesevaluation.h"
#include "scalar/scalarplot.h"

#include <QChartView>
#include <QColor>

#include <vector>

class QAbstractAxis;
class QLineSeries;
class QScatterSeries;
class QXYSeries;

class ScalarChart : public QChartView {
    Q_OBJECT
public:
    explicit ScalarChart(QWidget* parent = nullptr);

    QLineSeries* lineSeries() const { return line_; }
    QScatterSeries* fixedSeries() const { return fixed_; }
    QScatterSeries* pointSeries() const { return points_; }

    // Title line and X-axis title; `labels` name the X values 0, 1, ... (item variables), or are
    // empty for a numeric X axis.
    void setTitles(const scalar::ChartTitles& titles, const QStringList& labels);
    // Adds a row's point to the line series or the point series, in X order.
    void addPoint(bool toLine, const scalar::PlotPoint& point);
    // Empties the line series and the point series; the fixed points stay.
    void clearPoints();
    // Replaces the fitted curves drawn over the points: black for a fit, a filter's colour for
    // what belongs to that filter (dashed: an edge).
    void showCurves(const std::vector<analysis::SeriesCurve>& curves);
    const std::vector<QLineSeries*>& curveSeries() const { return curves_; }
    // The colour a series draws its point `index` in.
    static QColor pointColor(const QXYSeries* series, int index);

private:
    struct Point {
        double x;
        double y;
        QColor color;
    };
    void show(QXYSeries* series, const std::vector<Point>& points);
    void rescale();
    void attachXAxis(QAbstractAxis* axis);

    QLineSeries* line_;
    QScatterSeries* fixed_;
    QScatterSeries* points_;
    std::vector<QLineSeries*> curves_;
    std::vector<Point> lineModel_;
    std::vector<Point> pointModel_;
    QStringList labels_;
    QAbstractAxis* xAxis_ = nullptr;
    class QValueAxis* yAxis_;
};
