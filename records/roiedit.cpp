#include "records/roiedit.h"

#include "records/decimaltext.h"
#include "records/trecdata.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace roi {

namespace {

// Values this close to a multiple of 0.05 degree count as on the grid: "10.05" x 20 is not exactly
// 201 in binary floating point.
constexpr double kGridTolerance = 0.000001;

// Angle units of a value in degrees, rounded to nearest with ties to even, kept in the range a
// region can hold.
int toAngleUnits(double degrees) {
    const double units = std::nearbyint(degrees * 20);
    return static_cast<int>(std::clamp<double>(units, std::numeric_limits<std::int16_t>::min(),
                                               std::numeric_limits<std::int16_t>::max()));
}

bool offTheGrid(double degrees) {
    const double units = degrees * 20;
    return std::fabs(units - std::nearbyint(units)) > kGridTolerance;
}

QString degreesText(int units, const QLocale& locale) {
    return records::decimalText(units / 20.0, 2, locale);
}

std::optional<CellError> firstBadValue(const std::array<std::array<CellValue, 2>, kRows>& cells) {
    for (int row = 0; row < kRows; ++row) {
        for (int side = 0; side < 2; ++side) {
            const int code = cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(side)].code;
            if (code < kEmpty) {
                const char* message = code == kNotANumber ? kInvalidCharacter : kOutOfRange;
                return CellError{row + 1, kStartColumn + side, QString::fromLatin1(message), true};
            }
        }
    }
    return std::nullopt;
}

std::optional<CellError> firstIncompleteRow(const std::array<std::array<CellValue, 2>, kRows>& cells) {
    for (int row = 0; row < kRows; ++row) {
        const bool startEmpty = cells[static_cast<std::size_t>(row)][0].code == kEmpty;
        const bool endEmpty = cells[static_cast<std::size_t>(row)][1].code == kEmpty;
        if (startEmpty != endEmpty) {
            return CellError{row + 1, startEmpty ? kStartColumn : kEndColumn,
                             QString::fromLatin1(kRangeIncomplete), false};
        }
    }
    return std::nullopt;
}

} // namespace

CellValue validateCell(const QString& text, int firstAngle, int lastAngle, const QLocale& locale) {
    QString compact;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            compact += c;
        }
    }
    if (compact.isEmpty()) {
        return {kEmpty, 0};
    }
    const QString point = locale.decimalPoint();
    if (point != QLatin1String(".")) {
        compact.replace(point, QLatin1String("."));
    }
    static const QRegularExpression decimal(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    bool ok = false;
    const double value = decimal.match(compact).hasMatch() ? compact.toDouble(&ok) : 0;
    if (!ok || !std::isfinite(value)) {
        return {kNotANumber, 0};
    }
    if (value < firstAngle / 20.0) {
        return {kBelowRange, value};
    }
    if (value > lastAngle / 20.0) {
        return {kAboveRange, value};
    }
    return {kValid, value};
}

ReadRegions readRegions(const GridTexts& rows, int firstAngle, int lastAngle, const QLocale& locale) {
    std::array<std::array<CellValue, 2>, kRows> cells{};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        cells[row][0] = validateCell(rows[row].start, firstAngle, lastAngle, locale);
        cells[row][1] = validateCell(rows[row].end, firstAngle, lastAngle, locale);
    }
    ReadRegions read;
    read.error = firstBadValue(cells);
    if (!read.error) {
        read.error = firstIncompleteRow(cells);
    }
    if (read.error) {
        return read;
    }
    for (const auto& [start, end] : cells) {
        if (start.code == kEmpty) {
            continue;
        }
        read.pairs.push_back({toAngleUnits(start.value), toAngleUnits(end.value)});
        read.offGrid = read.offGrid || offTheGrid(start.value) || offTheGrid(end.value);
    }
    return read;
}

bool inDisorder(const std::vector<Pair>& pairs) {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].to < pairs[i].from || (i > 0 && pairs[i].from < pairs[i - 1].to + 2)) {
            return true;
        }
    }
    return false;
}

std::vector<Pair> rearranged(std::vector<Pair> pairs) {
    for (Pair& pair : pairs) {
        if (pair.to < pair.from) {
            std::swap(pair.from, pair.to);
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.from < b.from; });
    for (std::size_t i = 0; i + 1 < pairs.size();) {
        if (pairs[i].to >= pairs[i + 1].from) {
            pairs[i].to = std::max(pairs[i].to, pairs[i + 1].to);
            pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        } else {
            ++i;
        }
    }
    return pairs;
}

GridTexts gridTexts(const std::vector<Pair>& pairs, const QLocale& locale) {
    GridTexts rows{};
    for (std::size_t i = 0; i < pairs.size() && i < rows.size(); ++i) {
        rows[i] = {degreesText(pairs[i].from, locale), degreesText(pairs[i].to, locale)};
    }
    return rows;
}

GridTexts gridTexts(const trecdata& record, const QLocale& locale) {
    std::vector<Pair> pairs;
    for (int i = 0; i < std::min<int>(record.regionCount, trecdata::kMaxRegions); ++i) {
        const trecdata::Region& region = record.regions[static_cast<std::size_t>(i)];
        pairs.push_back({region.from, region.to});
    }
    return gridTexts(pairs, locale);
}

void storeRegions(trecdata& record, const std::vector<Pair>& pairs) {
    record.SelectRegion(0);
    while (record.currentRegion != -1) {
        record.DeleteCurrentRegion();
    }
    for (const Pair& pair : pairs) {
        record.AddRegion(static_cast<std::int16_t>(pair.from), static_cast<std::int16_t>(pair.to));
    }
    record.SelectRegion(0);
}

ApplyResult apply(const GridTexts& rows, trecdata& record, const QLocale& locale,
                  const std::function<bool()>& askToModify) {
    ApplyResult result;
    ReadRegions read = readRegions(rows, record.FirstAngle(), record.LastAngle(), locale);
    if (read.error) {
        result.error = read.error;
        return result;
    }
    const bool disorder = inDisorder(read.pairs);
    if (read.offGrid || disorder) {
        result.asked = true;
        if (!askToModify()) {
            result.outcome = ApplyResult::Declined;
            return result;
        }
        if (disorder) {
            read.pairs = rearranged(std::move(read.pairs));
        }
        result.rewritten = gridTexts(read.pairs, locale);
    }
    storeRegions(record, read.pairs);
    result.outcome = ApplyResult::Stored;
    return result;
}

} // namespace roi
