// zavo-driver analyse FILE.RTG [evaluation options] [--json]: the spectrum evaluation of a record as
// a table (peaks, lines, lattice spacing, Duane-Hunt limit and Planck's constant) or one JSON object.
#include "cli/cli_analyse.h"
#include "cli/cli_commands.h"
#include "cli/cli_evaluate.h"

#include "analysis/duanehunt.h"
#include "analysis/measuredtext.h"
#include "analysis/xraydata.h"

namespace cli {

namespace {

constexpr const char* kCommand = "analyse";

QString pm(const analysis::Measured& m, int decimals) {
    return analysis::measuredText(m, decimals);
}

QString optionsLine(const analysis::EvalOptions& o) {
    QString line = QStringLiteral("Crystal %1, d = %2 pm; anode %3; ")
                       .arg(o.crystal)
                       .arg(o.dPm, 0, 'f', 2)
                       .arg(analysis::elementSymbol(o.anodeZ));
    line += o.tubeKv > 0 ? QStringLiteral("%1 kV; ").arg(o.tubeKv) : QStringLiteral("tube voltage unknown; ");
    line += o.deadTimeUs > 0 ? QStringLiteral("dead time %1 µs; ").arg(o.deadTimeUs)
                             : QStringLiteral("no dead-time correction; ");
    return line + QStringLiteral("orders 1 to %1").arg(o.orders);
}

void printPeaks(const analysis::SpectrumResult& r, QTextStream& out) {
    out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7 %8\n")
               .arg(QStringLiteral("angle/deg"), -18)
               .arg(QStringLiteral("lambda/pm"), -18)
               .arg(QStringLiteral("E/keV"), -8)
               .arg(QStringLiteral("FWHM/deg"), -9)
               .arg(QStringLiteral("net counts"), -16)
               .arg(QStringLiteral("line"), -7)
               .arg(QStringLiteral("table/pm"), -9)
               .arg(QStringLiteral("dev/pm"));
    for (const analysis::Peak& p : r.peaks) {
        const QString line =
            p.order > 0 ? QStringLiteral("%1 n=%2").arg(p.line).arg(p.order) : QStringLiteral("unknown");
        out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7 %8\n")
                   .arg(pm(p.centreDeg, 3), -18)
                   .arg(pm(p.lambdaPm, 3), -18)
                   .arg(p.energyKeV.value, -8, 'f', 4)
                   .arg(p.fwhmDeg.value, -9, 'f', 3)
                   .arg(QStringLiteral("%1 ± %2")
                            .arg(p.netCounts.value, 0, 'f', 0)
                            .arg(p.netCounts.sigma, 0, 'f', 0),
                        -16)
                   .arg(line, -7)
                   .arg(p.order > 0 ? QString::number(p.tabulatedPm, 'f', 3) : QStringLiteral("-"), -9)
                   .arg(p.order > 0 ? QString::asprintf("%+.3f", p.deviationPm) : QStringLiteral("-"));
    }
}

void printDuaneHunt(const analysis::DuaneHunt& dh, QTextStream& out) {
    if (!dh.found) {
        out << "Duane-Hunt limit: " << dh.reason << '\n';
        return;
    }
    out << QStringLiteral("Duane-Hunt limit (edge %1 to %2 deg, background %3 cps): lambda_min = %4 pm, "
                          "E_max = %5 keV\n")
               .arg(dh.fromDeg, 0, 'f', 2)
               .arg(dh.toDeg, 0, 'f', 2)
               .arg(dh.backgroundCps, 0, 'f', 2)
               .arg(pm(dh.lambdaMinPm, 2), pm(dh.energyMaxKeV, 2));
    if (dh.planckJs.known()) {
        out << QStringLiteral("Planck's constant: h = (%1 ± %2)e-34 J s, %3 % from %4 J s\n")
                   .arg(dh.planckJs.value * 1e34, 0, 'f', 3)
                   .arg(dh.planckJs.sigma * 1e34, 0, 'f', 3)
                   .arg(QString::asprintf("%+.1f", dh.planckDeviationPercent))
                   .arg(analysis::kPlanckJs);
    } else {
        out << "Planck's constant: " << dh.reason << '\n';
    }
}

} // namespace

void printSpectrumTable(const QString& file, const analysis::SpectrumResult& r, QTextStream& out) {
    out << "Record " << file << ": " << r.points.size() << " points, "
        << QString::number(r.points.front().angleDeg, 'f', 2) << " to "
        << QString::number(r.points.back().angleDeg, 'f', 2) << " deg, step "
        << QString::number(r.stepDeg, 'f', 2) << " deg, " << QString::number(r.countingTimeS, 'f', 1)
        << " s a point\n"
        << optionsLine(r.options) << "\n\n";
    for (const QString& note : r.notes) {
        out << "Note: " << note << '\n';
    }
    if (!r.peaks.empty()) {
        printPeaks(r, out);
        out << "(Kα: the Kα1/Kα2 doublet unresolved, its intensity-weighted mean wavelength)\n";
    }
    out << '\n';
    if (r.impliedDPm.known()) {
        out << "Lattice spacing from the named lines: d = " << pm(r.impliedDPm, 3) << " pm\n";
    } else {
        out << "Lattice spacing: no line named\n";
    }
    printDuaneHunt(r.duaneHunt, out);
}

int runAnalyse(const QStringList& args, Io& io) {
    if (args.contains(QStringLiteral("--help"))) {
        io.out << "usage: zavo-driver analyse FILE.RTG [OPTIONS] [--json]\n" << evalOptionsHelp();
        return kExitOk;
    }
    Evaluation e;
    if (!evaluateForCommand(args, kCommand, 1, true, &e, io))
        return kExitFailure;
    const EvalArguments& arguments = e.arguments;
    const analysis::SpectrumResult& result = e.result;
    if (arguments.json) {
        io.out << spectrumJson(arguments.files[0], result) << '\n';
    } else {
        printSpectrumTable(arguments.files[0], result, io.out);
    }
    return kExitOk;
}

} // namespace cli
