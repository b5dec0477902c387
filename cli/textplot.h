// A spectrum drawn in text, for the terminal: the demo shows what it measured without a display.
#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace cli {

// A small text plot of a spectrum (angle in degrees, rate): `rows` lines of `width` columns, the
// highest rate of each column; empty for no points.
QString textPlot(const std::vector<std::pair<double, double>>& points, int width, int rows);

} // namespace cli
