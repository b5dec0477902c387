#include "simulator/apparatus.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

double clampScale(double scale) {
    if (!(scale > 0.0)) {
        return Apparatus::kMinTimeScale;
    }
    return std::clamp(scale, Apparatus::kMinTimeScale, Apparatus::kMaxTimeScale);
}

} // namespace

Apparatus::Apparatus(const ApparatusOptions& options)
    : firmware_(options.firmware), scale_(clampScale(options.timeScale)), realBase_(RealClock::now()) {}

Micros Apparatus::virtualAtLocked(RealClock::time_point real) const {
    const double elapsedNs = static_cast<double>(std::chrono::nanoseconds(real - realBase_).count());
    return virtualBase_ + static_cast<Micros>(std::floor(elapsedNs * scale_ / 1000.0));
}

Apparatus::RealClock::time_point Apparatus::realAtLocked(Micros virtualTime) const {
    const double ns = std::ceil(static_cast<double>(virtualTime - virtualBase_) * 1000.0 / scale_) + 1.0;
    // Far futures (kNever) are cut to a day; callers wait with a shorter limit anyway.
    const double limitedNs = std::min(ns, 86'400e9);
    return realBase_ + std::chrono::nanoseconds(static_cast<std::int64_t>(limitedNs));
}

void Apparatus::syncLocked() {
    firmware_.advanceTo(virtualAtLocked(RealClock::now()));
}

Micros Apparatus::virtualNow() const {
    std::lock_guard lock(mutex_);
    return virtualAtLocked(RealClock::now());
}

std::uint64_t Apparatus::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

bool Apparatus::connected(std::uint64_t generation) const {
    std::lock_guard lock(mutex_);
    return plugged_ && generation == generation_;
}

bool Apparatus::send(std::uint64_t generation, std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || generation != generation_) {
            return false;
        }
        syncLocked();
        firmware_.receive(bytes);
    }
    changed_.notify_all();
    return true;
}

std::optional<std::size_t> Apparatus::queued(std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || generation != generation_) {
        return std::nullopt;
    }
    syncLocked();
    return firmware_.ready();
}

std::optional<std::size_t> Apparatus::receive(std::uint64_t generation, std::uint8_t* destination,
                                              std::size_t count, std::chrono::milliseconds timeout,
                                              std::size_t* taken) {
    const RealClock::time_point deadline = RealClock::now() + timeout;
    std::unique_lock lock(mutex_);
    std::size_t got = 0;
    for (;;) {
        if (taken != nullptr) {
            *taken = got;
        }
        if (!plugged_ || generation != generation_) {
            return std::nullopt;
        }
        syncLocked();
        got += firmware_.take(destination + got, count - got);
        if (taken != nullptr) {
            *taken = got;
        }
        const RealClock::time_point now = RealClock::now();
        if (got == count || now >= deadline) {
            return got;
        }
        const Micros due = firmware_.nextDue();
        const RealClock::time_point wake = due == kNever ? deadline : std::min(deadline, realAtLocked(due));
        changed_.wait_until(lock, wake);
    }
}

std::size_t Apparatus::takeReady(std::uint8_t* destination, std::size_t maxCount) {
    std::lock_guard lock(mutex_);
    syncLocked();
    return firmware_.take(destination, maxCount);
}

void Apparatus::purge() {
    std::lock_guard lock(mutex_);
    syncLocked();
    firmware_.purge();
}

std::chrono::nanoseconds Apparatus::untilNextDue(std::chrono::nanoseconds cap) {
    std::lock_guard lock(mutex_);
    syncLocked();
    const Micros due = firmware_.nextDue();
    if (due == kNever) {
        return cap;
    }
    const auto wait = realAtLocked(due) - RealClock::now();
    return std::clamp<std::chrono::nanoseconds>(wait, std::chrono::nanoseconds(0), cap);
}

bool Apparatus::plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

void Apparatus::unplug() {
    {
        std::lock_guard lock(mutex_);
        if (!plugged_) {
            return;
        }
        plugged_ = false;
        ++generation_;
    }
    changed_.notify_all();
}

void Apparatus::replug() {
    std::lock_guard lock(mutex_);
    plugged_ = true;
}

void Apparatus::setTimeScale(double scale) {
    {
        std::lock_guard lock(mutex_);
        const RealClock::time_point now = RealClock::now();
        virtualBase_ = virtualAtLocked(now);
        realBase_ = now;
        scale_ = clampScale(scale);
    }
    changed_.notify_all();
}

double Apparatus::timeScale() const {
    std::lock_guard lock(mutex_);
    return scale_;
}

void Apparatus::setBench(const Bench& bench) {
    withFirmware([&](Firmware& firmware) { firmware.setBench(bench); });
}

void Apparatus::setSilent(bool silent) {
    withFirmware([&](Firmware& firmware) { firmware.setSilent(silent); });
}

void Apparatus::injectGarbage(std::size_t count) {
    withFirmware([&](Firmware& firmware) { firmware.injectGarbage(count); });
}

void Apparatus::cutNextReply() {
    withFirmware([](Firmware& firmware) { firmware.cutNextReply(); });
}

void Apparatus::eraseConfig() {
    withFirmware([](Firmware& firmware) { firmware.eraseConfig(); });
}

void Apparatus::injectHalt() {
    withFirmware([](Firmware& firmware) { firmware.injectHalt(); });
}

void Apparatus::injectByte(std::uint8_t byte) {
    withFirmware([byte](Firmware& firmware) { firmware.injectByte(byte); });
}

std::uint64_t Apparatus::sweepStepsSent() {
    return withFirmware([](Firmware& firmware) { return firmware.sweepStepsSent(); });
}

} // namespace sim
