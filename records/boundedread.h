// Reading a file the user named (a record, the template, the settings) without trusting that it is
// one: a FIFO would block the open or the read for ever, a device such as /dev/zero or
// /dev/urandom never ends, and a huge file costs its size in memory. The file is opened without
// blocking, taken only when it is a regular file, and read no further than the largest content
// the caller accepts plus one byte (which tells that it is longer).
#pragma once

#include <QByteArray>
#include <QString>

namespace records {

enum class ReadRefusal {
    None,
    CannotOpen, // missing, no permission, a folder, unreadable (`reason` says which)
    NotAFile,   // a FIFO, a device, a socket
    TooLong,    // longer than the caller's limit
};

struct BoundedRead {
    QByteArray bytes; // the whole content when `refusal` is None
    ReadRefusal refusal = ReadRefusal::None;
    QString reason; // for the user, e.g. "it is not a regular file"
};

BoundedRead readBoundedFile(const QString& path, qsizetype maxBytes);

} // namespace records
