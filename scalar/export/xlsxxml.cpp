// Streaming edit of a worksheet: numbers into cells, cached results out of formula cells.
#include "scalar/export/xlsxxml.h"
#include "scalar/export/xmlcopier.h"

#include <QLocale>

#include <climits>
#include <optional>
#include <set>

namespace scalar {

namespace {

// Row and column of the rows and cells of sheetData as the reader meets them: from the r attribute,
// or one past the previous row or cell when r is absent.
class SheetPosition {
public:
    // Call for every start element; answers what it is.
    enum Kind { isOther, isSheetData, isRow, isCell, isFormula };
    Kind onStart(const QXmlStreamReader& reader) {
        const QStringView name = localName(reader.name());
        const QStringView r = reader.attributes().value(QStringLiteral("r"));
        if (depth_ == 0 && name == u"sheetData") {
            depth_ = 1;
            return isSheetData;
        }
        if (depth_ == 1 && name == u"row") {
            bool ok = false;
            const int value = r.toInt(&ok);
            row_ = ok ? value : row_ + 1;
            column_ = 0;
            depth_ = 2;
            return isRow;
        }
        if (depth_ == 2 && name == u"c") {
            const auto [refRow, refColumn] = parseCellReference(r.toString());
            column_ = refColumn > 0 ? refColumn : column_ + 1;
            depth_ = 3;
            return isCell;
        }
        if (depth_ == 3 && name == u"f") {
            return isFormula;
        }
        return isOther;
    }
    // Call for every end element; answers which level closed.
    Kind onEnd(const QXmlStreamReader& reader) {
        const QStringView name = localName(reader.name());
        if (depth_ == 3 && name == u"c") {
            depth_ = 2;
            return isCell;
        }
        if (depth_ == 2 && name == u"row") {
            depth_ = 1;
            return isRow;
        }
        if (depth_ == 1 && name == u"sheetData") {
            depth_ = 0;
            return isSheetData;
        }
        return isOther;
    }
    int row() const { return row_; }
    int column() const { return column_; }
    bool inCell() const { return depth_ == 3; }

private:
    int depth_ = 0; // 0 outside sheetData, 1 in it, 2 in a row, 3 in a cell
    int row_ = 0;
    int column_ = 0;
};

// The cells that hold a formula.
std::set<std::pair<int, int>> formulaCells(const QByteArray& sheetXml) {
    std::set<std::pair<int, int>> cells;
    QXmlStreamReader reader(sheetXml);
    reader.setNamespaceProcessing(false);
    SheetPosition position;
    while (!reader.atEnd() && !reader.hasError()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && position.onStart(reader) == SheetPosition::isFormula) {
            cells.insert({position.row(), position.column()});
        } else if (token == QXmlStreamReader::EndElement) {
            position.onEnd(reader);
        }
    }
    return cells;
}

QString numberText(double value) {
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

// The writing half of rewriteSheet: new rows and cells, in order, under sheetData's prefix.
class SheetWriter {
public:
    SheetWriter(QXmlStreamWriter& writer, const SheetWrites& writes) : writer_(writer), pending_(writes) {}

    void setPrefix(const QString& prefix) { prefix_ = prefix; }
    bool hasRow(int row) const {
        const auto it = pending_.lower_bound({row, 0});
        return it != pending_.end() && it->first.first == row;
    }
    // Takes the number for a cell, if one is pending.
    std::optional<double> take(int row, int column) {
        const auto it = pending_.find({row, column});
        if (it == pending_.end()) {
            return std::nullopt;
        }
        const double value = it->second;
        pending_.erase(it);
        return value;
    }
    void writeValue(double value) {
        writer_.writeTextElement(prefix_ + QStringLiteral("v"), numberText(value));
    }
    // New cells of `row` left of `column`.
    void cellsBefore(int row, int column) {
        while (!pending_.empty() && pending_.begin()->first.first == row &&
               pending_.begin()->first.second < column) {
            const auto [cell, value] = *pending_.begin();
            pending_.erase(pending_.begin());
            writer_.writeStartElement(prefix_ + QStringLiteral("c"));
            writer_.writeAttribute(QStringLiteral("r"), cellReference(cell.first, cell.second));
            writeValue(value);
            writer_.writeEndElement();
        }
    }
    // New rows above `row`, each with its cells.
    void rowsBefore(int row) {
        while (!pending_.empty() && pending_.begin()->first.first < row) {
            const int newRow = pending_.begin()->first.first;
            writer_.writeStartElement(prefix_ + QStringLiteral("row"));
            writer_.writeAttribute(QStringLiteral("r"), QString::number(newRow));
            cellsBefore(newRow, INT_MAX);
            writer_.writeEndElement();
        }
    }

private:
    QXmlStreamWriter& writer_;
    SheetWrites pending_;
    QString prefix_;
};

} // namespace

std::pair<int, int> parseCellReference(const QString& reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i] >= QLatin1Char('A') && reference[i] <= QLatin1Char('Z');
         ++i) {
        column = column * 26 + (reference[i].unicode() - 'A' + 1);
        if (column > 16384) {
            return {0, 0};
        }
    }
    bool ok = false;
    const int row = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || row < 1 || reference[i] == QLatin1Char('+')) {
        return {0, 0};
    }
    return {row, column};
}

