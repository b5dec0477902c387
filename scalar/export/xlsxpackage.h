// Filling an existing .xlsx workbook through its package (a zip archive) without an office suite.
#pragma once

#include "scalar/export/xlsxxml.h"

#include <QString>

namespace scalar {

// Edits the workbook file at `path` in place: writes the numbers into the first worksheet, removes
// the cached values of formula cells and the calculation chain, and asks spreadsheet programs to
// compute every formula when they open it. Entries keep their time stamps, so filling the same file
// with the same numbers gives the same bytes. False, with the reason in *error, when the file is not
// a workbook or cannot be written; the file may then be damaged, so callers work on a copy.
bool fillWorkbookFile(const QString& path, const SheetWrites& writes, QString* error = nullptr);

} // namespace scalar
