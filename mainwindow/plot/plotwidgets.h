// The two widgets of the scan plot; they only hand their events to the ScanPlot that owns them.
#pragma once

#include <QAbstractScrollArea>
#include <QWidget>

class ScanPlot;

// The axes box (`PaintBox2`): axes, labels and the header line around the curve area.
class PlotAxesBox : public QWidget {
public:
    PlotAxesBox(ScanPlot& plot, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    ScanPlot& plot_;
};

// The curve area (`ScrollBox1`). Its viewport is the curve canvas (`PaintBox1`): opaque, so only the
// strips the plot invalidates are painted and the rest of the curve stays on screen.
class PlotScrollArea : public QAbstractScrollArea {
public:
    PlotScrollArea(ScanPlot& plot, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    ScanPlot& plot_;
};
