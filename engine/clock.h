// Time for the acquisition thread: where "now" comes from and how the thread pauses. Both are
// injected, so tests pass the 15- and 30-minute deadlines without waiting and run the thread's
// 1, 200 and 500 ms pauses as fast as they like.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace engine {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed origin.
    virtual std::int64_t nowMs() const = 0;
};

// The wall clock.
class SystemClock : public Clock {
public:
    std::int64_t nowMs() const override;
};

// The wall clock running `rate` times as fast from the moment of construction: the time of a
// simulated apparatus that runs faster than real time.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(double rate);
    std::int64_t nowMs() const override;
    double rate() const { return rate_; }

private:
    SystemClock wall_; // first: the origin is read from it
    double rate_;
    std::int64_t originMs_;
};

// A clock that moves only when told to; safe to move from one thread while another reads it.
class ManualClock : public Clock {
public:
    explicit ManualClock(std::int64_t startMs = 0) : now_(startMs) {}
    std::int64_t nowMs() const override { return now_.load(); }
    void advanceMs(std::int64_t ms) { now_.fetch_add(ms); }
    void setMs(std::int64_t ms) { now_.store(ms); }

private:
    std::atomic<std::int64_t> now_;
};

// Pauses of the acquisition thread. `scale` multiplies every pause: 1 is real time, 0.01 runs a
// hundred times faster, 0 only yields. The loop's pauses are cut short by wake() (used when the
// thread is told to end); the pauses that give the apparatus time to act (the shutdown
// sequence) are not. A pause that only paces the apparatus, with nothing depending on it, is cut
// short by hurry() (the user insists on ending).
class Sleeper {
public:
    explicit Sleeper(double scale = 1.0) : scale_(scale) {}

    // A pause of the loop; returns at once after wake().
    void sleepMs(int ms) { pause(ms, Kind::Loop); }
    // A pause the apparatus needs; always runs its full (scaled) length.
    void pauseMs(int ms) { pause(ms, Kind::Needed); }
    // A pause that only paces the apparatus; returns at once after hurry().
    void paceMs(int ms) { pause(ms, Kind::Pacing); }
    // Ends the current loop pause and every later one until rearm().
    void wake();
    // Ends the current pacing pause and every later one until rearm().
    void hurry();
    void rearm();
    double scale() const { return scale_; }
    // Pauses requested since construction and their total nominal length.
    std::uint64_t pauses() const { return pauses_.load(); }
    std::uint64_t nominalMs() const { return nominalMs_.load(); }

private:
    enum class Kind { Loop, Needed, Pacing };
    void pause(int ms, Kind kind);

    const double scale_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool woken_ = false;
    bool hurried_ = false;
    std::atomic<std::uint64_t> pauses_{0};
    std::atomic<std::uint64_t> nominalMs_{0};
};

} // namespace engine
