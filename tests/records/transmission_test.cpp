// The transmission of one scan over another: cell by cell, with the counting statistics of both.
#include "records/recordfile.h"
#include "records/transmission.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A step-1 scan from 600 angle units (30 degrees) with the given cells; a negative rate leaves the
// cell empty.
std::unique_ptr<trecdata> scan(const std::vector<double>& rates, int countingTenths, int start = 600) {
    auto record = trecdata::Create(1, start, start + static_cast<int>(rates.size()) - 1, 0, countingTenths);
    record->offsetEnabled = false;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i] >= 0)
            record->SetPoint(static_cast<int>(i), rates[i]);
    }
    return record;
}

TEST(Transmission, CellByCellWithBothRatesCountingStatistics) {
    struct Case {
        double first, second;
        bool hasValue;
        double percent;
    };
    // t1 = 2 s, t2 = 0.5 s.
    const std::vector<Case> cases = {
        {50, 200, true, 25}, {400, 400, true, 100}, {0, 80, true, 0},      {-1, 100, false, 0},
        {100, -1, false, 0}, {100, 0, false, 0},    {300, 150, true, 200},
    };
    std::vector<double> a, b;
    for (const Case& c : cases) {
        a.push_back(c.first);
        b.push_back(c.second);
    }
    const auto first = scan(a, 20);
    const auto second = scan(b, 5);
    QString error;
    const auto ratio = records::makeTransmission(*first, "A", *second, "B", &error);
    ASSERT_TRUE(ratio) << error.toStdString();
    EXPECT_TRUE(records::isTransmission(*ratio));
    EXPECT_FALSE(records::isTransmission(*first));
    EXPECT_EQ(ratio->comment, QStringLiteral("transmission: A / B"));
    EXPECT_EQ(ratio->FirstAngle(), 600);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const trecdata::Cell cell = ratio->ReadCell(static_cast<int>(i));
        ASSERT_EQ(cell.valid, c.hasValue) << i;
        if (!c.hasValue) {
            EXPECT_FALSE(records::cellUncertainty(*ratio, static_cast<int>(i)));
            continue;
        }
        EXPECT_NEAR(cell.value, c.percent, 1e-9) << i;
        // sigma_T^2 = R1 / (t1 R2^2) + R1^2 / (t2 R2^3), in percent.
        const double expected = 100 * std::sqrt(c.first / (2.0 * c.second * c.second) +
                                                c.first * c.first / (0.5 * std::pow(c.second, 3)));
        EXPECT_NEAR(*records::cellUncertainty(*ratio, static_cast<int>(i)), expected, 1e-9) << i;
    }
    // A counted scan's own uncertainty: sqrt(R / t) = sqrt(50 / 2 s) = 5 cps.
    EXPECT_DOUBLE_EQ(*records::cellUncertainty(*first, 0), 5.0);
}

TEST(Transmission, AnglesMatchAcrossOffsetsAndStepsMustAgree) {
    // The second scan starts 2 cells later: its cell 0 lies under the first's cell 2.
    const auto first = scan({100, 100, 100, 100}, 10);
    const auto second = scan({50, 25}, 10, 602);
    const auto ratio = records::makeTransmission(*first, "A", *second, "B");
    ASSERT_TRUE(ratio);
    EXPECT_FALSE(ratio->ReadCell(1).valid);
    EXPECT_DOUBLE_EQ(ratio->ReadCell(2).value, 200);
    EXPECT_DOUBLE_EQ(ratio->ReadCell(3).value, 400);
    EXPECT_FALSE(ratio->ReadCell(4).valid);

    auto coarse = trecdata::Create(2, 600, 603, 0, 10);
    QString error;
    EXPECT_FALSE(records::makeTransmission(*first, "A", *coarse, "B", &error));
    EXPECT_EQ(error, QStringLiteral("The two records have different angular steps."));
    EXPECT_FALSE(records::makeTransmission(*ratio, "T", *first, "A", &error));
}

TEST(Transmission, IsRecognisedAgainAfterSavingAndKeepsTheFileLayout) {
    const auto first = scan({100, 80}, 10);
    const auto second = scan({200, 160}, 10);
    auto ratio = records::makeTransmission(*first, "A", *second, "B");
    QTemporaryDir dir;
    const QString path = dir.filePath("t.RTG");
    ASSERT_TRUE(records::saveRecordFile(*ratio, path));
    // The record file of a scan with this comment: 20857 + L bytes.
    EXPECT_EQ(QFileInfo(path).size(), 20857 + ratio->comment.size() + 1);
    const records::LoadResult loaded = records::loadRecordFile(path);
    ASSERT_TRUE(loaded.record);
    EXPECT_TRUE(records::isTransmission(*loaded.record));
    EXPECT_DOUBLE_EQ(loaded.record->ReadCell(1).value, 50);
    // The file has no place for the uncertainty.
    EXPECT_FALSE(records::cellUncertainty(*loaded.record, 1));
}

} // namespace
