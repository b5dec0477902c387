// The printed scan page: a title line, the plot with its axes and header scaled to the page, and the
// comment's lines at the bottom. One painter serves the print dialog (any printer, or a PDF file) and
// the command line; it paints on any QPainter, so tests render it to an image as well.
#pragma once

#include "mainwindow/plot/evalmarks.h"
#include "mainwindow/plot/plotgeometry.h"
#include "mainwindow/plot/plotoverlays.h"
#include "mainwindow/plot/printgeometry.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class trecdata;

namespace printing {

// The screen plot the page reproduces: its sizes and view state.
struct PrintView {
    QSize axesBox;   // the axes box (`PaintBox2`)
    QSize curveArea; // W x H: outer size of the curve area (`ScrollBox1`)
    int scrollRangeX = 0;
    int scrollPosX = 0;
    int scrollRangeY = 0;
    int scrollPosY = 0;
    int zoomXLevel = 0;
    std::optional<plot::Scale> freeScaleX; // the mouse's free horizontal zoom, if any
    bool pointMode = true;                 // `linebtn` down: single points instead of joining lines
    int screenPointSize = 8;               // the screen's axis font, for the zoomed vertical tick step
    bool errorBars = false;                // the displayed record's error bars
    // Records laid over the displayed one, in their palette order; a legend names them all.
    std::vector<plot::Overlay> overlays;
};
// The unzoomed plot of a plot panel of the given size, in point mode as the plot starts.
PrintView unzoomedView(QSize panel = kDesignPanelSize);

struct PageText {
    PageText() = default;
    PageText(QString pageTitle, QStringList commentLines = {})
        : title(std::move(pageTitle)), comment(std::move(commentLines)) {}

    QString title;       // the record list's entry of the record
    QStringList comment; // the comment's lines; empty when the comment is not printed
    QStringList info;    // lines under the title (date, file, settings: pageInfoLines)
    QStringList table;   // lines under the plot (the results of an evaluation), in a fixed-pitch font
    // Grow the plot in one direction to the shape of the space it gets, so it uses all the paper.
    bool fillPaper = false;
    // The peaks' labels and the Duane-Hunt line of an evaluation, over the curve.
    std::optional<plot::EvalMarks> marks;
};

// The view with its plot grown to the shape of `area` (page units): the axes box and the curve area
// gain the same logical pixels, so the curve keeps its frame and axes around it.
PrintView filledView(const PrintView& view, QSize area);

// Paints the page onto the painter's whole device with its current (initial) font and pen: the line
// height comes from that font. The painter's state is restored afterwards.
void paintPage(QPainter& painter, const trecdata& record, const PrintView& view, const PageText& text);

// Paints the page as one job on a printer or PDF writer prepared by the caller (orientation, job
// name). False when the device cannot be opened (no page is then produced).
bool printPage(QPagedPaintDevice& device, const trecdata& record, const PrintView& view,
               const PageText& text);

// The page as an A4 PDF file titled with the job name; on failure *error names the file.
bool writePdf(const QString& path, bool landscape, const trecdata& record, const PrintView& view,
              const PageText& text, QString* error = nullptr);

} // namespace printing
