// The results table `res` of the scalar-mode window: two header rows, then one row per reading, at
// least one (empty) data row. The table is the store of the readings; the chart and the export read
// it through resultsSnapshot().
#pragma once

#include "scalar/export/scalartable.h"

class QTableWidget;

namespace scalar {

// Headers, column widths and the one empty data row of a new table.
void setUpResultsTable(QTableWidget* res);

// A reading into the table: row 2 while its first cell is empty, else a new last row. The first cell
// becomes the running number (row index - 1). Returns the row.
int appendResult(QTableWidget* res, const ScalarCells& cells);

// Deletes data row `row` (the ones below move up) and numbers the rows 1, 2, ... again; the table
// keeps at least one data row. Header rows and rows past the end are left alone.
void deleteResultRow(QTableWidget* res, int row);
// Back to the one empty data row.
void deleteAllResults(QTableWidget* res);

// All rows of the table as plain data, headers included.
ScalarTable resultsSnapshot(const QTableWidget* res);

} // namespace scalar
