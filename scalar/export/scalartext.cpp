// Text form of the scalar-mode export.
#include "scalar/export/scalartext.h"

#include "records/cp1252.h"
#include "records/safefile.h"

namespace scalar {

namespace {

bool losesBlanks(int column) {
    return column == colVoltage || column == colThickness || column == colCurrent || column == colRate;
}

} // namespace

QByteArray scalarTextBytes(const ScalarTable& table) {
    QString text;
    for (const ScalarCells& row : table.rows) {
        if (row[colNumber].isEmpty()) {
            continue; // the units row and an empty first data row
        }
        for (int column = 0; column < kColumns; ++column) {
            if (column > 0) {
                text += QLatin1Char('\t');
            }
            text += losesBlanks(column) ? withoutBlanks(row[column]) : row[column];
        }
        text += QLatin1String("\r\n");
    }
    return records::toCp1252(text);
}

bool exportScalarText(const ScalarTable& table, const QString& path, QString* error) {
    return records::writeFileSafely(path, scalarTextBytes(table), error);
}

} // namespace scalar
