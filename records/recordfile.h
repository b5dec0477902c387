// Record files (*.RTG): the 4-byte magic "ZAVO" followed by the record's stored form.
#pragma once

#include "records/trecdata.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace records {

inline constexpr char kRecordMagic[] = "ZAVO";
inline constexpr qsizetype kRecordMagicSize = 4;

// Magic plus the record's stored form.
QByteArray recordFileBytes(const trecdata& record);

// Writes a record file safely (see writeFileSafely) and leaves the record untouched, `modified`
// included: the periodic safety copy of the live record must not make an unsaved scan look saved.
bool writeRecordFile(const trecdata& record, const QString& path, QString* error = nullptr);

// Writes a record file safely and clears `modified` when it succeeded (the user's save).
// `fileName` is the caller's to set.
bool saveRecordFile(trecdata& record, const QString& path, QString* error = nullptr);

enum class LoadError {
    None,
    CannotOpen,  // the file could not be opened or read
    WrongFormat, // not a record file, or a damaged one: message "Wrong file format"
};

struct LoadResult {
    std::unique_ptr<trecdata> record; // set exactly when error is None
    LoadError error = LoadError::None;
    QString message; // what went wrong, for the user
};

// A record from the bytes of a whole record file, magic included; nullptr and "Wrong file format"
// in *error when the magic is missing or the record is damaged.
std::unique_ptr<trecdata> parseRecordFile(QByteArrayView bytes, QString* error = nullptr);

// Reads a record file; the record's `fileName` is set to `path`.
LoadResult loadRecordFile(const QString& path);

} // namespace records
