// "Print chart": the printer is chosen in Qt's print dialog, whose list ends with a PDF file, so the
// chart can be printed on a machine without printers; the chart is drawn onto the page as vectors.
#pragma once

#include <QStringList>

#include <functional>

class QChartView;
class QPrinter;
class QWidget;

namespace scalar {

// Seam of the printer choice: false when the user cancels. Tests choose a PDF file without a person.
using PrinterChoice = std::function<bool(QPrinter& printer, QWidget* parent)>;
PrinterChoice& printerChoice();

// What the page carries under the chart: a legend of the filter colours (the filter texts shown,
// in list order) and the lines of the series' evaluation.
struct PrintNotes {
    QStringList filters;
    QStringList lines;
};

// Draws the chart onto one page of `printer`, as large as fits with its proportions above the
// notes; false when the printer cannot be opened (a PDF file in a missing folder).
bool printChart(QChartView* chart, QPrinter& printer, const PrintNotes& notes = {});

// The button: choose, then print.
void printChartAsked(QWidget* parent, QChartView* chart, const PrintNotes& notes = {});

} // namespace scalar
