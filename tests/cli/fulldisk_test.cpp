// Writing onto a full or nearly full disk: a small tmpfs of its own (needs root; skipped
// otherwise). Every failed write exits non-zero with the system's reason, leaves no file behind
// and leaves an older file of the same name as it was; so does the settings file.
#include "engine/profilefile.h"
#include "tests/cli/driverprocess.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

constexpr char kNoSpace[] = "No space left on device";

using clitest::driver;
using clitest::ProcessRun;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "a full disk is rehearsed on a tmpfs, which only root may mount: skipped";
        ASSERT_TRUE(disk.isValid() && elsewhere.isValid());
        if (::mount("tmpfs", QFile::encodeName(disk.path()).constData(), "tmpfs", 0, "size=512k") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs (" << std::strerror(errno) << "): skipped";
        mounted = true;
        // 2001 points: a text of about 30 KB, more than a nearly full disk holds.
        auto record = trecdata::Create(1, 200, 2200, 0, 10);
        record->offsetEnabled = false;
        for (int i = 0; i <= 2000; ++i)
            record->SetPoint(i, 100 + i % 37);
        source = elsewhere.filePath(QStringLiteral("scan.rtg"));
        ASSERT_TRUE(records::writeRecordFile(*record, source));
    }
    void TearDown() override {
        if (mounted)
            ::umount2(QFile::encodeName(disk.path()).constData(), MNT_DETACH);
    }

    QString onDisk(const QString& name) const { return disk.filePath(name); }
    void put(const QString& name, const QByteArray& bytes) const {
        QFile file(onDisk(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    // Fills the disk, then frees `freeBytes` of it again.
    void fill(qint64 freeBytes) const {
        QFile filler(onDisk(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        ASSERT_TRUE(filler.resize(std::max<qint64>(0, filler.size() - freeBytes)));
    }
    // Nothing but the given names, the filler and no temporary file left over.
    QStringList leftovers() const {
        QStringList names = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

    QTemporaryDir disk;
    QTemporaryDir elsewhere;
    QString source;
    bool mounted = false;
};

} // namespace

TEST_F(FullDisk, AFailedWriteIsToldWithItsReasonAndKeepsTheOldFile) {
    const QByteArray oldText = "an older text export\r\n";
    const QByteArray oldPdf = "%PDF an older page";
    const QByteArray oldSettings = "[SIM00001]\r\nTRATE=5\r\n";
    put(QStringLiteral("old.txt"), oldText);
    put(QStringLiteral("old.pdf"), oldPdf);
    put(QStringLiteral("rtg.ini"), oldSettings);
    struct Case {
        const char* what;
        qint64 freeBytes;
        QStringList args;
    };
    const Case cases[] = {
        {"text over an older one, disk full",
         0,
         {QStringLiteral("export-text"), source, onDisk(QStringLiteral("old.txt"))}},
        {"new text, disk full",
         0,
         {QStringLiteral("export-text"), source, onDisk(QStringLiteral("new.txt"))}},
        {"new text, disk nearly full",
         8192,
         {QStringLiteral("export-text"), source, onDisk(QStringLiteral("new.txt"))}},
        {"page over an older one, disk full",
         0,
         {QStringLiteral("print"), source, QStringLiteral("--pdf"), onDisk(QStringLiteral("old.pdf"))}},
        {"new page, disk nearly full",
         4096,
         {QStringLiteral("print"), source, QStringLiteral("--pdf"), onDisk(QStringLiteral("new.pdf"))}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        fill(test.freeBytes);
        const ProcessRun result = driver(test.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.err.contains(QLatin1String(kNoSpace))) << result.err.toStdString();
        EXPECT_FALSE(result.out.contains(QStringLiteral("Wrote"))) << result.out.toStdString();
        EXPECT_EQ(contents(onDisk(QStringLiteral("old.txt"))), oldText);
        EXPECT_EQ(contents(onDisk(QStringLiteral("old.pdf"))), oldPdf);
        EXPECT_EQ(leftovers(), QStringList({QStringLiteral("old.pdf"), QStringLiteral("old.txt"),
                                            QStringLiteral("rtg.ini")}));
    }

    fill(0);
    engine::ProfileFile settings(onDisk(QStringLiteral("rtg.ini")));
    EXPECT_FALSE(settings.writeInt(QStringLiteral("SIM00001"), QStringLiteral("ARATE"), 2));
    EXPECT_EQ(contents(onDisk(QStringLiteral("rtg.ini"))), oldSettings);
    EXPECT_TRUE(engine::ProfileFile::writeFailure().contains(QLatin1String(kNoSpace)))
        << engine::ProfileFile::writeFailure().toStdString();
    EXPECT_EQ(settings.readInt(QStringLiteral("SIM00001"), QStringLiteral("TRATE"), -1), 5);
}
