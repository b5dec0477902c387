// zavo-driver export-csv FILE.RTG OUT.csv [evaluation options]: the evaluated points as CSV.
#include "cli/cli_commands.h"
#include "cli/cli_evaluate.h"

#include "analysis/spectrumcsv.h"
#include "records/safefile.h"

namespace cli {

int runExportCsv(const QStringList& args, Io& io) {
    EvalArguments arguments;
    if (!parseEvalArguments(args, "export-csv", 2, false, &arguments, io))
        return kExitFailure;
    const auto record = loadRecordForCommand(arguments.files[0], io);
    if (!record)
        return kExitFailure;
    QStringList notes;
    const analysis::EvalOptions options = evaluationOptions(arguments, *record, &notes);
    const analysis::SpectrumResult result =
        analysis::analyseSpectrum(*record, options, analysis::CommentWords::Ignore);
    if (!result.error.isEmpty()) {
        io.err << "zavo-driver export-csv: " << result.error << '\n';
        return kExitFailure;
    }
    QString error;
    if (!records::writeFileSafely(arguments.files[1], analysis::spectrumCsv(*record, result), &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << arguments.files[1] << '\n';
    return kExitOk;
}

} // namespace cli
