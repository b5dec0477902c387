// The scalar-mode chart with Qt Charts.
#include "scalar/scalarchart.h"

#include "analysis/xraydata.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr double kMarkerSize = 9;

} // namespace

ScalarChart::ScalarChart(QWidget* parent)
    : QChartView(parent), line_(new QLineSeries), fixed_(new QScatterSeries), points_(new QScatterSeries),
      yAxis_(new QValueAxis) {
    setObjectName(QStringLiteral("wykr"));
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::NoRubberBand);
    QChart* plot = chart();
    plot->legend()->hide();
    plot->setBackgroundRoundness(0);

    line_->setColor(Qt::red);
    line_->setPointsVisible(true);
    line_->setMarkerSize(kMarkerSize);
    fixed_->setColor(Qt::green);
    fixed_->setMarkerSize(0); // present for the axis range only
    fixed_->setPen(Qt::NoPen);
    fixed_->append({{0, 0}, {1, 50}});
    points_->setColor(Qt::yellow);
    points_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    points_->setMarkerSize(kMarkerSize);
    points_->setBorderColor(Qt::black);
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{line_, fixed_, points_}) {
        plot->addSeries(series);
    }
    yAxis_->setTitleText(QLatin1String(scalar::kRateAxisTitle));
    yAxis_->setLabelFormat(QStringLiteral("%g"));
    plot->addAxis(yAxis_, Qt::AlignLeft);
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{line_, fixed_, points_}) {
        series->attachAxis(yAxis_);
    }
    setTitles(scalar::chartTitles(scalar::detectorHv), {});
}

void ScalarChart::attachXAxis(QAbstractAxis* axis) {
    QChart* plot = chart();
    if (xAxis_) {
        plot->removeAxis(xAxis_);
        delete xAxis_;
    }
    xAxis_ = axis;
    plot->addAxis(axis, Qt::AlignBottom);
    for (QXYSeries* series : std::initializer_list<QXYSeries*>{line_, fixed_, points_}) {
        series->attachAxis(axis);
    }
    for (QLineSeries* curve : curves_) {
        curve->attachAxis(axis);
    }
}

void ScalarChart::showCurves(const std::vector<analysis::SeriesCurve>& curves) {
    QChart* plot = chart();
    for (QLineSeries* curve : curves_) {
        plot->removeSeries(curve);
        delete curve;
    }
    curves_.clear();
    for (const analysis::SeriesCurve& curve : curves) {
        auto* series = new QLineSeries;
        for (const analysis::CurvePoint& p : curve.points) {
            series->append(p.x, p.y);
        }
        QPen pen(Qt::black, 2);
        if (curve.filterZ >= 0) {
            const auto rgb = scalar::filterColorOf(
                curve.filterZ == 0 ? scalar::filterItems().front() : analysis::elementSymbol(curve.filterZ));
            pen.setColor(QColor(rgb[0], rgb[1], rgb[2]));
            pen.setStyle(Qt::DashLine);
        }
        series->setPen(pen);
        plot->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
        curves_.push_back(series);
    }
}

void ScalarChart::setTitles(const scalar::ChartTitles& titles, const QStringList& labels) {
    chart()->setTitle(titles.title);
    if (!xAxis_ || labels != labels_) {
        labels_ = labels;
        if (labels.isEmpty()) {
            auto* axis = new QValueAxis;
            axis->setLabelFormat(QStringLiteral("%g"));
            attachXAxis(axis);
        } else {
            // The item texts stand at their indices 0, 1, ...
            auto* axis = new QCategoryAxis;
            axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
            for (qsizetype i = 0; i < labels.size(); ++i) {
                axis->append(labels[i], static_cast<qreal>(i));
            }
            attachXAxis(axis);
        }
    }
    xAxis_->setTitleText(titles.xAxis);
    rescale();
}

void ScalarChart::addPoint(bool toLine, const scalar::PlotPoint& point) {
    std::vector<Point>& model = toLine ? lineModel_ : pointModel_;
    const Point added{point.x, point.y, QColor(point.color[0], point.color[1], point.color[2])};
    // After the points of equal X, so that rows keep their order among equals.
    const auto at = std::upper_bound(model.begin(), model.end(), added.x,
                                     [](double x, const Point& p) { return x < p.x; });
    model.insert(at, added);
    show(toLine ? static_cast<QXYSeries*>(line_) : points_, model);
    rescale();
}

void ScalarChart::clearPoints() {
    lineModel_.clear();
    pointModel_.clear();
    show(line_, lineModel_);
    show(points_, pointModel_);
    rescale();
}

void ScalarChart::show(QXYSeries* series, const std::vector<Point>& points) {
    QList<QPointF> xy;
    xy.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& p : points) {
        xy.append({p.x, p.y});
    }
    series->clearPointsConfiguration();
    series->replace(xy);
    for (qsizetype i = 0; i < xy.size(); ++i) {
        series->setPointConfiguration(static_cast<int>(i), {{QXYSeries::PointConfiguration::Color,
                                                             points[static_cast<std::size_t>(i)].color}});
    }
}

QColor ScalarChart::pointColor(const QXYSeries* series, int index) {
    const QVariant color = series->pointConfiguration(index).value(QXYSeries::PointConfiguration::Color);
    return color.isValid() ? color.value<QColor>() : series->color();
}

// Axes from the data with the fixed points included; a margin keeps edge points off the frame.
void ScalarChart::rescale() {
    double xLow = 0, xHigh = 1, yHigh = 50;
    for (const std::vector<Point>* model : {&lineModel_, &pointModel_}) {
        for (const Point& p : *model) {
            xLow = std::min(xLow, p.x);
            xHigh = std::max(xHigh, p.x);
            yHigh = std::max(yHigh, p.y);
        }
    }
    if (!labels_.isEmpty()) {
        xHigh = std::max(xHigh, static_cast<double>(labels_.size() - 1));
        xAxis_->setRange(xLow - 0.5, xHigh + 0.5);
    } else {
        auto* axis = static_cast<QValueAxis*>(xAxis_);
        axis->setRange(xLow, xHigh + (xHigh - xLow) * 0.05);
        axis->applyNiceNumbers();
    }
    yAxis_->setRange(0, yHigh * 1.05);
    yAxis_->applyNiceNumbers();
}
