// zavo-driver export-text FILE.RTG OUT.txt: the text export of a record file.
#include "cli/cli_commands.h"

#include "records/textexport.h"

namespace cli {

int runExportText(const QStringList& args, Io& io) {
    return runRecordExport(args, io, "export-text",
                           [](const trecdata& record, const QString& path, QString* error) {
                               return records::exportText(record, path, QLocale(), error);
                           });
}

} // namespace cli
