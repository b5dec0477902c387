// The new workbook of the scalar-mode export, read back.
#include "scalar/export/scalarworkbook.h"

#include "scalar/export/xlsxxml.h"
#include "tests/scalar/xlsxread.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scalar;

TEST(ScalarWorkbook, HeadersAsTextAndDataCellsAsNumbersOrText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readings.xlsx"));
    ScalarTable table{{headerRow(0),
                       headerRow(1),
                       {"1", "1000 ", "Cu", "none", "E. S. 13", "0", "120", "123.45"},
                       {"2", "550 ", "N/A", "Ni", "E. S. 30", "0,5", "80", "1 234,50"}}};
    table.rows.push_back({}); // rows that are no data rows stay empty
    const SpreadsheetOutcome outcome = exportScalarWorkbook(table, path, QLocale(QLocale::German));
    EXPECT_FALSE(outcome.transferFailed) << outcome.detail.toStdString();
    EXPECT_FALSE(outcome.saveFailed) << outcome.detail.toStdString();

    const ReadWorkbook book = readWorkbook(path);
    ASSERT_TRUE(book.ok);
    const char* texts[][2] = {{"A1", "No."}, {"H1", "Intensity"}, {"B2", "[V]"},      {"G2", "[\u00b5A]"},
                              {"C3", "Cu"},  {"D3", "none"},      {"E3", "E. S. 13"}, {"C4", "N/A"}};
    for (const auto& [reference, text] : texts) {
        EXPECT_EQ(book.cells.at(reference).type, "s") << reference;
        EXPECT_EQ(book.cells.at(reference).value, QString::fromUtf8(text)) << reference;
    }
    EXPECT_FALSE(book.cells.count("A2")); // empty header cells stay empty
    const char* numbers[][2] = {{"A3", "1"},      {"B3", "1000"}, {"F3", "0"},   {"G3", "120"},
                                {"H3", "123.45"}, {"B4", "550"},  {"F4", "0.5"}, {"H4", "1234.5"}};
    for (const auto& [reference, number] : numbers) {
        EXPECT_EQ(book.cells.at(reference).type, "") << reference;
        EXPECT_EQ(book.cells.at(reference).value, number) << reference;
    }
    for (const auto& [reference, cell] : book.cells) {
        EXPECT_LT(scalar::parseCellReference(reference).first, 5) << reference.toStdString();
    }
}

TEST(ScalarWorkbook, ACellThatIsNoNumberIsKeptAsTextAndReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readings.xlsx"));
    const ScalarTable table{
        {headerRow(0), headerRow(1), {"1", "1000 ", "Cu", "none", "E. S. 13", "thin", "120", "5"}}};
    const SpreadsheetOutcome outcome = exportScalarWorkbook(table, path, QLocale::c());
    EXPECT_TRUE(outcome.transferFailed);
    EXPECT_FALSE(outcome.saveFailed);
    const ReadWorkbook book = readWorkbook(path);
    EXPECT_EQ(book.cells.at("F3").value, "thin");
    EXPECT_EQ(book.cells.at("H3").value, "5");
}

TEST(ScalarWorkbook, UnwritablePlaceReportsASaveFailure) {
    QTemporaryDir dir;
    const ScalarTable table{{headerRow(0), headerRow(1)}};
    const SpreadsheetOutcome outcome =
        exportScalarWorkbook(table, dir.filePath(QStringLiteral("no/such.xlsx")));
    EXPECT_TRUE(outcome.saveFailed);
    EXPECT_FALSE(outcome.detail.isEmpty());
}
