// Workbook export of a scan: an .xlsx file written directly, no spreadsheet program needed. Its first
// sheet holds "Angle [deg]" and "counting rate [cps]" in row 1 (both columns 12 characters wide)
// and, from row 2 on without gaps, the exported points (see exportedpoints.h) as numbers.
#pragma once

#include "records/trecdata.h"

#include <QString>

#include <functional>

namespace records {

// What the save dialog asks before it offers a workbook type: the version of the workbook format
// that can be written, or -1 when none can. Workbooks are written directly, so it is always 12
// (the .xlsx format).
inline constexpr double kWorkbookVersion = 12.0;
double spreadsheetVersion();

// Progress of an export over the cells of the record: positions 0 .. kExportProgressMaximum. After
// each exported point the position becomes its cell index - 1 (never below 0).
inline constexpr int kExportProgressMaximum = trecdata::kCellCount - 1;
using ExportProgress = std::function<void(int position)>;

// Writes the workbook safely: beside the target first, renamed over it only when complete, so a
// failure (folder missing or read-only, disk full) leaves whatever was at `path` untouched. False
// and the reason in *error on failure. Numbers are written with '.' whatever the C locale says.
bool exportSpreadsheet(const trecdata& record, const QString& path, const ExportProgress& progress = {},
                       QString* error = nullptr);

} // namespace records
