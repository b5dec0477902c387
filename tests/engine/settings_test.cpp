// Requests that change the apparatus's settings and calibration: arm position, arm range, offset,
// detector HV, the values that only the thread takes over, and scalar readings.
#include "tests/support/simfixture.h"

#include "records/real48.h"

using namespace enginetest;
using engine::RoutineId;

namespace {

class SettingsTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        connect();
    }
    // Waits until the request has been carried out and the apparatus is idle again.
    void settle() { ASSERT_TRUE(driver->waitUntilSettled(kWait)); }
};

} // namespace

TEST_F(SettingsTest, SetArmPositionZeroesTheOffsetThenDeclaresThePosition) {
    thread->requestOffset(30);
    ASSERT_TRUE(until([&] { return firmware([](sim::Firmware& f) { return f.offset() == 30; }); }));
    settle();
    thread->requestArmPosition(1000);
    ASSERT_TRUE(until([&] { return firmware([](sim::Firmware& f) { return f.armPosition() == 1000; }); }));
    settle();
    EXPECT_EQ(firmware([](sim::Firmware& f) { return f.offset(); }), 0);
    EXPECT_EQ(thread->configSnapshot().offset, 0);
}

TEST_F(SettingsTest, NewArmRangeReachesTheApparatusAndRebuildsTheLiveRecord) {
    // A stored region that the raised lower end cuts off is dropped; one inside it stays.
    thread->storeRegions(2, {zavo::RoiRange{200, 300}, zavo::RoiRange{500, 600}});
    thread->requestArmRange(400, 2200);
    ASSERT_TRUE(until(
        [&] { return firmware([](sim::Firmware& f) { return f.armMin() == 400 && f.armMax() == 2200; }); }));
    settle();
    const zavo::DeviceConfig config = thread->configSnapshot();
    EXPECT_EQ(config.armMin, 400);
    EXPECT_EQ(config.armMax, 2200);
    ASSERT_EQ(config.roiCount, 1);
    EXPECT_EQ(config.roiRanges[0], (zavo::RoiRange{500, 600}));
    // The live record's range no longer matched: it was replaced with the new one, both ends.
    EXPECT_TRUE(
        until([&] { return thread->liveRecord->startAngle == 400 && thread->liveRecord->endAngle == 2200; }));
    EXPECT_EQ(thread->scanStart.load(), 400);
    EXPECT_EQ(thread->scanEnd.load(), 2200);
    EXPECT_EQ(thread->liveRecord->regionCount, 1);
}

TEST_F(SettingsTest, OffsetShiftsEveryPositionBetweenThreadAndApparatus) {
    thread->requestOffset(40);
    ASSERT_TRUE(until([&] { return thread->configSnapshot().offset == 40; }));
    settle();
    EXPECT_TRUE(until([&] { return thread->liveRecord->angleOffset == 40; }));
    EXPECT_GE(updates.count(RoutineId::redrawLiveRecord), 1u);
    // Effective position 900 is device position 860.
    thread->requestMoveArm(900);
    ASSERT_TRUE(until([&] { return firmware([](sim::Firmware& f) { return f.armPosition() == 860; }); }));
    ASSERT_TRUE(until([&] { return thread->scanState.load() == engine::scanIdle; }));
    settle();
    EXPECT_EQ(thread->armAngle.load(), 900);
    EXPECT_TRUE(until([&] { return updates.angleText() == "45.00 deg. "; }));
}

TEST_F(SettingsTest, DetectorHvIsSentAndRecordedInTheLiveRecord) {
    thread->requestDetectorHv(111); // 555 V
    ASSERT_TRUE(until([&] { return updates.hvText() == "555 V "; }));
    settle();
    EXPECT_EQ(thread->configSnapshot().hvSetting, 111);
    EXPECT_EQ(firmware([](sim::Firmware& f) { return f.hvSetting(); }), 111);
    EXPECT_EQ(thread->liveRecord->detectorHv, 555.0);
}

TEST_F(SettingsTest, TakenOverValuesReachTheConfigurationAndTheLiveRecord) {
    const auto refreshes = updates.count(RoutineId::refreshLiveEntry);
    thread->requestRadiator(3);
    thread->requestFilterThickness(0.1);
    thread->requestAngularStep(4);
    thread->requestRangeMode(5);
    thread->requestHvLimit(100);
    ASSERT_TRUE(until([&] { return thread->configSnapshot().angularStep == 4; }));
    settle();
    const zavo::DeviceConfig config = thread->configSnapshot();
    EXPECT_EQ(config.radiatorSelection, 3);
    EXPECT_EQ(config.rangeMode, 5);
    EXPECT_EQ(config.hvLimit, 100);
    EXPECT_EQ(config.filterThickness, (std::array<std::uint8_t, 6>{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}));
    EXPECT_EQ(thread->liveRecord->radiator, 3);
    // The record holds the thickness exactly as the block's 6-byte real does.
    EXPECT_NEAR(thread->liveRecord->filterThickness, 0.1, 1e-12);
    EXPECT_EQ(thread->liveRecord->filterThickness, records::decodeReal48(config.filterThickness));
    EXPECT_EQ(thread->liveRecord->angularStep, 4);
    EXPECT_EQ(updates.liveEntryLabel(), "Live at 0.2/2.0  [deg/sec]");
    // Radiator, thickness, step and HV limit refresh the entry; the range does not.
    EXPECT_GE(updates.count(RoutineId::refreshLiveEntry) - refreshes, 4u);
}

TEST_F(SettingsTest, ScalarReadingIsShownAndAnAbortEndsTheWait) {
    thread->requestHv(true);
    thread->requestDetectorHv(100); // 500 V
    thread->requestScalarTime(20);
    settle();
    thread->requestScalarAcquire();
    ASSERT_TRUE(until([&] { return updates.count(RoutineId::showScalarResult) == 1; }));
    double rate = -1;
    inspect([&](engine::TRS& t) { rate = t.scalarRate; });
    EXPECT_GT(rate, 0);
    // A long reading aborted before it ends reports no result.
    thread->requestScalarTime(30000);
    ASSERT_TRUE(until([&] { return thread->configSnapshot().scalarCountTime == 30000; }));
    settle();
    thread->requestScalarAcquire();
    ASSERT_TRUE(until([&] { return firmware([](sim::Firmware& f) { return f.scalarCounting(); }); }));
    thread->requestAbortAcquire();
    EXPECT_TRUE(until([&] { return updates.count(RoutineId::abortDataWait) == 1; }));
    EXPECT_EQ(updates.count(RoutineId::showScalarResult), 1u);
}
