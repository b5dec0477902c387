// Rules of the scalar-mode chart.
#include "scalar/scalarplot.h"

namespace scalar {

namespace {

std::optional<double> wholeNumber(const QString& text) {
    bool ok = false;
    const int value = withoutBlanks(text).toInt(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> itemIndex(const QStringList& items, const QString& text) {
    const qsizetype index = items.indexOf(text);
    return index < 0 ? std::nullopt : std::optional<double>(static_cast<double>(index));
}

} // namespace

const QStringList& variableItems() {
    static const QStringList items = {"Detector HV",       "Rotary radiator selection", "Filter selection",
                                      "Detector position", "Filter thicknes",           "X-ray tube current"};
    return items;
}

std::array<int, 3> filterColorOf(const QString& filterText) {
    const qsizetype index = filterItems().indexOf(filterText);
    return index < 0 ? kUnknownFilterColor : filterColors[static_cast<std::size_t>(index)];
}

std::optional<PlotPoint> plotPoint(const ScalarCells& row, Variable variable, const QLocale& locale) {
    std::optional<double> x;
    switch (variable) {
    case detectorHv:
        x = wholeNumber(row[colVoltage]);
        break;
    case radiator:
        x = itemIndex(radiatorItems(), row[colRadiator]);
        break;
    case filter:
        x = itemIndex(filterItems(), row[colFilter]);
        break;
    case position:
        x = itemIndex(positionItems(), row[colPosition]);
        break;
    case thickness:
        x = cellNumber(row[colThickness], locale);
        break;
    case tubeCurrent:
        x = wholeNumber(row[colCurrent]);
        break;
    }
    const std::optional<double> y = cellNumber(row[colRate], locale);
    if (!x || !y) {
        return std::nullopt;
    }
    return PlotPoint{*x, *y, filterColorOf(row[colFilter])};
}

QStringList filtersShown(const ScalarTable& table) {
    QStringList shown;
    for (const QString& item : filterItems()) {
        for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
            if (isDataRow(table, row) && table.rows[row][colFilter] == item) {
                shown << item;
                break;
            }
        }
    }
    return shown;
}

QStringList xLabels(Variable variable) {
    switch (variable) {
    case radiator:
        return radiatorItems();
    case filter:
        return filterItems();
    case position:
        return positionItems();
    default:
        return {};
    }
}

ChartTitles chartTitles(Variable variable) {
    switch (variable) {
    case detectorHv:
        return {"Radiation counts vs. Detector HV", "Detector HV [V]"};
    case radiator:
        return {"Radiation counts vs. Rotary radiator selection", "Rotary radiator selection"};
    case filter:
        return {"Radiation counts vs. Filter selection", "Filter selection"};
    case position:
        return {"Radiation counts vs. Detector position", "Detector position"};
    case thickness:
        return {"Radiation counts vs. Filter thickness", "Filter thickness [mm]"};
    case tubeCurrent:
        return {"Radiation counts vs. X-ray tube current", QStringLiteral("X-ray tube current [\u00b5A]")};
    }
    return {};
}

} // namespace scalar
