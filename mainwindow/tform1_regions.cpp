// The main window's region editing and printing: each opens its dialog and acts on the displayed
// record.
#include "mainwindow/tform1.h"

#include "mainwindow/plot/scanplot.h"
#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "widgets/controls.h"
#include "widgets/messages.h"

#include "engine/trs.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QPlainTextEdit>

void TForm1::rngbuttonClick() {
    trecdata* record = displayedRecord_;
    TForm11* dialog = peers_.regions;
    if (!record || !dialog)
        return;
    dialog->loadRegions(record);
    if (dialog->exec() != QDialog::Accepted)
        return;
    fillRegionGrid(*record);
    dall->setChecked(true);
    // The live record's regions are what the scan measures: the thread takes them over, and the
    // segments a running scan has not reached yet follow them.
    if (thread_ && record == thread_->liveRecord.get())
        thread_->copyRegionsToThread();
    d1Click();
}

void TForm1::SpeedButton2Click() {
    TForm6* dialog = peers_.print;
    if (!dialog || dialog->exec() != QDialog::Accepted || !displayedRecord_)
        return;
    printing::PageText page = printedPage(*displayedRecord_);
    page.title = lista->currentText();
    if (!dialog->printRecord(*displayedRecord_, plot->printView(), page, comment->toPlainText()))
        ui::showError(this, QStringLiteral("Printing failed"));
}
