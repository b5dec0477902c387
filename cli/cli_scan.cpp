// zavo-driver scan: one scan on the apparatus, saved as a record file (and optionally as text).
//
//   zavo-driver scan [--simulate | --port PATH | --device NAME] [--roi FROM:TO]... [--step S]
//                    [--time SECONDS] [--hv VOLTS] --out FILE.RTG [--text FILE.txt]
#include "cli/cli_acquire.h"
#include "cli/cli_commands.h"

#include "connection/devicesetup.h"

namespace cli {
namespace {

// "--name value" and "--name=value"; advances `i` past a separate value.
bool optionValue(const QStringList& args, qsizetype& i, const QString& name, QString* value) {
    const QString& arg = args[i];
    if (arg.startsWith(name + QLatin1Char('='))) {
        *value = arg.mid(name.size() + 1);
        return true;
    }
    if (arg != name)
        return false;
    if (i + 1 >= args.size()) {
        *value = QString();
        return true;
    }
    *value = args[++i];
    return true;
}

constexpr const char* kUsageLine =
    "usage: zavo-driver scan [--simulate | --port PATH | --device NAME] [--roi FROM:TO]...\n"
    "                        [--step 0.05|0.1|0.2|0.5] [--time SECONDS] [--hv VOLTS]\n"
    "                        --out FILE.RTG [--text FILE.txt]\n";
constexpr const char* kOptions =
    "  --roi FROM:TO   a region to scan, in degrees (up to five); none: the whole arm range\n"
    "  --step DEG      angular step (default 0.05)\n"
    "  --time SECONDS  counting time per step, 0.1 to 300 (default 1.0)\n"
    "  --hv VOLTS      detector high voltage (default 500; the apparatus's limit applies)\n"
    "  --text FILE     also write the points as tab-separated text\n"
    "  --out FILE.RTG  the record file to write (required)\n";
constexpr const char* kNotes =
    "Waits up to 10 s for the apparatus. The output files are tried before the arm moves.\n"
    "Ctrl+C stops the scan and saves what was measured.\n"
    "Exit status: 0 done, 2 bad arguments or file error, 3 no apparatus, 4 link lost,\n"
    "5 scan incomplete (stopped early or steps missing; the points are saved), 130 Ctrl+C.\n";

bool usage(Io& io, const QString& problem) {
    io.err << "zavo-driver scan: " << problem << '\n' << kUsageLine << kOptions << kNotes;
    return false;
}

} // namespace

const char* scanOptionsHelp() {
    return kOptions;
}

// Fills `options` and `deviceArgs` from the scan command's arguments; false after a message.
bool parseScanArguments(const QStringList& args, AcquisitionOptions* options, QStringList* deviceArgs,
                        Io& io) {
    options->plan.angularStep = 1;
    options->plan.countingTime = 10;
    options->plan.hvVolts = kDefaultHvVolts;
    *deviceArgs = QStringList{QStringLiteral("zavo-driver")};
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString value;
        if (args[i] == QLatin1String("--simulate")) {
            deviceArgs->append(args[i]);
            continue;
        }
        bool handled = false;
        for (const char* device : {"--port", "--device"}) {
            if (!handled && optionValue(args, i, QLatin1String(device), &value)) {
                if (value.isEmpty())
                    return usage(io, QStringLiteral("%1 needs a value").arg(QLatin1String(device)));
                *deviceArgs << QLatin1String(device) << value;
                if (QLatin1String(device) == QLatin1String("--port"))
                    options->portPath = value;
                handled = true;
            }
        }
        if (handled)
            continue;
        if (optionValue(args, i, QStringLiteral("--roi"), &value)) {
            std::pair<int, int> region;
            if (!parseRegion(value, &region, io))
                return false;
            if (options->plan.regions.size() == kMaxRegions)
                return usage(io, QStringLiteral("at most five regions (--roi)"));
            options->plan.regions.push_back(region);
        } else if (optionValue(args, i, QStringLiteral("--step"), &value)) {
            if (!parseStep(value, &options->plan.angularStep, io))
                return false;
        } else if (optionValue(args, i, QStringLiteral("--time"), &value)) {
            if (!parseCountingTime(value, &options->plan.countingTime, io))
                return false;
        } else if (optionValue(args, i, QStringLiteral("--hv"), &value)) {
            int volts = 0;
            if (!parseHv(value, &volts, io))
                return false;
            options->plan.hvVolts = volts;
        } else if (optionValue(args, i, QStringLiteral("--out"), &value)) {
            options->outPath = value;
        } else if (optionValue(args, i, QStringLiteral("--text"), &value)) {
            if (value.isEmpty())
                return usage(io, QStringLiteral("--text needs a file name"));
            options->textPath = value;
        } else {
            return usage(io, QStringLiteral("unknown argument \"%1\"").arg(args[i]));
        }
    }
    if (options->outPath.isEmpty())
        return usage(io, QStringLiteral("--out FILE.RTG is required"));
    return true;
}

int runScan(const QStringList& args, Io& io) {
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        io.out << kUsageLine << kOptions << kNotes;
        return kExitOk;
    }
    AcquisitionOptions options;
    QStringList deviceArgs;
    if (!parseScanArguments(args, &options, &deviceArgs, io))
        return kExitFailure;
    QString error;
    if (!devicesetup::installProvider(deviceArgs, &error)) {
        io.err << "zavo-driver: " << error << '\n';
        return kExitFailure;
    }
    return runAcquisition(options, io).exitCode;
}

} // namespace cli
