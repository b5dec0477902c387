// Printing the scalar-mode chart.
#include "scalar/scalarprint.h"

#include "scalar/scalarplot.h"
#include "scalar/scalarsave.h"

#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace scalar {

PrinterChoice& printerChoice() {
    static PrinterChoice choice = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return choice;
}

namespace {

// The legend of the filter colours in one row from `top`: a swatch and the filter's text each.
void drawLegend(QPainter& painter, const QStringList& filters, double top, double lineHeight) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    double x = 0;
    for (const QString& filter : filters) {
        const auto rgb = filterColorOf(filter);
        const QRectF swatch(x, top + lineHeight * 0.15, lineHeight * 0.7, lineHeight * 0.7);
        painter.setPen(Qt::black);
        painter.setBrush(QColor(rgb[0], rgb[1], rgb[2]));
        painter.drawRect(swatch);
        x = swatch.right() + lineHeight * 0.3;
        painter.drawText(QPointF(x, top + metrics.ascent()), filter);
        x += metrics.horizontalAdvance(filter) + lineHeight;
    }
}

} // namespace

bool printChart(QChartView* chart, QPrinter& printer, const PrintNotes& notes) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    QFont font = painter.font();
    font.setPointSizeF(10);
    painter.setFont(font);
    const double lineHeight = QFontMetricsF(font, &printer).lineSpacing();
    const double notesHeight =
        lineHeight * (static_cast<double>(notes.lines.size()) + (notes.filters.isEmpty() ? 0.0 : 1.5));
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    QChart* plot = chart->chart();
    if (plot->size().isEmpty()) {
        plot->resize(chart->size()); // a view that was never shown has not laid its chart out yet
    }
    const QRectF source = plot->sceneBoundingRect();
    QSizeF size = source.size();
    size.scale(QSizeF(page.width(), std::max(page.height() - notesHeight - lineHeight, page.height() / 3)),
               Qt::KeepAspectRatio);
    const QRectF target(QPointF(0, 0), size);
    chart->scene()->render(&painter, target, source, Qt::KeepAspectRatio);
    double top = target.bottom() + lineHeight;
    if (!notes.filters.isEmpty()) {
        drawLegend(painter, notes.filters, top, lineHeight);
        top += lineHeight * 1.5;
    }
    painter.setPen(Qt::black);
    for (const QString& line : notes.lines) {
        painter.drawText(QPointF(0, top + QFontMetricsF(font, &printer).ascent()), line);
        top += lineHeight;
    }
    return painter.end();
}

void printChartAsked(QWidget* parent, QChartView* chart, const PrintNotes& notes) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printerChoice()(printer, parent) && !printChart(chart, printer, notes)) {
        errorMessage()(parent, QStringLiteral("The chart could not be printed."));
    }
}

} // namespace scalar
