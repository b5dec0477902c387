// The scalar-mode results table as plain data, shared by the window and its exports: the grid's rows
// in order, the two header rows included, each with its eight cell texts.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace scalar {

constexpr int kColumns = 8;
constexpr int kHeaderRows = 2;

// Columns of a row.
enum Column { colNumber, colVoltage, colRadiator, colFilter, colPosition, colThickness, colCurrent, colRate };

// The independent variables, in the order of the window's `mode` items.
enum Variable { detectorHv, radiator, filter, position, thickness, tubeCurrent };

using ScalarCells = std::array<QString, kColumns>;

struct ScalarTable {
    std::vector<ScalarCells> rows; // grid rows 0, 1, 2, ...: rows 0 and 1 are the headers
};

// The items of the radiator, filter and detector-position selectors, in list order.
const QStringList& radiatorItems();
const QStringList& filterItems();
const QStringList& positionItems();

// The two header rows of a fresh table.
ScalarCells headerRow(int row);

// A data row is a grid row from 2 on whose first cell is not empty.
bool isDataRow(const ScalarTable& table, std::size_t row);

// The text with every blank (0x20) removed, as cells are read back as numbers.
QString withoutBlanks(const QString& text);

// A cell read as a number after removing blanks: in `locale` first, then with a decimal point.
std::optional<double> cellNumber(const QString& text, const QLocale& locale);

} // namespace scalar
