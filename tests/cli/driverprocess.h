// The program run as a separate process, as a user's shell runs it: its exit status and what it
// wrote. A run that does not end within a minute is killed and reads as status -1.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace clitest {

struct ProcessRun {
    int status = -1;
    QString out;
    QString err;
};

inline ProcessRun run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    ProcessRun result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// zavo-driver of this build (ZAVO_DRIVER_PATH, set by the test program's build).
inline ProcessRun driver(const QStringList& args) {
    return run(QStringLiteral(ZAVO_DRIVER_PATH), args);
}

} // namespace clitest
