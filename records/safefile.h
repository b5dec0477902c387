// Writing a file without ever destroying the previous one.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace records {

// Writes `bytes` to a temporary file in the target's folder and renames it over `path` only when
// every byte is on disk. On any failure (folder missing or read-only, disk full, write error) the
// previous file is left as it was, the temporary file is removed, `*error` explains and the result
// is false.
bool writeFileSafely(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// For files that a library writes by name: `produce` writes the whole file at the temporary path it
// is given (in the target's folder, so the rename cannot cross file systems) and answers whether it
// succeeded; only then is the file renamed over `path`. Otherwise, as above, the previous file stays,
// the temporary file is removed and *error explains (`produce` may fill it in first).
bool produceFileSafely(const QString& path, const std::function<bool(const QString& tempPath)>& produce,
                       QString* error = nullptr);

} // namespace records
