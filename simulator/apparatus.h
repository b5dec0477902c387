// The simulated apparatus in real time: the firmware model behind a lock, with a clock that maps
// wall-clock time to the firmware's virtual time by a time scale (1 = real time; 100 runs gates,
// steps and byte times a hundred times faster), and the USB plug. Thread-safe: the provider or the
// pseudo-terminal server uses the line side while tests and the program work the controls.
#pragma once

#include "simulator/firmware.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

namespace sim {

struct ApparatusOptions {
    FirmwareOptions firmware;
    double timeScale = 1.0; // virtual seconds per real second, kMinTimeScale..kMaxTimeScale
};

class Apparatus {
public:
    static constexpr double kMinTimeScale = 0.01;
    static constexpr double kMaxTimeScale = 1e7;

    explicit Apparatus(const ApparatusOptions& options = {});

    // --- the line ---
    // A connection is identified by the plug generation it was made in; unplugging ends every
    // connection, and operations on an ended one fail (return false / empty).
    std::uint64_t generation() const;
    bool connected(std::uint64_t generation) const;
    bool send(std::uint64_t generation, std::span<const std::uint8_t> bytes);
    std::optional<std::size_t> queued(std::uint64_t generation);
    // Waits up to `timeout` (real time) until `count` bytes have arrived and returns what arrived.
    // Returns empty when the connection ends, with the bytes taken so far in `destination`.
    std::optional<std::size_t> receive(std::uint64_t generation, std::uint8_t* destination, std::size_t count,
                                       std::chrono::milliseconds timeout, std::size_t* taken = nullptr);
    // Takes what has arrived without waiting.
    std::size_t takeReady(std::uint8_t* destination, std::size_t maxCount);
    // Drops the bytes on their way and any half-received command.
    void purge();
    // Real time until the firmware next has something to do or to deliver (capped at `cap`).
    std::chrono::nanoseconds untilNextDue(std::chrono::nanoseconds cap);

    // --- controls ---
    bool plugged() const;
    void unplug();
    void replug();
    void setTimeScale(double scale); // clamped to kMinTimeScale..kMaxTimeScale
    double timeScale() const;
    Micros virtualNow() const;

    // Runs `action` on the firmware, brought up to the present, under the lock; wakes waiting
    // readers afterwards.
    template <class Action>
    auto withFirmware(Action&& action) {
        std::unique_lock lock(mutex_);
        syncLocked();
        struct Notify {
            std::condition_variable& cv;
            ~Notify() { cv.notify_all(); }
        } notify{changed_};
        return action(firmware_);
    }

    void setBench(const Bench& bench);
    void setSilent(bool silent);
    void injectGarbage(std::size_t count);
    void cutNextReply();
    void eraseConfig();
    void injectHalt();
    void injectByte(std::uint8_t byte);
    std::uint64_t sweepStepsSent();

private:
    using RealClock = std::chrono::steady_clock;

    Micros virtualAtLocked(RealClock::time_point real) const;
    RealClock::time_point realAtLocked(Micros virtualTime) const;
    void syncLocked();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Firmware firmware_;
    double scale_;
    RealClock::time_point realBase_;
    Micros virtualBase_ = 0;
    bool plugged_ = true;
    std::uint64_t generation_ = 1;
};

} // namespace sim
