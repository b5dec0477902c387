// The firmware's arm runs (positioning moves, counted sweeps, the coarse calibration) and its
// counting.
#include "simulator/firmware.h"

#include <algorithm>

namespace sim {

namespace {

constexpr int kMechanicalMax = 3600; // 180 degrees
constexpr unsigned kMaxWireRate = 0xFFFFFE;
// Distance the calibration backs off when it starts on the reference switch.
constexpr int kCalibrationBackOff = 20;

int sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

double Firmware::meanRate() const {
    return registeredRate(bench_, trueArmPosition() * 0.05, hvOn_, hvSetting_ * 5.0);
}

unsigned Firmware::countRate(Stream stream, int hundredths) {
    Random random = randomFor(options_.seed, stream, sequence_[static_cast<std::size_t>(stream)]++);
    if (hundredths <= 0) {
        return 0;
    }
    const std::uint64_t counts = poisson(random, meanRate() * hundredths / 100.0);
    // counts / (hundredths / 100) cps, times 100 on the wire, rounded.
    const std::uint64_t value = (counts * 10'000 + static_cast<std::uint64_t>(hundredths) / 2) / hundredths;
    return static_cast<unsigned>(std::min<std::uint64_t>(value, kMaxWireRate));
}

void Firmware::scalarEvent() {
    scalarDue_ = kNever;
    emitHexReply('C', countRate(Stream::Scalar, scalarTime_), 6);
    resumeDisplay();
}

int Firmware::clampToRange(int position) const {
    const bool rangeUsable = armMin_ >= 0 && armMin_ < armMax_ && armMax_ <= kMechanicalMax;
    const int low = rangeUsable ? armMin_ : 0;
    const int high = rangeUsable ? armMax_ : kMechanicalMax;
    return std::clamp(position, low, high);
}

void Firmware::startRun(int increment) {
    drive_ = Drive{};
    displayDue_ = kNever;
    const int target = clampToRange(target_);
    if (gate_ >= 1 && gate_ <= kPositioningGateMax) {
        drive_.kind = Activity::Moving;
        drive_.waypoints = {target};
        if (counter_ == target) {
            reportPosition();
            finishDrive();
            return;
        }
        drive_.due = now_ + options_.armStepTime;
        return;
    }
    // A counted sweep counts first where the arm stands.
    drive_.kind = Activity::Sweeping;
    drive_.target = target;
    drive_.direction = sign(target - counter_);
    drive_.increment = increment;
    drive_.counting = true;
    reportPosition();
    drive_.due = now_ + static_cast<Micros>(gate_) * 10'000;
}

void Firmware::startCalibration() {
    drive_ = Drive{};
    displayDue_ = kNever;
    drive_.kind = Activity::Calibrating;
    // The counter reading at which the arm reaches the switch.
    const int atSwitch = kReferencePosition + bench_.referenceError - angleError_;
    if (counter_ == atSwitch) {
        drive_.waypoints.push_back(atSwitch + kCalibrationBackOff);
    }
    drive_.waypoints.push_back(atSwitch);
    drive_.due = now_ + options_.armStepTime;
}

void Firmware::driveEvent() {
    if (drive_.kind == Activity::Sweeping) {
        sweepEvent();
    } else {
        travelStep();
    }
}

void Firmware::travelStep() {
    const int waypoint = drive_.waypoints.front();
    counter_ += sign(waypoint - counter_);
    reportPosition();
    if (counter_ == waypoint) {
        drive_.waypoints.erase(drive_.waypoints.begin());
    }
    if (!drive_.waypoints.empty()) {
        drive_.due = now_ + options_.armStepTime;
        return;
    }
    if (drive_.kind == Activity::Calibrating) {
        // On the switch: the counter takes the reference value.
        const int trueAngle = trueArmPosition();
        if (counter_ != kReferencePosition) {
            counter_ = kReferencePosition;
            reportPosition();
        }
        angleError_ = trueAngle - counter_;
    }
    finishDrive();
}

void Firmware::sweepEvent() {
    if (drive_.counting) {
        const bool heard = !silent_ && !stalled_ && !cutNext_;
        emitHexReply('S', countRate(Stream::Sweep, gate_), 6);
        sweepStepsSent_ += heard ? 1 : 0;
        const int next = counter_ + drive_.direction * drive_.increment;
        const bool passesTarget =
            drive_.direction == 0 || (drive_.direction > 0 ? next > drive_.target : next < drive_.target);
        if (passesTarget) {
            finishDrive();
            return;
        }
        drive_.counting = false;
        drive_.stepsLeft = drive_.increment;
        drive_.due = now_ + options_.armStepTime;
        return;
    }
    counter_ += drive_.direction;
    reportPosition();
    if (--drive_.stepsLeft > 0) {
        drive_.due = now_ + options_.armStepTime;
        return;
    }
    drive_.counting = true;
    drive_.due = now_ + static_cast<Micros>(std::max(gate_, 0)) * 10'000;
}

void Firmware::finishDrive() {
    drive_ = Drive{};
    sendByte(0x03);
    resumeDisplay();
}

} // namespace sim
