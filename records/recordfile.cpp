// Reading and writing record files.
#include "records/recordfile.h"

#include "records/safefile.h"

#include <QFile>

namespace records {

QByteArray recordFileBytes(const trecdata& record) {
    return QByteArray(kRecordMagic, kRecordMagicSize) + record.Serialize();
}

bool writeRecordFile(const trecdata& record, const QString& path, QString* error) {
    return writeFileSafely(path, recordFileBytes(record), error);
}

bool saveRecordFile(trecdata& record, const QString& path, QString* error) {
    return record.SaveSerialized([&](const QByteArray& stored) {
        return writeFileSafely(path, QByteArray(kRecordMagic, kRecordMagicSize) + stored, error);
    });
}

std::unique_ptr<trecdata> parseRecordFile(QByteArrayView bytes, QString* error) {
    if (!bytes.startsWith(QByteArrayView(kRecordMagic, kRecordMagicSize))) {
        if (error) {
            *error = QString::fromLatin1(kWrongFileFormat);
        }
        return nullptr;
    }
    return trecdata::Parse(bytes.sliced(kRecordMagicSize), error);
}

LoadResult loadRecordFile(const QString& path) {
    LoadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = LoadError::CannotOpen;
        result.message = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    if (file.size() > kMaxRecordFileBytes) {
        // Not read at all: a record file is never that long.
        result.error = LoadError::WrongFormat;
        result.message = QString::fromLatin1(kWrongFileFormat);
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = LoadError::CannotOpen;
        result.message = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    result.record = parseRecordFile(bytes, &result.message);
    if (!result.record) {
        result.error = LoadError::WrongFormat;
        return result;
    }
    result.record->fileName = path;
    return result;
}

} // namespace records
