// Where data files are found and where the program may write its own files.
#include "records/locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

bool touch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x", 1) == 1;
}

TEST(DataFiles, TheFirstFolderHoldingTheFileWins) {
    QTemporaryDir beside;
    QTemporaryDir installed;
    ASSERT_TRUE(beside.isValid() && installed.isValid());
    ASSERT_TRUE(touch(installed.filePath("MLaw.xlsx")));
    const QStringList dirs{beside.path(), installed.path()};

    EXPECT_EQ(records::findDataFile("MLaw.xlsx", dirs), installed.filePath("MLaw.xlsx"));
    ASSERT_TRUE(touch(beside.filePath("MLaw.xlsx")));
    EXPECT_EQ(records::findDataFile("MLaw.xlsx", dirs), beside.filePath("MLaw.xlsx"));
    EXPECT_EQ(records::findDataFile("MLaw.xls", dirs), QString());
}

TEST(DataFiles, FoldersAndEmptyNamesAreNoFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("MLaw.xlsx"));
    EXPECT_EQ(records::findDataFile("MLaw.xlsx", {dir.path()}), QString());
    EXPECT_EQ(records::findDataFile("", {dir.path()}), QString());
    EXPECT_EQ(records::findDataFile("MLaw.xlsx", {"", "/nonexistent/zavo"}), QString());
}

TEST(DataFiles, BesideTheProgramThenTheInstalledDataFolder) {
    const QString installed = records::installedDataDir();
    EXPECT_TRUE(QDir::isAbsolutePath(installed)) << installed.toStdString();
    EXPECT_TRUE(installed.endsWith("/zavo-driver")) << installed.toStdString();

    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "records_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    const QStringList dirs = records::dataDirs();
    ASSERT_EQ(dirs.size(), 2);
    EXPECT_EQ(dirs[0], QCoreApplication::applicationDirPath());
    EXPECT_EQ(dirs[1], QDir::cleanPath(installed));

    // A file beside this test program is found through the default folders.
    const QString beside = QDir(records::programDir()).filePath("zavo-locations-test.dat");
    ASSERT_TRUE(touch(beside));
    EXPECT_EQ(records::findDataFile("zavo-locations-test.dat"), beside);
    QFile::remove(beside);
    EXPECT_EQ(records::findDataFile("zavo-locations-test.dat"), QString());
}

TEST(ProgramFolder, NothingUnderUsrIsAPlaceToWrite) {
    for (const char* dir : {"/usr", "/usr/bin", "/usr/bin/", "/usr/./local/bin", "/usr/share/zavo-driver"})
        EXPECT_TRUE(records::isSystemLocation(dir)) << dir;
    for (const char* dir : {"/usrlocal", "/home/teacher/zavo/build/app", "/tmp", "/opt/zavo-driver-build"})
        EXPECT_FALSE(records::isSystemLocation(dir)) << dir;
}

TEST(ProgramFolder, SafetyCopyBesideABuildProgramElseInTheUserFolder) {
    QTemporaryDir program;
    QTemporaryDir user;
    ASSERT_TRUE(program.isValid() && user.isValid());
    EXPECT_EQ(records::writableProgramDir(program.path(), user.path()), program.path());
    // Nothing is left behind by the probe.
    EXPECT_TRUE(
        QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    // An installed program writes into the user's folder even where it could write (as root).
    EXPECT_EQ(records::writableProgramDir("/usr/bin", user.path()), user.path());
    EXPECT_EQ(records::writableProgramDir(program.filePath("gone"), user.path()), user.path());
    EXPECT_EQ(records::writableProgramDir("", user.path()), user.path());
}

TEST(ProgramFolder, TheUserDataFolderIsCreated) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    const QString dir = records::userDataDir();
    EXPECT_EQ(dir, home.filePath("zavo-driver"));
    EXPECT_TRUE(QDir(dir).exists());
    if (previous.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previous);
}

} // namespace
