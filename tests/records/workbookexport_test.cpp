// Workbook export: the cells a spreadsheet program reads back, compared with the text export of the
// same record; numbers under a comma locale; safe writing.
#include "records/textexport.h"
#include "records/workbookexport.h"
#include "tests/records/filesizelimit.h"
#include "tests/records/workbookreader.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// A scan at step 4 from 10.00 degrees with offset 10 (0.5 degree): points at cells 0, 4, 8, ...
std::unique_ptr<trecdata> stepFourScan(bool offsetApplied) {
    auto record = trecdata::Create(4, 200, 260, 10, 10);
    record->offsetEnabled = offsetApplied;
    for (int i = 0; i <= 60; i += 4) {
        record->SetPoint(i, 100.0 + i + i / 7.0);
    }
    return record;
}

// Every cell of a long scan with rates that need all their digits, from below zero degrees on.
std::unique_ptr<trecdata> fullScan() {
    auto record = trecdata::Create(1, -100, trecdata::kCellCount - 101, 0, 10);
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        record->SetPoint(i, 3.0 + (i * 7919) % 4999 / 3.0);
    }
    return record;
}

class WorkbookExport : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    workbook::Sheet written(const trecdata& record, const char* name = "scan.xlsx") {
        QString error;
        EXPECT_TRUE(records::exportSpreadsheet(record, path(name), {}, &error)) << error.toStdString();
        std::optional<workbook::Sheet> sheet = workbook::readFirstSheet(path(name));
        EXPECT_TRUE(sheet) << "not a readable workbook";
        return sheet.value_or(workbook::Sheet{});
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

void expectHeader(const workbook::Sheet& sheet) {
    const workbook::Cell a1 = sheet.cells.at({1, 1});
    const workbook::Cell b1 = sheet.cells.at({1, 2});
    EXPECT_TRUE(a1.isText);
    EXPECT_EQ(a1.value, QStringLiteral("Angle [deg]"));
    EXPECT_TRUE(b1.isText);
    EXPECT_EQ(b1.value, QStringLiteral("counting rate [cps]"));
    // Width 12 is stored as Excel stores it, with the cell padding added: 12 + 5/7 rounded to 1/256.
    double widthA = 0;
    double widthB = 0;
    for (const workbook::Column& column : sheet.columns) {
        if (column.min <= 1 && column.max >= 1)
            widthA = column.width;
        if (column.min <= 2 && column.max >= 2)
            widthB = column.width;
    }
    EXPECT_DOUBLE_EQ(widthA, 12.7109375);
    EXPECT_DOUBLE_EQ(widthB, 12.7109375);
}

// The sheet's points, row by row, written as the text export writes them.
QStringList sheetAsText(const workbook::Sheet& sheet) {
    QStringList lines;
    for (int row = 2; row <= sheet.lastRow(); ++row) {
        std::string line;
        for (int column = 1; column <= 2; ++column) {
            const auto found = sheet.cells.find({row, column});
            if (found == sheet.cells.end() || found->second.isText)
                return {QStringLiteral("row %1 column %2 holds no number").arg(row).arg(column)};
            bool isNumber = false;
            const double value = found->second.value.toDouble(&isNumber);
            if (!isNumber)
                return {QStringLiteral("row %1 column %2: %3").arg(row).arg(column).arg(found->second.value)};
            records::appendTwoDecimals(line, value, ".");
            line += column == 1 ? "\t" : "";
        }
        lines << QString::fromStdString(line);
    }
    return lines;
}

QStringList textExportLines(const trecdata& record) {
    QStringList lines = QString::fromLatin1(records::exportTextBytes(record, QLocale::c()))
                            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    lines.removeFirst();
    return lines;
}

} // namespace

TEST_F(WorkbookExport, EveryCellMatchesTheTextExport) {
    for (const auto& record : {fullScan(), stepFourScan(true), stepFourScan(false)}) {
        const workbook::Sheet sheet = written(*record);
        expectHeader(sheet);
        const QStringList expected = textExportLines(*record);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(sheetAsText(sheet), expected);
        // Nothing beside the two columns.
        for (const auto& [position, cell] : sheet.cells)
            EXPECT_LE(position.second, 2);
    }
}

