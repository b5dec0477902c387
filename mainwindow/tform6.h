// The print dialog "Print": the printer, the page orientation and whether the comment is printed.
// The list holds the system's printers and always ends with "PDF file", which asks for a file name
// and writes the same page as a PDF, so a machine without printers can print too.
#pragma once

#include "mainwindow/plot/printpage.h"

#include <QDialog>
#include <QPrinter>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class trecdata;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kPdfEntry = "PDF file";

    explicit TForm6(QWidget* parent = nullptr);

    QLabel* Label1;              // "Select printer"
    QComboBox* ComboBox1;        // the printers, then "PDF file"
    QPushButton* BitBtn1;        // "Setup"
    QGroupBox* RadioGroup1;      // "Orientation"
    QRadioButton* portraitItem;  // "Portrait"
    QRadioButton* landscapeItem; // "Landscape", preselected
    QCheckBox* CheckBox1;        // "Print comment", checked
    QPushButton* BitBtn2;        // "Print"
    QPushButton* BitBtn3;        // "Cancel"

    // The printer the page goes to, with the chosen orientation.
    QPrinter& printer() { return printer_; }
    bool pdfChosen() const;

    // Lists the printers and "PDF file", selects the system's default printer (or the PDF entry) and
    // landscape.
    void FormCreate();
    // Makes the chosen entry the current printer and applies the orientation.
    void ComboBox1Change();
    // Qt's page set-up dialog on the current printer; its orientation comes back into the radio group.
    void BitBtn1Click();
    void RadioGroup1Click();
    // "Print": for the PDF entry asks for the file name first; closes with OK.
    void BitBtn2Click();

    // Prints one page of the record as the screen shows it, as the job "ZAVO DRIVER USB v2.30":
    // the title line, the page's other lines and marks, the plot grown to use the paper, the
    // comment's lines when "Print comment" is checked. False when the printer (or the PDF file)
    // cannot be opened.
    bool printRecord(const trecdata& record, const printing::PrintView& view, printing::PageText page,
                     const QString& comment);

    // Seams for tests: the set-up dialog (true when accepted) and the PDF file name (empty: cancelled).
    std::function<bool(QPrinter&)> runPrinterSetup;
    std::function<QString()> askPdfFileName;

private:
    QPrinter printer_{QPrinter::HighResolution};
};
