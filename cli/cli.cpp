// Command-line dispatcher: the command table, help and the helpers the commands share.
#include "cli/cli.h"

#include "cli/cli_acquire.h"
#include "cli/cli_commands.h"
#include "cli/cli_evaluate.h"
#include "records/recordfile.h"

#include "version.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

// Add a command here with its handler in cli_<name>.cpp.
constexpr std::array kCommands = {
    Command{"info", "FILE.RTG", "print a record file's fields as one JSON object", &runInfo},
    Command{"export-text", "FILE.RTG OUT.txt", "write a record's points as a tab-separated text file",
            &runExportText},
    Command{"export-xlsx", "FILE.RTG OUT.xlsx", "write a record's points as a spreadsheet workbook",
            &runExportXlsx},
    Command{"scan", "[OPTIONS] --out FILE.RTG", "scan on the apparatus and save the record (scan --help)",
            &runScan},
    Command{"print",
            "FILE.RTG [MORE.RTG...] --pdf OUT.pdf [--portrait] [--no-comment] [--lines] [--settings rtg.ini] "
            "[--evaluate]",
            "write a record's printed page as a PDF (landscape, with its comment; further records are laid "
            "over it; evaluated with --evaluate)",
            &runPrint},
    Command{"analyse", "FILE.RTG [EVALUATION OPTIONS] [--json]",
            "the spectrum's peaks, lines, lattice spacing, Duane-Hunt limit and Planck's constant",
            &runAnalyse},
    Command{"export-csv", "FILE.RTG OUT.csv [EVALUATION OPTIONS]",
            "write a record's points with their uncertainty, wavelength and energy as CSV", &runExportCsv},
    Command{"ratio", "A.RTG B.RTG OUT.RTG",
            "write the transmission of scan A over scan B (percent, cell by cell) as a record file",
            &runRatio},
    Command{"demo", "[--out-dir DIR]", "a short scan on the simulated apparatus, saved with a text export",
            &runDemo},
};

const Command* findCommand(const QString& name) {
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            return &command;
        }
    }
    return nullptr;
}

bool isHelp(const QString& word) {
    return word == QLatin1String("--help") || word == QLatin1String("-h") || word == QLatin1String("help");
}

bool isVersion(const QString& word) {
    return word == QLatin1String("--version");
}

void printEntry(QTextStream& out, const QString& call, const char* help) {
    out << "  " << call.leftJustified(30) << ' ' << help << '\n';
}

} // namespace

std::span<const Command> commands() {
    return kCommands;
}