TEST_F(WorkbookExport, StepFourWithTheOffsetExportsTheMultiplesOfAFifthFrom1060) {
    const auto record = stepFourScan(true);
    const workbook::Sheet sheet = written(*record);
    const std::vector<records::ExportedPoint> points = records::exportedPoints(*record);
    ASSERT_EQ(sheet.lastRow(), 1 + 15);
    for (int row = 2; row <= sheet.lastRow(); ++row) {
        const double angle = sheet.cells.at({row, 1}).value.toDouble();
        EXPECT_DOUBLE_EQ(angle, 10.60 + 0.2 * (row - 2)) << row;
        // Each rate is the average over the fill window, stored with all its digits.
        EXPECT_NEAR(sheet.cells.at({row, 2}).value.toDouble(), points[static_cast<std::size_t>(row - 2)].rate,
                    1e-12);
    }
    // (The record keeps values as 6-byte reals, good to about 12 digits.)
    EXPECT_NEAR(sheet.cells.at({2, 2}).value.toDouble(), (100.0 + 104.0 + 4 / 7.0) / 2, 1e-9);
}

TEST_F(WorkbookExport, AnEmptyRecordGivesRowOneOnly) {
    const auto record = trecdata::Create(1, 200, 2600, 10, 10);
    const workbook::Sheet sheet = written(*record);
    expectHeader(sheet);
    EXPECT_EQ(sheet.lastRow(), 1);
    EXPECT_EQ(sheet.cells.size(), 2u);
}

TEST_F(WorkbookExport, ACommaLocaleStillWritesPlainNumbers) {
    const auto record = stepFourScan(true);
    const workbook::Sheet classic = written(*record, "classic.xlsx");
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    // scripts/setup.sh generates this locale.
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "run scripts/setup.sh";
    const workbook::Sheet german = written(*record, "german.xlsx");
    std::setlocale(LC_NUMERIC, previous.c_str());
    ASSERT_EQ(german.cells.size(), classic.cells.size());
    for (const auto& [position, cell] : german.cells) {
        EXPECT_FALSE(cell.value.contains(QLatin1Char(','))) << cell.value.toStdString();
        EXPECT_EQ(cell.value, classic.cells.at(position).value);
    }
    EXPECT_EQ(sheetAsText(german), textExportLines(*record));
}

TEST_F(WorkbookExport, ProgressRunsOverTheCellsOfThePoints) {
    const auto record = stepFourScan(false); // points at cells 0, 4, ..., 60
    std::vector<int> positions;
    ASSERT_TRUE(records::exportSpreadsheet(*record, path("p.xlsx"), [&](int p) { positions.push_back(p); }));
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), 59);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_LE(positions.back(), records::kExportProgressMaximum);
    EXPECT_EQ(records::spreadsheetVersion(), 12.0);
}

TEST_F(WorkbookExport, ReplacesAnOldFileAndIsReadableByOthers) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    QFile old(path("out/scan.xlsx"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const auto record = stepFourScan(false);
    ASSERT_TRUE(records::exportSpreadsheet(*record, path("out/scan.xlsx")));
    EXPECT_TRUE(workbook::readFirstSheet(path("out/scan.xlsx")));
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("scan.xlsx")});
    // A temporary file is private; the workbook must not stay so.
    ASSERT_TRUE(records::exportSpreadsheet(*record, path("new.xlsx")));
    EXPECT_TRUE(QFile::permissions(path("new.xlsx")) & QFileDevice::ReadOther);
}

TEST_F(WorkbookExport, AFailureIsReportedAndLeavesNothingAtThePath) {
    const auto record = fullScan();
    QString error;
    // A folder that does not exist.
    EXPECT_FALSE(records::exportSpreadsheet(*record, path("nowhere/scan.xlsx"), {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("nowhere")));

    // A path that is a folder.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    error.clear();
    EXPECT_FALSE(records::exportSpreadsheet(*record, path("folder.xlsx"), {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(files().isEmpty()) << files().join(QLatin1Char(' ')).toStdString();

    // A disk that fills up: every write past 4 KiB fails. The old file stays.
    QFile old(path("scan.xlsx"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old workbook") == 12);
    old.close();
    error.clear();
    const bool written = withFileSizeLimit(
        4096, [&] { return records::exportSpreadsheet(*record, path("scan.xlsx"), {}, &error); });
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    QFile check(path("scan.xlsx"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("old workbook"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("scan.xlsx")});
}
