// Writing a file without ever destroying the previous one.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace records {

// Writes `bytes` to a temporary file in the target's folder and renames it over `path` only when
// every byte is on disk. On any failure (folder missing or read-only, disk full, write error) the
// previous file is left as it was, the temporary file is removed, `*error` explains and the result
// is false.
bool writeFileSafely(const QString& path, QByteArrayView bytes, QString* error = nullptr);

} // namespace records
