// The Moseley's-law workbook: a template with one block of rows per filter and one row per radiator,
// whose copy receives the measured counting rates in column 4.
#pragma once

#include "scalar/export/scalartable.h"
#include "scalar/export/scalarworkbook.h"
#include "scalar/export/xlsxxml.h"

#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace scalar {

// The template beside the program.
inline constexpr char kTemplateFileName[] = "MLaw.xlsx";

// Where the template is: beside the program (the build folder, a Windows installation) or in the
// data folder of an installation (<prefix>/share/zavo-driver beside <prefix>/bin); empty when neither
// holds it.
QString findTemplate(const QString& programFolder);

// First sheet row of each filter's block, indexed like the filter items ("none" ... "Zn"); the
// radiator with item index ri (1 = "V" ... 8 = "Zn") has its row at start + ri.
inline constexpr std::array<int, 9> templateBlockStart = {5, 40, 77, 114, 151, 188, 225, 262, 299};
inline constexpr int kTemplateRateColumn = 4;

// The sheet cell (row, column) of a reading with these filter and radiator texts; none for radiator
// "N/A" and for texts that are not among the items (which would otherwise land on a heading).
std::optional<std::pair<int, int>> templateCellFor(const QString& filterText, const QString& radiatorText);

// The numbers a template copy receives, in grid order so a later reading of the same filter and
// radiator replaces an earlier one. *skipped counts data rows with a usable cell but no readable rate.
SheetWrites templateWrites(const ScalarTable& table, const QLocale& locale, int* skipped = nullptr);

// Copies the template to `path` with the rates written in, keeping every formula and asking for
// recalculation on opening. The copy is built beside the target and renamed over it when complete.
SpreadsheetOutcome exportScalarTemplate(const ScalarTable& table, const QString& templatePath,
                                        const QString& path, const QLocale& locale = QLocale());

} // namespace scalar
