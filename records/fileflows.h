// Rules of the main window's flows over record files that need no window: the file types the save
// dialog offers and the extension each gives a bare name, the list label of a loaded record, the
// texts of the questions and messages, and the order of the questions when the program closes.
#pragma once

#include "records/trecdata.h"

#include <QString>

#include <functional>
#include <vector>

namespace records {

// The exact texts of the flows.
inline constexpr const char* kScanSaveFailed = "Scan save failed.";
inline constexpr const char* kWorkbookSaveFailed = "Error while saveing data.";
inline constexpr const char* kScanWillBeLost = "Current scan will be lost. Proceed without saving?";
inline constexpr const char* kCommentModified = "Comment is modified. Proceed without saving?";
// The close query's question about scalar-mode readings that were never saved.
inline constexpr const char* kScalarReadingsUnsaved = "Scalar mode readings are not saved. Save changes?";
inline constexpr const char* kExportProgressCaption = "Exporting data to Excel";

// One type of a file dialog: what the user reads and the pattern it stands for.
struct FileType {
    QString description; // "ZAVO record file (*.RTG)"
    QString pattern;     // "*.RTG"
};

// The save dialog's types are numbered from 1 in this order.
enum class SaveType { Record = 1, Text = 2, Workbook = 3 };

// The save dialog's types: the record file alone with `recordOnly`; otherwise also the text file,
// and the workbook whose pattern follows the writable version (none below 0, "*.xls" below 12,
// "*.xlsx" from 12 on).
std::vector<FileType> saveFileTypes(double spreadsheetVersion, bool recordOnly);
// The open dialog's one type, "ZAVO scan record file (*.RTG)".
FileType recordOpenType();
// The type as a Qt dialog filter: "description (pattern)", the pattern added only when the
// description does not end with it already.
QString dialogFilter(const FileType& type);
// The extension a name typed without one gets under a type: the pattern's, upper case ("RTG",
// "TXT", "XLSX").
QString defaultExtension(const FileType& type);

// The step as the list shows it: "0.05", "0.1", "0.2", "0.5" for 1, 2, 4, 10; empty otherwise.
QString stepText(int angularStep);
// The list entry of a loaded record: the file name without its folder, ": ", the step, "/%.1f "
// of the counting time in seconds and " [deg/sec]", e.g. "scan.RTG: 0.2/1.5  [deg/sec]".
QString recordListLabel(const trecdata& record);
// The close query's question about a modified record: "Scan : <file name> is modified. Save
// changes?" for a record with a file (a loaded one, or the live scan once saved as a record file),
// else the question about the live scan.
QString saveChangesQuestion(const trecdata& record);

// ---- Closing the program ----

enum class Answer { Yes, No, Cancel };
enum class SaveOutcome { Saved, Failed, Cancelled };

struct ClosePrompts {
    std::function<Answer(const QString& question)> ask; // Yes, No and Cancel
    std::function<SaveOutcome(trecdata& record)> save;  // as a record file
    std::function<void()> reportSaveFailure;            // "Scan save failed."
};

// Asks about each modified record of a list of `count` entries, in list order. Cancel refuses
// closing (false). No goes on with the next record. Yes saves it: once saved, on with the next;
// when the save failed (reported) or its dialog was cancelled, the same record is asked about
// again, so nothing measured is lost without the user's No. True when every record was saved or
// given up. `recordAt` (null for an entry without a record) is asked again after every question,
// since the list may change while a question waits for its answer.
bool confirmClose(int count, const std::function<trecdata*(int entry)>& recordAt,
                  const ClosePrompts& prompts);

} // namespace records
