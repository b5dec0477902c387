// The scan record: fill and averaging windows, range, regions, view geometry and offset.
#include "records/trecdata.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// A record from 10.00 to 130.00 degrees (cells 0..2400) with offset 0.5 degree, not applied.
std::unique_ptr<trecdata> makeRecord(int step, int start = 200, int end = 2600) {
    auto record = trecdata::Create(step, start, end, 10, 10);
    record->offsetEnabled = false;
    return record;
}

std::vector<int> validCells(const trecdata& record) {
    std::vector<int> cells;
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        if (record.ReadCell(i).valid) {
            cells.push_back(i);
        }
    }
    return cells;
}

} // namespace

TEST(ScanRecord, CreateGivesAnEmptyRecord) {
    const auto record = trecdata::Create(4, 200, 2600, 10, 20);
    EXPECT_EQ(record->angularStep, 4);
    EXPECT_EQ(record->countingTime, 20);
    EXPECT_TRUE(record->offsetEnabled);
    EXPECT_FALSE(record->modified);
    EXPECT_EQ(record->regionCount, 0);
    EXPECT_EQ(record->currentRegion, -1);
    EXPECT_EQ(record->rangeMode, 0);
    EXPECT_EQ(record->rangeIndex, 0);
    EXPECT_EQ(record->ValidCellCount(), 0);
    for (int angle = 150; angle < 2700; angle += 7) {
        ASSERT_EQ(record->ValueAtAngle(angle), -1.0) << angle;
    }
    std::int32_t from = 0;
    std::int32_t to = 0;
    ASSERT_TRUE(record->GetRegion(-1, from, to));
    EXPECT_EQ(from, 210);
    EXPECT_EQ(to, 2610);
}

TEST(ScanRecord, FillWindowOfEachStep) {
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {1, {100}},
        {2, {100, 101}},
        {4, {99, 100, 101, 102}},
        {10, {96, 97, 98, 99, 100, 101, 102, 103, 104}}};
    for (const auto& [step, cells] : expected) {
        auto record = makeRecord(step);
        record->SetPoint(100, 42.5);
        EXPECT_EQ(validCells(*record), cells) << "step " << step;
        EXPECT_EQ(record->CellValue(cells.front()), 42.5);
        EXPECT_TRUE(record->modified);
    }
    // A step the apparatus never uses stores the centre cell only.
    auto odd = makeRecord(3);
    odd->SetPoint(100, 1.0);
    EXPECT_EQ(validCells(*odd), std::vector<int>{100});
}

TEST(ScanRecord, FillWindowIsClippedToTheRecordAndTheGrid) {
    auto record = makeRecord(10); // last cell 2400
    record->SetPoint(0, 5.0);
    EXPECT_EQ(validCells(*record), (std::vector<int>{0, 1, 2, 3, 4}));

    record = makeRecord(10);
    record->SetPoint(2400, 5.0);
    EXPECT_EQ(validCells(*record), (std::vector<int>{2396, 2397, 2398, 2399, 2400}));

    // A record longer than the grid (0 to 130 degrees is 2601 cells): nothing past cell 2599.
    record = makeRecord(10, 0, 2600);
    record->SetPoint(2600, 5.0);
    EXPECT_EQ(validCells(*record), (std::vector<int>{2596, 2597, 2598, 2599}));
    EXPECT_EQ(record->ValueAtAngle(2600), -1.0);
    EXPECT_EQ(record->ValueAtAngle(2599), 5.0);
}

TEST(ScanRecord, PointsOutsideTheCellsAndNaNChangeNothing) {
    auto record = makeRecord(10); // last cell 2400
    record->SetPoint(-1, 5.0);
    record->SetPoint(50, std::nan(""));
    // Beyond the last cell, even with the fill window of the half-degree step.
    record->SetPoint(2405, 5.0);
    record->SetPoint(40000, 5.0);
    EXPECT_EQ(record->ValidCellCount(), 0);
    EXPECT_FALSE(record->modified);
    auto fine = makeRecord(1);
    fine->SetPoint(2401, 5.0);
    EXPECT_FALSE(fine->modified);
}

TEST(ScanRecord, StepTenLeavesTheMiddleCellEmpty) {
    auto record = makeRecord(10);
    record->SetPoint(100, 10.0);
    record->SetPoint(110, 30.0);
    EXPECT_FALSE(record->ReadCell(105).valid);
    EXPECT_EQ(record->ValueAtAngle(200 + 105), -1.0);
    EXPECT_EQ(record->ValueAtAngle(200 + 100), 10.0);
    // Cell 106 belongs to the second measurement; its window 102..110 also holds 102..104 of the
    // first: (3 x 10 + 5 x 30) / 8.
    EXPECT_DOUBLE_EQ(record->ValueAtAngle(200 + 106), (3 * 10.0 + 5 * 30.0) / 8);
}

