// The program's command line: a table of commands, each in its own file, that run without a
// display. Only print creates a GUI application, on the offscreen platform, for its fonts.
#pragma once

#include <QStringList>
#include <QTextStream>

#include <span>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 2; // bad usage, unreadable or unwritable file, wrong format

struct Io {
    QTextStream& out;
    QTextStream& err;
};

// Runs one command; `args` are the words after the command's name.
using Handler = int (*)(const QStringList& args, Io& io);

struct Command {
    const char* name;
    const char* arguments; // shown after the name in the help
    const char* help;      // one line
    Handler run;
};

std::span<const Command> commands();

// True when the first argument names a command or asks for help or the version (or is any other
// word that is not an option), so the command line handles it; false when the windows should start.
bool isCommandLine(int argc, char** argv);

// Runs the command line on the words after the program name.
int run(const QStringList& args, Io& io);

// run() on the process's arguments, standard output and standard error.
int main(int argc, char** argv);

// The program's help: commands, options, scan options, environment, files, device access and exit
// status. The manual page is made from it.
void printHelp(QTextStream& out);
// "zavo-driver VERSION".
void printVersion(QTextStream& out);

} // namespace cli
