// Handlers of the command-line commands, one file each (cli_<name>.cpp), and what they share.
#pragma once

#include "cli/cli.h"

#include "records/trecdata.h"

#include <memory>

namespace cli {

int runInfo(const QStringList& args, Io& io);
int runExportText(const QStringList& args, Io& io);
int runExportXlsx(const QStringList& args, Io& io);
int runScan(const QStringList& args, Io& io);
int runDemo(const QStringList& args, Io& io);
int runPrint(const QStringList& args, Io& io);
int runAnalyse(const QStringList& args, Io& io);
int runExportCsv(const QStringList& args, Io& io);
int runRatio(const QStringList& args, Io& io);

// The scan command's options, as its own help and the program's help show them.
const char* scanOptionsHelp();

// Loads a record file for a command. On failure writes the reason to io.err (exactly
// "Wrong file format" for a file that is not a record) and returns nullptr.
std::unique_ptr<trecdata> loadRecordForCommand(const QString& path, Io& io);

// An export of a record into a file; false and the reason in *error when it cannot be written.
using RecordExport = bool (*)(const trecdata& record, const QString& path, QString* error);

// An export command, `command` FILE.RTG OUT: loads the record, runs `write` and reports the outcome.
int runRecordExport(const QStringList& args, Io& io, const char* command, RecordExport write);

// Checks a command's argument count; on a mismatch writes its usage to io.err and returns false.
bool expectArguments(const QStringList& args, qsizetype count, const char* command, Io& io);

} // namespace cli
