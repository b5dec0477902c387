// The evaluation options shared by `analyse` and `export-csv`: the settings file's "evaluation"
// section gives the defaults, a record's comment words win over them for that record, and the
// options on the command line win over both.
#pragma once

#include "cli/cli.h"

#include "analysis/evaloptions.h"
#include "analysis/evaluation.h"

#include <memory>
#include <optional>

class trecdata;

namespace cli {

struct EvalArguments {
    QStringList files;
    bool json = false;
    std::optional<QString> crystal;
    std::optional<double> dPm, tubeKv, deadTimeUs, fromDeg, toDeg;
    std::optional<int> anodeZ, orders;
};

// The options text for a command's usage and the help.
const char* evalOptionsHelp();

// Parses `command`'s words: `fileCount` file names and the evaluation options (and --json where
// `json` is allowed). False after a message on io.err.
bool parseEvalArguments(const QStringList& args, const char* command, qsizetype fileCount, bool json,
                        EvalArguments* parsed, Io& io);

// The options for one record: rtg.ini's section, the record's comment words, the command's options.
// What the comment held that could not be used goes to *notes.
analysis::EvalOptions evaluationOptions(const EvalArguments& arguments, const trecdata& record,
                                        QStringList* notes);

// A command's record and its evaluation (the comment's refused words among the notes).
struct Evaluation {
    EvalArguments arguments;
    std::unique_ptr<trecdata> record;
    analysis::SpectrumResult result;
};

// Parses the arguments, loads the record and evaluates it; false after a message on io.err (bad
// arguments, an unreadable file, a record that cannot be evaluated).
bool evaluateForCommand(const QStringList& args, const char* command, qsizetype fileCount, bool json,
                        Evaluation* evaluation, Io& io);

} // namespace cli
