// The typed request calls of the windows, the command line and the tests: each writes the
// request's value and then posts its number, so the worker, which may take the pending set over
// at any moment, never finds a request without its value.
#include "engine/trs.h"

#include <algorithm>

namespace engine {

void TRS::requestCountingTime(int tenths) {
    countingTimeRequest.store(static_cast<std::int16_t>(std::clamp(tenths, 0, kMaxCountingTime)));
    postRequest(setCountingTime);
}

void TRS::requestScalarTime(int hundredths) {
    scalarCountTimeRequest.store(hundredths);
    postRequest(setScalarTime);
}

void TRS::requestAngularStep(int units) {
    angularStepRequest.store(static_cast<std::int16_t>(units));
    postRequest(setAngularStep);
}

void TRS::requestDetectorHv(int units) {
    hvRequest.store(units);
    postRequest(setDetectorHv);
}

void TRS::requestHvLimit(int units) {
    hvLimitRequest.store(units);
    postRequest(setHvLimit);
}

void TRS::requestHvLimitEnabled(bool on) {
    hvLimitEnabledRequest.store(on ? 1 : 0);
    postRequest(setHvLimitEnabled);
}

void TRS::requestArmMin(int steps) {
    armMinRequest.store(steps);
    postRequest(setArmMin);
}

void TRS::requestArmMax(int steps) {
    armMaxRequest.store(steps);
    postRequest(setArmMax);
}

void TRS::requestArmRange(int min, int max) {
    requestArmMin(min);
    requestArmMax(max);
}

void TRS::requestArmPosition(int steps) {
    armPositionRequest.store(steps);
    postRequest(setArmPosition);
}

void TRS::requestOffset(int steps) {
    offsetRequest.store(steps);
    postRequest(applyOffset);
}

void TRS::requestOffsetEnabled(bool on) {
    offsetEnabledRequest.store(on ? 1 : 0);
    postRequest(setOffset);
}

void TRS::requestMoveArm(int target) {
    moveTarget.store(target);
    postRequest(moveArm);
}

void TRS::requestRangeMode(int mode) {
    rangeModeRequest.store(static_cast<std::uint8_t>(mode));
    postRequest(setRange);
}

void TRS::requestRadiator(int selection) {
    radiatorRequest.store(static_cast<std::uint8_t>(selection));
    postRequest(setRadiator);
}

void TRS::requestFilter(int selection) {
    filterRequest.store(static_cast<std::uint8_t>(selection));
    postRequest(setFilter);
}

void TRS::requestDetectorPosition(int selection) {
    detectorPositionRequest.store(static_cast<std::uint8_t>(selection));
    postRequest(setDetectorPosition);
}

void TRS::requestFilterThickness(double mm) {
    filterThicknessRequest.store(mm);
    postRequest(setFilterThickness);
}

void TRS::requestAutoCoarse(bool on) {
    autoCoarseRequest.store(on ? 1 : 0);
    postRequest(setAutoCoarse);
    calibrateThenScan.store(false);
}

void TRS::requestScan(bool calibrateFirst) {
    rebuildLiveRecord();
    if (calibrateFirst) {
        postRequest(calibrateAndScan);
    } else {
        calibrateThenScan.store(false);
        postRequest(startScan);
    }
}

void TRS::requestCoarseCalibration() {
    postRequest(coarseCalibration);
}

void TRS::requestPause(bool paused) {
    postRequest(paused ? pauseScan : resumeScan);
}

void TRS::requestStop() {
    postRequest(stop);
}

void TRS::requestHv(bool on) {
    postRequest(on ? hvOn : hvOff);
}

void TRS::requestSpeaker(bool on) {
    postRequest(on ? speakerOn : speakerOff);
}

void TRS::requestScalarAcquire() {
    postRequest(scalarAcquire);
}

void TRS::requestAbortAcquire() {
    postRequest(abortAcquire);
}

void TRS::requestShutDown() {
    postRequest(shutDown);
}

} // namespace engine