QString cellReference(int row, int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26) {
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    }
    return letters + QString::number(row);
}

QByteArray rewriteSheet(const QByteArray& sheetXml, const SheetWrites& writes, QString* error) {
    const std::set<std::pair<int, int>> formulas = formulaCells(sheetXml);
    XmlCopier copier(sheetXml);
    SheetPosition position;
    SheetWriter cells(copier.writer(), writes);
    bool writingRow = false; // the current row receives numbers
    bool dropValues = false; // the current cell holds a formula
    while (copier.next()) {
        QXmlStreamReader& reader = copier.reader();
        if (reader.isStartElement()) {
            switch (position.onStart(reader)) {
            case SheetPosition::isSheetData:
                cells.setPrefix(prefixOf(reader.qualifiedName()));
                break;
            case SheetPosition::isRow:
                cells.rowsBefore(position.row());
                writingRow = cells.hasRow(position.row());
                if (writingRow) {
                    copier.copyStart({QStringLiteral("spans")}); // the span hint may no longer hold
                    continue;
                }
                break;
            case SheetPosition::isCell: {
                const std::pair<int, int> at{position.row(), position.column()};
                if (writingRow) {
                    cells.cellsBefore(at.first, at.second);
                    if (const std::optional<double> value = cells.take(at.first, at.second)) {
                        copier.copyStart({QStringLiteral("t")});
                        cells.writeValue(*value);
                        copier.writer().writeEndElement();
                        reader.skipCurrentElement();
                        position.onEnd(reader);
                        continue;
                    }
                }
                dropValues = formulas.count(at) > 0;
                if (dropValues) {
                    copier.copyStart({QStringLiteral("t")});
                    continue;
                }
                break;
            }
            case SheetPosition::isOther:
                if (dropValues && position.inCell() && copier.local() == u"v") {
                    reader.skipCurrentElement();
                    continue;
                }
                break;
            case SheetPosition::isFormula:
                break;
            }
        } else if (reader.isEndElement()) {
            switch (position.onEnd(reader)) {
            case SheetPosition::isCell:
                dropValues = false;
                break;
            case SheetPosition::isRow:
                if (writingRow) {
                    cells.cellsBefore(position.row(), INT_MAX);
                }
                writingRow = false;
                break;
            case SheetPosition::isSheetData:
                cells.rowsBefore(INT_MAX);
                break;
            default:
                break;
            }
        }
        copier.copy();
    }
    return copier.finish(error);
}

} // namespace scalar
