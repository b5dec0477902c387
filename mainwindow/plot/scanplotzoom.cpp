// The scan plot's zoom, its tool buttons and the mouse over the curve and the axes.
#include "mainwindow/plot/braggreadout.h"
#include "mainwindow/plot/plotcursors.h"
#include "mainwindow/plot/plotwidgets.h"
#include "mainwindow/plot/plotzoom.h"
#include "mainwindow/plot/scanplot.h"
#include "records/transmission.h"
#include "records/trecdata.h"

#include <QLabel>
#include <QRubberBand>
#include <QScrollBar>
#include <QToolButton>
#include <QWidget>

// ---- Tools ----

void ScanPlot::pressPointto() {
    pointto_->setChecked(true);
    applyToolCursor();
}

void ScanPlot::applyToolCursor() {
    if (zoomx_->isChecked()) {
        PaintBox1()->setCursor(plot::zoomCursor(Qt::Horizontal));
    } else if (zoomy_->isChecked()) {
        PaintBox1()->setCursor(plot::zoomCursor(Qt::Vertical));
    } else {
        PaintBox1()->setCursor(Qt::ArrowCursor);
    }
}

void ScanPlot::setToolEnabled(QToolButton* tool, bool enabled) {
    tool->setEnabled(enabled);
    // A disabled zoom tool cannot stay the chosen one.
    if (!enabled && tool != pointto_ && tool->isChecked()) {
        pressPointto();
    }
}

void ScanPlot::zoomxClick() {
    applyToolCursor();
}

void ScanPlot::zoomyClick() {
    applyToolCursor();
}

void ScanPlot::pointtoClick() {
    applyToolCursor();
}

void ScanPlot::unzoomxClick() {
    zoomHorizontal(clientWidth() / 2, -1);
}

void ScanPlot::unzoomyClick() {
    zoomVertical(clientHeight() / 2, -1, false);
}

void ScanPlot::linebtnClick() {
    repaintCurve();
}

// ---- Zoom ----

void ScanPlot::zoomHorizontal(int x, int dir) {
    if (record_ == nullptr) {
        scrollRangeX_ = 0;
        applyScrollRanges();
        repaintAll();
        return;
    }
    const int levels = record_->ZoomXLimit();
    if (freeScaleX_) {
        // The tools' levels start again from the fitted view.
        clearFreeZoomX();
        unzoomx_->setEnabled(false);
        setToolEnabled(zoomx_, levels > 0);
        if (dir < 0) {
            repaintAll();
            return;
        }
    }
    const std::optional<plot::AxisView> next = plot::zoomHorizontally(
        {zoomXLevel_, scrollRangeX_, scrollPosX()}, x, dir, record_->ViewSpan(), levels, clientWidth());
    if (!next) {
        return;
    }
    zoomXLevel_ = next->level;
    scrollRangeX_ = next->range;
    applyScrollRanges();
    area_->horizontalScrollBar()->setValue(next->pos);
    unzoomx_->setEnabled(zoomXLevel_ > 0);
    if (dir < 0) {
        zoomx_->setEnabled(true);
    } else if (zoomXLevel_ == levels) {
        pressPointto();
        zoomx_->setEnabled(false);
    }
    repaintAll();
}

