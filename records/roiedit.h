// The rules of the region editor's Apply, without a window: reading the five rows of start and end
// texts, the error of the first bad cell, the question about regions that must be rearranged, the
// swap, sort and merge that answer it, and storing the regions into a record.
//
// Texts hold degrees; regions are kept in angle units of 0.05 degree. Rows are numbered 1..5 and the
// start and end columns 1 and 2, as in the editor's grid (column 0 holds the row numbers).
#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class trecdata;

namespace roi {

inline constexpr int kRows = 5;
inline constexpr int kStartColumn = 1;
inline constexpr int kEndColumn = 2;

inline constexpr const char* kInvalidCharacter = "Invalid character";
inline constexpr const char* kOutOfRange = "Out of range";
inline constexpr const char* kRangeIncomplete = "Range incomplete";
inline constexpr const char* kModifyQuestion = "Ranges need to be modified/rearanged. Continue and modify?";

// The code of a cell: 0 for a value within the record, or why it is not one.
enum CellCode : int { kValid = 0, kEmpty = -1, kNotANumber = -2, kBelowRange = -3, kAboveRange = -4 };

struct CellValue {
    int code = kEmpty;
    double value = 0; // degrees, when code is kValid
};

// A cell's text with every blank removed, read as degrees and checked against the record's angle
// range firstAngle..lastAngle (angle units; both bounds valid). The decimal point is '.' or the
// locale's separator; signs are allowed, group separators and exponents are not.
CellValue validateCell(const QString& text, int firstAngle, int lastAngle, const QLocale& locale);

struct RowTexts {
    QString start;
    QString end;
    friend bool operator==(const RowTexts&, const RowTexts&) = default;
};
using GridTexts = std::array<RowTexts, kRows>;

// One region in angle units.
struct Pair {
    int from = 0;
    int to = 0;
    friend bool operator==(const Pair&, const Pair&) = default;
};

// The cell to select and the message to show when Apply stops at a bad cell.
struct CellError {
    int row = 0;    // 1..5
    int column = 0; // kStartColumn or kEndColumn
    QString message;
    bool focusGrid = false; // invalid values focus the grid; an incomplete row only selects the cell
    friend bool operator==(const CellError&, const CellError&) = default;
};

// The rows as regions: the first bad cell (all rows checked for bad values before any for a missing
// half), or the complete rows in row order, converted to angle units (rounded, ties to even).
struct ReadRegions {
    std::optional<CellError> error;
    std::vector<Pair> pairs;
    bool offGrid = false; // some value is not on the 0.05 degree grid
};
ReadRegions readRegions(const GridTexts& rows, int firstAngle, int lastAngle, const QLocale& locale);

// Reversed, unsorted, overlapping or closer than 0.1 degree (next start below the previous end + 2).
bool inDisorder(const std::vector<Pair>& pairs);
// Each pair's bounds in order, the pairs sorted by start (stable), then overlapping or touching
// neighbours merged. Pairs one angle unit apart stay as they are.
std::vector<Pair> rearranged(std::vector<Pair> pairs);
// The grid rows of a list: degrees with two decimals in the locale's notation, rows beyond the list
// empty.
GridTexts gridTexts(const std::vector<Pair>& pairs, const QLocale& locale = QLocale());
// The record's regions as grid rows.
GridTexts gridTexts(const trecdata& record, const QLocale& locale = QLocale());

// Replaces the record's regions with the list (at most five) and selects the first, or "All" when
// the list is empty.
void storeRegions(trecdata& record, const std::vector<Pair>& pairs);

// The outcome of Apply. On an error or a "No" the record and the grid are unchanged.
struct ApplyResult {
    enum Outcome { Error, Declined, Stored };
    Outcome outcome = Error;
    std::optional<CellError> error;
    std::optional<GridTexts> rewritten; // the grid's new rows, after a "Yes"
    bool asked = false;
};
// Apply in its order: bad values, incomplete rows, the question when a value is off the grid or the
// regions are in disorder (askToModify returns true for Yes), then store into the record.
ApplyResult apply(const GridTexts& rows, trecdata& record, const QLocale& locale,
                  const std::function<bool()>& askToModify);

} // namespace roi
