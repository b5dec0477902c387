#include "mainwindow/plot/resulttable.h"

#include "analysis/measuredtext.h"

#include "analysis/evaluation.h"
#include "analysis/xraydata.h"
#include "mainwindow/plot/evalmarks.h"

#include <algorithm>
#include <cmath>

namespace plot {

using analysis::measuredText;

namespace {

constexpr double kPlanckJs = 6.62607015e-34;

QString number(double value, int decimals) {
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : QString();
}

QString crystalText(const analysis::EvalOptions& options) {
    return options.crystal == QLatin1String("custom")
               ? QStringLiteral("custom d %1 pm").arg(options.dPm, 0, 'f', 2)
               : QStringLiteral("%1 %2 pm").arg(options.crystal).arg(options.dPm, 0, 'f', 2);
}

QStringList summaryLines(const analysis::SpectrumResult& result) {
    QStringList lines;
    if (!result.error.isEmpty()) {
        return {result.error};
    }
    lines << QStringLiteral("Crystal %1, anode %2")
                 .arg(crystalText(result.options), analysis::elementSymbol(result.options.anodeZ));
    lines << (result.impliedDPm.known()
                  ? QStringLiteral("d from the named lines: %1 pm").arg(measuredText(result.impliedDPm, 2))
                  : QStringLiteral("d from the named lines: no named line"));
    const analysis::DuaneHunt& dh = result.duaneHunt;
    if (dh.found) {
        lines << QStringLiteral("Duane-Hunt: lambda min %1 pm, E max %2 keV")
                     .arg(measuredText(dh.lambdaMinPm, 1), measuredText(dh.energyMaxKeV, 2));
        if (dh.planckJs.known()) {
            const analysis::Measured h{dh.planckJs.value / 1e-34, dh.planckJs.sigma / 1e-34};
            lines << QStringLiteral("h = (%1) x 1e-34 J s, %2 % from %3 J s")
                         .arg(measuredText(h, 3))
                         .arg(dh.planckDeviationPercent, 0, 'f', 1)
                         .arg(kPlanckJs);
        } else {
            lines << QStringLiteral("h: the tube voltage is not known");
        }
    } else {
        lines << QStringLiteral("Duane-Hunt: %1")
                     .arg(dh.reason.isEmpty() ? QStringLiteral("not found") : dh.reason);
    }
    lines << result.notes;
    return lines;
}

} // namespace

ResultTable resultTable(const analysis::SpectrumResult& result) {
    ResultTable table;
    table.header = {QStringLiteral("Line"),    QStringLiteral("Angle [deg]"), QStringLiteral("\u03bb [pm]"),
                    QStringLiteral("E [keV]"), QStringLiteral("FWHM [deg]"),  QStringLiteral("Net counts")};
    for (const analysis::Peak& peak : result.peaks) {
        const QString line = peak.order > 0 && !peak.line.isEmpty()
                                 ? QStringLiteral("%1 n=%2").arg(peak.line).arg(peak.order)
                                 : QStringLiteral("unknown");
        table.rows.push_back({line, measuredText(peak.centreDeg, 3), measuredText(peak.lambdaPm, 2),
                              measuredText(peak.energyKeV, 3), measuredText(peak.fwhmDeg, 3),
                              measuredText(peak.netCounts, 0)});
    }
    table.summary = summaryLines(result);
    return table;
}

QString tableTsv(const ResultTable& table) {
    QStringList lines;
    lines << table.header.join(QLatin1Char('\t'));
    for (const QStringList& row : table.rows) {
        lines << row.join(QLatin1Char('\t'));
    }
    lines << table.summary;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QStringList tableLines(const ResultTable& table) {
    std::vector<qsizetype> widths(static_cast<std::size_t>(table.header.size()), 0);
    auto widen = [&widths](const QStringList& row) {
        for (qsizetype i = 0; i < row.size() && i < static_cast<qsizetype>(widths.size()); ++i) {
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], row[i].size());
        }
    };
    widen(table.header);
    for (const QStringList& row : table.rows) {
        widen(row);
    }
    auto format = [&widths](const QStringList& row) {
        QString line;
        for (qsizetype i = 0; i < row.size() && i < static_cast<qsizetype>(widths.size()); ++i) {
            line += row[i].leftJustified(widths[static_cast<std::size_t>(i)] + 2);
        }
        return line.trimmed();
    };
    QStringList lines;
    lines << format(table.header);
    for (const QStringList& row : table.rows) {
        lines << format(row);
    }
    lines << table.summary;
    return lines;
}

QByteArray resultsCsv(const analysis::SpectrumResult& result) {
    auto pair = [](const analysis::Measured& m, int decimals) {
        return number(m.value, decimals) + QLatin1Char(',') + number(m.sigma, decimals);
    };
    QStringList lines;
    lines << QStringLiteral(
        "line,order,angle_deg,angle_sigma_deg,wavelength_pm,wavelength_sigma_pm,energy_keV,energy_sigma_keV,"
        "fwhm_deg,fwhm_sigma_deg,net_counts,net_counts_sigma,tabulated_pm");
    for (const analysis::Peak& peak : result.peaks) {
        lines << QStringList{peak.line.isEmpty() ? QStringLiteral("unknown") : peak.line,
                             QString::number(peak.order),
                             pair(peak.centreDeg, 4),
                             pair(peak.lambdaPm, 3),
                             pair(peak.energyKeV, 4),
                             pair(peak.fwhmDeg, 4),
                             pair(peak.netCounts, 1),
                             peak.order > 0 ? number(peak.tabulatedPm, 3) : QString()}
                     .join(QLatin1Char(','));
    }
    for (const QString& line : summaryLines(result)) {
        lines << QStringLiteral("# ") + line;
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace plot