TEST(ScanRecord, AveragingWithANeighboursCells) {
    auto record = makeRecord(4);
    record->SetPoint(100, 8.0); // cells 99..102
    record->SetPoint(104, 4.0); // cells 103..106
    // Window of 102 is 101..104: 8, 8, 4, 4.
    EXPECT_DOUBLE_EQ(record->ValueAtAngle(200 + 102), 6.0);
    // Window of 100 is 99..102, all from the first measurement.
    EXPECT_DOUBLE_EQ(record->ValueAtAngle(200 + 100), 8.0);
    // Window of 98 is 97..100 but cell 98 is empty.
    EXPECT_EQ(record->ValueAtAngle(200 + 98), -1.0);
    // Overlap: a later measurement overwrites the earlier one in shared cells.
    record->SetPoint(102, 2.0); // cells 101..104
    EXPECT_EQ(record->CellValue(100), 8.0);
    EXPECT_EQ(record->CellValue(101), 2.0);
    EXPECT_EQ(record->CellValue(105), 4.0);
}

TEST(ScanRecord, AveragingWindowAtTheGridEdge) {
    auto record = makeRecord(10, 0, 2599);
    record->SetPoint(0, 6.0);
    // The window of cell 0 reaches -4..4: only the valid cells on the grid count.
    EXPECT_EQ(record->ValueAtAngle(0), 6.0);
    record->SetPoint(2599, 2.0);
    EXPECT_EQ(record->ValueAtAngle(2599), 2.0);
    EXPECT_EQ(record->CellValue(-1), -1.0);
    EXPECT_EQ(record->CellValue(2600), -1.0);
    EXPECT_FALSE(record->ReadCell(2600).valid);
}

TEST(ScanRecord, StoredValuesHaveTheFileFormatsPrecision) {
    auto record = makeRecord(1);
    record->SetPoint(3, 0.1);
    EXPECT_NE(record->CellValue(3), 0.1);
    EXPECT_NEAR(record->CellValue(3), 0.1, 1e-12);
    record->SetPoint(4, 1e300);
    EXPECT_GT(record->CellValue(4), 1e38);
}

TEST(ScanRecord, AutomaticRangeFollowsTheHighestAveragedValue) {
    const std::vector<std::pair<double, int>> cases = {{200.0, 2},   {200.01, 3}, {25000.0, 9},
                                                       {20000.0, 8}, {50.0, 0},   {0.5, 0}};
    for (const auto& [rate, index] : cases) {
        auto record = makeRecord(1);
        record->SetPoint(500, 1.0);
        record->SetPoint(700, rate);
        record->SetRangeMode(0);
        EXPECT_EQ(record->rangeIndex, index) << rate;
    }
    auto empty = makeRecord(1);
    empty->rangeIndex = 5;
    empty->SetRangeMode(0);
    EXPECT_EQ(empty->rangeIndex, 0);
}

TEST(ScanRecord, AutomaticRangeLooksAtTheCurrentRegionOnly) {
    auto record = makeRecord(1);
    record->SetPoint(100, 150.0);  // angle 300
    record->SetPoint(1000, 900.0); // angle 1200
    record->AddRegion(250, 400);
    record->SelectRegion(0);
    record->SetRangeMode(0);
    EXPECT_EQ(record->rangeIndex, 2);
    record->SelectRegion(-1);
    record->SetRangeMode(0);
    EXPECT_EQ(record->rangeIndex, 4);
}

TEST(ScanRecord, FixedRangeModes) {
    auto record = makeRecord(1);
    record->SetPoint(10, 30000.0);
    record->SetRangeMode(1);
    EXPECT_EQ(record->rangeMode, 1);
    EXPECT_EQ(record->rangeIndex, 0);
    record->SetRangeMode(10);
    EXPECT_EQ(record->rangeIndex, 9);
    record->SetRangeMode(200); // beyond the table: the largest full scale, never an index past it
    EXPECT_EQ(record->rangeMode, 200);
    EXPECT_EQ(record->rangeIndex, 9);
}

TEST(ScanRecord, FullScaleIndexBoundaries) {
    EXPECT_EQ(records::fullScaleIndex(-1), 0);
    EXPECT_EQ(records::fullScaleIndex(50), 0);
    EXPECT_EQ(records::fullScaleIndex(50.001), 1);
    EXPECT_EQ(records::fullScaleIndex(20000.01), 9);
    EXPECT_EQ(records::fullScaleIndex(1e9), 9);
}

