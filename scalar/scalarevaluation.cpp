#include "scalar/scalarevaluation.h"

#include "analysis/series.h"
#include "analysis/xraydata.h"

#include <QLocale>

namespace scalar {

namespace {

std::optional<double> number(QString text) {
    text.remove(QLatin1Char(' '));
    bool ok = false;
    const double value = QLocale::c().toDouble(text.replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString pm(const analysis::Measured& m, int decimals) {
    return QStringLiteral("%1 ± %2").arg(m.value, 0, 'f', decimals).arg(m.sigma, 0, 'f', decimals);
}

// Data rows with X read by `column` and the rate with its counting uncertainty.
std::vector<analysis::SeriesPoint> points(const ScalarTable& table, Column column, double seconds) {
    std::vector<analysis::SeriesPoint> out;
    for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
        if (!isDataRow(table, row)) {
            continue;
        }
        const auto x = number(table.rows[row][column]);
        const auto rate = number(table.rows[row][colRate]);
        if (x && rate) {
            out.push_back({*x, *rate, analysis::rateSigma(*rate, seconds)});
        }
    }
    return out;
}

// The element a row declares for `column` (radiator or filter), 0 for "N/A" / "none" or unknown.
int declaredZ(const ScalarTable& table, Column column) {
    for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
        if (isDataRow(table, row)) {
            return analysis::atomicNumber(table.rows[row][column]);
        }
    }
    return 0;
}

QStringList plateauLines(const ScalarTable& table, double seconds) {
    const analysis::PlateauResult r = analysis::plateau(points(table, colVoltage, seconds));
    if (!r.ok()) {
        return {r.reason};
    }
    return {QStringLiteral("Plateau from %1 V (threshold, 90 % of the plateau rate)")
                .arg(r.thresholdV, 0, 'f', 0),
            r.endV ? QStringLiteral("Plateau ends at %1 V").arg(*r.endV, 0, 'f', 0)
                   : QStringLiteral("Plateau end not reached (up to %1 V measured)").arg(r.toV, 0, 'f', 0),
            QStringLiteral("Slope %1 % per 100 V").arg(pm(r.slopePercentPer100V, 1)),
            QStringLiteral("Working voltage %1 V (a third of the way into the plateau)")
                .arg(r.workingV, 0, 'f', 0)};
}

QStringList attenuationLines(const ScalarTable& table, double seconds, int anodeZ) {
    const int filterZ = declaredZ(table, colFilter);
    const double energy = analysis::radiationEnergyKeV(declaredZ(table, colRadiator), anodeZ);
    const analysis::AttenuationResult r =
        analysis::attenuation(points(table, colThickness, seconds), filterZ, energy);
    if (!r.ok()) {
        return {r.reason};
    }
    QStringList lines{QStringLiteral("ln R against thickness: μ = %1 1/cm").arg(pm(r.muPerCm, 1))};
    if (filterZ > 0) {
        lines << QStringLiteral("μ/ρ (%1) = %2 cm²/g; xraylib %3 cm²/g at %4 keV")
                     .arg(analysis::elementSymbol(filterZ), pm(r.muRhoCm2PerG, 1))
                     .arg(r.referenceMuRhoCm2PerG, 0, 'f', 1)
                     .arg(r.energyKeV, 0, 'f', 3);
    }
    return lines;
}

QStringList deadTimeLines(const ScalarTable& table, double seconds) {
    const analysis::DeadTimeResult r = analysis::deadTimeFromCurrent(points(table, colCurrent, seconds));
    if (!r.ok()) {
        return {r.reason};
    }
    const analysis::Measured us{r.deadTimeS.value * 1e6, r.deadTimeS.sigma * 1e6};
    return {QStringLiteral("True rate through the origin: %1 cps/µA").arg(pm(r.cpsPerUa, 3)),
            QStringLiteral("Dead time τ = %1 µs (non-paralysable)").arg(pm(us, 0))};
}

QStringList moseleyLines(const ScalarTable& table, double seconds) {
    std::vector<analysis::MoseleyReading> readings;
    for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
        const auto rate = number(table.rows[row][colRate]);
        if (isDataRow(table, row) && rate) {
            readings.push_back({analysis::atomicNumber(table.rows[row][colRadiator]),
                                analysis::atomicNumber(table.rows[row][colFilter]), *rate,
                                analysis::rateSigma(*rate, seconds)});
        }
    }
    const analysis::MoseleyResult r = analysis::moseley(readings);
    QStringList lines;
    for (const analysis::EdgeBracket& b : r.brackets) {
        lines << QStringLiteral("%1 K edge between %2 and %3: %4 keV (xraylib %5)")
                     .arg(analysis::elementSymbol(b.filterZ), analysis::elementSymbol(b.belowZ),
                          analysis::elementSymbol(b.aboveZ), pm(b.edgeKeV, 3))
                     .arg(b.referenceEdgeKeV, 0, 'f', 3);
    }
    if (!r.ok()) {
        return lines << r.reason;
    }
    lines << QStringLiteral("√E = a (Z − s): a = %1 keV½, s = %2")
                 .arg(pm(r.measured.slope, 4), pm(r.measured.screening, 2))
          << QStringLiteral("xraylib edges: a = %1 keV½, s = %2")
                 .arg(pm(r.reference.slope, 4), pm(r.reference.screening, 2));
    return lines;
}

} // namespace

QStringList evaluationLines(const ScalarTable& table, Variable variable, double countingSeconds, int anodeZ) {
    switch (variable) {
    case detectorHv:
        return plateauLines(table, countingSeconds);
    case thickness:
        return attenuationLines(table, countingSeconds, anodeZ);
    case tubeCurrent:
        return deadTimeLines(table, countingSeconds);
    case radiator:
    case filter:
        return moseleyLines(table, countingSeconds);
    case position:
        break;
    }
    return {QStringLiteral("The detector position has no evaluation.")};
}

} // namespace scalar

ScalarEvaluation::ScalarEvaluation(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("evaluation"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setFrameShape(QFrame::StyledPanel);
}

void ScalarEvaluation::showLines(const QStringList& lines) {
    setText(lines.join(QLatin1Char('\n')));
}
