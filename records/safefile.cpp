// Safe file replacement through QSaveFile (temporary file + rename on commit).
#include "records/safefile.h"

#include <QSaveFile>

namespace records {

bool writeFileSafely(const QString& path, QByteArrayView bytes, QString* error) {
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size();
    if (written && file.commit()) {
        return true;
    }
    if (error) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
    }
    file.cancelWriting(); // the destructor then removes the temporary file
    return false;
}

} // namespace records
