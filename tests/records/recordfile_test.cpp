// Record files: layout, round trips, damaged files and safe saving.
#include "records/recordfile.h"
#include "tests/records/filesizelimit.h"
#include "tests/support/handmade.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

std::uint32_t le32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A record that uses every stored field.
std::unique_ptr<trecdata> fullRecord() {
    auto record = trecdata::Create(4, -40, 2500, 12, 35);
    record->detectorHv = 650;
    record->tubeCurrent = 81.3;
    record->filterThickness = 0.1;
    record->radiator = 7;
    record->filter = 6;
    record->detectorPosition = 4;
    record->AddRegion(-20, 300);
    record->AddRegion(900, 1500);
    record->SelectRegion(1);
    record->SetRangeMode(3);
    for (int i = 0; i <= 2540; i += 4) {
        record->SetPoint(i, 10.0 + (i % 97) * 3.3);
    }
    record->SetComment(QStringLiteral("NaCl, Cu anode \u20ac \u00e9"));
    record->offsetEnabled = false;
    return record;
}

class RecordFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(RecordFiles, TheAbcExampleLayout) {
    auto record = trecdata::Create(1, 200, 2600, 10, 10);
    record->SetComment(QStringLiteral("abc"));
    const QByteArray bytes = records::recordFileBytes(*record);
    ASSERT_EQ(bytes.size(), 20861);
    EXPECT_EQ(bytes.first(4), QByteArray("ZAVO"));
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(le32(bytes, 5), 200u);
    EXPECT_EQ(le32(bytes, 9), 2600u);
    EXPECT_EQ(le32(bytes, 13), 1u);
    EXPECT_EQ(le32(bytes, 17), 10u);
    EXPECT_EQ(le32(bytes, 21), 10u);
    EXPECT_EQ(bytes[37], 0);
    EXPECT_EQ(le32(bytes, 38), 0xffffffffu); // currentRegion -1
    EXPECT_EQ(le32(bytes, 20852), 4u);
    EXPECT_EQ(bytes.sliced(20856, 4), QByteArray("abc", 4));
    EXPECT_EQ(bytes[20860], 1); // offsetEnabled
}

TEST_F(RecordFiles, FieldsSitAtTheirOffsets) {
    auto record = trecdata::Create(10, 100, 300, -8, 20);
    record->detectorHv = 50;
    record->tubeCurrent = -1;
    record->AddRegion(120, 180);
    record->AddRegion(-3, 7);
    record->SelectRegion(1);
    record->SetPoint(0, 50); // cells 0..4
    record->rangeMode = 4;
    record->filterThickness = 0.1;
    const QByteArray bytes = records::recordFileBytes(*record);
    const int n = 2;
    ASSERT_EQ(bytes.size(), 20857 + 4 * n + 1);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(le32(bytes, 21), static_cast<std::uint32_t>(-8));
    EXPECT_EQ(bytes.sliced(25, 6), QByteArray::fromHex("860000000048"));
    EXPECT_EQ(bytes.sliced(31, 6), QByteArray::fromHex("810000000080"));
    EXPECT_EQ(bytes[37], 2);
    EXPECT_EQ(bytes.sliced(38, 8), QByteArray::fromHex("7800b400fdff0700"));
    EXPECT_EQ(le32(bytes, 38 + 4 * n), 1u);
    const qsizetype cells = 42 + 4 * n;
    EXPECT_EQ(bytes.sliced(cells, 8), QByteArray::fromHex("8600000000480100"));
    EXPECT_EQ(bytes.sliced(cells + 4 * 8, 8), QByteArray::fromHex("8600000000480100"));
    EXPECT_EQ(bytes.sliced(cells + 5 * 8, 8), QByteArray(8, '\0'));
    EXPECT_EQ(bytes[20842 + 4 * n], 4);
    EXPECT_EQ(bytes.sliced(20846 + 4 * n, 6), QByteArray::fromHex("7DCDCCCCCC4C"));
    EXPECT_EQ(le32(bytes, 20852 + 4 * n), 1u); // empty comment: just the terminator
}

