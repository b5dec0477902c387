// The results of an evaluation as a table: one row per peak (line, angle, wavelength, energy, width
// and net counts, each with its ±), then the summary (the lattice spacing the named lines imply
// against the crystal's, the Duane–Hunt limit and Planck's constant) and the notes. The window's
// table, the clipboard, the CSV file and the printed page all show these same texts.
#pragma once

#include "analysis/measured.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace analysis {
struct SpectrumResult;
}

namespace plot {

struct ResultTable {
    QStringList header;
    std::vector<QStringList> rows;
    QStringList summary;
};
ResultTable resultTable(const analysis::SpectrumResult& result);

// The table as tab-separated lines (for the clipboard: a spreadsheet takes it cell by cell).
QString tableTsv(const ResultTable& table);
// The table as lines of fixed columns (for a fixed-pitch font: the printed page).
QStringList tableLines(const ResultTable& table);
// The peaks as comma-separated text: UTF-8, '.' decimals, value and uncertainty in columns of their
// own, then the summary as "# " lines.
QByteArray resultsCsv(const analysis::SpectrumResult& result);

} // namespace plot
