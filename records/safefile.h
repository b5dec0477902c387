// Writing a file without ever destroying the previous one.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace records {

// A file without its owner's write permission is never replaced: every writer below refuses it.
//
// Writes `bytes` to a temporary file in the target's folder and renames it over `path` only when
// every byte is on disk. On any failure (folder missing or read-only, disk full, write error) the
// previous file is left as it was, the temporary file is removed, `*error` explains and the result
// is false.
bool writeFileSafely(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// The same for a writer that opens a file by name itself (a library that writes a whole file):
// `write` is given a fresh, empty file in the target's folder and returns whether it wrote it
// completely (else it sets its reason, when it knows one). Only then the file replaces `path`;
// otherwise it is removed and the previous file stays.
using FileWriter = std::function<bool(const QString& temporaryPath, QString* reason)>;
bool writeFileBesideSafely(const QString& path, const FileWriter& write, QString* error = nullptr);

// The same for a producer that reports no reason of its own (it may fill in *error first).
bool produceFileSafely(const QString& path, const std::function<bool(const QString& tempPath)>& produce,
                       QString* error = nullptr);

} // namespace records
