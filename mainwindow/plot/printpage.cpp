#include "mainwindow/plot/printpage.h"

#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/plotcurve.h"
#include "mainwindow/plot/plotgeometry.h"
#include "records/safefile.h"
#include "records/trecdata.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace printing {

namespace {

// Margins of a PDF page, like a printer's unprintable border.
constexpr double kPdfMarginMillimetres = 10;

plot::AxesGeometry printedAxes(const PrintView& view) {
    plot::AxesGeometry geometry;
    geometry.clientWidth = view.curveArea.width();
    geometry.clientHeight = view.curveArea.height();
    geometry.outerHeight = view.curveArea.height();
    geometry.boxWidth = view.axesBox.width();
    geometry.scrollRangeX = view.scrollRangeX;
    geometry.scrollPosX = view.scrollPosX;
    geometry.scrollRangeY = view.scrollRangeY;
    geometry.scrollPosY = view.scrollPosY;
    geometry.zoomXLevel = view.zoomXLevel;
    geometry.freeScaleX = view.freeScaleX;
    geometry.pointSize = view.screenPointSize > 0 ? view.screenPointSize : plot::kAxisFontPointSize;
    geometry.print = true;
    return geometry;
}

// The curves over the part of the records the screen shows, in plot pixels: the curve area's
// content coordinates moved so that the scroll position lands on the frame's top left corner. The
// overlays first in their paper colours, the displayed record on top in black, then the
// evaluation's labels when there are any.
void paintPrintedCurves(QPainter& painter, const trecdata& record, const PrintView& view,
                        const plot::AxesGeometry& axes, const PageText& text) {
    const int width = view.curveArea.width();
    const int height = view.curveArea.height();
    // The outer height, like the printed value axis, so that the curve meets its ticks.
    const plot::CurveMapping mapping = plot::curveMapping(record, plot::axesScale(record, axes),
                                                          plot::verticalExtent(view.scrollRangeY, height));
    const int skipBelow = view.scrollPosX - mapping.step;
    const int stopAbove = view.scrollPosX + width + 2;
    plot::CurveStyle style;
    style.pointMode = view.pointMode;
    style.lineWidth = 1;
    painter.save();
    painter.setClipRect(curveFrame(view.curveArea), Qt::IntersectClip);
    painter.translate(plot::kCurveLeft - view.scrollPosX, plot::kCurveTop - view.scrollPosY);
    for (std::size_t i = 0; i < view.overlays.size(); ++i) {
        const trecdata* overlay = view.overlays[i].record;
        if (!overlay) {
            continue;
        }
        const plot::CurveMapping laid = plot::overlayMapping(mapping, *overlay);
        style.colour = plot::overlayColour(static_cast<int>(i), true);
        plot::paintCurve(painter, plot::curvePoints(*overlay, laid, {0, laid.span}, skipBelow, stopAbove),
                         style);
    }
    style.colour = Qt::black;
    if (view.errorBars) {
        painter.setPen(QPen(Qt::gray, 0));
        for (const QLine& bar : plot::errorBars(record, mapping, {0, mapping.span}, skipBelow, stopAbove)) {
            painter.drawLine(bar);
        }
    }
    plot::paintCurve(painter, plot::curvePoints(record, mapping, {0, mapping.span}, skipBelow, stopAbove),
                     style);
    if (text.marks) {
        plot::paintEvalMarks(painter, *text.marks, mapping, Qt::black);
    }
    painter.restore();
    if (!view.overlays.empty()) {
        painter.save();
        painter.translate(plot::kCurveLeft, plot::kCurveTop);
        plot::paintLegend(painter, plot::legendLines(record, text.title, view.overlays, true), width,
                          Qt::black, Qt::white);
        painter.restore();
    }
}

// The table's lines in the page's font, made smaller when the widest line would not fit the page.
void paintTable(QPainter& painter, const PageLayout& layout, const QStringList& lines) {
    if (lines.isEmpty()) {
        return;
    }
    painter.save();
    const int room = painter.device()->width() - 2 * layout.lineHeight;
    int widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, painter.fontMetrics().horizontalAdvance(line));
    }
    if (widest > room && room > 0) {
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * room / widest);
        painter.setFont(font);
    }
    const int ascent = painter.fontMetrics().ascent();
    for (std::size_t i = 0; i < layout.table.size(); ++i) {
        painter.drawText(layout.lineHeight, layout.table[i] + ascent, lines[static_cast<qsizetype>(i)]);
    }
    painter.restore();
}

} // namespace

PrintView unzoomedView(QSize panel) {
    const plot::PlotLayout layout = plot::plotLayout(panel);
    PrintView view;
    view.axesBox = layout.axes.size();
    view.curveArea = layout.curveArea.size();
    view.screenPointSize = plot::kAxisFontPointSize;
    return view;
}

PrintView filledView(const PrintView& view, QSize area) {
    const QSize window = plotWindow(view.axesBox);
    const QSize filled = filledWindow(window, area);
    PrintView grown = view;
    const QSize more(filled.width() - window.width(), filled.height() - window.height());
    grown.axesBox += more;
    grown.curveArea += more;
    return grown;
}

void paintPage(QPainter& painter, const trecdata& record, const PrintView& shown, const PageText& text) {
    painter.save();
    const QSize page(painter.device()->width(), painter.device()->height());
    const PageLayout layout =
        pageLayout(page, lineHeight(painter.fontMetrics().height()),
                   PageLines{static_cast<int>(text.info.size()), static_cast<int>(text.table.size()),
                             static_cast<int>(text.comment.size())});
    const PrintView view = text.fillPaper ? filledView(shown, layout.plotArea.size()) : shown;

    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(kTextPointSize);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawText(layout.title, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text.title);
    const int ascent = painter.fontMetrics().ascent();
    for (std::size_t i = 0; i < layout.comment.size(); ++i) {
        painter.drawText(layout.lineHeight, layout.comment[i] + ascent,
                         text.comment[static_cast<qsizetype>(i)]);
    }
    for (std::size_t i = 0; i < layout.info.size(); ++i) {
        painter.drawText(layout.lineHeight, layout.info[i] + ascent, text.info[static_cast<qsizetype>(i)]);
    }
    paintTable(painter, layout, text.table);

    painter.setTransform(plotTransform(plotWindow(view.axesBox), layout.plotArea), true);
    font.setPixelSize(kPlotTextHeight);
    painter.setFont(font);
    const plot::AxesGeometry axes = printedAxes(view);
    plot::paintAxes(painter, record, axes);
    paintPrintedCurves(painter, record, view, axes, text);
    painter.restore();
}

bool printPage(QPagedPaintDevice& device, const trecdata& record, const PrintView& view,
               const PageText& text) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    paintPage(painter, record, view, text);
    return painter.end();
}

bool writePdf(const QString& path, bool landscape, const trecdata& record, const PrintView& view,
              const PageText& text, QString* error) {
    // The page is made in memory and written beside the target, then renamed over it: a full disk
    // leaves no truncated PDF and an older file as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setTitle(QString::fromLatin1(kJobName));
    writer.setCreator(QString::fromLatin1(kJobName));
    writer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(kPdfMarginMillimetres, kPdfMarginMillimetres, kPdfMarginMillimetres, kPdfMarginMillimetres),
        QPageLayout::Millimeter));
    if (!printPage(writer, record, view, text)) {
        if (error) {
            *error = QStringLiteral("Cannot write %1").arg(path);
        }
        return false;
    }
    pdf.close(); // ends the document
    return records::writeFileSafely(path, pdf.data(), error);
}

} // namespace printing
