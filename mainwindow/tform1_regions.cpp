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
    const std::shared_ptr<trecdata> record = holdRecord(displayedRecord_);
    TForm11* dialog = peers_.regions;
    if (!record || !dialog)
        return;
    dialog->loadRegions(record);
    if (dialog->exec() != QDialog::Accepted)
        return;
    // Replaced by the thread while the dialog was open: the edit went to the record that has gone
    // (it held no unsaved data); the window shows its successor already.
    if (record.get() != displayedRecord_)
        return;
    fillRegionGrid(*record);
    dall->setChecked(true);
    // The live record's regions are what the scan measures: the thread takes them over, and the
    // segments a running scan has not reached yet follow them.
    if (thread_ && record == thread_->liveRecord)
        thread_->copyRegionsToThread();
    d1Click();
}

void TForm1::SpeedButton2Click() {
    TForm6* dialog = peers_.print;
    // The page shows the record displayed when the user asked for it, even when the thread replaced
    // it while the dialog was open.
    const std::shared_ptr<trecdata> record = holdRecord(displayedRecord_);
    if (!dialog || dialog->exec() != QDialog::Accepted || !record)
        return;
    printing::PageText page = printedPage(*record);
    page.title = lista->currentText();
    if (!dialog->printRecord(*record, plot->printView(), page, comment->toPlainText()))
        ui::showError(this, QStringLiteral("Printing failed"));
}
