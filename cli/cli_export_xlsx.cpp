// zavo-driver export-xlsx FILE.RTG OUT.xlsx: the workbook export of a record file, the same bytes
// the main window's save dialog writes.
#include "cli/cli_commands.h"

#include "records/workbookexport.h"

namespace cli {

int runExportXlsx(const QStringList& args, Io& io) {
    return runRecordExport(args, io, "export-xlsx",
                           [](const trecdata& record, const QString& path, QString* error) {
                               return records::exportSpreadsheet(record, path, {}, error);
                           });
}

} // namespace cli
