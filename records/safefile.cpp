// Safe file replacement: a temporary file beside the target, renamed over it once complete.
#include "records/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace records {

namespace {

constexpr QFileDevice::Permissions kNewFilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                         QFileDevice::ReadGroup | QFileDevice::ReadOther;

// The reason of the system call that failed last ("No space left on device").
QString systemReason() {
    return QString::fromStdString(std::error_code(errno, std::generic_category()).message());
}

// The permission bits of an existing file, kept by the file that replaces it.
mode_t existingMode(const QFileInfo& target) {
    struct stat info {};
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &info) != 0)
        return 0644;
    return info.st_mode & 07777;
}

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
    // Written with the system's own calls, every one checked: a buffered writer reports a full
    // disk only when it flushes, and not always with the reason.
    const QFileInfo target(path);
    if (target.isDir()) {
        setError(error, path, QStringLiteral("it is a folder"));
        return false;
    }
    QByteArray temporary = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                             target.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        setError(error, path, systemReason());
        return false;
    }
    const mode_t mode = target.exists() ? existingMode(target) : 0644;
    // A file system without modes still takes the file: the mode is no condition of the write.
    [[maybe_unused]] const int modeStatus = ::fchmod(fd, mode);
    bool ok = true;
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (ok && left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        ok = written > 0;
        if (written == 0)
            errno = ENOSPC;
        data += std::max<ssize_t>(written, 0);
        left -= std::max<ssize_t>(written, 0);
    }
    // Some file systems tell a full disk only here; those that cannot sync say so, which is no
    // failure.
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS)
        ok = false;
    QString reason = ok ? QString() : systemReason();
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = systemReason();
    }
    if (ok &&
        std::rename(temporary.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        ok = false;
        reason = systemReason();
    }
    if (!ok) {
        ::unlink(temporary.constData());
        setError(error, path, reason);
    }
    return ok;
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