void printHelp(QTextStream& out) {
    out << "Usage: zavo-driver [DEVICE OPTION]\n"
        << "  or:  zavo-driver COMMAND [ARGUMENTS]\n"
        << "Controls a teaching X-ray apparatus (goniometer, X-ray tube, Geiger detector) over its USB\n"
        << "link and records the spectra it measures. Without a command the program opens its windows;\n"
        << "the commands need no display.\n"
        << "\nCommands:\n";
    for (const Command& command : kCommands) {
        printEntry(out,
                   QStringLiteral("%1 %2").arg(QLatin1String(command.name), QLatin1String(command.arguments)),
                   command.help);
    }
    out << "\nOptions:\n";
    printEntry(out, QStringLiteral("--simulate"), "the built-in simulated apparatus (--device simulator)");
    printEntry(out, QStringLiteral("--port PATH"),
               "the apparatus on this serial port, e.g. /dev/zavo-apparatus or /dev/ttyUSB0");
    printEntry(out, QStringLiteral("--device NAME"),
               "simulator; serial (the USB-serial port described \"QM417\"); d2xx (FTDI's library)");
    printEntry(out, QStringLiteral("--help"), "show this help");
    printEntry(out, QStringLiteral("--version"), "show the program's version");
    out << "Without a device option: FTDI's library where it loads, else the serial ports.\n"
        << "\nScan options:\n"
        << scanOptionsHelp()
        << "The scan takes the device options above, waits up to 10 s for the apparatus and saves what\n"
        << "was measured when Ctrl+C stops it.\n"
        << "\nEvaluation options (analyse, export-csv; defaults from rtg.ini's [evaluation], then the\n"
        << "record's comment words such as \"crystal=LiF anode=Mo kV=30\", then these):\n"
        << evalOptionsHelp() << "\nEnvironment:\n";
    printEntry(out, QStringLiteral("ZAVO_DEVICE"), "the device when no option names one");
    printEntry(out, QStringLiteral("ZAVO_PORT"), "the serial port when no option names one");
    printEntry(out, QStringLiteral("ZAVO_SIM"),
               "options of the simulated apparatus (zavo-apparatus-sim --help)");
    out << "\nFiles:\n";
    printEntry(out, QStringLiteral("~/.config/zavo-driver/rtg.ini"), "settings");
    printEntry(out, QStringLiteral("safety.rtg"),
               "copy of the live scan every 15 minutes: beside a program run from its build folder, else "
               "in ~/.local/share/zavo-driver");
    printEntry(out, QLatin1String(zavo::kGuidePath),
               "the guide to the classic experiments, step by step (xdg-open it on a desktop)");
    out << "\nDevice access:\n"
        << "  The package's device rule gives the user at the computer access to the apparatus. Without\n"
        << "  it, add the user to the dialout group (sudo adduser USER dialout) and log in again. A port\n"
        << "  that is there but cannot be opened is reported with its name and this fix.\n"
        << "\nExit status:\n"
        << "  0 on success, " << kExitFailure << " on bad usage or a file error; scan: " << kExitNoApparatus
        << " no apparatus, " << kExitLinkLost << " link lost,\n  " << kExitIncomplete
        << " incomplete (what was measured is saved), " << kExitInterrupted << " stopped by Ctrl+C.\n";
}

void printVersion(QTextStream& out) {
    out << "zavo-driver " << ZAVO_VERSION << '\n';
}

bool isCommandLine(int argc, char** argv) {
    if (argc < 2) {
        return false;
    }
    const QString first = QString::fromLocal8Bit(argv[1]);
    return isHelp(first) || isVersion(first) || !first.startsWith(QLatin1Char('-'));
}

int run(const QStringList& args, Io& io) {
    if (args.isEmpty() || isHelp(args.first())) {
        printHelp(io.out);
        return kExitOk;
    }
    if (isVersion(args.first())) {
        printVersion(io.out);
        return kExitOk;
    }
    const Command* command = findCommand(args.first());
    if (!command) {
        io.err << "zavo-driver: unknown command \"" << args.first() << "\"\n\n";
        printHelp(io.err);
        return kExitFailure;
    }
    return command->run(args.mid(1), io);
}

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    Io io{out, err};
    const int status = run(args, io);
    out.flush();
    err.flush();
    return status;
}

std::unique_ptr<trecdata> loadRecordForCommand(const QString& path, Io& io) {
    records::LoadResult loaded = records::loadRecordFile(path);
    if (!loaded.record) {
        // The file's name first: a command may read more than one.
        if (loaded.error == records::LoadError::WrongFormat)
            io.err << path << ": ";
        io.err << loaded.message << '\n';
    }
    return std::move(loaded.record);
}

int runRecordExport(const QStringList& args, Io& io, const char* command, RecordExport write) {
    if (!expectArguments(args, 2, command, io))
        return kExitFailure;
    const auto record = loadRecordForCommand(args[0], io);
    if (!record)
        return kExitFailure;
    QString error;
    if (!write(*record, args[1], &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << args[1] << '\n';
    return kExitOk;
}

bool expectArguments(const QStringList& args, qsizetype count, const char* command, Io& io) {
    if (args.size() == count) {
        return true;
    }
    const Command* known = findCommand(QLatin1String(command));
    io.err << "usage: zavo-driver " << command << ' ' << (known ? known->arguments : "") << '\n';
    return false;
}

} // namespace cli
