// zavo-driver ratio A.RTG B.RTG OUT.RTG: the transmission of the first scan over the second, cell by
// cell, saved as a record file.
#include "cli/cli_commands.h"

#include "records/fileflows.h"
#include "records/recordfile.h"
#include "records/transmission.h"

namespace cli {

int runRatio(const QStringList& args, Io& io) {
    if (!expectArguments(args, 3, "ratio", io)) {
        return kExitFailure;
    }
    const auto first = loadRecordForCommand(args[0], io);
    if (!first) {
        return kExitFailure;
    }
    const auto second = loadRecordForCommand(args[1], io);
    if (!second) {
        return kExitFailure;
    }
    QString error;
    const auto ratio = records::makeTransmission(*first, records::recordListLabel(*first), *second,
                                                 records::recordListLabel(*second), &error);
    if (!ratio) {
        io.err << "ratio: " << error << '\n';
        return kExitFailure;
    }
    if (!records::saveRecordFile(*ratio, args[2], &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << args[2] << " (" << ratio->ValidCellCount() << " cells)\n";
    return kExitOk;
}

} // namespace cli
