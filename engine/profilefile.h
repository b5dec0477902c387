// The settings file "rtg.ini": a Windows-style profile file of [section] headers and key=value
// lines holding decimal integers.
//
// Section and key names match without regard to case, as the profile functions do. Writing keeps
// every other line of the file and replaces the file in one step, so a crash never leaves half a
// file. One lock serialises all access within the program (the windows and the acquisition thread
// both use the file).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace engine {

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    // rtg.ini in the user's configuration folder (…/zavo-driver/rtg.ini).
    static QString defaultPath();

    const QString& path() const { return path_; }

    // The integer under [section] key, or `defaultValue` when the file, the section or the key is
    // missing or the value does not start with a number.
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    // Writes key=value into [section], creating file, folder and section as needed. The file is
    // written beside itself and renamed over the old one, so a failed write leaves the old file.
    // Returns false when the file cannot be written; the failure is told once on standard error
    // and kept for writeFailure(). Names that would break the file's syntax are refused.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInt(const QString& section, const QString& key, int value);
    // The last failure to write a settings file ("Cannot write PATH: No space left on device"),
    // empty while none failed.
    static QString writeFailure();
    // Why this file's last write failed; empty when it succeeded (or when the file was left alone
    // as no usable settings file, or a name was refused: nothing was tried).
    const QString& lastWriteError() const { return lastWriteError_; }

private:
    QString path_;
    QString lastWriteError_;
};

// A name that can stand between [ and ] in the file: characters that would end or split the
// header or start a comment (']', '[', '=', ';', '#'), line breaks, control characters and
// characters outside printable ASCII become '_'; blanks at either end are dropped; an empty result
// becomes "_". Used for the apparatus's USB serial number, which names its section.
QString safeSectionName(const QString& name);

// The file's rules on its text, apart from the file: what ProfileFile reads and writes through.
namespace profiletext {
// The lines of the file's bytes (Latin-1), without their line ends.
QStringList split(const QByteArray& bytes);
// The file's bytes: each line ended by CR LF.
QByteArray join(const QStringList& lines);
int readInt(const QStringList& lines, const QString& section, const QString& key, int defaultValue);
// Puts key=value into [section] (replacing the key's line, or after the section's last line that
// is not blank, or in a new section at the end). False, and nothing changed, for refused names.
bool write(QStringList& lines, const QString& section, const QString& key, const QString& value);
} // namespace profiletext

} // namespace engine
