// The scan plot's painting: the curve strip by strip on the opaque canvas, and the axes.
#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/plotcurve.h"
#include "mainwindow/plot/plotwidgets.h"
#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"

#include <QPainter>
#include <QRegion>
#include <QToolButton>
#include <QWidget>

void ScanPlot::PaintBox1Paint(QPainter& painter, const QRegion& region) {
    // Scrolling and zooming move the axes' labels too.
    const ViewSeen now{scrollPosX(), scrollPosY(), scrollRangeX_, scrollRangeY_};
    if (!(now == seen_)) {
        seen_ = now;
        repaintAxes();
    }
    const QPoint origin(now.posX, now.posY);
    painter.translate(-origin);
    for (const QRect& rect : region) {
        paintCurveRect(painter, rect.translated(origin));
    }
}

void ScanPlot::paintCurveRect(QPainter& painter, const QRect& content) {
    // The canvas is opaque: every pixel of the strip is painted, also without a record.
    if (record_ == nullptr) {
        painter.fillRect(content, plot::kBackground);
        return;
    }
    const plot::Scale s = horizontalScale();
    const plot::CurveMapping mapping =
        plot::curveMapping(*record_, s, plot::verticalExtent(scrollRangeY_, clientHeight()));
    const plot::PositionRange strip = plot::widenStrip(
        plot::positionsOfPixels(content.left(), content.right(), s), mapping.g0, mapping.span, mapping.step);
    const int visibleLeft = scrollPosX();
    const std::vector<plot::CurvePoint> points = plot::curvePoints(
        *record_, mapping, strip, visibleLeft - mapping.step, visibleLeft + clientWidth() + mapping.step);
    plot::CurveStyle style;
    style.colour = plot::kLime;
    style.pointMode = linebtn_->isChecked();
    style.background = plot::kBackground;
    style.clearLeft = content.left();
    style.clearRight = content.right();
    style.clearTop = content.top();
    style.clearBottom = content.bottom();
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    plot::paintCurve(painter, points, style);
    if (evalMarks_) {
        painter.setFont(PaintBox1()->font());
        plot::paintEvalMarks(painter, *evalMarks_, mapping, plot::kYellow);
    }
    painter.restore();
}

void ScanPlot::drawCurveStrip(int first, int last) {
    if (record_ == nullptr || last < first) {
        return;
    }
    // The caller counts from the region start; the canvas from the whole degree below it.
    const int phase = record_->ViewPhase();
    const plot::PixelColumns columns =
        plot::columnsOfPositions(first + phase, last + phase, plot::curveStep(*record_), horizontalScale());
    const QRect strip(columns.left - scrollPosX(), 0, columns.right - columns.left + 1, clientHeight());
    PaintBox1()->update(strip.intersected(PaintBox1()->rect()));
}

void ScanPlot::PaintBox2Paint(QPainter& painter) {
    painter.fillRect(PaintBox2()->rect(), plot::kBackground);
    if (record_ == nullptr) {
        return;
    }
    plot::AxesGeometry geometry;
    geometry.clientWidth = clientWidth();
    geometry.clientHeight = clientHeight();
    geometry.outerHeight = curveAreaSize().height();
    geometry.boxWidth = PaintBox2()->width();
    geometry.scrollRangeX = scrollRangeX_;
    geometry.scrollPosX = scrollPosX();
    geometry.scrollRangeY = scrollRangeY_;
    geometry.scrollPosY = scrollPosY();
    geometry.zoomXLevel = zoomXLevel_;
    const int pointSize = PaintBox2()->font().pointSize();
    geometry.pointSize = pointSize > 0 ? pointSize : plot::kAxisFontPointSize;
    painter.setFont(PaintBox2()->font());
    plot::paintAxes(painter, *record_, geometry);
}