TEST_F(RecordFiles, SaveLoadSaveGivesIdenticalBytes) {
    const auto record = fullRecord();
    const QByteArray first = records::recordFileBytes(*record);
    QString error;
    const auto loaded = records::parseRecordFile(first, &error);
    ASSERT_TRUE(loaded) << error.toStdString();
    EXPECT_EQ(records::recordFileBytes(*loaded), first);

    EXPECT_EQ(loaded->comment, record->comment);
    EXPECT_EQ(loaded->regionCount, 2);
    EXPECT_EQ(loaded->currentRegion, 1);
    EXPECT_EQ(loaded->regions[1], (trecdata::Region{900, 1500}));
    EXPECT_EQ(loaded->startAngle, -40);
    EXPECT_EQ(loaded->angularStep, 4);
    EXPECT_EQ(loaded->countingTime, 35);
    EXPECT_EQ(loaded->rangeMode, 3);
    EXPECT_EQ(loaded->rangeIndex, 2);
    EXPECT_EQ(loaded->radiator, 7);
    EXPECT_EQ(loaded->detectorHv, 650.0);
    EXPECT_FALSE(loaded->offsetEnabled);
    EXPECT_FALSE(loaded->modified);
    EXPECT_EQ(loaded->ValidCellCount(), record->ValidCellCount());
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        ASSERT_EQ(loaded->CellValue(i), record->CellValue(i)) << i;
    }
}

TEST_F(RecordFiles, ReadsAFileWrittenByAnotherProgram) {
    handmade::Record hand;
    hand.regions = {{210, 260}, {300, 390}};
    hand.currentRegion = 0;
    hand.cells = {{0, handmade::k650}, {1, handmade::k650}, {20, handmade::k123_5}};
    hand.offsetEnabled = 0;
    QString error;
    const auto record = records::parseRecordFile(handmade::file(hand), &error);
    ASSERT_TRUE(record) << error.toStdString();
    EXPECT_EQ(record->startAngle, 200);
    EXPECT_EQ(record->endAngle, 400);
    EXPECT_EQ(record->angleOffset, 10);
    EXPECT_EQ(record->angularStep, 2);
    EXPECT_EQ(record->countingTime, 15);
    EXPECT_EQ(record->detectorHv, 650.0);
    EXPECT_EQ(record->tubeCurrent, 50.0);
    EXPECT_EQ(record->filterThickness, 1.5);
    EXPECT_EQ(record->radiator, 7);
    EXPECT_EQ(record->filter, 2);
    EXPECT_EQ(record->detectorPosition, 3);
    EXPECT_EQ(record->comment, QStringLiteral("hand made"));
    EXPECT_EQ(record->regionCount, 2);
    EXPECT_EQ(record->regions[1], (trecdata::Region{300, 390}));
    EXPECT_EQ(record->currentRegion, 0);
    EXPECT_FALSE(record->offsetEnabled);
    EXPECT_EQ(record->ValidCellCount(), 3);
    EXPECT_EQ(record->ValueAtAngle(200), 650.0);
    EXPECT_EQ(record->ValueAtAngle(220), 123.5);
    // The automatic range was taken over region 0 (210..260) with the offset not applied: 123.5 cps
    // (the whole record would give 650 cps).
    EXPECT_EQ(record->rangeIndex, 2);
    // The reader keeps the other program's bytes.
    EXPECT_EQ(records::recordFileBytes(*record), handmade::file(hand));
}

TEST_F(RecordFiles, ACommentStopsAtItsFirstZeroAndIsWindows1252) {
    handmade::Record hand;
    hand.comment = QByteArray("\x80 caf\xe9\0junk", 11);
    const auto record = records::parseRecordFile(handmade::file(hand));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment, QStringLiteral("\u20ac caf\u00e9"));

    auto mine = trecdata::Create(1, 0, 10, 0, 10);
    mine->SetComment(QStringLiteral("\u20ac \u00e9 \u4e2d"));
    const QByteArray bytes = records::recordFileBytes(*mine);
    EXPECT_EQ(bytes.sliced(20856, 6), QByteArray("\x80 \xe9 ?\0", 6));
}

TEST_F(RecordFiles, AFileEndingAfterTheCommentAppliesTheOffset) {
    handmade::Record hand;
    hand.offsetEnabled.reset();
    const auto record = records::parseRecordFile(handmade::file(hand));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->offsetEnabled);
    EXPECT_EQ(record->FirstAngle(), 210);
}

