#include "device/deviceconfig.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace zavo;

namespace {

DeviceConfig validConfig() {
    DeviceConfig c;
    c.applyResetDefaults();
    c.applyInvalidBlockDefaults();
    return c;
}

TEST(DeviceConfig, ReplyHasLeadingWordsHighByteFirstAndTheRestAsHeld) {
    DeviceConfig::Bytes reply{};
    std::iota(reply.begin(), reply.end(), std::uint8_t{0});
    reply[0] = 0xFF; // offset -20 = 0xFFEC
    reply[1] = 0xEC;
    reply[6] = 0x01; // armMin 300
    reply[7] = 0x2C;
    reply[8] = 0x0E; // armMax 3600
    reply[9] = 0x10;
    reply[10] = 0x32; // countingTime 50, low byte first
    reply[11] = 0x00;
    reply[46] = 0x10; // scalarCountTime 0x00002710 = 10000
    reply[47] = 0x27;
    reply[48] = 0x00;
    reply[49] = 0x00;
    const DeviceConfig c = DeviceConfig::fromReply(reply);
    EXPECT_EQ(c.offset, -20);
    EXPECT_EQ(c.armPosition, 0x0203);
    EXPECT_EQ(c.armPositionCopy, 0x0405);
    EXPECT_EQ(c.armMin, 300);
    EXPECT_EQ(c.armMax, 3600);
    EXPECT_EQ(c.countingTime, 50);
    EXPECT_EQ(c.angularStep, 0x0D0C);
    EXPECT_EQ(c.hvSetting, 14);
    EXPECT_EQ(c.roiCount, 15);
    EXPECT_EQ(c.roiRanges[0].start, 0x1110);
    EXPECT_EQ(c.roiRanges[4].end, 0x2322);
    EXPECT_EQ(c.filterThickness, (std::array<std::uint8_t, 6>{36, 37, 38, 39, 40, 41}));
    EXPECT_EQ(c.rangeMode, 42);
    EXPECT_EQ(c.detectorPosition, 45);
    EXPECT_EQ(c.scalarCountTime, 10000);
    EXPECT_EQ(c.hvLimit, 50);
    EXPECT_EQ(c.offsetEnabled, 53);
    EXPECT_EQ(c.marker, (std::array<std::uint8_t, 2>{54, 55}));
    EXPECT_EQ(c.reserved, (std::array<std::uint8_t, 8>{56, 57, 58, 59, 60, 61, 62, 63}));

    // Written back as held: the five leading words low byte first, everything else unchanged.
    const DeviceConfig::Bytes block = c.toBlock();
    for (std::size_t i = 0; i < 10; i += 2) {
        EXPECT_EQ(block[i], reply[i + 1]) << i;
        EXPECT_EQ(block[i + 1], reply[i]) << i;
    }
    for (std::size_t i = 10; i < DeviceConfig::size; ++i)
        EXPECT_EQ(block[i], reply[i]) << i;
}

TEST(DeviceConfig, BlockRoundTripIsExact) {
    DeviceConfig::Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    EXPECT_EQ(DeviceConfig::fromBlock(bytes).toBlock(), bytes);
    const DeviceConfig c = DeviceConfig::fromBlock(bytes);
    EXPECT_EQ(DeviceConfig::fromBlock(c.toBlock()), c);
}

TEST(DeviceConfig, Validation) {
    DeviceConfig c = validConfig();
    EXPECT_TRUE(c.isValid());

    c.armMax = 3601; // marker intact, arm range beyond 180 degrees
    EXPECT_FALSE(c.isValid());
    c.armMax = 3600;
    EXPECT_TRUE(c.isValid());

    c.armMin = 3600; // equal ends
    EXPECT_FALSE(c.isValid());
    c.armMin = 300;

    c.offset = 2400;
    EXPECT_TRUE(c.isValid());
    c.offset = -2401;
    EXPECT_FALSE(c.isValid());
    c.offset = 2401;
    EXPECT_FALSE(c.isValid());
    c.offset = 0;

    c.marker = {'N', 'W'};
    EXPECT_FALSE(c.isValid());
    c.marker = {'W', 'w'};
    EXPECT_FALSE(c.isValid());
}

TEST(DeviceConfig, InvalidBlockDefaultsTouchOnlyPositionsAndRange) {
    DeviceConfig c;
    c.offset = 3000;
    c.armMin = 5000;
    c.armMax = 4000;
    c.countingTime = 77;
    c.reserved[3] = 9;
    c.applyInvalidBlockDefaults();
    EXPECT_EQ(c.offset, 0);
    EXPECT_EQ(c.armPosition, 900);
    EXPECT_EQ(c.armPositionCopy, 900);
    EXPECT_EQ(c.armMin, 300);
    EXPECT_EQ(c.armMax, 2400);
    EXPECT_EQ(c.countingTime, 77);
    EXPECT_EQ(c.reserved[3], 9);
}

TEST(DeviceConfig, ResetDefaultsKeepReservedBytesPositionsAndRange) {
    DeviceConfig c;
    c.offset = -100;
    c.armPosition = 1234;
    c.armMin = 100;
    c.armMax = 3000;
    c.hvSetting = 200;
    c.roiCount = 3;
    c.filterThickness = {0x81, 0, 0, 0, 0, 0};
    c.radiatorSelection = 2;
    c.reserved = {1, 2, 3, 4, 5, 6, 7, 8};
    c.applyResetDefaults();
    EXPECT_EQ(c.offset, 0);
    EXPECT_EQ(c.countingTime, 20);
    EXPECT_EQ(c.angularStep, 1);
    EXPECT_EQ(c.hvSetting, 0);
    EXPECT_EQ(c.roiCount, 0);
    EXPECT_EQ(c.filterThickness, (std::array<std::uint8_t, 6>{}));
    EXPECT_EQ(c.radiatorSelection, 0);
    EXPECT_EQ(c.scalarCountTime, 100);
    EXPECT_EQ(c.hvLimit, 130);
    EXPECT_EQ(c.hvLimitEnabled, 1);
    EXPECT_EQ(c.autoCoarseCalibration, 0);
    EXPECT_EQ(c.offsetEnabled, 1);
    EXPECT_EQ(c.marker, (std::array<std::uint8_t, 2>{'W', 'W'}));
    EXPECT_EQ(c.armPosition, 1234);
    EXPECT_EQ(c.armMin, 100);
    EXPECT_EQ(c.armMax, 3000);
    EXPECT_EQ(c.reserved, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(c.isValid());
}

TEST(DeviceConfig, EffectiveOffsetFollowsTheSwitch) {
    DeviceConfig c;
    c.offset = -35;
    EXPECT_EQ(c.effectiveOffset(), 0);
    c.offsetEnabled = 1;
    EXPECT_EQ(c.effectiveOffset(), -35);
}

} // namespace

TEST(DeviceConfig, SelectionsOutsideTheirListsAndOddCountingTimesAreKeptWithinWhatTheWindowOffers) {
    struct Case {
        int radiator, filter, position, scalarTime;           // as the block holds them
        int keptRadiator, keptFilter, keptPosition, keptTime; // as the windows get them
    };
    const Case cases[] = {
        {8, 8, 17, 30000, 8, 8, 17, 30000}, // the last items and the longest time stay
        {9, 9, 18, 4, 0, 0, 0, 10},         // one past each list; 0.04 s
        {255, 200, 77, 0, 0, 0, 0, 10},     {3, 2, 5, 100000, 3, 2, 5, 30000}, {0, 0, 0, -5, 0, 0, 0, 10},
    };
    for (const Case& test : cases) {
        DeviceConfig c;
        c.radiatorSelection = static_cast<std::uint8_t>(test.radiator);
        c.filterSelection = static_cast<std::uint8_t>(test.filter);
        c.detectorPosition = static_cast<std::uint8_t>(test.position);
        c.scalarCountTime = test.scalarTime;
        c.keepWithinLists();
        EXPECT_EQ(c.radiatorSelection, test.keptRadiator) << test.radiator;
        EXPECT_EQ(c.filterSelection, test.keptFilter) << test.filter;
        EXPECT_EQ(c.detectorPosition, test.keptPosition) << test.position;
        EXPECT_EQ(c.scalarCountTime, test.keptTime) << test.scalarTime;
    }
}
