#include "scalar/export/scalarseries.h"

#include "analysis/measured.h"
#include "analysis/xraydata.h"

namespace scalar {

namespace {

analysis::SeriesKind kindOf(Variable variable) {
    switch (variable) {
    case detectorHv:
        return analysis::SeriesKind::counterPlateau;
    case radiator:
        return analysis::SeriesKind::moseleyByRadiator;
    case filter:
        return analysis::SeriesKind::moseleyByFilter;
    case thickness:
        return analysis::SeriesKind::attenuation;
    case tubeCurrent:
        return analysis::SeriesKind::deadTime;
    case position:
        break;
    }
    return analysis::SeriesKind::none;
}

// X as the chart reads it: the item index for the radiator and the filter, else the cell's number.
std::optional<double> xOf(const ScalarCells& row, Variable variable, const QLocale& locale) {
    switch (variable) {
    case radiator:
        return static_cast<double>(radiatorItems().indexOf(row[colRadiator]));
    case filter:
        return static_cast<double>(filterItems().indexOf(row[colFilter]));
    case detectorHv:
        return cellNumber(row[colVoltage], locale);
    case thickness:
        return cellNumber(row[colThickness], locale);
    case tubeCurrent:
        return cellNumber(row[colCurrent], locale);
    case position:
        break;
    }
    return std::nullopt;
}

} // namespace

analysis::SeriesEvaluation evaluateTable(const ScalarTable& table, Variable variable, double countingSeconds,
                                         int anodeZ, const QLocale& locale) {
    std::vector<analysis::SeriesReading> readings;
    for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
        if (!isDataRow(table, row)) {
            continue;
        }
        const ScalarCells& cells = table.rows[row];
        const auto x = xOf(cells, variable, locale);
        const auto rate = cellNumber(cells[colRate], locale);
        if (rate && (x || variable == position)) {
            readings.push_back({analysis::atomicNumber(cells[colRadiator]),
                                analysis::atomicNumber(cells[colFilter]), *rate,
                                analysis::rateSigma(*rate, countingSeconds), x.value_or(0)});
        }
    }
    return analysis::evaluateSeries(kindOf(variable), readings, anodeZ);
}

} // namespace scalar
