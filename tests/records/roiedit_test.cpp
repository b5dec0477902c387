// The region editor's Apply rules: cell codes, the first bad cell, the question, swap, sort, merge,
// the snap to the 0.05 degree grid and what is stored into the record.
#include "records/roiedit.h"
#include "records/trecdata.h"

#include <gtest/gtest.h>

#include <memory>

using namespace roi;

namespace {

// 10.00 to 130.00 degrees, offset switched off.
std::unique_ptr<trecdata> scanRecord() {
    auto record = trecdata::Create(1, 200, 2600, 10, 10);
    record->offsetEnabled = false;
    return record;
}

std::vector<Pair> storedRegions(const trecdata& record) {
    std::vector<Pair> pairs;
    for (int i = 0; i < record.regionCount; ++i) {
        pairs.push_back({record.regions[static_cast<std::size_t>(i)].from,
                         record.regions[static_cast<std::size_t>(i)].to});
    }
    return pairs;
}

GridTexts rows(std::initializer_list<RowTexts> filled) {
    GridTexts grid{};
    std::size_t i = 0;
    for (const RowTexts& row : filled) {
        grid[i++] = row;
    }
    return grid;
}

RowTexts row(const char* start, const char* end) {
    return {QString::fromUtf8(start), QString::fromUtf8(end)};
}

// Runs Apply with a fixed answer and counts the questions.
struct Attempt {
    ApplyResult result;
    int questions = 0;
};
Attempt applyWith(const GridTexts& grid, trecdata& record, bool yes) {
    Attempt run;
    run.result = apply(grid, record, QLocale::c(), [&] {
        ++run.questions;
        return yes;
    });
    return run;
}

} // namespace

TEST(RegionCell, CodesOfTexts) {
    const QLocale c = QLocale::c();
    struct Case {
        const char* text;
        int code;
        double value;
    };
    const Case cases[] = {
        {"", kEmpty, 0},
        {"   ", kEmpty, 0},
        {"12.5", kValid, 12.5},
        {"1 2 . 5", kValid, 12.5}, // blanks removed before the conversion
        {"\t12.5 ", kValid, 12.5},
        {"12.", kValid, 12},
        {"+12", kValid, 12},
        {"10", kValid, 10},   // the record's first angle itself
        {"130", kValid, 130}, // and its last
        {"9.95", kBelowRange, 9.95},
        {"-5", kBelowRange, -5},
        {"130.05", kAboveRange, 130.05},
        {"1e3", kNotANumber, 0},
        {"12a", kNotANumber, 0},
        {"1.2.3", kNotANumber, 0},
        {".", kNotANumber, 0},
        {"-", kNotANumber, 0},
        {"inf", kNotANumber, 0},
        {"nan", kNotANumber, 0},
        {"12,5", kNotANumber, 0}, // a comma is no decimal point in the C locale
    };
    for (const Case& test : cases) {
        const CellValue cell = validateCell(QString::fromUtf8(test.text), 200, 2600, c);
        EXPECT_EQ(cell.code, test.code) << test.text;
        if (test.code == kValid) {
            EXPECT_DOUBLE_EQ(cell.value, test.value) << test.text;
        }
    }
}

TEST(RegionCell, LocaleSeparatorAndPointBothRead) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(validateCell(QStringLiteral("12,5"), 200, 2600, german).value, 12.5);
    EXPECT_EQ(validateCell(QStringLiteral("12.5"), 200, 2600, german).value, 12.5);
    // A thousands group is no angle.
    EXPECT_EQ(validateCell(QStringLiteral("1.200,5"), 200, 2600, german).code, kNotANumber);
}

