// Rules of the record file flows.
#include "records/fileflows.h"

#include <QFileInfo>

namespace records {

std::vector<FileType> saveFileTypes(double spreadsheetVersion, bool recordOnly) {
    std::vector<FileType> types = {{QStringLiteral("ZAVO record file (*.RTG)"), QStringLiteral("*.RTG")}};
    if (recordOnly)
        return types;
    types.push_back({QStringLiteral("Text file (*.txt)"), QStringLiteral("*.txt")});
    if (spreadsheetVersion >= 12)
        types.push_back({QStringLiteral("Excel spreadsheet"), QStringLiteral("*.xlsx")});
    else if (spreadsheetVersion >= 0)
        types.push_back({QStringLiteral("Excel spreadsheet"), QStringLiteral("*.xls")});
    return types;
}

FileType recordOpenType() {
    return {QStringLiteral("ZAVO scan record file (*.RTG)"), QStringLiteral("*.RTG")};
}

QString dialogFilter(const FileType& type) {
    const QString suffix = QLatin1Char('(') + type.pattern + QLatin1Char(')');
    if (type.description.endsWith(suffix))
        return type.description;
    return type.description + QLatin1Char(' ') + suffix;
}

QString defaultExtension(const FileType& type) {
    const qsizetype dot = type.pattern.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : type.pattern.mid(dot + 1).toUpper();
}

QString stepText(int angularStep) {
    switch (angularStep) {
    case 1:
        return QStringLiteral("0.05");
    case 2:
        return QStringLiteral("0.1");
    case 4:
        return QStringLiteral("0.2");
    case 10:
        return QStringLiteral("0.5");
    default:
        return QString();
    }
}

QString recordListLabel(const trecdata& record) {
    return QFileInfo(record.fileName).fileName() + QStringLiteral(": ") + stepText(record.angularStep) +
           QString::asprintf("/%.1f ", record.countingTime / 10.0) + QStringLiteral(" [deg/sec]");
}

QString saveChangesQuestion(const trecdata& record) {
    if (record.fileName.isEmpty())
        return QStringLiteral("Current live scan is modified. Save changes?");
    return QStringLiteral("Scan : ") + QFileInfo(record.fileName).fileName() +
           QStringLiteral(" is modified. Save changes?");
}

bool confirmClose(int count, const std::function<trecdata*(int entry)>& recordAt,
                  const ClosePrompts& prompts) {
    for (int entry = 0; entry < count; ++entry) {
        // Going on after a failed or cancelled save would close the program and lose the record, so
        // the question comes again until the record is saved or the user says No.
        for (;;) {
            const trecdata* record = recordAt(entry);
            if (!record || !record->modified.load())
                break;
            const Answer answer = prompts.ask(saveChangesQuestion(*record));
            if (answer == Answer::Cancel)
                return false;
            trecdata* current = recordAt(entry);
            if (answer == Answer::No || !current)
                break;
            const SaveOutcome outcome = prompts.save(*current);
            if (outcome == SaveOutcome::Saved)
                break;
            if (outcome == SaveOutcome::Failed)
                prompts.reportSaveFailure();
        }
    }
    return true;
}

} // namespace records
