// Text export of a scan.
#include "textexport.h"

#include "cp1252.h"
#include "safefile.h"

#include <charconv>

namespace records {

std::vector<ExportedPoint> exportedPoints(const trecdata& record) {
    // A step the apparatus never uses (0 or negative, from a damaged file) exports every valid cell.
    const std::int32_t step = record.angularStep > 0 ? record.angularStep : 1;
    std::vector<ExportedPoint> points;
    for (std::int32_t i = 0; i < trecdata::kCellCount; ++i) {
        const std::int32_t angle = record.IndexToAngle(i);
        if (angle % step != 0 || !record.IsValidAt(angle)) {
            continue;
        }
        // A cell may still be written while we read it; a reading of -1 means no data after all.
        const double rate = record.ValueAtAngle(angle);
        if (rate != -1.0) {
            points.push_back({angle / 20.0, rate});
        }
    }
    return points;
}

QByteArray exportTextBytes(const trecdata& record, const QLocale& locale) {
    const QByteArray separator = toCp1252(locale.decimalPoint());
    const auto number = [&separator](QByteArray& out, double value) {
        // to_chars ignores the C library's locale, so '.' is the only separator to replace.
        char buffer[400]; // room for any double in fixed notation
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2).ptr;
        for (const char* c = buffer; c != end; ++c) {
            if (*c == '.') {
                out.append(separator);
            } else {
                out.append(*c);
            }
        }
    };

    const std::vector<ExportedPoint> points = exportedPoints(record);
    QByteArray out("angle [deg]\tcounting rate [cps]\r\n");
    out.reserve(out.size() + static_cast<qsizetype>(points.size()) * 24);
    for (const ExportedPoint& point : points) {
        number(out, point.degrees);
        out.append('\t');
        number(out, point.rate);
        out.append("\r\n");
    }
    return out;
}

bool exportText(const trecdata& record, const QString& path, const QLocale& locale, QString* error) {
    return writeFileSafely(path, exportTextBytes(record, locale), error);
}

} // namespace records
