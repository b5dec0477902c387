// The main window's flows over record files: saving the displayed record (record file, text or
// workbook), loading record files into the list, closing a loaded record, resetting the live scan,
// and the questions about unsaved records when the window closes.
#include "mainwindow/tform1.h"

#include "mainwindow/filedialogs.h"
#include "scalar/tform13.h"
#include "widgets/messages.h"
#include "widgets/progresswindow.h"

#include "engine/trs.h"
#include "records/fileflows.h"
#include "records/recordfile.h"
#include "records/textexport.h"
#include "records/workbookexport.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

using records::SaveOutcome;
using records::SaveType;

namespace {

// The record's file name with its extension removed: what the save dialog proposes.
QString proposedName(const trecdata& record) {
    if (record.fileName.isEmpty())
        return QString();
    const QFileInfo file(record.fileName);
    return file.completeSuffix().isEmpty() ? record.fileName : file.dir().filePath(file.completeBaseName());
}

// The dialog gives the type's extension in capitals: a record that came from "x.rtg" goes back to
// "x.rtg", not beside it as a second file "x.RTG" that the next load would not see.
QString ownCase(const QString& chosen, const QString& own) {
    return !own.isEmpty() && chosen.compare(own, Qt::CaseInsensitive) == 0 ? own : chosen;
}

} // namespace

FileDialogs& TForm1::fileDialogs() {
    if (!fileDialogs_)
        fileDialogs_ = makeQtFileDialogs();
    return *fileDialogs_;
}

void TForm1::setFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
    fileDialogs_ = std::move(dialogs);
}

QString TForm1::SaveDialog1TypeChange(int type) {
    const auto index = static_cast<std::size_t>(type - 1);
    return index < saveTypes_.size() ? records::defaultExtension(saveTypes_[index]) : QString();
}

SaveOutcome TForm1::saveRecordAs(trecdata& record, bool recordOnly) {
    saveTypes_ = records::saveFileTypes(recordOnly ? -1 : records::spreadsheetVersion(), recordOnly);
    SaveDialogRequest request;
    request.types = saveTypes_;
    request.proposedName = proposedName(record);
    request.typeChanged = [this](int type) { return SaveDialog1TypeChange(type); };
    const std::optional<SaveDialogChoice> choice = fileDialogs().save(this, request);
    if (!choice)
        return SaveOutcome::Cancelled;
    switch (static_cast<SaveType>(choice->type)) {
    case SaveType::Text:
        return records::exportText(record, choice->path) ? SaveOutcome::Saved : SaveOutcome::Failed;
    case SaveType::Workbook:
        exportWorkbook(record, choice->path);
        return SaveOutcome::Saved; // the export reports its own failure
    case SaveType::Record:
    default: {
        const QString path = ownCase(choice->path, record.fileName);
        const bool saved = records::saveRecordFile(record, path);
        record.fileName = path;
        // A saved live record no longer holds unsaved data: the settings may change again.
        updateControlEnabling();
        return saved ? SaveOutcome::Saved : SaveOutcome::Failed;
    }
    }
}

bool TForm1::saveRecord(trecdata* record, bool recordOnly) {
    // The save dialog runs an event loop, in which the thread may replace the live record.
    const std::shared_ptr<trecdata> held = holdRecord(record);
    return !held || saveRecordAs(*held, recordOnly) != SaveOutcome::Failed;
}

void TForm1::exportWorkbook(const trecdata& record, const QString& path) {
    ProgressWindow* progress = peers_.exportProgress;
    if (progress) {
        progress->begin(this, records::kExportProgressMaximum);
        progress->placeAt(frameGeometry().topLeft() + QPoint(20, 40));
    }
    const bool written = records::exportSpreadsheet(record, path, [progress](int position) {
        if (progress)
            progress->setPosition(position);
    });
    if (progress)
        progress->end();
    if (!written)
        ui::showError(this, QLatin1String(records::kWorkbookSaveFailed));
}

void TForm1::BitBtn4Click() {
    const std::shared_ptr<trecdata> record = holdRecord(displayedRecord_);
    if (!record)
        return;
    if (!saveRecord(record.get(), false)) {
        ui::showError(this, QLatin1String(records::kScanSaveFailed));
        return;
    }
    if (displayedEntry >= 1)
        lista->setItemText(displayedEntry, records::recordListLabel(*record));
}

void TForm1::BitBtn5Click() {
    for (const QString& path : fileDialogs().open(this, records::recordOpenType()))
        loadRecordEntry(path);
}

bool TForm1::loadRecordEntry(const QString& path) {
    records::LoadResult loaded = records::loadRecordFile(path);
    if (!loaded.record) {
        ui::showError(this, loaded.message);
        return false;
    }
    const QString label = records::recordListLabel(*loaded.record);
    const int entry = addLoadedRecord(std::move(loaded.record), label);
    lista->setCurrentIndex(entry);
    listaChange();
    return true;
}

void TForm1::BitBtn2Click() {
    int entry = displayedEntry;
    const trecdata* record = entryRecord(entry);
    if (entry <= 0 || !record)
        return;
    if (record->modified.load() && !ui::askProceed(this, QLatin1String(records::kCommentModified)))
        return;
    // Kept alive until the list shows another entry: showRecord stores the view into it first.
    const std::shared_ptr<trecdata> detached = takeLoadedRecord(entry);
    if (entry > lista->count() - 1)
        entry = lista->count() - 1;
    lista->setCurrentIndex(entry);
    displayedEntry = entry;
    listaChange();
}

void TForm1::BitBtn3Click() {
    const trecdata* live = thread_ ? thread_->liveRecord.get() : nullptr;
    if (live && live->modified.load() && !ui::askProceed(this, QLatin1String(records::kScanWillBeLost))) {
        sfrq->setEnabled(true);
        return;
    }
    if (thread_)
        thread_->rebuildLiveRecord();
    sfrq->setEnabled(true);
}

bool TForm1::FormCloseQuery() {
    records::ClosePrompts prompts;
    prompts.ask = [this](const QString& question) {
        switch (ui::askSave(this, question)) {
        case ui::Reply::Yes:
            return records::Answer::Yes;
        case ui::Reply::No:
            return records::Answer::No;
        default:
            return records::Answer::Cancel;
        }
    };
    prompts.save = [this](trecdata& record) {
        const std::shared_ptr<trecdata> held = holdRecord(&record);
        return saveRecordAs(*held, true);
    };
    prompts.reportSaveFailure = [this] { ui::showError(this, QLatin1String(records::kScanSaveFailed)); };
    if (!records::confirmClose(
            lista->count(), [this](int entry) { return entryRecord(entry); }, prompts))
        return false;
    // The scalar-mode readings are asked about as a record is: Yes runs their save flow and asks
    // again when it was cancelled or failed, No discards them, Cancel keeps the program.
    TForm13* scalar = peers_.scalar;
    while (scalar && scalar->hasUnsavedReadings()) {
        switch (prompts.ask(QLatin1String(records::kScalarReadingsUnsaved))) {
        case records::Answer::Cancel:
            return false;
        case records::Answer::No:
            return true;
        case records::Answer::Yes:
            scalar->saveReadings();
            break;
        }
    }
    return true;
}