TEST(ScanRecord, RegionListOperations) {
    auto record = makeRecord(1);
    for (int i = 0; i < 6; ++i) {
        record->AddRegion(static_cast<std::int16_t>(100 * i), static_cast<std::int16_t>(100 * i + 50));
    }
    EXPECT_EQ(record->regionCount, 5); // the sixth is ignored
    std::int32_t from = 0;
    std::int32_t to = 0;
    EXPECT_FALSE(record->GetRegion(5, from, to));
    EXPECT_FALSE(record->GetRegion(-2, from, to));
    ASSERT_TRUE(record->GetRegion(4, from, to));
    EXPECT_EQ(from, 400);
    EXPECT_EQ(to, 450);

    // Deleting the last region while it is current selects the one before it.
    record->SelectRegion(4);
    record->DeleteCurrentRegion();
    EXPECT_EQ(record->regionCount, 4);
    EXPECT_EQ(record->currentRegion, 3);

    // Deleting a middle region moves the later ones down and keeps the index.
    record->SelectRegion(1);
    record->DeleteCurrentRegion();
    EXPECT_EQ(record->regionCount, 3);
    EXPECT_EQ(record->currentRegion, 1);
    std::uint8_t count = 0;
    std::array<trecdata::Region, trecdata::kMaxRegions> entries{};
    record->CopyRegions(count, entries);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(entries[0], (trecdata::Region{0, 50}));
    EXPECT_EQ(entries[1], (trecdata::Region{200, 250}));
    EXPECT_EQ(entries[2], (trecdata::Region{300, 350}));

    // With "All" selected nothing is deleted.
    record->SelectRegion(-1);
    record->DeleteCurrentRegion();
    EXPECT_EQ(record->regionCount, 3);

    // Emptying the list the way the region editor does.
    record->SelectRegion(0);
    int guard = 0;
    while (record->currentRegion != -1 && guard++ < 10) {
        record->DeleteCurrentRegion();
    }
    EXPECT_EQ(record->regionCount, 0);
    EXPECT_EQ(record->currentRegion, -1);
}

TEST(ScanRecord, DeletingTheOnlyRegionSelectsAll) {
    auto record = makeRecord(1);
    record->AddRegion(10, 20);
    record->SelectRegion(0);
    record->DeleteCurrentRegion();
    EXPECT_EQ(record->regionCount, 0);
    EXPECT_EQ(record->currentRegion, -1);
}

TEST(ScanRecord, SelectingPastTheEnd) {
    auto record = makeRecord(1);
    record->SelectRegion(7);
    EXPECT_EQ(record->currentRegion, -1);
    record->SelectRegion(-9);
    EXPECT_EQ(record->currentRegion, -1);
    for (int i = 0; i < 3; ++i) {
        record->AddRegion(0, 10);
    }
    record->SelectRegion(7);
    EXPECT_EQ(record->currentRegion, 2);
    record->SelectRegion(1);
    EXPECT_EQ(record->currentRegion, 1);
}

TEST(ScanRecord, RegionText) {
    auto record = makeRecord(1);
    record->AddRegion(213, 415);
    QString text = QStringLiteral("stale");
    EXPECT_TRUE(record->RegionText(0, text));
    EXPECT_EQ(text, QStringLiteral("10.65 deg to 20.75 deg"));
    EXPECT_TRUE(record->RegionText(-1, text));
    EXPECT_EQ(text, QStringLiteral("10.00 deg to 130.00 deg"));
    EXPECT_FALSE(record->RegionText(1, text));
    EXPECT_TRUE(text.isEmpty());
}

TEST(ScanRecord, ClearCellsEmptiesCellsAndRegions) {
    auto record = makeRecord(2);
    record->SetPoint(10, 3.0);
    record->AddRegion(0, 100);
    record->SelectRegion(0);
    record->ClearCells();
    EXPECT_EQ(record->ValidCellCount(), 0);
    EXPECT_EQ(record->CellValue(10), 0.0);
    EXPECT_EQ(record->regionCount, 0);
    EXPECT_EQ(record->currentRegion, -1);
}

TEST(ScanRecord, ViewGeometry) {
    auto record = makeRecord(1);
    record->AddRegion(-5, 30);
    record->AddRegion(213, 415);
    record->AddRegion(0, 600);
    record->AddRegion(0, 580);
    record->AddRegion(0, 1180);

    record->SelectRegion(0);
    EXPECT_EQ(record->ViewFirstCell(), -20);
    EXPECT_EQ(record->ViewPhase(), 15);
    EXPECT_EQ(record->ViewSpan(), 40 + 20 + 1);

    record->SelectRegion(1);
    EXPECT_EQ(record->ViewFirstCell(), 200);
    EXPECT_EQ(record->ViewPhase(), 13);
    EXPECT_EQ(record->ViewSpan(), 221);
    EXPECT_EQ(record->ZoomXLimit(), 0);

    record->SelectRegion(3); // span 581
    EXPECT_EQ(record->ZoomXLimit(), 0);
    record->SelectRegion(2); // span 601
    EXPECT_EQ(record->ViewSpan(), 601);
    EXPECT_EQ(record->ZoomXLimit(), 1);
    record->SelectRegion(4); // span 1181
    EXPECT_EQ(record->ZoomXLimit(), 1);

    // The whole record, 10.00 to 130.00 degrees: span 2401.
    record->SelectRegion(-1);
    EXPECT_EQ(record->ViewFirstCell(), 200);
    EXPECT_EQ(record->ViewSpan(), 2401);
    EXPECT_EQ(record->ZoomXLimit(), 2);
}