TEST_F(RecordFiles, DamagedFilesAreRefused) {
    const auto refused = [](const handmade::Record& hand) {
        QString error;
        const bool loaded = records::parseRecordFile(handmade::file(hand), &error) != nullptr;
        return !loaded && error == QStringLiteral("Wrong file format");
    };
    handmade::Record tooManyRegions;
    tooManyRegions.regions = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}};
    EXPECT_TRUE(refused(tooManyRegions));

    handmade::Record countBeyondData;
    countBeyondData.regionCount = 5; // but no entries: the file comes up 20 bytes short
    EXPECT_TRUE(refused(countBeyondData));

    for (const std::int32_t length : {0, -1, -2147483647 - 1, 2147483647, 12}) {
        handmade::Record badComment; // "hand made", its zero and the offset byte leave 11 bytes
        badComment.commentLength = length;
        EXPECT_TRUE(refused(badComment)) << length;
    }

    handmade::Record farAngle;
    farAngle.startAngle = 2147483647;
    EXPECT_TRUE(refused(farAngle));

    QString error;
    EXPECT_FALSE(records::parseRecordFile(QByteArray("ZAV"), &error));
    EXPECT_EQ(error, QStringLiteral("Wrong file format"));
    EXPECT_FALSE(records::parseRecordFile(QByteArray("RTGX") + handmade::file({}).sliced(4)));
}

TEST_F(RecordFiles, AHugeCommentIsRefusedAndALongOneIsCutWhenSaved) {
    handmade::Record longest;
    longest.comment = QByteArray(records::kMaxCommentBytes, 'a');
    auto record = records::parseRecordFile(handmade::file(longest));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment.size(), records::kMaxCommentBytes);

    handmade::Record huge;
    huge.comment = QByteArray(records::kMaxCommentBytes + 1, 'a');
    QString error;
    EXPECT_FALSE(records::parseRecordFile(handmade::file(huge), &error));
    EXPECT_EQ(error, QStringLiteral("Wrong file format"));

    // A file far longer than any record is refused unread.
    huge.comment = QByteArray(4 * 1024 * 1024, 'a');
    const QString path = dir.filePath(QStringLiteral("huge.rtg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(handmade::file(huge));
    file.close();
    const records::LoadResult loaded = records::loadRecordFile(path);
    EXPECT_EQ(loaded.error, records::LoadError::WrongFormat);
    EXPECT_EQ(loaded.message, QStringLiteral("Wrong file format"));

    // What the program saves it can read again: a comment beyond the limit is cut.
    record->SetComment(QString(records::kMaxCommentBytes + 10, QLatin1Char('b')));
    record = records::parseRecordFile(records::recordFileBytes(*record));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment, QString(records::kMaxCommentBytes, QLatin1Char('b')));
}

TEST_F(RecordFiles, TolerableOddities) {
    // The second region count is the one that counts.
    handmade::Record copies;
    copies.firstRegionCount = 9;
    copies.regions = {{1, 2}};
    auto record = records::parseRecordFile(handmade::file(copies));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->regionCount, 1);

    // A current region the list does not hold shows the whole record.
    handmade::Record current;
    current.regions = {{1, 2}};
    current.currentRegion = 4;
    record = records::parseRecordFile(handmade::file(current));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->currentRegion, -1);

    // A comment length that takes the rest of the file, offset byte included: none is left for it.
    handmade::Record exact;
    exact.offsetEnabled = 0;
    exact.commentLength = 11;
    record = records::parseRecordFile(handmade::file(exact));
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->offsetEnabled);
    EXPECT_EQ(record->comment, QStringLiteral("hand made"));
}

TEST_F(RecordFiles, EveryTruncationIsRefusedOrLoadedSafely) {
    auto record = fullRecord(); // offset not applied, so a missing last byte shows
    const QByteArray bytes = records::recordFileBytes(*record);
    for (qsizetype length = 0; length <= bytes.size(); ++length) {
        QString error;
        const auto loaded = records::parseRecordFile(bytes.first(length), &error);
        if (length < bytes.size() - 1) {
            ASSERT_FALSE(loaded) << length;
            ASSERT_EQ(error, QStringLiteral("Wrong file format")) << length;
        } else {
            ASSERT_TRUE(loaded) << length;
            EXPECT_EQ(loaded->offsetEnabled, length == bytes.size() - 1);
            EXPECT_EQ(loaded->comment, record->comment);
        }
    }
}

