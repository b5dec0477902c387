// Windows-1252, the single-byte character set of record-file comments and text exports.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace records {

// Characters the set lacks become '?'.
QByteArray toCp1252(const QString& text);
// The five bytes the set leaves undefined become the control characters of the same code.
QString fromCp1252(QByteArrayView bytes);

} // namespace records
