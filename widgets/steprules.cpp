#include "widgets/steprules.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace ui {

std::optional<int> stepWithin(int value, int step, bool up, int lo, int hi) {
    // Bounds that cross (a damaged configuration) collapse onto the lower one.
    hi = std::max(hi, lo);
    if (up ? value == hi : value == lo)
        return std::nullopt;
    const int next = up ? value + step : value - step;
    return std::clamp(next, lo, hi);
}

std::optional<int> stepDetectorVolts(int volts, int step, bool up, std::optional<int> limitVolts) {
    if (!up)
        return std::max(volts - step, 0);
    if (volts == kMaxDetectorVolts)
        return std::nullopt;
    int next = volts + step;
    if (limitVolts)
        next = std::min(next, *limitVolts);
    return std::min(next, kMaxDetectorVolts);
}

std::optional<double> readoutNumber(const QString& text) {
    QString plain = text;
    const qsizetype blank = plain.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        plain.remove(blank, 1);
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> readoutScaled(const QString& text, int factor) {
    const std::optional<double> value = readoutNumber(text);
    if (!value)
        return std::nullopt;
    const double scaled = *value * factor;
    if (std::abs(scaled) > 1e9)
        return std::nullopt;
    return static_cast<int>(std::nearbyint(scaled));
}

std::optional<int> typedValue(const QString& text, int factor, int step, int lo, int hi) {
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    if (plain.isEmpty() || plain.contains(QLatin1Char(' ')))
        return std::nullopt;
    const std::optional<int> scaled = readoutScaled(plain, factor);
    if (!scaled || step <= 0)
        return std::nullopt;
    const int snapped = static_cast<int>(std::nearbyint(static_cast<double>(*scaled) / step)) * step;
    return std::clamp(snapped, lo, std::max(hi, lo));
}

} // namespace ui
