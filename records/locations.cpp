#include "records/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef ZAVO_DATADIR
#error "ZAVO_DATADIR names the installed data folder (set by the build)"
#endif
#ifndef ZAVO_BINDIR
#error "ZAVO_BINDIR names the installed program folder (set by the build)"
#endif

namespace records {

namespace {

// Compares folders by their clean absolute form, so "/usr/bin/" and "/usr/./bin" are one folder.
QString cleanDir(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

bool isInside(const QString& dir, const QString& root) {
    return dir == root || dir.startsWith(root + QLatin1Char('/'));
}

} // namespace

QString programDir() {
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString installedDataDir() {
    return QStringLiteral(ZAVO_DATADIR);
}

QStringList dataDirs() {
    QStringList dirs;
    for (const QString& dir : {programDir(), installedDataDir()}) {
        if (!dir.isEmpty() && !dirs.contains(cleanDir(dir)))
            dirs << cleanDir(dir);
    }
    return dirs;
}

QString findDataFile(const QString& name, const QStringList& dirs) {
    if (name.isEmpty())
        return {};
    for (const QString& dir : dirs) {
        if (dir.isEmpty())
            continue;
        const QFileInfo file(QDir(dir), name);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

QString findDataFile(const QString& name) {
    return findDataFile(name, dataDirs());
}

bool isSystemLocation(const QString& dir) {
    const QString clean = cleanDir(dir);
    return isInside(clean, QStringLiteral("/usr")) || clean == cleanDir(QStringLiteral(ZAVO_BINDIR));
}

QString userDataDir() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/zavo-driver");
    QDir().mkpath(dir);
    return dir;
}

QString writableProgramDir(const QString& programFolder, const QString& userFolder) {
    if (programFolder.isEmpty() || isSystemLocation(programFolder))
        return userFolder;
    // Writable means a file can really be created there (permissions alone can mislead).
    QTemporaryFile probe(programFolder + QStringLiteral("/.zavo-probe-XXXXXX"));
    return probe.open() ? programFolder : userFolder;
}

} // namespace records
