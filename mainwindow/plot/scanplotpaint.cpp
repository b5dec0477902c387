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
    painter.fillRect(content, plot::kBackground);
    if (record_ == nullptr) {
        return;
    }
    const plot::Scale s = horizontalScale();
    const plot::CurveMapping mapping =
        plot::curveMapping(*record_, s, plot::verticalExtent(scrollRangeY_, clientHeight()));
    const plot::PositionRange pixels = plot::positionsOfPixels(content.left(), content.right(), s);
    const int visibleLeft = scrollPosX();
    const int skipBelow = visibleLeft - mapping.step;
    const int stopAbove = visibleLeft + clientWidth() + mapping.step;
    plot::CurveStyle style;
    style.pointMode = linebtn_->isChecked();
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    // Overlays first, so the displayed record stays on top.
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        if (const trecdata* overlay = overlays_[i].record) {
            const plot::CurveMapping laid = plot::overlayMapping(mapping, *overlay);
            const plot::PositionRange strip = plot::widenStrip(pixels, laid.g0, laid.span, laid.step);
            style.colour = plot::overlayColour(static_cast<int>(i), false);
            plot::paintCurve(painter, plot::curvePoints(*overlay, laid, strip, skipBelow, stopAbove), style);
        }
    }
    const plot::PositionRange strip = plot::widenStrip(pixels, mapping.g0, mapping.span, mapping.step);
    if (errbars_->isChecked()) {
        painter.setPen(QPen(plot::kLime.darker(170), 0));
        for (const QLine& bar : plot::errorBars(*record_, mapping, strip, skipBelow, stopAbove)) {
            painter.drawLine(bar);
        }
    }
    style.colour = plot::kLime;
    plot::paintCurve(painter, plot::curvePoints(*record_, mapping, strip, skipBelow, stopAbove), style);
    if (evalMarks_) {
        painter.setFont(PaintBox1()->font());
        plot::paintEvalMarks(painter, *evalMarks_, mapping, plot::kYellow);
    }
    // The legend and the crosshair stay in place in the visible area.
    painter.translate(scrollPosX(), scrollPosY());
    if (!overlays_.empty()) {
        plot::paintLegend(painter, legend(), clientWidth(), plot::kLime, plot::kBackground);
    }
    if (crosshair_) {
        painter.setPen(QPen(QColor(200, 255, 200, 140), 0, Qt::DotLine));
        painter.drawLine(crosshair_->x(), 0, crosshair_->x(), clientHeight());
        painter.drawLine(0, crosshair_->y(), clientWidth(), crosshair_->y());
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
    geometry.freeScaleX = freeScaleX_;
    const int pointSize = PaintBox2()->font().pointSize();
    geometry.pointSize = pointSize > 0 ? pointSize : plot::kAxisFontPointSize;
    painter.setFont(PaintBox2()->font());
    plot::paintAxes(painter, *record_, geometry);
}
