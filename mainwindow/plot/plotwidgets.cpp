#include "mainwindow/plot/plotwidgets.h"

#include "mainwindow/plot/scanplot.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

PlotAxesBox::PlotAxesBox(ScanPlot& plot, QWidget* parent) : QWidget(parent), plot_(plot) {
    setMouseTracking(true);
}

void PlotAxesBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    plot_.PaintBox2Paint(painter);
}

void PlotAxesBox::mouseMoveEvent(QMouseEvent*) {
    plot_.PaintBox2MouseMove();
}

PlotScrollArea::PlotScrollArea(ScanPlot& plot, QWidget* parent) : QAbstractScrollArea(parent), plot_(plot) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
}

void PlotScrollArea::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    plot_.PaintBox1Paint(painter, event->region());
}

void PlotScrollArea::mouseMoveEvent(QMouseEvent* event) {
    plot_.PaintBox1MouseMove(event->position().toPoint());
}

void PlotScrollArea::mouseReleaseEvent(QMouseEvent* event) {
    plot_.PaintBox1MouseUp(event->button(), event->position().toPoint());
}

void PlotScrollArea::mousePressEvent(QMouseEvent* event) {
    plot_.PaintBox1MouseDown(event->button(), event->position().toPoint());
}

void PlotScrollArea::mouseDoubleClickEvent(QMouseEvent* event) {
    plot_.PaintBox1DoubleClick(event->button());
}

void PlotScrollArea::wheelEvent(QWheelEvent* event) {
    // One notch is 120; Ctrl zooms the counting rates instead of the angles.
    const double notches = event->angleDelta().y() / 120.0;
    plot_.wheelZoom(event->position().toPoint(), notches, event->modifiers().testFlag(Qt::ControlModifier));
    event->accept();
}

bool PlotScrollArea::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        plot_.PaintBox1Leave();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PlotScrollArea::resizeEvent(QResizeEvent*) {
    plot_.ScrollBox1Resize();
}

void PlotScrollArea::scrollContentsBy(int dx, int dy) {
    // Move what is on screen and let the plot paint only the uncovered strip; the legend and the
    // crosshair stay where they are, so with them the whole canvas is painted again.
    if (plot_.fixedDecorations()) {
        viewport()->update();
    } else {
        viewport()->scroll(dx, dy);
    }
}
