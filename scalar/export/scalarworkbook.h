// The two spreadsheet forms of the scalar-mode export: a new workbook of the whole table, and a copy
// of the Moseley's-law template with the measured rates in their cells.
#pragma once

#include "scalar/export/scalartable.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace scalar {

// What a spreadsheet export did; the window turns the flags into its two error messages.
struct SpreadsheetOutcome {
    bool transferFailed = false; // some cells could not be written as numbers; the rest was saved
    bool saveFailed = false;     // nothing was written; a previous file at the path is intact
    QString detail;              // why, for the curious
};

inline constexpr char kEvaluationSheet[] = "Evaluation";

// New workbook, first sheet, sheet row r + 1 and column c + 1 for grid cell (r, c): the header rows as
// text; data rows with columns 0 and 1 as whole numbers, 2 to 4 as text and 5 to 7 as numbers (blanks
// removed, `locale`'s decimal separator or a point). A cell that is no number is kept as text and
// marks the transfer as failed. The `evaluation` lines, when there are any, fill column A of a
// second sheet "Evaluation". Written beside the target and renamed over it when complete.
SpreadsheetOutcome exportScalarWorkbook(const ScalarTable& table, const QString& path,
                                        const QLocale& locale = QLocale(),
                                        const QStringList& evaluation = {});

} // namespace scalar
