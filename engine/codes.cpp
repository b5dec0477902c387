// Performing the codes taken from the command queue: the bytes they send and what they do to
// the thread's state.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/linkseq.h"
#include "device/protocol.h"
#include "records/real48.h"

namespace engine {

void TRS::enqueue(std::uint8_t code) {
    commandQueue.enqueue(code);
}

// False when the link was lost on the way.
bool TRS::performCode(std::uint8_t code) {
    const zavo::CommandInfo* info = zavo::commandInfo(code);
    if (!info)
        return true;
    if (code == zavo::cmdResetConfig) {
        resetConfiguration();
        return connected.load();
    }
    if (!info->sendsBytes) {
        takeOverValue(code);
        return true;
    }
    switch (code) {
    case zavo::cmdSetHv:
        config.hvSetting = static_cast<std::uint8_t>(hvRequest.load() & 0xFF);
        break;
    case zavo::cmdSetArmMin:
        config.armMin = static_cast<std::uint16_t>(armMinRequest.load());
        break;
    case zavo::cmdSetArmMax:
        config.armMax = static_cast<std::uint16_t>(armMaxRequest.load());
        break;
    case zavo::cmdSetOffset:
        config.offset = static_cast<std::int16_t>(offsetRequest.load());
        break;
    default:
        break;
    }
    zavo::CommandInputs in;
    in.effectiveOffset = effectiveOffset();
    in.alignTarget = alignTarget;
    in.moveTarget = moveTarget.load();
    in.scalarCountTime = config.scalarCountTime;
    in.armMinRequest = armMinRequest.load();
    in.armMaxRequest = armMaxRequest.load();
    in.armPositionRequest = armPositionRequest.load();
    in.recordCountingTime = recordView_.countingTime;
    in.angularStep = config.angularStep;
    in.offsetRequest = offsetRequest.load();
    in.hvSetting = config.hvSetting;
    if (!zavo::sendCommand(code, in)) {
        // A write that fails means the device is gone: reconnect rather than wait for the watchdog.
        loseLink();
        return false;
    }
    if (code == zavo::cmdStatusPoll)
        polledSincePause_ = true;
    if (code == zavo::cmdReadConfig)
        configAsked_ = true;
    if (info->waitsForAck)
        awaitingAck = true;
    if (info->setsBusy || code == zavo::cmdAlignRun)
        deviceBusy = true;
    if (code == zavo::cmdScanRun || (code == zavo::cmdMoveRun && scanState.load() == scanRepositioning))
        sweepStarted();
    if (const auto allowance = zavo::commandAllowance(code, in))
        replyWatchdog = *allowance;
    if (info->pauseAfterMs > 0)
        sleeper_.sleepMs(info->pauseAfterMs);
    if (code == zavo::cmdAlignRun) {
        adjusting = true;
        post(RoutineId::refreshScanStatus);
    } else if (code == zavo::cmdIdleGate) {
        post(RoutineId::releaseMoveButton);
    }
    return true;
}

void TRS::takeOverValue(std::uint8_t code) {
    switch (code) {
    case zavo::cmdTakeHvLimit:
        config.hvLimit = static_cast<std::uint8_t>(hvLimitRequest.load() & 0xFF);
        post(RoutineId::refreshLiveEntry);
        break;
    case zavo::cmdTakeHvLimitEnabled:
        config.hvLimitEnabled = hvLimitEnabledRequest.load();
        post(RoutineId::refreshLiveEntry);
        break;
    case zavo::cmdTakeCountingTime: {
        if (config.angularStep == 0)
            config.angularStep = 1;
        const int time = countingTimeRequest.load();
        config.countingTime = static_cast<std::uint16_t>(time);
        post(RoutineId::refreshLiveEntry, [time](trecdata& r) { r.countingTime = time; });
        break;
    }
    case zavo::cmdTakeAngularStep: {
        const int step = angularStepRequest.load();
        config.angularStep = static_cast<std::uint16_t>(step);
        post(RoutineId::refreshLiveEntry, [step](trecdata& r) { r.angularStep = step; });
        break;
    }
    case zavo::cmdTakeRangeMode:
        config.rangeMode = rangeModeRequest.load();
        break;
    case zavo::cmdTakeRadiator: {
        const std::uint8_t v = radiatorRequest.load();
        config.radiatorSelection = v;
        post(RoutineId::refreshLiveEntry, [v](trecdata& r) { r.radiator = v; });
        break;
    }
    case zavo::cmdTakeFilter: {
        const std::uint8_t v = filterRequest.load();
        config.filterSelection = v;
        post(RoutineId::refreshLiveEntry, [v](trecdata& r) { r.filter = v; });
        break;
    }
    case zavo::cmdTakeDetectorPosition: {
        const std::uint8_t v = detectorPositionRequest.load();
        config.detectorPosition = v;
        post(RoutineId::refreshLiveEntry, [v](trecdata& r) { r.detectorPosition = v; });
        break;
    }
    case zavo::cmdTakeFilterThickness: {
        // The block holds the thickness as a 6-byte real; the record takes exactly that value.
        const records::Real48Bits bits = records::encodeReal48BitsSaturated(filterThicknessRequest.load());
        config.filterThickness = records::real48BitsToBytes(bits);
        const double mm = records::decodeReal48Bits(bits);
        post(RoutineId::refreshLiveEntry, [mm](trecdata& r) { r.filterThickness = mm; });
        break;
    }
    case zavo::cmdTakeScalarCountTime:
        config.scalarCountTime = scalarCountTimeRequest.load();
        break;
    case zavo::cmdTakeAutoCoarse:
        config.autoCoarseCalibration = autoCoarseRequest.load();
        break;
    case zavo::cmdTakeOffsetEnabled:
        config.offsetEnabled = offsetEnabledRequest.load();
        break;
    default:
        break;
    }
}

void TRS::resetConfiguration() {
    config.applyResetDefaults();
    // Unsaved measurements survive (see receiveConfig).
    if (!(liveRecord && liveRecord->modified.load()))
        post(RoutineId::replaceLiveRecord);
    post(RoutineId::refreshSettingControls);
    if (!zavo::writeConfigBlock(config)) {
        loseLink();
        return;
    }
    // The apparatus stores the block; give it the time it needs before the next command.
    sleeper_.pauseMs(zavo::configWritePauseMs);
    post(RoutineId::refreshSettingControls);
}

} // namespace engine
