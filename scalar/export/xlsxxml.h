// Edits of the XML parts of an .xlsx package that filling a template needs. Each takes the part's
// bytes and returns the edited bytes, streaming token by token so that everything it does not edit
// (namespaces, prefixes, whitespace, unknown elements) passes through unchanged. A part that is not
// well-formed gives an empty result and the reason in *error.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <utility>

namespace scalar {

// Cell (row, column), both counted from 1, and the number it receives.
using SheetWrites = std::map<std::pair<int, int>, double>;

// "D232" -> (232, 4); (0, 0) for a reference that is not a cell.
std::pair<int, int> parseCellReference(const QString& reference);
QString cellReference(int row, int column);

// The package path of the first worksheet, found through xl/workbook.xml and its relationships
// ("xl/worksheets/sheet1.xml"); empty when the workbook names none.
QString firstSheetPath(const QByteArray& workbookXml, const QByteArray& workbookRelsXml);

// Writes the numbers into their cells: an existing cell keeps its style (s=) and loses its type (t=)
// and content; missing rows and cells are inserted in order. Every formula cell loses its cached
// value (and type), so that spreadsheet programs compute it afresh.
QByteArray rewriteSheet(const QByteArray& sheetXml, const SheetWrites& writes, QString* error);

// Sets <calcPr fullCalcOnLoad="1"/> in xl/workbook.xml, inserting calcPr where the schema places it.
QByteArray requestFullCalculation(const QByteArray& workbookXml, QString* error);

// Removes the calculation chain's relationship (from xl/_rels/workbook.xml.rels) and its content type
// (from [Content_Types].xml); a chain that names cells whose formula changed makes Excel complain.
QByteArray dropCalcChainReferences(const QByteArray& xml, QString* error);

} // namespace scalar
