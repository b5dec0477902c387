// The scan plot of the main window: counting rate over arm angle of the displayed record, with
// axes and a header line, two-level horizontal and seven-level vertical zoom at the mouse, scroll
// bars and a read-out of the data under the mouse.
//
// The plot lives in a panel the main window gives it (`Panel1`) and creates there the axes box
// (`PaintBox2`), the scrolling curve area (`ScrollBox1`, whose viewport is the curve canvas
// `PaintBox1`) and the settings strip (`Panel4`, left empty for the main window's controls). It also
// creates its tool buttons and the `coords` read-out on a second parent the main window positions.
//
// The plot keeps no image of the curve: every paint recomputes the points of the strip it covers
// from the record. The record is not owned; whoever frees it must first call setRecord(nullptr).
#pragma once

#include "analysis/evaloptions.h"
#include "mainwindow/plot/evalmarks.h"
#include "mainwindow/plot/plotgeometry.h"
#include "mainwindow/plot/plotoverlays.h"
#include "mainwindow/plot/plotzoom.h"
#include "mainwindow/plot/printpage.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <optional>
#include <vector>

class PlotAxesBox;
class PlotScrollArea;
class QButtonGroup;
class QFrame;
class QLabel;
class QPainter;
class QRubberBand;
class QRegion;
class QToolButton;
class QWidget;
class trecdata;

class ScanPlot : public QObject {
    Q_OBJECT
public:
    // panel1: the plot panel; toolParent: where the tool buttons and the read-out go.
    ScanPlot(QWidget* panel1, QWidget* toolParent);
    ~ScanPlot() override;

    // ---- Components ----
    QWidget* Panel1() const { return panel1_; }
    QWidget* PaintBox2() const;
    QWidget* ScrollBox1() const;
    QWidget* PaintBox1() const;
    QFrame* Panel4() const { return panel4_; }
    QToolButton* zoomx() const { return zoomx_; }
    QToolButton* unzoomx() const { return unzoomx_; }
    QToolButton* zoomy() const { return zoomy_; }
    QToolButton* unzoomy() const { return unzoomy_; }
    QToolButton* pointto() const { return pointto_; }
    QToolButton* linebtn() const { return linebtn_; }
    QLabel* coords() const { return coords_; }
    // Beside `coords`: wavelength and energy in first order at the cursor, and the rate's ±.
    QLabel* coordsBragg() const { return coordsBragg_; }

    // The evaluation settings the Bragg read-out uses (a record's comment words win for it).
    void setEvalDefaults(const analysis::EvalOptions& options) { evalDefaults_ = options; }
    const analysis::EvalOptions& evalDefaults() const { return evalDefaults_; }
    // The labels and the Duane-Hunt line of the displayed record's evaluation (none: not
    // evaluated), painted over the curve; repaints the curve. A new record drops them.
    void setEvalMarks(std::optional<plot::EvalMarks> marks);
    const std::optional<plot::EvalMarks>& evalMarks() const { return evalMarks_; }
    QToolButton* errorBarsButton() const { return errbars_; } // the sqrt(N) error bars toggle

    // ---- The displayed record ----
    // Shows the record (or none) unzoomed; with none every zoom tool is disabled and `pointto` is down.
    void setRecord(trecdata* record);
    trecdata* record() const { return record_; }
    // Records drawn under the displayed one in the palette's colours, and the displayed record's
    // list label for the legend. The records are not owned: whoever frees one first sets overlays
    // without it.
    void setOverlays(std::vector<plot::Overlay> overlays, const QString& shownLabel);
    const std::vector<plot::Overlay>& overlays() const { return overlays_; }
    // The legend's lines on screen; it is drawn only with overlays.
    std::vector<plot::LegendLine> legend() const;
    // Both zoom levels, scroll ranges and positions back to 0; `zoomx` enabled when the span allows
    // horizontal zoom, `unzoomx` and `unzoomy` disabled; repaints. Used after a region change.
    void showUnzoomed();

    // ---- View state ----
    int zoomXLevel() const { return zoomXLevel_; }
    int zoomYLevel() const { return zoomYLevel_; }
    int scrollRangeX() const { return scrollRangeX_; }
    int scrollRangeY() const { return scrollRangeY_; }
    int scrollPosX() const;
    int scrollPosY() const;
    // Stores levels, ranges and positions into a record's view fields.
    void saveViewTo(trecdata& record) const;
    // Sizes of the curve area: visible (client) and outer.
    int clientWidth() const;
    int clientHeight() const;
    QSize curveAreaSize() const;
    // Pixels per angle unit of the current view.
    plot::Scale horizontalScale() const;
    // What the printed page reproduces: the sizes, zoom, scroll positions and line mode on screen.
    printing::PrintView printView() const;

