#include "engine/profilefile.h"

#include "records/boundedread.h"
#include "records/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>
#include <mutex>
#include <optional>

namespace engine {
namespace {

std::mutex& fileLock() {
    static std::mutex lock;
    return lock;
}

// The settings are a few short lines; a file beyond this is no settings file of ours.
constexpr qsizetype kMaxSettingsBytes = 1024 * 1024;

// Tells once per file, on standard error, why its settings are not used (the windows have no place
// for it before they exist, and the command line says it where its other messages go).
void reportUnusable(const QString& path, const QString& reason) {
    static QStringList told;
    if (told.contains(path))
        return;
    told.append(path);
    std::fprintf(
        stderr,
        "zavo-driver: %s is not used (%s); the settings' defaults apply and the file is left as it is\n",
        qPrintable(path), qPrintable(reason));
}

// The file's lines; nullopt when a file is there but is no usable settings file (no regular file,
// over 1 MiB, unreadable): then the defaults apply and the file must not be written over.
std::optional<QStringList> readLines(const QString& path) {
    const records::BoundedRead read = records::readBoundedFile(path, kMaxSettingsBytes);
    if (read.refusal == records::ReadRefusal::None)
        return profiletext::split(read.bytes);
    if (read.refusal == records::ReadRefusal::CannotOpen && !QFileInfo::exists(path) &&
        !QFileInfo(path).isSymLink())
        return QStringList(); // no file yet: defaults, and the first write creates it
    reportUnusable(path, read.reason);
    return std::nullopt;
}

// The section named by a header line, or nothing when the line is no header.
std::optional<QString> headerName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

bool keyLine(const QString& line, QString* key, QString* value) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = trimmed.left(eq).trimmed();
    *value = trimmed.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString& failureText() {
    static QString text;
    return text;
}

// The first failure is told on standard error; the same one again is not (the thread writes the
// file at every lost link).
void noteWriteFailure(const QString& error) {
    if (failureText() == error)
        return;
    failureText() = error;
    std::fprintf(stderr, "zavo-driver: %s\n", qPrintable(error));
    std::fflush(stderr);
}

bool validName(const QString& name) {
    return !name.isEmpty() && safeSectionName(name) == name;
}

} // namespace

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

QString ProfileFile::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zavo-driver/rtg.ini");
}

int ProfileFile::readInt(const QString& section, const QString& key, int defaultValue) const {
    std::lock_guard lock(fileLock());
    return profiletext::readInt(readLines(path_).value_or(QStringList()), section, key, defaultValue);
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    std::lock_guard lock(fileLock());
    lastWriteError_.clear();
    std::optional<QStringList> read = readLines(path_);
    if (!read)
        return false;
    QStringList& lines = *read;
    if (!profiletext::write(lines, section, key, value))
        return false;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // Beside the file and renamed over it: a full disk leaves the old file as it was.
    QString error;
    if (records::writeFileSafely(path_, profiletext::join(lines), &error))
        return true;
    noteWriteFailure(error);
    lastWriteError_ = error;
    return false;
}

QString ProfileFile::writeFailure() {
    std::lock_guard lock(fileLock());
    return failureText();
}

bool ProfileFile::writeInt(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

QString safeSectionName(const QString& name) {
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool bad =
            u < 0x20 || u > 0x7E || u == u']' || u == u'[' || u == u'=' || u == u';' || u == u'#';
        safe.append(bad ? QLatin1Char('_') : c);
    }
    safe = safe.trimmed();
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

namespace profiletext {

QStringList split(const QByteArray& bytes) {
    QStringList lines = QString::fromLatin1(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray join(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}

int readInt(const QStringList& lines, const QString& section, const QString& key, int defaultValue) {
    bool inSection = false;
    for (const QString& line : lines) {
        if (const auto header = headerName(line)) {
            inSection = sameName(*header, section);
            continue;
        }
        QString k, v;
        if (!inSection || !keyLine(line, &k, &v) || !sameName(k, key))
            continue;
        // Leading sign and digits, as the profile functions read them.
        qsizetype end = 0;
        if (end < v.size() && (v[end] == QLatin1Char('-') || v[end] == QLatin1Char('+')))
            ++end;
        const qsizetype digitsFrom = end;
        while (end < v.size() && v[end].isDigit() && end - digitsFrom < 10)
            ++end;
        if (end == digitsFrom)
            return defaultValue;
        bool ok = false;
        const int n = v.left(end).toInt(&ok);
        return ok ? n : defaultValue;
    }
    return defaultValue;
}

bool write(QStringList& lines, const QString& section, const QString& key, const QString& value) {
    if (!validName(section) || !validName(key) || value.contains(QLatin1Char('\n')) ||
        value.contains(QLatin1Char('\r')))
        return false;
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionAt = -1; // index of the header of the wanted section
    qsizetype insertAt = -1;  // after the last line of that section that is not blank
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto header = headerName(lines[i])) {
            if (inSection)
                break;
            inSection = sameName(*header, section);
            if (inSection) {
                sectionAt = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        QString k, v;
        if (keyLine(lines[i], &k, &v) && sameName(k, key)) {
            lines[i] = entry;
            return true;
        }
        if (!lines[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    if (sectionAt < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
    } else {
        lines.insert(insertAt, entry);
    }
    return true;
}

} // namespace profiletext

} // namespace engine