void ScanPlot::zoomVertical(int y, int dir, bool reset) {
    if (reset) {
        freeY_ = false;
        zoomYLevel_ = 0;
        scrollRangeY_ = 0;
        applyScrollRanges();
        area_->verticalScrollBar()->setValue(0);
        if (record_ != nullptr) {
            setToolEnabled(zoomy_, highestVerticalLevel() > 0);
        }
        setToolEnabled(unzoomy_, false);
        repaintAll();
        return;
    }
    if (freeY_ && dir != 0) {
        clearFreeZoomY();
        unzoomy_->setEnabled(false);
        setToolEnabled(zoomy_, highestVerticalLevel() > 0);
        if (dir < 0) {
            repaintAll();
            return;
        }
    }
    if (dir == 0) {
        if (zoomYLevel_ == 0) {
            repaintAll();
        }
        return;
    }
    const int top = highestVerticalLevel();
    const std::optional<plot::AxisView> next =
        plot::zoomVertically({zoomYLevel_, scrollRangeY_, scrollPosY()}, y, dir, top, clientHeight());
    if (next) {
        zoomYLevel_ = next->level;
        scrollRangeY_ = next->range;
        applyScrollRanges();
        area_->verticalScrollBar()->setValue(next->pos);
    } else if (dir < 0 || zoomYLevel_ >= plot::kMaxVerticalZoomLevel) {
        return;
    }
    unzoomy_->setEnabled(zoomYLevel_ > 0);
    // Zooming out below the top level makes zooming in possible again.
    setToolEnabled(zoomy_, zoomYLevel_ < top);
    if (dir > 0 && zoomYLevel_ >= top) {
        pressPointto();
    }
    repaintAll();
}

// ---- Mouse ----

void ScanPlot::PaintBox1MouseMove(QPoint visible) {
    moveCrosshair(visible);
    if (dragStart_) {
        band_->setGeometry(QRect(*dragStart_, visible).normalized());
        band_->setVisible((visible - *dragStart_).manhattanLength() >= plot::kMinDragPixels);
    }
    if (record_ == nullptr || !pointto_->isChecked()) {
        return;
    }
    const int x = visible.x() + scrollPosX();
    const int angle =
        plot::snapToStep(record_->ViewFirstCell() + horizontalScale().toUnits(x), record_->angularStep);
    const double value = record_->ValueAtAngle(angle);
    if (records::isTransmission(*record_) && value >= 0) {
        // A transmission reads in percent, with its uncertainty while it is known.
        const std::optional<double> sigma = records::cellUncertainty(*record_, record_->AngleToIndex(angle));
        QString text = QString::asprintf("%.2f deg, %.2f", angle / 20.0, value);
        if (sigma) {
            text += QString::asprintf(" \u00b1 %.2f", *sigma);
        }
        coords_->setText(text + QStringLiteral(" %"));
        coordsBragg_->clear(); // a ratio has no wavelength of its own to show
        return;
    }
    coords_->setText(plot::cursorReadout(angle, value));
    // The record's comment may name its crystal.
    const double dPm = analysis::applyComment(evalDefaults_, record_->comment).dPm;
    coordsBragg_->setText(plot::braggReadout(angle / 20.0, value, record_->countingTime / 10.0, dPm));
}

void ScanPlot::PaintBox2MouseMove() {
    coords_->clear();
    coordsBragg_->clear();
}

void ScanPlot::PaintBox1MouseUp(Qt::MouseButton button, QPoint visible) {
    const std::optional<QPoint> start = button == Qt::LeftButton ? dragStart_ : std::nullopt;
    if (button == Qt::LeftButton) {
        dragStart_.reset();
        band_->hide();
    }
    if (start && (std::abs(visible.x() - start->x()) >= plot::kMinDragPixels ||
                  std::abs(visible.y() - start->y()) >= plot::kMinDragPixels)) {
        // A drag zooms to its rectangle whichever tool is chosen; a click keeps the tools' meaning.
        zoomToRectangle(*start, visible);
        return;
    }
    if (button == Qt::LeftButton) {
        if (zoomy_->isChecked()) {
            zoomVertical(visible.y(), 1, false);
        }
        if (zoomx_->isChecked()) {
            zoomHorizontal(visible.x(), 1);
        }
    } else if (button == Qt::RightButton) {
        if (zoomx_->isChecked() && unzoomx_->isEnabled()) {
            zoomHorizontal(clientWidth() / 2, -1);
        }
        if (zoomy_->isChecked() && unzoomy_->isEnabled()) {
            zoomVertical(clientHeight() / 2, -1, false);
        }
    }
}
