#include "analysis/measuredtext.h"

#include <cmath>

namespace analysis {

int shownDecimals(const Measured& m, int decimals) {
    constexpr int kMoreAtMost = 3;
    int shown = decimals;
    if (std::isfinite(m.sigma) && m.sigma > 0) {
        while (shown < decimals + kMoreAtMost && m.sigma < 0.5 * std::pow(10.0, -shown))
            ++shown;
    }
    return shown;
}

QString measuredText(const Measured& m, int decimals) {
    if (!m.known())
        return QStringLiteral("----");
    const int shown = shownDecimals(m, decimals);
    const QString value = QString::number(m.value, 'f', shown);
    return std::isfinite(m.sigma) ? value + QStringLiteral(" \u00b1 ") + QString::number(m.sigma, 'f', shown)
                                  : value;
}

} // namespace analysis
