// Command-line dispatcher: the command table, help and the helpers the commands share.
#include "cli/cli.h"

#include "cli/cli_commands.h"
#include "records/recordfile.h"

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
    Command{"scan", "[OPTIONS] --out FILE.RTG", "scan on the apparatus and save the record (scan --help)",
            &runScan},
    Command{"print", "FILE.RTG --pdf OUT.pdf [--portrait] [--no-comment] [--lines]",
            "write a record's printed page as a PDF (landscape, with its comment)", &runPrint},
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

} // namespace

std::span<const Command> commands() {
    return kCommands;
}

void printHelp(QTextStream& out) {
    out << "Usage: zavo-driver [COMMAND [ARGUMENTS]]\n\n"
        << "Without a command the program opens its windows. Commands (no display needed):\n";
    for (const Command& command : kCommands) {
        const QString call =
            QStringLiteral("%1 %2").arg(QLatin1String(command.name), QLatin1String(command.arguments));
        out << "  " << call.leftJustified(30) << ' ' << command.help << '\n';
    }
    out << "  " << QStringLiteral("--help").leftJustified(30) << ' ' << "show this help\n"
        << "\nExit status: 0 on success, " << kExitFailure << " on any error.\n";
}

bool isCommandLine(int argc, char** argv) {
    if (argc < 2) {
        return false;
    }
    const QString first = QString::fromLocal8Bit(argv[1]);
    return isHelp(first) || !first.startsWith(QLatin1Char('-'));
}

int run(const QStringList& args, Io& io) {
    if (args.isEmpty() || isHelp(args.first())) {
        printHelp(io.out);
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
        io.err << loaded.message << '\n';
    }
    return std::move(loaded.record);
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