    // ---- Drawing ----
    // Draws the curve over positions first..last, counted in angle units from the start of the
    // record's current view (its region start): the new points of a live scan. Only those columns
    // are repainted, with the joining lines to their neighbours.
    void drawCurveStrip(int first, int last);
    void repaintAxes();
    void repaintScrollArea();
    void repaintCurve();
    void repaintAll(); // axes, scroll area and curve
    // The header strip where the record's settings are printed (x from 50, y 0..20).
    void invalidateHeader();

    // ---- Zoom ----
    // Zoom by one level at the visible-area x (dir +1 in, -1 out).
    void zoomHorizontal(int x, int dir);
    // Zoom by one level at the visible-area y (dir +1 in, -1 out); dir 0 only repaints when not
    // zoomed; reset returns to level 0 and enables `zoomy` when the full scale can be zoomed.
    void zoomVertical(int y, int dir, bool reset);
    void resetVerticalZoom() { zoomVertical(0, 0, true); }
    // The mouse's zoom: wheel notches (+ in, - out) about a visible-area point, horizontally or, with
    // `values`, vertically; a dragged rectangle (visible-area corners); back to the unzoomed view.
    void wheelZoom(QPoint visible, double notches, bool values);
    void zoomToRectangle(QPoint from, QPoint to);
    void unzoomBoth();
    bool freeZoomX() const { return freeScaleX_.has_value(); }
    // The angles (angle units) at the visible area's left and right edges.
    std::pair<double, double> visibleAngles() const;

    // ---- Handlers ----
    void PaintBox1Paint(QPainter& painter, const QRegion& region); // region in visible-area pixels
    void PaintBox2Paint(QPainter& painter);
    void PaintBox1MouseMove(QPoint visible);
    void PaintBox2MouseMove();
    void PaintBox1MouseUp(Qt::MouseButton button, QPoint visible);
    void PaintBox1MouseDown(Qt::MouseButton button, QPoint visible);
    void PaintBox1DoubleClick(Qt::MouseButton button);
    void PaintBox1Leave();
    void zoomxClick();
    void zoomyClick();
    void pointtoClick();
    void unzoomxClick();
    void unzoomyClick();
    void linebtnClick();
    void Panel1Resize();
    void ScrollBox1Resize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ViewSeen {
        int posX = 0;
        int posY = 0;
        int rangeX = 0;
        int rangeY = 0;
        friend bool operator==(const ViewSeen&, const ViewSeen&) = default;
    };

    void createTools(QWidget* toolParent);
    void applyScrollRanges();
    void setScrollPositions(int x, int y);
    void pressPointto();
    void applyToolCursor();
    // Disables a tool; when it was the pressed one, `pointto` is pressed instead.
    void setToolEnabled(QToolButton* tool, bool enabled);
    int highestVerticalLevel() const;
    void paintCurveRect(QPainter& painter, const QRect& content);
    // Moves the crosshair (none: hides it), repainting the rows and columns it leaves and enters.
    void moveCrosshair(std::optional<QPoint> visible);
    void clearFreeZoomX();
    int maxExtent() const; // of the free vertical zoom, for the displayed record's full scale
    void clearFreeZoomY();
    void applyFreeX(const plot::HorizontalView& view);
    void applyFreeY(const plot::VerticalView& view);
    // Whether what is on screen moves with the scroll bars: not the legend or the crosshair.
    bool fixedDecorations() const;
    friend class PlotScrollArea;

    QWidget* panel1_;
    QPointer<PlotAxesBox> axes_;
    QPointer<PlotScrollArea> area_;
    QFrame* panel4_ = nullptr;
    QToolButton* zoomx_ = nullptr;
    QToolButton* unzoomx_ = nullptr;
    QToolButton* zoomy_ = nullptr;
    QToolButton* unzoomy_ = nullptr;
    QToolButton* pointto_ = nullptr;
    QToolButton* linebtn_ = nullptr;
    QButtonGroup* tools_ = nullptr;
    QLabel* coords_ = nullptr;
    QLabel* coordsBragg_ = nullptr;
    analysis::EvalOptions evalDefaults_;
    std::optional<plot::EvalMarks> evalMarks_;
    QToolButton* errbars_ = nullptr;
    QRubberBand* band_ = nullptr;

    trecdata* record_ = nullptr;
    int zoomXLevel_ = 0;
    int zoomYLevel_ = 0;
    int scrollRangeX_ = 0;
    int scrollRangeY_ = 0;
    ViewSeen seen_;
    std::vector<plot::Overlay> overlays_;
    QString shownLabel_;
    std::optional<plot::Scale> freeScaleX_; // the mouse's horizontal zoom
    bool freeY_ = false;                    // the vertical scroll range comes from the mouse's zoom
    std::optional<QPoint> crosshair_;       // visible-area position of the cursor
    std::optional<QPoint> dragStart_;       // left button pressed here
};
