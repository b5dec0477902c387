#include "device/protocol.h"

#include <gtest/gtest.h>

#include <set>

using namespace zavo;
using Bytes = std::vector<std::uint8_t>;

namespace {

TEST(QueueCodes, ScanRunSendsTheStepCodeMinusOne) {
    CommandInputs in;
    in.angularStep = 10; // 0.5 degree
    EXPECT_EQ(encodeCommand(cmdScanRun, in), (Bytes{'S', 0x09}));
    in.angularStep = 1; // 0.05 degree
    EXPECT_EQ(encodeCommand(cmdScanRun, in), (Bytes{'S', 0x00}));
    in.angularStep = 4;
    EXPECT_EQ(encodeCommand(cmdScanRun, in), (Bytes{'S', 0x03}));
    // An unset step never turns into 0xFF.
    in.angularStep = 0;
    EXPECT_EQ(encodeCommand(cmdScanRun, in), (Bytes{'S', 0x00}));
}

TEST(QueueCodes, ScanGateSendsHundredthsHighByteFirst) {
    CommandInputs in;
    in.recordCountingTime = 50; // 5.0 s
    EXPECT_EQ(encodeCommand(cmdScanGate, in), (Bytes{'T', 0x01, 0xF4}));
    in.recordCountingTime = 1;
    EXPECT_EQ(encodeCommand(cmdScanGate, in), (Bytes{'T', 0x00, 0x0A}));
}

TEST(QueueCodes, MovesSubtractTheEffectiveOffset) {
    CommandInputs in;
    in.effectiveOffset = 40;
    in.moveTarget = 940;
    in.alignTarget = 340;
    EXPECT_EQ(encodeCommand(cmdMoveTo, in), (Bytes{0x1B, 0x03, 0x84}));
    EXPECT_EQ(encodeCommand(cmdAlignMove, in), (Bytes{0x1B, 0x01, 0x2C}));
    // A target below the offset goes out as a 16-bit two's complement value.
    in.moveTarget = 39;
    EXPECT_EQ(encodeCommand(cmdMoveTo, in), (Bytes{0x1B, 0xFF, 0xFF}));
}

TEST(QueueCodes, CommandsWithValues) {
    CommandInputs in;
    in.scalarCountTime = 1000;
    in.armMinRequest = 300;
    in.armMaxRequest = 3600;
    in.armPositionRequest = 900;
    in.offsetRequest = -20;
    in.hvSetting = 0x182; // only the low byte is sent
    EXPECT_EQ(encodeCommand(cmdScalarAcquire, in), (Bytes{'C', 0x03, 0xE8}));
    EXPECT_EQ(encodeCommand(cmdSetArmMin, in), (Bytes{'a', 0x01, 0x2C}));
    EXPECT_EQ(encodeCommand(cmdSetArmMax, in), (Bytes{'A', 0x0E, 0x10}));
    EXPECT_EQ(encodeCommand(cmdSetArmPosition, in), (Bytes{'W', 0x03, 0x84}));
    EXPECT_EQ(encodeCommand(cmdSetOffset, in), (Bytes{'O', 0xFF, 0xEC}));
    EXPECT_EQ(encodeCommand(cmdSetHv, in), (Bytes{'V', 0x82}));
}

TEST(QueueCodes, FixedCommands) {
    const CommandInputs in;
    EXPECT_EQ(encodeCommand(cmdCoarseCalibration, in), (Bytes{0x01}));
    EXPECT_EQ(encodeCommand(cmdAlignRun, in), (Bytes{'S', 0x00}));
    EXPECT_EQ(encodeCommand(cmdMoveRun, in), (Bytes{'S', 0x00}));
    EXPECT_EQ(encodeCommand(cmdInit05, in), (Bytes{0x05}));
    EXPECT_EQ(encodeCommand(cmdHvOn, in), (Bytes{'H'}));
    EXPECT_EQ(encodeCommand(cmdHvOff, in), (Bytes{'h'}));
    EXPECT_EQ(encodeCommand(cmdSpeakerOn, in), (Bytes{'G'}));
    EXPECT_EQ(encodeCommand(cmdSpeakerOff, in), (Bytes{'g'}));
    EXPECT_EQ(encodeCommand(cmdStatusPoll, in), (Bytes{0x0E}));
    EXPECT_EQ(encodeCommand(cmdAbort, in), (Bytes{'e'}));
    EXPECT_EQ(encodeCommand(cmdFastGate, in), (Bytes{'T', 0x00, 0x02}));
    EXPECT_EQ(encodeCommand(cmdIdleGate, in), (Bytes{'T', 0x00, 0x32}));
    EXPECT_EQ(encodeCommand(cmdReadConfig, in), (Bytes{'x'}));
    EXPECT_EQ(encodeCommand(cmdResetConfig, in), (Bytes{'X'}));
    EXPECT_EQ(encodeCommand(cmdStop, in), (Bytes{'P'}));
}

TEST(QueueCodes, TakeOverAndUnlistedCodesSendNothing) {
    const CommandInputs in;
    for (int code = 0; code <= 47; ++code) {
        const CommandInfo* info = commandInfo(static_cast<std::uint8_t>(code));
        const bool sends = info && info->sendsBytes;
        EXPECT_EQ(!encodeCommand(static_cast<std::uint8_t>(code), in).empty(), sends) << "code " << code;
        if (code >= 27 && code <= 46 && info && !sends) {
            EXPECT_FALSE(info->waitsForAck) << "code " << code;
        }
    }
    for (int code : {8, 17, 19, 21, 22, 23, 25, 36, 39, 42, 47, 200})
        EXPECT_EQ(commandInfo(static_cast<std::uint8_t>(code)), nullptr) << "code " << code;
    EXPECT_EQ(commandTable().size(), 37u);
}

TEST(QueueCodes, TableFlags) {
    std::set<int> busy;
    std::set<int> noWait;
    std::set<int> refresh;
    for (const CommandInfo& c : commandTable()) {
        if (c.setsBusy)
            busy.insert(c.code);
        if (c.sendsBytes && !c.waitsForAck)
            noWait.insert(c.code);
        if (c.refreshesLiveEntry)
            refresh.insert(c.code);
    }
    EXPECT_EQ(busy, (std::set<int>{cmdAlignRun, cmdScanRun, cmdMoveRun}));
    EXPECT_EQ(noWait, (std::set<int>{cmdResetConfig}));
    EXPECT_EQ(refresh, (std::set<int>{27, 28, 29, 30, 32, 33, 34, 35}));
    EXPECT_EQ(commandInfo(cmdScanRun)->pauseAfterMs, 200);
    EXPECT_EQ(commandInfo(cmdStop)->name, "cmdStop");
}

TEST(QueueCodes, Allowances) {
    CommandInputs in;
    in.scalarCountTime = 1000;
    EXPECT_EQ(commandAllowance(cmdScalarAcquire, in), 105);
    EXPECT_EQ(commandAllowance(cmdFastGate, in), 10);
    EXPECT_EQ(commandAllowance(cmdIdleGate, in), 25);
    EXPECT_EQ(commandAllowance(cmdScanGate, in), std::nullopt);
    EXPECT_EQ(commandAllowance(cmdNone, in), std::nullopt);
}

} // namespace
