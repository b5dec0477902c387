// What the scalar-mode chart shows of a results row, as pure rules: the X value by the independent
// variable, the counting rate as Y, the filter's colour, and the titles of each variable.
#pragma once

#include "scalar/export/scalartable.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace scalar {

// The texts of the `mode` radio group, in the order of `Variable`.
const QStringList& variableItems();

// Red, green, blue of each filter item ("none" ... "Zn"); the chart's points and the filter list.
inline constexpr std::array<std::array<int, 3>, 9> filterColors = {{{255, 0, 0},
                                                                    {0, 255, 0},
                                                                    {255, 255, 0},
                                                                    {0, 0, 255},
                                                                    {255, 0, 255},
                                                                    {0, 255, 255},
                                                                    {0, 128, 0},
                                                                    {128, 128, 0},
                                                                    {0, 0, 128}}};
// A filter text that is not among the items (a row edited outside the window) is drawn grey.
inline constexpr std::array<int, 3> kUnknownFilterColor = {128, 128, 128};
std::array<int, 3> filterColorOf(const QString& filterText);

struct PlotPoint {
    double x = 0;
    double y = 0;
    std::array<int, 3> color{};
};

// The point of a data row, or none when its X or Y cannot be read: for the radiator, filter and
// position variables X is the index of the row's text among the selector's items (and a text that
// is not an item is not plotted); voltage and tube current are whole numbers; thickness and rate are
// read with `locale`'s decimal separator or a point, blanks removed.
std::optional<PlotPoint> plotPoint(const ScalarCells& row, Variable variable, const QLocale& locale);

// The item texts that label X for the radiator, filter and position variables; empty for the others.
QStringList xLabels(Variable variable);

// The filter texts of the data rows that are among the filter items, once each, in list order: the
// colours a legend explains.
QStringList filtersShown(const ScalarTable& table);

struct ChartTitles {
    QString title;
    QString xAxis;
};
ChartTitles chartTitles(Variable variable);
inline constexpr char kRateAxisTitle[] = "Radiation count [CPS]";

} // namespace scalar
