#include "mainwindow/tform6.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

TForm6::TForm6(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Print"));
    setFixedSize(386, 136);

    Label1 = new QLabel(QStringLiteral("Select printer"), this);
    Label1->setGeometry(8, 6, 200, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 24, 276, 24);
    BitBtn1 = new QPushButton(ui::glyph(ui::Glyph::setup), QStringLiteral("Setup"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    BitBtn1->setGeometry(294, 22, 84, 28);

    RadioGroup1 = new QGroupBox(QStringLiteral("Orientation"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 54, 150, 74);
    portraitItem = new QRadioButton(QStringLiteral("Portrait"), RadioGroup1);
    portraitItem->setGeometry(10, 22, 130, 20);
    landscapeItem = new QRadioButton(QStringLiteral("Landscape"), RadioGroup1);
    landscapeItem->setGeometry(10, 46, 130, 20);
    landscapeItem->setChecked(true);

    CheckBox1 = new QCheckBox(QStringLiteral("Print comment"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(170, 62, 116, 20);
    CheckBox1->setChecked(true);

    BitBtn2 = ui::makeButton(this, "BitBtn2", ui::glyph(ui::Glyph::print), QStringLiteral("Print"),
                             {294, 62, 84, 28}, true);
    BitBtn3 = ui::makeButton(this, "BitBtn3", ui::glyph(ui::Glyph::close), QStringLiteral("Cancel"),
                             {294, 98, 84, 28});

    runPrinterSetup = [this](QPrinter& printer) {
        QPageSetupDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    askPdfFileName = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("PDF file"), QString(),
                                            QStringLiteral("PDF files (*.pdf)"));
    };

    FormCreate();
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm6::ComboBox1Change);
    connect(portraitItem, &QRadioButton::clicked, this, &TForm6::RadioGroup1Click);
    connect(landscapeItem, &QRadioButton::clicked, this, &TForm6::RadioGroup1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm6::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm6::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

bool TForm6::pdfChosen() const {
    return ComboBox1->currentIndex() == ComboBox1->count() - 1;
}

void TForm6::FormCreate() {
    ComboBox1->clear();
    ComboBox1->addItems(QPrinterInfo::availablePrinterNames());
    ComboBox1->addItem(QString::fromLatin1(kPdfEntry));
    // With the PDF entry there is always something to print to.
    BitBtn2->setEnabled(true);
    const int current = ComboBox1->findText(QPrinterInfo::defaultPrinterName());
    ComboBox1->setCurrentIndex(
        current >= 0 && !QPrinterInfo::defaultPrinterName().isEmpty() ? current : ComboBox1->count() - 1);
    landscapeItem->setChecked(true);
    ComboBox1Change();
}

void TForm6::ComboBox1Change() {
    if (ComboBox1->currentIndex() < 0) {
        return;
    }
    if (pdfChosen()) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
    } else {
        // A PDF file name chosen before would send the page to that file.
        printer_.setOutputFileName(QString());
        printer_.setOutputFormat(QPrinter::NativeFormat);
        printer_.setPrinterName(ComboBox1->currentText());
    }
    RadioGroup1Click();
}

void TForm6::RadioGroup1Click() {
    printer_.setPageOrientation(landscapeItem->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TForm6::BitBtn1Click() {
    runPrinterSetup(printer_);
    const bool landscape = printer_.pageLayout().orientation() == QPageLayout::Landscape;
    (landscape ? landscapeItem : portraitItem)->setChecked(true);
}

void TForm6::BitBtn2Click() {
    if (pdfChosen()) {
        QString file = askPdfFileName();
        if (file.isEmpty()) {
            return;
        }
        // A name typed without the type's extension gets it, as the save dialogs give theirs.
        if (QFileInfo(file).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0) {
            file += QStringLiteral(".pdf");
        }
        printer_.setOutputFileName(file);
    }
    accept();
}

bool TForm6::printRecord(const trecdata& record, const printing::PrintView& view, printing::PageText page,
                         const QString& comment) {
    printer_.setDocName(QString::fromLatin1(printing::kJobName));
    page.comment = CheckBox1->isChecked() ? printing::commentLines(comment) : QStringList();
    page.fillPaper = true;
    return printing::printPage(printer_, record, view, page);
}
