#include "device/protocol.h"

#include <algorithm>

namespace zavo {

namespace {

constexpr int unchanged = -1;

// code, name, sends bytes, waits, busy, allowance, pause, refreshes live entry
const std::vector<CommandInfo> table{
    {cmdCoarseCalibration, "cmdCoarseCalibration", true, true, false, unchanged, 0, false},
    {cmdAlignMove, "cmdAlignMove", true, true, false, unchanged, 0, false},
    {cmdAlignRun, "cmdAlignRun", true, true, true, unchanged, 0, false},
    {cmdInit05, "cmdInit05", true, true, false, unchanged, 0, false},
    {cmdScalarAcquire, "cmdScalarAcquire", true, true, false, unchanged, 0, false},
    {cmdSetArmMin, "cmdSetArmMin", true, true, false, unchanged, 0, false},
    {cmdSetArmMax, "cmdSetArmMax", true, true, false, unchanged, 0, false},
    {cmdSetArmPosition, "cmdSetArmPosition", true, true, false, unchanged, 0, false},
    {cmdHvOn, "cmdHvOn", true, true, false, unchanged, 0, false},
    {cmdHvOff, "cmdHvOff", true, true, false, unchanged, 0, false},
    {cmdSpeakerOn, "cmdSpeakerOn", true, true, false, unchanged, 0, false},
    {cmdSpeakerOff, "cmdSpeakerOff", true, true, false, unchanged, 0, false},
    {cmdStatusPoll, "cmdStatusPoll", true, true, false, unchanged, 0, false},
    {cmdScanGate, "cmdScanGate", true, true, false, unchanged, 0, false},
    {cmdAbort, "cmdAbort", true, true, false, unchanged, 0, false},
    {cmdScanRun, "cmdScanRun", true, true, true, unchanged, 200, false},
    {cmdMoveRun, "cmdMoveRun", true, true, true, unchanged, 0, false},
    {cmdMoveTo, "cmdMoveTo", true, true, false, unchanged, 0, false},
    {cmdSetOffset, "cmdSetOffset", true, true, false, unchanged, 0, false},
    {cmdSetHv, "cmdSetHv", true, true, false, unchanged, 0, false},
    {cmdTakeHvLimit, "cmdTakeHvLimit", false, false, false, unchanged, 0, true},
    {cmdTakeHvLimitEnabled, "cmdTakeHvLimitEnabled", false, false, false, unchanged, 0, true},
    {cmdTakeCountingTime, "cmdTakeCountingTime", false, false, false, unchanged, 0, true},
    {cmdTakeAngularStep, "cmdTakeAngularStep", false, false, false, unchanged, 0, true},
    {cmdTakeRangeMode, "cmdTakeRangeMode", false, false, false, unchanged, 0, false},
    {cmdTakeRadiator, "cmdTakeRadiator", false, false, false, unchanged, 0, true},
    {cmdTakeFilter, "cmdTakeFilter", false, false, false, unchanged, 0, true},
    {cmdTakeDetectorPosition, "cmdTakeDetectorPosition", false, false, false, unchanged, 0, true},
    {cmdTakeFilterThickness, "cmdTakeFilterThickness", false, false, false, unchanged, 0, true},
    {cmdFastGate, "cmdFastGate", true, true, false, 10, 0, false},
    {cmdIdleGate, "cmdIdleGate", true, true, false, 25, 0, false},
    {cmdReadConfig, "cmdReadConfig", true, true, false, unchanged, 0, false},
    {cmdResetConfig, "cmdResetConfig", true, false, false, unchanged, 0, false},
    {cmdTakeScalarCountTime, "cmdTakeScalarCountTime", false, false, false, unchanged, 0, false},
    {cmdStop, "cmdStop", true, true, false, unchanged, 0, false},
    {cmdTakeAutoCoarse, "cmdTakeAutoCoarse", false, false, false, unchanged, 0, false},
    {cmdTakeOffsetEnabled, "cmdTakeOffsetEnabled", false, false, false, unchanged, 0, false},
};

std::uint8_t hi(int v) {
    return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
std::uint8_t lo(int v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

std::vector<std::uint8_t> withWord(std::uint8_t command, int value) {
    return {command, hi(value), lo(value)};
}

} // namespace

const CommandInfo* commandInfo(std::uint8_t code) {
    const auto it =
        std::find_if(table.begin(), table.end(), [code](const CommandInfo& c) { return c.code == code; });
    return it == table.end() ? nullptr : &*it;
}

const std::vector<CommandInfo>& commandTable() {
    return table;
}

std::vector<std::uint8_t> encodeCommand(std::uint8_t code, const CommandInputs& in) {
    switch (code) {
    case cmdCoarseCalibration:
        return {0x01};
    case cmdAlignMove:
        return withWord(0x1B, in.alignTarget - in.effectiveOffset);
    case cmdAlignRun:
    case cmdMoveRun:
        return {'S', 0x00};
    case cmdInit05:
        return {0x05};
    case cmdScalarAcquire:
        return withWord('C', in.scalarCountTime);
    case cmdSetArmMin:
        return withWord('a', in.armMinRequest);
    case cmdSetArmMax:
        return withWord('A', in.armMaxRequest);
    case cmdSetArmPosition:
        return withWord('W', in.armPositionRequest);
    case cmdHvOn:
        return {'H'};
    case cmdHvOff:
        return {'h'};
    case cmdSpeakerOn:
        return {'G'};
    case cmdSpeakerOff:
        return {'g'};
    case cmdStatusPoll:
        return {0x0E};
    case cmdScanGate:
        return withWord('T', in.recordCountingTime * 10);
    case cmdAbort:
        return {'e'};
    case cmdScanRun:
        // A step code of 0 (an unset block) would wrap to 0xFF; the apparatus gets the finest step.
        return {'S', lo(std::max(in.angularStep, 1) - 1)};
    case cmdMoveTo:
        return withWord(0x1B, in.moveTarget - in.effectiveOffset);
    case cmdSetOffset:
        return withWord('O', in.offsetRequest);
    case cmdSetHv:
        return {'V', lo(in.hvSetting)};
    case cmdFastGate:
        return {'T', 0x00, 0x02};
    case cmdIdleGate:
        return {'T', 0x00, 0x32};
    case cmdReadConfig:
        return {'x'};
    case cmdResetConfig:
        return {'X'};
    case cmdStop:
        return {'P'};
    default:
        return {};
    }
}

std::optional<int> commandAllowance(std::uint8_t code, const CommandInputs& inputs) {
    if (code == cmdScalarAcquire)
        return inputs.scalarCountTime / 10 + 5;
    const CommandInfo* info = commandInfo(code);
    if (info && info->fixedAllowance != unchanged)
        return info->fixedAllowance;
    return std::nullopt;
}

} // namespace zavo