TEST(ScanRecord, ZoomLimitsAtTheirBoundaries) {
    const std::vector<std::pair<int, int>> cases = {{0, 0},    {600, 0},  {601, 1},
                                                    {1199, 1}, {1200, 2}, {2601, 2}};
    for (const auto& [span, limit] : cases) {
        EXPECT_EQ(trecdata::ZoomXLimitForSpan(span), limit) << span;
    }
    // Spans are always 20 k + 1: check the edges through regions that produce them exactly.
    auto record = makeRecord(1);
    record->AddRegion(20, 619);  // 20..620 -> 601
    record->AddRegion(20, 600);  // 581
    record->AddRegion(20, 1219); // 20..1220 -> 1201
    record->AddRegion(21, 1200); // 20..1200 -> 1181
    const std::vector<std::pair<int, int>> byRegion = {{0, 1}, {1, 0}, {2, 2}, {3, 1}};
    for (const auto& [region, limit] : byRegion) {
        record->SelectRegion(region);
        EXPECT_EQ(record->ZoomXLimit(), limit) << "region " << region << " span " << record->ViewSpan();
    }
}

TEST(ScanRecord, TogglingTheOffsetShiftsDisplayedAnglesButNotRegions) {
    auto record = makeRecord(1);
    record->SetPoint(0, 7.0);
    record->AddRegion(300, 400);
    EXPECT_EQ(record->FirstAngle(), 200);
    EXPECT_EQ(record->LastAngle(), 2600);
    EXPECT_EQ(record->ValueAtAngle(200), 7.0);
    EXPECT_EQ(record->AngleToIndex(199), -1);
    EXPECT_EQ(record->IndexToAngle(5), 205);

    record->offsetEnabled = true;
    EXPECT_EQ(record->AppliedOffset(), 10);
    EXPECT_EQ(record->FirstAngle(), 210);
    EXPECT_EQ(record->LastAngle(), 2610);
    EXPECT_EQ(record->ValueAtAngle(200), -1.0);
    EXPECT_EQ(record->ValueAtAngle(210), 7.0);
    EXPECT_EQ(record->AngleToIndex(2610), 2400);
    EXPECT_EQ(record->AngleToIndex(2611), -1);
    EXPECT_EQ(record->IndexToAngle(5), 215);
    EXPECT_EQ(record->regions[0], (trecdata::Region{300, 400}));

    record->SetOffset(-20);
    EXPECT_EQ(record->FirstAngle(), 180);
    EXPECT_TRUE(record->IsValidAt(180));
    EXPECT_FALSE(record->IsValidAt(200));
}

TEST(ScanRecord, SettingsAndTheModifiedFlag) {
    auto record = makeRecord(1);
    record->SetDetectorHv(130);
    EXPECT_EQ(record->detectorHv, 650.0);
    EXPECT_FALSE(record->modified);
    record->SetComment(QStringLiteral("NaCl"));
    EXPECT_EQ(record->comment, QStringLiteral("NaCl"));
    EXPECT_TRUE(record->modified);
}

TEST(ScanRecord, ReaderSeesWholeCellsWhileAScanWrites) {
    // The acquisition thread stores while the window thread reads: every read must give either an
    // empty cell or a measured value with its flag, never a mix.
    auto record = makeRecord(4);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int round = 0; round < 40; ++round) {
            for (int i = 1; i < 2400; i += 4) {
                record->SetPoint(i, 1000.0 + round);
            }
        }
        done = true;
    });
    long reads = 0;
    while (!done || reads == 0) {
        for (int i = 0; i < 2400; i += 13) {
            const trecdata::Cell cell = record->ReadCell(i);
            ASSERT_TRUE(cell.valid ? cell.value >= 1000.0 && cell.value < 1040.0 : cell.value == 0.0)
                << cell.value << ' ' << cell.valid;
            const double mean = record->ValueAtAngle(200 + i);
            ASSERT_TRUE(mean == -1.0 || (mean >= 1000.0 && mean < 1040.0)) << mean;
            ++reads;
        }
    }
    writer.join();
}
