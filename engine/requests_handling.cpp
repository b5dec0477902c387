// Turning the lowest active request into queue codes. Scan requests are in scan.cpp, arm and
// calibration requests in arm.cpp.
#include "engine/trs.h"

#include "device/protocol.h"

namespace engine {

void TRS::enqueueSimple(int request, std::uint8_t code) {
    enqueue(code);
    requestSet.remove(request);
}

void TRS::handleRequest(int request) {
    switch (request) {
    case coarseCalibration:
        handleCoarseCalibration();
        break;
    case scalarAcquire:
        enqueueSimple(request, zavo::cmdScalarAcquire);
        break;
    case setArmMin:
    case setArmMax:
        handleSetArmRange(request);
        break;
    case setArmPosition:
        handleSetArmPosition();
        break;
    case hvOn:
        enqueueSimple(request, zavo::cmdHvOn);
        break;
    case hvOff:
        enqueueSimple(request, zavo::cmdHvOff);
        break;
    case speakerOn:
        enqueueSimple(request, zavo::cmdSpeakerOn);
        break;
    case speakerOff:
        enqueueSimple(request, zavo::cmdSpeakerOff);
        break;
    case statusPoll:
        if (!deviceBusy)
            enqueue(zavo::cmdStatusPoll);
        requestSet.remove(request);
        break;
    case abortAcquire:
        enqueueSimple(request, zavo::cmdAbort);
        break;
    case startScan:
        handleStartScan();
        break;
    case calibrateAndScan:
        handleCalibrateAndScan();
        break;
    case resumeScan:
        handleResumeScan();
        break;
    case moveArm:
        handleMoveArm();
        break;
    case pauseScan:
        handlePauseScan();
        break;
    case applyOffset:
        handleApplyOffset();
        break;
    case shutDown:
        shuttingDown.store(true);
        requestSet.remove(request);
        break;
    case setDetectorHv:
        enqueueSimple(request, zavo::cmdSetHv);
        break;
    case setHvLimit:
        enqueueSimple(request, zavo::cmdTakeHvLimit);
        break;
    case setHvLimitEnabled:
        enqueueSimple(request, zavo::cmdTakeHvLimitEnabled);
        break;
    case setCountingTime:
        enqueueSimple(request, zavo::cmdTakeCountingTime);
        break;
    case setAngularStep:
        enqueueSimple(request, zavo::cmdTakeAngularStep);
        break;
    case setRange:
        enqueueSimple(request, zavo::cmdTakeRangeMode);
        break;
    case setRadiator:
        enqueueSimple(request, zavo::cmdTakeRadiator);
        break;
    case setFilter:
        enqueueSimple(request, zavo::cmdTakeFilter);
        break;
    case setDetectorPosition:
        enqueueSimple(request, zavo::cmdTakeDetectorPosition);
        break;
    case setFilterThickness:
        enqueueSimple(request, zavo::cmdTakeFilterThickness);
        break;
    case setScalarTime:
        enqueueSimple(request, zavo::cmdTakeScalarCountTime);
        break;
    case stop:
        handleStop();
        break;
    case setAutoCoarse:
        enqueueSimple(request, zavo::cmdTakeAutoCoarse);
        break;
    case setOffset:
        enqueueSimple(request, zavo::cmdTakeOffsetEnabled);
        break;
    default:
        // A member without a meaning is dropped, so it cannot hold back the ones above it.
        requestSet.remove(request);
        break;
    }
}

} // namespace engine
