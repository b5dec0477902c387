// The scan plot's mouse zoom beside the zoom tools: the wheel about the cursor, a dragged rectangle,
// a double click back to the unzoomed view, and the crosshair that follows the cursor.
#include "mainwindow/plot/plotwidgets.h"
#include "mainwindow/plot/plotzoom.h"
#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"

#include <QRubberBand>
#include <QScrollBar>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

void ScanPlot::applyFreeX(const plot::HorizontalView& view) {
    freeScaleX_ = view.scale;
    zoomXLevel_ = 0;
    scrollRangeX_ = plot::contentWidth(record_->ViewSpan(), view.scale);
    applyScrollRanges();
    area_->horizontalScrollBar()->setValue(view.pos);
    // The unzoom button and a double click return to the fitted view.
    unzoomx_->setEnabled(true);
    setToolEnabled(zoomx_, record_->ZoomXLimit() > 0);
}

void ScanPlot::applyFreeY(const plot::VerticalView& view) {
    freeY_ = true;
    zoomYLevel_ = 0;
    scrollRangeY_ = view.extent > clientHeight() ? view.extent : 0;
    applyScrollRanges();
    area_->verticalScrollBar()->setValue(view.pos);
    unzoomy_->setEnabled(scrollRangeY_ > 0);
    setToolEnabled(zoomy_, highestVerticalLevel() > 0);
}

int ScanPlot::maxExtent() const {
    const std::size_t index = std::min<std::size_t>(record_->rangeIndex, records::kFullScale.size() - 1);
    const int pointSize = PaintBox2()->font().pointSize();
    return plot::maxVerticalExtent(records::kFullScale[index],
                                   pointSize > 0 ? pointSize : plot::kAxisFontPointSize);
}

void ScanPlot::clearFreeZoomX() {
    if (freeScaleX_) {
        freeScaleX_.reset();
        zoomXLevel_ = 0;
        scrollRangeX_ = 0;
        applyScrollRanges();
    }
}

void ScanPlot::clearFreeZoomY() {
    if (freeY_) {
        freeY_ = false;
        zoomYLevel_ = 0;
        scrollRangeY_ = 0;
        applyScrollRanges();
    }
}

void ScanPlot::wheelZoom(QPoint visible, double notches, bool values) {
    if (record_ == nullptr || notches == 0) {
        return;
    }
    const double factor = std::pow(plot::kWheelZoomFactor, notches);
    if (values) {
        const plot::VerticalView now{plot::verticalExtent(scrollRangeY_, clientHeight()), scrollPosY()};
        applyFreeY(plot::wheelZoomVertical(now, visible.y(), factor, clientHeight(), maxExtent()));
    } else {
        const plot::HorizontalView now{horizontalScale(), scrollPosX()};
        applyFreeX(plot::wheelZoomHorizontal(now, visible.x(), factor, record_->ViewSpan(), clientWidth()));
    }
    repaintAll();
}

void ScanPlot::zoomToRectangle(QPoint from, QPoint to) {
    if (record_ == nullptr) {
        return;
    }
    if (std::abs(to.x() - from.x()) >= plot::kMinDragPixels) {
        const plot::HorizontalView now{horizontalScale(), scrollPosX()};
        applyFreeX(plot::rectangleZoomHorizontal(now, from.x(), to.x(), record_->ViewSpan(), clientWidth()));
    }
    if (std::abs(to.y() - from.y()) >= plot::kMinDragRows) {
        const plot::VerticalView now{plot::verticalExtent(scrollRangeY_, clientHeight()), scrollPosY()};
        applyFreeY(plot::rectangleZoomVertical(now, from.y(), to.y(), clientHeight(), maxExtent()));
    }
    repaintAll();
}

void ScanPlot::unzoomBoth() {
    if (record_ != nullptr) {
        showUnzoomed();
    }
}

std::pair<double, double> ScanPlot::visibleAngles() const {
    if (record_ == nullptr) {
        return {0, 0};
    }
    const plot::HorizontalView now{horizontalScale(), scrollPosX()};
    const double g0 = record_->ViewFirstCell();
    return {g0 + plot::unitsAtPixel(now, 0), g0 + plot::unitsAtPixel(now, clientWidth())};
}

// ---- Mouse ----

bool ScanPlot::fixedDecorations() const {
    return crosshair_.has_value() || !overlays_.empty();
}

void ScanPlot::moveCrosshair(std::optional<QPoint> visible) {
    if (visible == crosshair_) {
        return;
    }
    QWidget* canvas = PaintBox1();
    for (const std::optional<QPoint>& at : {crosshair_, visible}) {
        if (at) {
            canvas->update(QRect(at->x(), 0, 1, clientHeight()));
            canvas->update(QRect(0, at->y(), clientWidth(), 1));
        }
    }
    crosshair_ = record_ != nullptr ? visible : std::nullopt;
}

void ScanPlot::PaintBox1MouseDown(Qt::MouseButton button, QPoint visible) {
    if (button == Qt::LeftButton && record_ != nullptr) {
        dragStart_ = visible;
    }
}

void ScanPlot::PaintBox1DoubleClick(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        dragStart_.reset();
        unzoomBoth();
    }
}

void ScanPlot::PaintBox1Leave() {
    moveCrosshair(std::nullopt);
}
