// The results table's rows: appending, numbering, deleting.
#include "scalar/resultstable.h"

#include "tests/scalar/qtapp.h"

#include <QTableWidget>

#include <gtest/gtest.h>

using namespace scalar;

namespace {

ScalarCells reading(const QString& volts) {
    return {"", volts + QLatin1Char(' '), "Cu", "none", "E. S. 13", "0", "120", "10.00"};
}

QStringList column(const QTableWidget& res, int c) {
    QStringList texts;
    for (const ScalarCells& row : resultsSnapshot(&res).rows) {
        texts << row[static_cast<std::size_t>(c)];
    }
    return texts;
}

class ResultsTable : public ::testing::Test {
protected:
    void SetUp() override {
        scalar_tests::ensureApplication();
        res = new QTableWidget;
        setUpResultsTable(res);
    }
    void TearDown() override { delete res; }
    QTableWidget* res = nullptr;
};

} // namespace

TEST_F(ResultsTable, FreshTableHasTheHeadersAndOneEmptyRow) {
    EXPECT_EQ(res->rowCount(), 3);
    EXPECT_EQ(column(*res, 7), (QStringList{"Intensity", "[cps]", ""}));
    EXPECT_EQ(column(*res, 6).value(1), QStringLiteral("[\u00b5A]"));
    EXPECT_EQ(res->columnWidth(0) - res->columnWidth(7), 20 - 65);
}

TEST_F(ResultsTable, FirstReadingFillsRowTwoNumberedOneThenRowsAreAppended) {
    EXPECT_EQ(appendResult(res, reading("300")), 2);
    EXPECT_EQ(res->rowCount(), 3);
    EXPECT_EQ(appendResult(res, reading("400")), 3);
    EXPECT_EQ(res->rowCount(), 4);
    EXPECT_EQ(column(*res, 0), (QStringList{"No.", "", "1", "2"}));
    EXPECT_EQ(column(*res, 1), (QStringList{"DHV", "[V]", "300 ", "400 "}));
}

TEST_F(ResultsTable, DeletingTheMiddleRowMovesTheNextUpAndRenumbers) {
    for (const char* volts : {"300", "400", "500"}) {
        appendResult(res, reading(QLatin1String(volts)));
    }
    deleteResultRow(res, 3);
    EXPECT_EQ(res->rowCount(), 4);
    EXPECT_EQ(column(*res, 0).mid(2), (QStringList{"1", "2"}));
    EXPECT_EQ(column(*res, 1).mid(2), (QStringList{"300 ", "500 "}));
}

TEST_F(ResultsTable, DeletingTheOnlyRowLeavesOneEmptyRow) {
    appendResult(res, reading("300"));
    deleteResultRow(res, 2);
    EXPECT_EQ(res->rowCount(), 3);
    EXPECT_EQ(resultsSnapshot(res).rows[2], ScalarCells{});
    EXPECT_EQ(appendResult(res, reading("350")), 2); // and the next reading starts at row 2 again
    EXPECT_EQ(column(*res, 0).value(2), "1");
}

TEST_F(ResultsTable, HeaderRowsAndRowsPastTheEndAreNotDeleted) {
    appendResult(res, reading("300"));
    deleteResultRow(res, 1);
    deleteResultRow(res, 5);
    EXPECT_EQ(column(*res, 1), (QStringList{"DHV", "[V]", "300 "}));
}

TEST_F(ResultsTable, DeleteAllLeavesOneEmptyRow) {
    for (const char* volts : {"300", "400", "500"}) {
        appendResult(res, reading(QLatin1String(volts)));
    }
    deleteAllResults(res);
    EXPECT_EQ(res->rowCount(), 3);
    EXPECT_EQ(column(*res, 0), (QStringList{"No.", "", ""}));
    EXPECT_EQ(column(*res, 7).value(0), "Intensity");
}
