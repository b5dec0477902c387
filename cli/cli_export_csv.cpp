// zavo-driver export-csv FILE.RTG OUT.csv [evaluation options]: the evaluated points as CSV.
#include "cli/cli_commands.h"
#include "cli/cli_evaluate.h"

#include "analysis/evaluationcsv.h"
#include "records/safefile.h"

namespace cli {

int runExportCsv(const QStringList& args, Io& io) {
    if (args.contains(QStringLiteral("--help"))) {
        io.out << "usage: zavo-driver export-csv FILE.RTG OUT.csv [OPTIONS]\n" << evalOptionsHelp();
        return kExitOk;
    }
    Evaluation e;
    if (!evaluateForCommand(args, "export-csv", 2, false, &e, io))
        return kExitFailure;
    QString error;
    if (!records::writeFileSafely(e.arguments.files[1], analysis::spectrumCsv(*e.record, e.result), &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << e.arguments.files[1] << '\n';
    return kExitOk;
}

} // namespace cli
