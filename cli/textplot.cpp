#include "cli/textplot.h"

#include <algorithm>

namespace cli {

QString textPlot(const std::vector<std::pair<double, double>>& points, int width, int rows) {
    if (points.empty() || width < 2 || rows < 1)
        return {};
    const double first = points.front().first;
    const double last = points.back().first;
    std::vector<double> columns(static_cast<std::size_t>(width), 0.0);
    for (const auto& [angle, rate] : points) {
        const double at = last > first ? (angle - first) / (last - first) : 0;
        auto& column = columns[std::min<std::size_t>(static_cast<std::size_t>(at * (width - 1) + 0.5),
                                                     static_cast<std::size_t>(width - 1))];
        column = std::max(column, rate);
    }
    const double top = std::max(1.0, *std::max_element(columns.begin(), columns.end()));
    QString plot;
    for (int row = rows; row >= 1; --row) {
        const double level = top * (row - 0.5) / rows;
        plot += row == rows ? QString::asprintf("%8.0f |", top) : QStringLiteral("         |");
        for (double value : columns)
            plot += value >= level ? QLatin1Char('#') : QLatin1Char(' ');
        plot += QLatin1Char('\n');
    }
    plot += QStringLiteral("       0 +") + QString(width, QLatin1Char('-')) + QLatin1Char('\n');
    const QString left = QString::asprintf("%.1f deg", first);
    const QString right = QString::asprintf("%.1f deg", last);
    plot += QStringLiteral("          ") + left +
            QString(std::max<qsizetype>(1, width - left.size() - right.size()), QLatin1Char(' ')) + right +
            QLatin1Char('\n');
    return plot;
}

} // namespace cli
