// Text export of a scan.
#include "records/textexport.h"

#include "records/cp1252.h"
#include "records/safefile.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace records {

// Shortcut: value x 100 rounded to
// an integer is the correctly rounded result unless the product lies near a tie (where its own
// rounding error could tip it); those and huge values go through to_chars, which is exact but slow.
void appendTwoDecimals(std::string& out, double value, std::string_view separator) {
    char buffer[400]; // room for any double in fixed notation
    const double scaled = value * 100.0;
    const double rounded = std::nearbyint(scaled);
    const char* end = nullptr;
    // Below 2^30 the product is off by at most 2^-23, far inside the 1e-6 margin around a tie.
    if (std::abs(scaled) < 0x1p30 && std::abs(std::abs(scaled - rounded) - 0.5) > 1e-6) {
        const auto hundredths = static_cast<std::int64_t>(std::abs(rounded));
        char* p = buffer;
        if (std::signbit(value)) {
            *p++ = '-';
        }
        p = std::to_chars(p, buffer + sizeof buffer, hundredths / 100).ptr;
        *p++ = '.';
        *p++ = static_cast<char>('0' + hundredths % 100 / 10);
        *p++ = static_cast<char>('0' + hundredths % 10);
        end = p;
    } else {
        // to_chars ignores the C library's locale, so the point is always '.'.
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2).ptr;
    }
    const char* point = end - 3; // two decimals follow the point
    out.append(static_cast<const char*>(buffer), point);
    out.append(separator);
    out.append(point + 1, end);
}

QByteArray exportTextBytes(const trecdata& record, const QLocale& locale) {
    const QByteArray separatorBytes = toCp1252(locale.decimalPoint());
    const std::string_view separator(separatorBytes.data(), static_cast<std::size_t>(separatorBytes.size()));
    const std::vector<ExportedPoint> points = exportedPoints(record);
    std::string out("angle [deg]\tcounting rate [cps]\r\n");
    out.reserve(out.size() + points.size() * 24);
    for (const ExportedPoint& point : points) {
        appendTwoDecimals(out, point.degrees, separator);
        out.push_back('\t');
        appendTwoDecimals(out, point.rate, separator);
        out.append("\r\n");
    }
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

bool exportText(const trecdata& record, const QString& path, const QLocale& locale, QString* error) {
    return writeFileSafely(path, exportTextBytes(record, locale), error);
}

} // namespace records
