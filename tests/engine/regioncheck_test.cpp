// The region check after a new offset or arm range keeps a live scan that is not saved yet, and
// replaces an empty or saved one with a record over the new range.
#include "tests/support/simfixture.h"

using namespace enginetest;

namespace {

class RegionCheckTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        connect();
    }
    void settle() { ASSERT_TRUE(driver->waitUntilSettled(kWait)); }

    // A measured point in the live record with the offset applied, as after a scan with the
    // offset switch on.
    trecdata* measure() {
        inspect([](engine::TRS& t) {
            t.liveRecord->offsetEnabled = true;
            t.liveRecord->SetPoint(100, 1234.0);
        });
        return thread->liveRecord.get();
    }
    void setOffset(int offset) {
        thread->requestOffset(offset);
        ASSERT_TRUE(until([&] { return thread->configSnapshot().offset == offset; }));
        settle();
    }
    void setArmRange(int low, int high) {
        thread->requestArmRange(low, high);
        ASSERT_TRUE(until([&] {
            return firmware([&](sim::Firmware& f) { return f.armMin() == low && f.armMax() == high; });
        }));
        settle();
    }
    bool stillHolds(const trecdata* record) {
        bool same = false;
        inspect([&](engine::TRS& t) {
            same = t.liveRecord.get() == record && t.liveRecord->modified.load() &&
                   t.liveRecord->ValidCellCount() > 0;
        });
        return same;
    }
};

} // namespace

TEST_F(RegionCheckTest, SettingOrDiscardingTheOffsetKeepsAnUnsavedScan) {
    const trecdata* record = measure();
    setOffset(40);
    EXPECT_TRUE(stillHolds(record));
    EXPECT_EQ(thread->liveRecord->angleOffset, 40); // the record follows the new offset
    setOffset(0);
    EXPECT_TRUE(stillHolds(record));
}

TEST_F(RegionCheckTest, ANewArmRangeKeepsAnUnsavedScanAndTheNextRecordTakesIt) {
    const trecdata* record = measure();
    const int oldStart = record->startAngle;
    setArmRange(400, 2200);
    EXPECT_TRUE(stillHolds(record));
    EXPECT_EQ(thread->liveRecord->startAngle, oldStart);
    // Discarding it (Reset, a new scan) builds the new range.
    thread->rebuildLiveRecord();
    EXPECT_TRUE(
        until([&] { return thread->liveRecord->startAngle == 400 && thread->liveRecord->endAngle == 2200; }));
    EXPECT_FALSE(thread->liveRecord->modified.load());
}

TEST_F(RegionCheckTest, AnEmptyLiveRecordIsStillReplacedWithTheOffsetOn) {
    // A mark on the record that does not make it modified.
    inspect([](engine::TRS& t) {
        t.liveRecord->offsetEnabled = true;
        t.liveRecord->comment = QStringLiteral("old");
    });
    setOffset(40);
    EXPECT_TRUE(until(
        [&] { return thread->liveRecord->comment.isEmpty() && thread->liveRecord->angleOffset == 40; }));
}
