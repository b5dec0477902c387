// Safe file replacement: a temporary file beside the target, renamed over it once complete.
#include "records/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace records {

namespace {

constexpr QFileDevice::Permissions kNewFilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                         QFileDevice::ReadGroup | QFileDevice::ReadOther;

void setError(QString* error, const QString& path, const QString& reason) {
    if (error) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
    }
}

// A file the user made read-only is not replaced, whoever runs the program (the permission bits
// decide, not the caller's rights, which let an administrator write anything), and whatever the
// writer: record files, text and workbooks alike.
bool refusedAsReadOnly(const QString& path, QString* error) {
    if (!QFileInfo::exists(path) || (QFile::permissions(path) & QFileDevice::WriteOwner))
        return false;
    setError(error, path, QStringLiteral("the file is read-only"));
    return true;
}

} // namespace

bool writeFileSafely(const QString& path, QByteArrayView bytes, QString* error) {
    if (refusedAsReadOnly(path, error))
        return false;
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size();
    if (written && file.commit()) {
        return true;
    }
    setError(error, path, file.errorString());
    file.cancelWriting(); // the destructor then removes the temporary file
    return false;
}

bool writeFileBesideSafely(const QString& path, const FileWriter& write, QString* error) {
    if (refusedAsReadOnly(path, error))
        return false;
    const QFileInfo target(path);
    // Creating the file proves the folder exists and takes a name no other writer holds.
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        setError(error, path, temporary.errorString());
        return false;
    }
    temporary.close();
    const QString temporaryPath = temporary.fileName();
    // A temporary file is private to its owner; the finished file gets the permissions of the file it
    // replaces, or those of an ordinary new file.
    temporary.setPermissions(target.exists() ? QFile::permissions(path) : kNewFilePermissions);
    QString reason;
    if (!write(temporaryPath, &reason)) {
        setError(error, path, reason.isEmpty() ? QStringLiteral("the file could not be written") : reason);
        return false; // the temporary file is removed with `temporary`
    }
    // std::filesystem::rename replaces an existing target in one step on every platform.
    std::error_code failure;
    std::filesystem::rename(QFile::encodeName(temporaryPath).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), failure);
    if (failure) {
        setError(error, path, QString::fromStdString(failure.message()));
        return false;
    }
    temporary.setAutoRemove(false); // it is the target now
    return true;
}

bool produceFileSafely(const QString& path, const std::function<bool(const QString& tempPath)>& produce,
                       QString* error) {
    return writeFileBesideSafely(
        path,
        [&](const QString& temporaryPath, QString* reason) {
            const bool done = produce(temporaryPath);
            if (!done && error && reason)
                *reason = *error;
            return done;
        },
        error);
}

} // namespace records
