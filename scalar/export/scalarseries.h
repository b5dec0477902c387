// The evaluation of the results table as a series against the chosen independent variable: the one
// source of the lines the window's panel shows, the exports write and the printout carries, and of
// the curves the chart draws over the readings.
#pragma once

#include "analysis/seriesevaluation.h"
#include "scalar/export/scalartable.h"

#include <QLocale>

namespace scalar {

// Every data row whose rate reads as a number is a reading; its uncertainty is that of
// `countingSeconds` of counting. `anodeZ` gives the radiation's energy when no radiator is declared.
analysis::SeriesEvaluation evaluateTable(const ScalarTable& table, Variable variable, double countingSeconds,
                                         int anodeZ = 29, const QLocale& locale = QLocale());

} // namespace scalar
