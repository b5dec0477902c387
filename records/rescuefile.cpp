#include "records/rescuefile.h"

#include "records/recordfile.h"

#include <QDir>
#include <QFileInfo>

namespace records {

QString rescueFilePath(const QString& folder, const QDateTime& when) {
    const QString stem =
        QDir(folder).filePath(QStringLiteral("rescue-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString path = stem + QStringLiteral(".rtg");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1.rtg").arg(n);
    return path;
}

bool writeRescueFile(const trecdata& record, const QString& folder, QString* path, QString* error,
                     const QDateTime& when) {
    *path = rescueFilePath(folder, when);
    return writeRecordFile(record, *path, error);
}

} // namespace records