TEST(RegionCell, BoundsFollowTheAppliedOffset) {
    auto record = scanRecord();
    record->offsetEnabled = true; // the record now runs from 10.50 to 130.50 degrees
    const QLocale c = QLocale::c();
    EXPECT_EQ(validateCell(QStringLiteral("10.50"), record->FirstAngle(), record->LastAngle(), c).code,
              kValid);
    EXPECT_EQ(validateCell(QStringLiteral("10.45"), record->FirstAngle(), record->LastAngle(), c).code,
              kBelowRange);
    EXPECT_EQ(validateCell(QStringLiteral("130.50"), record->FirstAngle(), record->LastAngle(), c).code,
              kValid);
}

TEST(RegionApply, FirstBadCellIsReportedAndNothingChanges) {
    struct Case {
        GridTexts grid;
        CellError error;
    };
    const Case cases[] = {
        {rows({row("10", "20"), row("30", "4x")}),
         {2, kEndColumn, QStringLiteral("Invalid character"), true}},
        {rows({row("10", "200")}), {1, kEndColumn, QStringLiteral("Out of range"), true}},
        {rows({row("5", "20")}), {1, kStartColumn, QStringLiteral("Out of range"), true}},
        // Start cell before end cell within a row.
        {rows({row("x", "500")}), {1, kStartColumn, QStringLiteral("Invalid character"), true}},
        // Incomplete rows only count once every value is good, in every row.
        {rows({row("10", ""), row("20", "30"), row("40", "y")}),
         {3, kEndColumn, QStringLiteral("Invalid character"), true}},
        {rows({row("10", "20"), row("25", "")}), {2, kEndColumn, QStringLiteral("Range incomplete"), false}},
        {rows({row("", "20")}), {1, kStartColumn, QStringLiteral("Range incomplete"), false}},
    };
    for (const Case& test : cases) {
        auto record = scanRecord();
        record->AddRegion(400, 500);
        record->SelectRegion(0);
        const Attempt run = applyWith(test.grid, *record, true);
        EXPECT_EQ(run.result.outcome, ApplyResult::Error);
        ASSERT_TRUE(run.result.error.has_value());
        EXPECT_EQ(*run.result.error, test.error) << test.error.message.toStdString();
        EXPECT_EQ(run.questions, 0);
        EXPECT_EQ(storedRegions(*record), (std::vector<Pair>{{400, 500}}));
        EXPECT_EQ(record->currentRegion, 0);
    }
}

TEST(RegionApply, OrderedRowsAreStoredWithoutAQuestion) {
    auto record = scanRecord();
    record->AddRegion(1000, 1100);
    const Attempt five = applyWith(
        rows({row("10", "20"), row("20.1", "30"), row("40", "50"), row("60", "70"), row("80", "130")}),
        *record, false);
    EXPECT_EQ(five.result.outcome, ApplyResult::Stored);
    EXPECT_EQ(five.questions, 0);
    EXPECT_FALSE(five.result.rewritten.has_value());
    EXPECT_EQ(storedRegions(*record),
              (std::vector<Pair>{{200, 400}, {402, 600}, {800, 1000}, {1200, 1400}, {1600, 2600}}));
    EXPECT_EQ(record->currentRegion, 0);

    // Rows 2 and 4 become regions 1 and 2; the grid keeps its rows since nothing was asked.
    GridTexts gaps{};
    gaps[1] = row("15", "16");
    gaps[3] = row("17", "18");
    const Attempt sparse = applyWith(gaps, *record, false);
    EXPECT_EQ(sparse.result.outcome, ApplyResult::Stored);
    EXPECT_EQ(storedRegions(*record), (std::vector<Pair>{{300, 320}, {340, 360}}));

    // An empty grid removes every region and shows the whole record.
    EXPECT_EQ(applyWith(GridTexts{}, *record, false).result.outcome, ApplyResult::Stored);
    EXPECT_EQ(record->regionCount, 0);
    EXPECT_EQ(record->currentRegion, -1);
}

