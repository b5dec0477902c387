// The record list, the displayed record and its regions of interest, and the dialogs the main
// window opens.
#include "mainwindow/tform1.h"

#include "mainwindow/formupdates.h"
#include "mainwindow/plot/scanplot.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/hints.h"

#include "engine/trs.h"
#include "records/roiedit.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

void setRegionCell(QTableWidget* grid, int row, int column, const QString& text) {
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setText(text);
}

} // namespace

trecdata* TForm1::entryRecord(int entry) const {
    if (entry == 0)
        return thread_ ? thread_->liveRecord.get() : nullptr;
    if (entry < 1 || entry > static_cast<int>(loadedRecords_.size()))
        return nullptr;
    return loadedRecords_[static_cast<std::size_t>(entry - 1)].get();
}

std::shared_ptr<trecdata> TForm1::holdRecord(trecdata* record) const {
    if (!record)
        return nullptr;
    if (thread_ && thread_->liveRecord.get() == record)
        return thread_->liveRecord;
    for (const std::shared_ptr<trecdata>& loaded : loadedRecords_) {
        if (loaded.get() == record)
            return loaded;
    }
    return std::shared_ptr<trecdata>(std::shared_ptr<trecdata>(), record);
}

int TForm1::addLoadedRecord(std::unique_ptr<trecdata> record, const QString& label) {
    loadedRecords_.push_back(std::move(record));
    lista->addItem(label);
    return lista->count() - 1;
}

std::shared_ptr<trecdata> TForm1::takeLoadedRecord(int entry) {
    if (entry < 1 || entry > static_cast<int>(loadedRecords_.size()))
        return nullptr;
    const auto at = loadedRecords_.begin() + (entry - 1);
    std::shared_ptr<trecdata> record = std::move(*at);
    loadedRecords_.erase(at);
    forgetEvaluation(record.get());
    lista->removeItem(entry);
    refreshOverlays();
    return record;
}

void TForm1::listaChange() {
    const int entry = lista->currentIndex();
    displayedEntry = entry;
    showRecord(entryRecord(entry));
    BitBtn2->setEnabled(entry > 0);
    updateControlEnabling();
}

void TForm1::updateControlEnabling() {
    if (thread_)
        updates_->updateControlEnabling(*thread_);
}

void TForm1::showRecord(trecdata* record) {
    SpeedButton2->setEnabled(record != nullptr);
    const auto showNothing = [this] {
        plot->setRecord(nullptr);
        offseton->setEnabled(false);
        setWindowTitle(QLatin1String(kTitle));
        BitBtn4->setEnabled(false);
        comment->clear();
        comment->setEnabled(displayedEntry == 0);
    };
    if (!record && !displayedRecord_) {
        showNothing();
        return;
    }
    if (record == displayedRecord_)
        return;
    if (displayedRecord_)
        plot->saveViewTo(*displayedRecord_);
    displayedRecord_ = record;
    if (record) {
        plot->setRecord(record);
        plot->pointto()->setEnabled(true);
        offseton->setEnabled(true);
    } else {
        showNothing();
    }
    if (!thread_ || !thread_->liveRecord) {
        sfrq->setEnabled(true);
        BitBtn3->setEnabled(false);
    } else if (record == thread_->liveRecord.get()) {
        lista->setCurrentIndex(0);
        displayedEntry = 0;
        BitBtn2->setEnabled(false);
    }
    if (record) {
        BitBtn4->setEnabled(true);
        commentLoading = true;
        comment->setPlainText(record->comment);
        comment->setEnabled(true);
        commentLoading = false;
        fillRegionGrid(*record);
        selectRegionButton(record->currentRegion + 1);
        if (record->rangeMode < range->count())
            range->setCurrentIndex(record->rangeMode);
        offseton->setChecked(record->offsetEnabled);
        colourOffsetLabel();
        d1Click();
        rangeChange(false);
    }
    showEvaluationOf(record);
    plot->Panel4()->setEnabled(record != nullptr);
    refreshOverlays();
    repaintPlot();
}

void TForm1::fillRegionGrid(const trecdata& record) {
    // The same texts as the region editor's, so both follow the system's decimal notation.
    const roi::GridTexts rows = roi::gridTexts(record);
    for (int i = 1; i <= trecdata::kMaxRegions; ++i) {
        const roi::RowTexts& row = rows[static_cast<std::size_t>(i - 1)];
        setRegionCell(aranges, i, 0, row.start);
        setRegionCell(aranges, i, 1, row.end);
        d[static_cast<std::size_t>(i - 1)]->setEnabled(i <= record.regionCount);
    }
}

void TForm1::selectRegionButton(int n) {
    if (n == 0)
        dall->setChecked(true);
    else if (n >= 1 && n <= 5)
        d[static_cast<std::size_t>(n - 1)]->setChecked(true);
}

int TForm1::selectedRegionButton() const {
    for (int n = 5; n >= 1; --n) {
        if (d[static_cast<std::size_t>(n - 1)]->isChecked())
            return n;
    }
    return 0;
}

void TForm1::d1Click() {
    trecdata* record = displayedRecord_;
    if (record) {
        record->ShowRegion(selectedRegionButton() - 1);
        plot->showUnzoomed();
    }
    // The selected region's row is drawn bold.
    aranges->viewport()->update();
    repaintPlot();
}

void TForm1::smodeClick() {
    if (TForm13* scalar = peers_.scalar)
        scalar->exec();
}

void TForm1::setupClick() {
    TForm4* dialog = peers_.setup;
    if (!dialog)
        return;
    dialog->prepare(displayedRecord_);
    dialog->exec();
}

void TForm1::SpeedButton3Click() {
    if (peers_.showSupport)
        peers_.showSupport();
}

void TForm1::applyHints(bool shown) {
    ui::setHintsShown(this, shown);
    ui::setHintsShown(peers_.setup, shown);
    ui::setHintsShown(peers_.moveArm, shown);
    ui::setHintsShown(peers_.scalar, shown);
}
