#include "cli/cli_evaluate.h"

#include "cli/cli_commands.h"

#include "analysis/xraydata.h"
#include "engine/evalprofile.h"
#include "engine/profilefile.h"
#include "records/trecdata.h"

#include <cmath>

namespace cli {

namespace {

constexpr const char* kOptionsHelp =
    "  --crystal NAME   NaCl (d = 282.01 pm), LiF (201.3 pm) or KBr (329.0 pm)\n"
    "  --d PM           any other lattice spacing, in picometres\n"
    "  --anode EL       the tube's anode element, e.g. Cu, Mo, Fe, W\n"
    "  --kv U           the tube voltage in kV (for Planck's constant; 0: none)\n"
    "  --dead-time US   correct the rates for the counter's dead time, in microseconds (0: off)\n"
    "  --orders N       look for the lines in diffraction orders 1..N (1 to 10)\n"
    "  --from DEG --to DEG  fit the Duane-Hunt edge over this angle range instead of finding it\n";

bool fail(Io& io, const char* command, const QString& problem) {
    io.err << "zavo-driver " << command << ": " << problem << '\n';
    return false;
}

bool number(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// Handles one option with its value; false after a message.
bool option(const QString& name, const QString& value, const char* command, EvalArguments* parsed, Io& io) {
    double v = 0;
    const bool isNumber = number(value, &v);
    if (name == QLatin1String("--crystal")) {
        analysis::EvalOptions probe;
        if (!analysis::setCrystal(probe, value))
            return fail(
                io, command,
                QStringLiteral("unknown crystal \"%1\" (NaCl, LiF or KBr; --d for another)").arg(value));
        parsed->crystal = probe.crystal;
    } else if (name == QLatin1String("--d")) {
        if (!isNumber || !(v > 0))
            return fail(io, command, QStringLiteral("--d must be a positive lattice spacing in pm"));
        parsed->dPm = v;
    } else if (name == QLatin1String("--anode")) {
        const int z = analysis::atomicNumber(value);
        if (z == 0 || analysis::characteristicLines(z).empty())
            return fail(io, command, QStringLiteral("unknown anode element \"%1\"").arg(value));
        parsed->anodeZ = z;
    } else if (name == QLatin1String("--kv")) {
        if (!isNumber || v < 0)
            return fail(io, command, QStringLiteral("--kv must be a tube voltage in kV, 0 or more"));
        parsed->tubeKv = v;
    } else if (name == QLatin1String("--dead-time")) {
        if (!isNumber || v < 0)
            return fail(io, command, QStringLiteral("--dead-time must be 0 or more microseconds"));
        parsed->deadTimeUs = v;
    } else if (name == QLatin1String("--orders")) {
        if (!isNumber || v != std::floor(v) || v < 1 || v > analysis::kMaxOrders)
            return fail(
                io, command,
                QStringLiteral("--orders must be a whole number from 1 to %1").arg(analysis::kMaxOrders));
        parsed->orders = static_cast<int>(v);
    } else if (name == QLatin1String("--from") || name == QLatin1String("--to")) {
        if (!isNumber)
            return fail(io, command, QStringLiteral("%1 must be an angle in degrees").arg(name));
        (name == QLatin1String("--from") ? parsed->fromDeg : parsed->toDeg) = v;
    } else {
        return fail(io, command, QStringLiteral("unknown option \"%1\"").arg(name));
    }
    return true;
}

} // namespace

const char* evalOptionsHelp() {
    return kOptionsHelp;
}

bool parseEvalArguments(const QStringList& args, const char* command, qsizetype fileCount, bool json,
                        EvalArguments* parsed, Io& io) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (json && arg == QLatin1String("--json")) {
            parsed->json = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            const QString name = eq > 0 ? arg.left(eq) : arg;
            if (eq < 0 && i + 1 >= args.size())
                return fail(io, command, QStringLiteral("%1 needs a value").arg(arg));
            if (!option(name, eq > 0 ? arg.mid(eq + 1) : args[++i], command, parsed, io))
                return false;
        } else {
            parsed->files << arg;
        }
    }
    if (parsed->crystal && parsed->dPm)
        return fail(io, command, QStringLiteral("give either --crystal or --d, not both"));
    if (parsed->fromDeg.has_value() != parsed->toDeg.has_value())
        return fail(io, command, QStringLiteral("--from and --to go together"));
    if (parsed->fromDeg && !(*parsed->fromDeg < *parsed->toDeg))
        return fail(io, command, QStringLiteral("--from must lie below --to"));
    if (parsed->files.size() != fileCount)
        return fail(io, command,
                    QStringLiteral("expected %1 file name%2").arg(fileCount).arg(fileCount == 1 ? "" : "s"));
    return true;
}

analysis::EvalOptions evaluationOptions(const EvalArguments& arguments, const trecdata& record,
                                        QStringList* notes) {
    analysis::EvalOptions options =
        engine::loadEvalOptions(engine::ProfileFile(engine::ProfileFile::defaultPath()));
    options = analysis::applyComment(options, record.comment, notes);
    if (arguments.crystal)
        analysis::setCrystal(options, *arguments.crystal);
    if (arguments.dPm)
        analysis::setCustomSpacing(options, *arguments.dPm);
    options.anodeZ = arguments.anodeZ.value_or(options.anodeZ);
    options.tubeKv = arguments.tubeKv.value_or(options.tubeKv);
    options.deadTimeUs = arguments.deadTimeUs.value_or(options.deadTimeUs);
    options.orders = arguments.orders.value_or(options.orders);
    if (arguments.fromDeg) {
        options.fromDeg = arguments.fromDeg;
        options.toDeg = arguments.toDeg;
    }
    return options;
}

bool evaluateForCommand(const QStringList& args, const char* command, qsizetype fileCount, bool json,
                        Evaluation* evaluation, Io& io) {
    if (!parseEvalArguments(args, command, fileCount, json, &evaluation->arguments, io))
        return false;
    evaluation->record = loadRecordForCommand(evaluation->arguments.files[0], io);
    if (!evaluation->record)
        return false;
    QStringList notes;
    const analysis::EvalOptions options =
        evaluationOptions(evaluation->arguments, *evaluation->record, &notes);
    evaluation->result =
        analysis::analyseSpectrum(*evaluation->record, options, analysis::CommentWords::Ignore);
    if (!evaluation->result.error.isEmpty()) {
        io.err << "zavo-driver " << command << ": " << evaluation->result.error << '\n';
        return false;
    }
    evaluation->result.notes = notes + evaluation->result.notes;
    return true;
}

} // namespace cli