TEST(RegionApply, QuestionAndItsAnswers) {
    struct Case {
        const char* name;
        GridTexts grid;
        std::vector<Pair> stored;
        GridTexts shown;
    };
    const Case cases[] = {
        {"off grid", rows({row("10.03", "20.02")}), {{201, 400}}, rows({row("10.05", "20.00")})},
        {"off grid down", rows({row("10.02", "10.03")}), {{200, 201}}, rows({row("10.00", "10.05")})},
        {"overlap merges",
         rows({row("10", "20"), row("15", "30")}),
         {{200, 600}},
         rows({row("10.00", "30.00")})},
        {"sorted",
         rows({row("30", "40"), row("10", "20")}),
         {{200, 400}, {600, 800}},
         rows({row("10.00", "20.00"), row("30.00", "40.00")})},
        {"swapped", rows({row("20", "10")}), {{200, 400}}, rows({row("10.00", "20.00")})},
        {"touching merges",
         rows({row("10", "20"), row("20", "30")}),
         {{200, 600}},
         rows({row("10.00", "30.00")})},
        {"contained", rows({row("10", "40"), row("15", "20")}), {{200, 800}}, rows({row("10.00", "40.00")})},
        // One angle unit apart: asked about, but neither merged nor moved.
        {"one unit apart",
         rows({row("10", "20"), row("20.05", "30")}),
         {{200, 400}, {401, 600}},
         rows({row("10.00", "20.00"), row("20.05", "30.00")})},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        auto record = scanRecord();
        record->AddRegion(1000, 1100);
        const Attempt no = applyWith(test.grid, *record, false);
        EXPECT_EQ(no.result.outcome, ApplyResult::Declined);
        EXPECT_EQ(no.questions, 1);
        EXPECT_FALSE(no.result.rewritten.has_value());
        EXPECT_EQ(storedRegions(*record), (std::vector<Pair>{{1000, 1100}}));

        const Attempt yes = applyWith(test.grid, *record, true);
        EXPECT_EQ(yes.result.outcome, ApplyResult::Stored);
        EXPECT_EQ(yes.questions, 1);
        EXPECT_EQ(storedRegions(*record), test.stored);
        ASSERT_TRUE(yes.result.rewritten.has_value());
        EXPECT_EQ(*yes.result.rewritten, test.shown);
        EXPECT_EQ(record->currentRegion, 0);
    }
}

TEST(RegionApply, RowsAfterAQuestionMoveUp) {
    auto record = scanRecord();
    GridTexts gaps{};
    gaps[1] = row("30", "40");
    gaps[3] = row("10", "20");
    const Attempt run = applyWith(gaps, *record, true);
    ASSERT_TRUE(run.result.rewritten.has_value());
    EXPECT_EQ(*run.result.rewritten, rows({row("10.00", "20.00"), row("30.00", "40.00")}));
}

TEST(RegionRules, DisorderAndRearrangement) {
    EXPECT_FALSE(inDisorder({}));
    EXPECT_FALSE(inDisorder({{200, 200}})); // a single angle is a region
    EXPECT_FALSE(inDisorder({{200, 400}, {402, 600}}));
    EXPECT_TRUE(inDisorder({{200, 400}, {401, 600}}));
    EXPECT_TRUE(inDisorder({{400, 200}}));
    // Merging runs until no neighbours overlap, across several pairs.
    EXPECT_EQ(rearranged({{500, 600}, {300, 450}, {200, 320}, {440, 510}}), (std::vector<Pair>{{200, 600}}));
    // Equal starts keep their order before merging.
    EXPECT_EQ(rearranged({{200, 300}, {200, 250}}), (std::vector<Pair>{{200, 300}}));
}

TEST(RegionRules, GridTextsOfARecord) {
    auto record = scanRecord();
    record->AddRegion(-5, 245);
    const GridTexts texts = gridTexts(*record);
    EXPECT_EQ(texts[0], row("-0.25", "12.25"));
    EXPECT_EQ(texts[1], RowTexts{});
}
