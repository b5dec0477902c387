#include "records/boundedread.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace records {
namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

BoundedRead readBoundedFile(const QString& path, qsizetype maxBytes) {
    BoundedRead result;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead of waiting for one.
    const Descriptor file(open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        result.refusal = ReadRefusal::CannotOpen;
        result.reason = systemReason(errno);
        return result;
    }
    struct stat info {};
    if (fstat(file.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        result.refusal = ReadRefusal::CannotOpen;
        result.reason = systemReason(EISDIR);
        return result;
    }
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.refusal = ReadRefusal::NotAFile;
        result.reason = QStringLiteral("it is not a regular file");
        return result;
    }
    // Regular files ignore O_NONBLOCK; the limit holds however long the file is or grows.
    const qsizetype limit = maxBytes + 1;
    result.bytes.resize(std::min<qsizetype>(limit, std::max<qsizetype>(info.st_size + 1, 4096)));
    qsizetype got = 0;
    while (got < limit) {
        if (got == result.bytes.size())
            result.bytes.resize(std::min(limit, got * 2));
        const ssize_t n =
            read(file.get(), result.bytes.data() + got, static_cast<std::size_t>(result.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.refusal = ReadRefusal::CannotOpen;
            result.reason = systemReason(errno);
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        got += n;
    }
    result.bytes.resize(got);
    if (got > maxBytes) {
        result.refusal = ReadRefusal::TooLong;
        result.reason = QStringLiteral("it is longer than %1 bytes").arg(maxBytes);
        result.bytes.clear();
    }
    return result;
}

} // namespace records
