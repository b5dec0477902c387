// The command side of the apparatus protocol: queue codes, what each code sends and what it does to
// the link state, and the encoder producing the exact bytes. Pure: bytes out, no device access.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zavo {

// Codes of the acquisition thread's command queue. Numbers 0..46 that are not listed carry no command.
enum QueueCode : std::uint8_t {
    cmdCoarseCalibration = 0,
    cmdAlignMove = 1,
    cmdAlignRun = 2,
    cmdInit05 = 3,
    cmdScalarAcquire = 4,
    cmdSetArmMin = 5,
    cmdSetArmMax = 6,
    cmdSetArmPosition = 7,
    cmdHvOn = 9,
    cmdHvOff = 10,
    cmdSpeakerOn = 11,
    cmdSpeakerOff = 12,
    cmdStatusPoll = 13,
    cmdScanGate = 14,
    cmdAbort = 15,
    cmdScanRun = 16,
    cmdMoveRun = 18,
    cmdMoveTo = 20,
    cmdSetOffset = 24,
    cmdSetHv = 26,
    // Take-over codes: they send nothing and only take over a value requested by a window.
    cmdTakeHvLimit = 27,
    cmdTakeHvLimitEnabled = 28,
    cmdTakeCountingTime = 29,
    cmdTakeAngularStep = 30,
    cmdTakeRangeMode = 31,
    cmdTakeRadiator = 32,
    cmdTakeFilter = 33,
    cmdTakeDetectorPosition = 34,
    cmdTakeFilterThickness = 35,
    cmdFastGate = 37,
    cmdIdleGate = 38,
    cmdReadConfig = 40,
    cmdResetConfig = 41,
    cmdTakeScalarCountTime = 43,
    cmdStop = 44,
    cmdTakeAutoCoarse = 45,
    cmdTakeOffsetEnabled = 46,
    cmdNone = 47, // what an empty queue yields; also "no code taken yet"
};

// What taking a code from the queue does, apart from the bytes (see encodeCommand).
struct CommandInfo {
    QueueCode code;
    std::string_view name;   // the constant's name, for the debug log
    bool sendsBytes;         // false for the take-over codes
    bool waitsForAck;        // nothing more is sent from the queue until a 0x06 arrives
    bool setsBusy;           // sets deviceBusy (the watchdog pauses until a 0x03)
    int fixedAllowance;      // new reply watchdog value in idle passes; -1 = unchanged
                             // (cmdScalarAcquire's allowance depends on its input: commandAllowance)
    int pauseAfterMs;        // pause after the write (cmdScanRun: 200 ms)
    bool refreshesLiveEntry; // take-over codes that post refreshLiveEntry
};

// The entry of a listed code; nullptr for the numbers that carry no command (and for cmdNone).
const CommandInfo* commandInfo(std::uint8_t code);

// Every listed code, in ascending order.
const std::vector<CommandInfo>& commandTable();

// The values the encoder needs. Positions are in effective form (device position + effectiveOffset);
// the encoder subtracts effectiveOffset before sending.
struct CommandInputs {
    int effectiveOffset = 0;
    int alignTarget = 0;        // cmdAlignMove
    int moveTarget = 0;         // cmdMoveTo
    int scalarCountTime = 0;    // cmdScalarAcquire, hundredths of a second
    int armMinRequest = 0;      // cmdSetArmMin
    int armMaxRequest = 0;      // cmdSetArmMax
    int armPositionRequest = 0; // cmdSetArmPosition
    int recordCountingTime = 0; // cmdScanGate: the live record's counting time, tenths of a second
    int angularStep = 1;        // cmdScanRun: 1, 2, 4 or 10
    int offsetRequest = 0;      // cmdSetOffset
    int hvSetting = 0;          // cmdSetHv, 5 V units (low byte sent)
};

// The bytes a code writes. 16-bit values go high byte first (v >> 8, v & 0xFF; negative values in
// two's complement). Take-over codes and unlisted numbers give no bytes. For cmdResetConfig this is
// the single 'X'; the 64-byte block follows as a write of its own (writeConfigBlock in linkseq.h).
std::vector<std::uint8_t> encodeCommand(std::uint8_t code, const CommandInputs& inputs);

// The new reply watchdog value after the code is sent, if the code sets one: cmdScalarAcquire gives
// scalarCountTime / 10 + 5, cmdFastGate 10, cmdIdleGate 25.
std::optional<int> commandAllowance(std::uint8_t code, const CommandInputs& inputs);

} // namespace zavo
