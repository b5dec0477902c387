// Safe file replacement through QSaveFile (temporary file + rename on commit).
#include "records/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cstdio>

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

bool produceFileSafely(const QString& path, const std::function<bool(const QString& tempPath)>& produce,
                       QString* error) {
    if (error) {
        error->clear();
    }
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    const QFileInfo target(path);
    QString tempPath;
    {
        // Reserves a fresh name beside the target; the producer then writes the file under it.
        QTemporaryFile reserve(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                               QStringLiteral(".XXXXXX"));
        reserve.setAutoRemove(false);
        if (!reserve.open()) {
            return fail(QStringLiteral("Cannot write %1: %2").arg(path, reserve.errorString()));
        }
        tempPath = reserve.fileName();
    }
    if (!produce(tempPath)) {
        QFile::remove(tempPath);
        return fail(error && !error->isEmpty() ? *error : QStringLiteral("Cannot write %1").arg(path));
    }
    // A temporary file is private to its owner; the finished file gets the usual permissions.
    QFile::setPermissions(tempPath, target.exists() ? QFile(path).permissions()
                                                    : QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ReadGroup | QFile::ReadOther);
    // rename() replaces the target in one step, so a reader sees the old file or the new one.
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(tempPath);
        return fail(QStringLiteral("Cannot write %1: cannot replace it").arg(path));
    }
    return true;
}

} // namespace records