TEST_F(RecordFiles, StreamsSaveAndLoad) {
    auto record = fullRecord();
    ASSERT_TRUE(record->modified);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(record->SaveToStream(buffer));
    EXPECT_FALSE(record->modified);
    EXPECT_EQ(buffer.data(), record->Serialize());

    buffer.close();
    buffer.open(QIODevice::ReadOnly);
    const auto loaded = trecdata::LoadFromStream(buffer);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Serialize(), record->Serialize());

    // A stream that refuses the bytes leaves the record modified.
    record->SetComment(QStringLiteral("changed"));
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_FALSE(record->SaveToStream(readOnly));
    EXPECT_TRUE(record->modified);
}

TEST_F(RecordFiles, LoadingFromDisk) {
    auto record = fullRecord();
    ASSERT_TRUE(records::saveRecordFile(*record, path("scan.RTG")));
    records::LoadResult loaded = records::loadRecordFile(path("scan.RTG"));
    ASSERT_EQ(loaded.error, records::LoadError::None);
    ASSERT_TRUE(loaded.record);
    EXPECT_EQ(loaded.record->fileName, path("scan.RTG"));

    loaded = records::loadRecordFile(path("missing.RTG"));
    EXPECT_EQ(loaded.error, records::LoadError::CannotOpen);
    EXPECT_FALSE(loaded.record);
    EXPECT_TRUE(loaded.message.contains(path("missing.RTG")));

    loaded = records::loadRecordFile(dir.path());
    EXPECT_EQ(loaded.error, records::LoadError::CannotOpen);

    ASSERT_TRUE(writeAll(path("text.RTG"), "angle [deg]\tcounting rate [cps]\r\n"));
    loaded = records::loadRecordFile(path("text.RTG"));
    EXPECT_EQ(loaded.error, records::LoadError::WrongFormat);
    EXPECT_EQ(loaded.message, QStringLiteral("Wrong file format"));
}

TEST_F(RecordFiles, TheSafetyCopyLeavesTheScanModified) {
    auto record = fullRecord();
    ASSERT_TRUE(records::writeRecordFile(*record, path("safety.rtg")));
    EXPECT_TRUE(record->modified);
    EXPECT_EQ(readAll(path("safety.rtg")), records::recordFileBytes(*record));

    ASSERT_TRUE(records::saveRecordFile(*record, path("scan.RTG")));
    EXPECT_FALSE(record->modified);
}

TEST_F(RecordFiles, AFailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    const QByteArray old = records::recordFileBytes(*trecdata::Create(1, 0, 100, 0, 10));
    ASSERT_TRUE(writeAll(path("scan.RTG"), old));
    auto record = fullRecord();

    // A folder that does not exist.
    QString error;
    EXPECT_FALSE(records::saveRecordFile(*record, path("nowhere/scan.RTG"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(record->modified);
    EXPECT_FALSE(QFileInfo::exists(path("nowhere")));

    // A disk that fills up mid-write: every write past 4 KiB fails.
    const auto [saved1, saved2] = withFileSizeLimit(4096, [&] {
        return std::pair{records::saveRecordFile(*record, path("scan.RTG"), &error),
                         records::writeRecordFile(*record, path("scan.RTG"))};
    });
    EXPECT_FALSE(saved1);
    EXPECT_FALSE(saved2);
    EXPECT_TRUE(record->modified);
    EXPECT_EQ(readAll(path("scan.RTG")), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("scan.RTG")});

    // And with room again it succeeds.
    EXPECT_TRUE(records::saveRecordFile(*record, path("scan.RTG")));
    EXPECT_EQ(readAll(path("scan.RTG")), records::recordFileBytes(*record));
}

TEST_F(RecordFiles, SavingIntoAReadOnlyFolderFails) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString target = path("locked/scan.RTG");
    const QByteArray old("old contents");
    ASSERT_TRUE(writeAll(target, old));
    ASSERT_TRUE(QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    auto record = fullRecord();
    EXPECT_FALSE(records::saveRecordFile(*record, target));
    QFile::setPermissions(path("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readAll(target), old);
    EXPECT_TRUE(record->modified);
}

// Paths that name no record file: devices that never end and a FIFO without a writer are refused
// at once with the usual message, not read until memory runs out or waited on for ever.
TEST(RecordFileRead, DevicesAndFifosAreNoRecordFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo.rtg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom"), fifo}) {
        SCOPED_TRACE(path.toStdString());
        const records::LoadResult loaded = records::loadRecordFile(path);
        EXPECT_FALSE(loaded.record);
        EXPECT_EQ(loaded.error, records::LoadError::WrongFormat);
        EXPECT_EQ(loaded.message, QStringLiteral("Wrong file format"));
    }
}
