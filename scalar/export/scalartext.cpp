// Text form of the scalar-mode export.
#include "scalar/export/scalartext.h"

#include "records/cp1252.h"
#include "records/safefile.h"

namespace scalar {

namespace {

bool losesBlanks(int column) {
    return column == colVoltage || column == colThickness || column == colCurrent || column == colRate;
}

// The evaluation's signs outside Windows-1252, spelt out so that the line stays readable.
QString commentText(QString line) {
    static const std::pair<const char16_t*, const char*> spelt[] = {
        {u"√", "sqrt "}, {u"μ", "mu"}, {u"ρ", "rho"}, {u"τ", "tau"}, {u"α", "a"}, {u"β", "b"}, {u"−", "-"}};
    for (const auto& [sign, text] : spelt) {
        line.replace(QString::fromUtf16(sign), QLatin1String(text));
    }
    return line;
}

} // namespace

QByteArray scalarTextBytes(const ScalarTable& table, const QStringList& evaluation) {
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
    for (const QString& line : evaluation) {
        text += QLatin1String("# ") + commentText(line) + QLatin1String("\r\n");
    }
    return records::toCp1252(text);
}

bool exportScalarText(const ScalarTable& table, const QString& path, QString* error,
                      const QStringList& evaluation) {
    return records::writeFileSafely(path, scalarTextBytes(table, evaluation), error);
}

} // namespace scalar
