// zavo-driver export-text FILE.RTG OUT.txt: the text export of a record file.
#include "cli/cli_commands.h"

#include "records/textexport.h"

namespace cli {

int runExportText(const QStringList& args, Io& io) {
    if (!expectArguments(args, 2, "export-text", io)) {
        return kExitFailure;
    }
    const auto record = loadRecordForCommand(args[0], io);
    if (!record) {
        return kExitFailure;
    }
    QString error;
    if (!records::exportText(*record, args[1], QLocale(), &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << args[1] << '\n';
    return kExitOk;
}

} // namespace cli
