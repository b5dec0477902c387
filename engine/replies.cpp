// Dispatching one reply from the apparatus. A malformed reply throws zavo::SilentAbort from its
// reader; the loop answers it by losing the link.
#include "engine/trs.h"

#include "engine/windowupdates.h"

#include "device/protocol.h"
#include "device/replies.h"

#include <algorithm>

namespace engine {

void TRS::dispatchReply(std::uint8_t tag) {
    switch (tag) {
    case zavo::replyAck:
        acknowledge();
        break;
    case zavo::replyComplete:
        operationComplete();
        break;
    case 'S':
        scanStep(zavo::readScanRateReply());
        unorderedMotion();
        break;
    case 'c':
        if (const auto rate = zavo::readDisplayRateReply()) {
            countRate = *rate;
            rateText = zavo::rateText(*rate);
            displayDirty = true;
        }
        sweepIdleRate(); // an idle apparatus in the middle of a sweep
        break;
    case 'C':
        if (const auto result = zavo::readScalarReply()) {
            scalarRate = *result;
            post(RoutineId::showScalarResult);
            hvOffDeadline = clock_.nowMs() + kHvOffIntervalMs;
        } else {
            post(RoutineId::abortDataWait);
        }
        break;
    case 's':
        zavo::discardCountReply();
        break;
    case 'W': {
        armPositionReply(zavo::readPositionReply());
        // Unasked, a position report means the arm moves.
        const bool answer = positionAsked_;
        positionAsked_ = false;
        if (!answer)
            unorderedMotion();
        sweepHeard();
        sweepPositionReply();
        break;
    }
    case 'I':
        tubeCurrentReply(zavo::readTubeCurrentReply());
        probeAnswered_ = probing_; // the position follows
        positionAsked_ = true;
        break;
    case 'x':
        receiveConfigReply();
        break;
    case 'm':
        haltNotice();
        break;
    case 'O':
        displayDirty = true;
        break;
    default:
        break;
    }
}

// An apparatus that reports motion or sweep steps while the thread ordered nothing (a sweep that
// went on through a lost link: the new link began idle) is stopped, as the shutdown sequence stops
// a busy apparatus: nothing may move that no one controls. Once, until its 0x03.
void TRS::unorderedMotion() {
    if (scanState.load() != scanIdle || deviceBusy || adjusting || calibrating || windingDown_ ||
        stopOrdered_)
        return;
    stopOrdered_ = true;
    enqueue(zavo::cmdStop);
}

void TRS::acknowledge() {
    awaitingAck = false;
    switch (lastCode) {
    case zavo::cmdScanRun:
    case zavo::cmdMoveRun:
        sweepAcked_ = true;
        break;
    case zavo::cmdSetOffset: {
        const int offset = config.offset;
        post(RoutineId::redrawLiveRecord, [this, offset](trecdata& record) {
            record.SetOffset(offset);
            regionCheck();
        });
        break;
    }
    case zavo::cmdSetArmMin:
    case zavo::cmdSetArmMax:
        // The upper end too: the region check that follows the lower end runs before the upper
        // end is set, and would leave the live record reaching past the new range.
        onUi([this] {
            if (!regionCheck())
                runRoutine(RoutineId::redrawLiveRecord);
        });
        break;
    case zavo::cmdHvOn:
    case zavo::cmdHvOff:
        hvIsOn.store(lastCode == zavo::cmdHvOn);
        displayDirty = true;
        break;
    case zavo::cmdSpeakerOn:
    case zavo::cmdSpeakerOff:
        speakerIsOn.store(lastCode == zavo::cmdSpeakerOn);
        displayDirty = true;
        break;
    case zavo::cmdSetHv: {
        hvText = zavo::hvText(config.hvSetting);
        displayDirty = true;
        const int setting = config.hvSetting;
        post(RoutineId::refreshReadouts, [setting](trecdata& r) { r.SetDetectorHv(setting); });
        post(RoutineId::refreshLiveEntry);
        break;
    }
    case zavo::cmdAbort:
        deviceBusy = false;
        break;
    default:
        break;
    }
}

// The apparatus sends its block only when asked. An 'x' that comes unasked is line noise: taken as
// a block it would be judged invalid and answered with a reset, which writes the noise into the
// apparatus's memory for good. It is a garbled reply like any other (the link is re-established).
void TRS::receiveConfigReply() {
    if (!configAsked_)
        throw zavo::SilentAbort("x");
    const zavo::DeviceConfig block = zavo::readConfigReply();
    configAsked_ = false;
    receiveConfig(block);
}

void TRS::receiveConfig(const zavo::DeviceConfig& block) {
    config = block;
    blockReceived_ = true;
    config.radiatorSelection = 0;
    // A block may hold any counting time; the scan gate carries it in hundredths as a 16-bit word,
    // so it is kept within what the windows offer.
    config.countingTime =
        static_cast<std::uint16_t>(std::clamp<int>(config.countingTime, 0, kMaxCountingTime));
    config.keepWithinLists();
    scanStart.store(config.armMin);
    scanEnd.store(config.armMax);
    // A live record that holds unsaved measurements (a scan cut short by a lost link) is kept:
    // a new one would throw the measured points away. The user starts afresh with the next scan
    // or a reset, both of which ask before discarding unsaved data.
    const bool keepLiveRecord = liveRecord && liveRecord->modified.load();
    if (config.isValid()) {
        config.hvSetting = 0;
        hvRequest.store(0);
        if (keepLiveRecord)
            post(RoutineId::refreshScanStatus);
        else
            rebuildLiveRecord();
        post(RoutineId::refreshSettingControls);
        return;
    }
    enqueue(zavo::cmdResetConfig);
    offsetRequest.store(0);
    config.applyInvalidBlockDefaults();
    requestSet.add(applyOffset);
    if (!keepLiveRecord)
        rebuildLiveRecord();
    scanStart.store(300);
    scanEnd.store(2400);
    config.hvSetting = 0;
    hvRequest.store(0);
}

void TRS::armPositionReply(int position) {
    config.armPosition = static_cast<std::int16_t>(position);
    config.armPositionCopy = static_cast<std::int16_t>(position);
    const int eo = effectiveOffset();
    const int angle = position + eo;
    armAngle.store(angle);
    atRangeEnd = angle == scanStart.load() + eo || angle == scanEnd.load() + eo;
    angleText = zavo::angleText(angle);
    displayDirty = true;
}

void TRS::tubeCurrentReply(int microamperes) {
    tubeCurrent = microamperes;
    currentText = zavo::currentText(microamperes);
    if (microamperes != recordView_.tubeCurrent)
        post(RoutineId::refreshLiveEntry, [microamperes](trecdata& r) { r.tubeCurrent = microamperes; });
    displayDirty = true;
}

} // namespace engine
