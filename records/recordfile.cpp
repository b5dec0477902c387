// Reading and writing record files.
#include "records/recordfile.h"

#include "records/boundedread.h"
#include "records/safefile.h"

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
    // Anything that is no regular file, or longer than a record can be, is not read to its end:
    // it is no record file.
    const BoundedRead read = readBoundedFile(path, kMaxRecordFileBytes);
    if (read.refusal == ReadRefusal::CannotOpen) {
        result.error = LoadError::CannotOpen;
        result.message = QStringLiteral("Cannot open %1: %2").arg(path, read.reason);
        return result;
    }
    if (read.refusal != ReadRefusal::None) {
        result.error = LoadError::WrongFormat;
        result.message = QString::fromLatin1(kWrongFileFormat);
        return result;
    }
    const QByteArray& bytes = read.bytes;
    result.record = parseRecordFile(bytes, &result.message);
    if (!result.record) {
        result.error = LoadError::WrongFormat;
        return result;
    }
    result.record->fileName = path;
    return result;
}

} // namespace records
