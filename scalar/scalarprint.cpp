// Printing the scalar-mode chart.
#include "scalar/scalarprint.h"

#include "scalar/scalarsave.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace scalar {

PrinterChoice& printerChoice() {
    static PrinterChoice choice = [](QPrinter& printer, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return choice;
}

bool printChart(QChartView* chart, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    QChart* plot = chart->chart();
    if (plot->size().isEmpty()) {
        plot->resize(chart->size()); // a view that was never shown has not laid its chart out yet
    }
    const QRectF source = plot->sceneBoundingRect();
    QSizeF size = source.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF(0, 0), size);
    chart->scene()->render(&painter, target, source, Qt::KeepAspectRatio);
    return painter.end();
}

void printChartAsked(QWidget* parent, QChartView* chart) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printerChoice()(printer, parent) && !printChart(chart, printer)) {
        errorMessage()(parent, QStringLiteral("The chart could not be printed."));
    }
}

} // namespace scalar
