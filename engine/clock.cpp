#include "engine/clock.h"

#include <chrono>
#include <thread>

namespace engine {

std::int64_t SystemClock::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ScaledClock::ScaledClock(double rate) : rate_(rate > 0 ? rate : 1.0), originMs_(wall_.nowMs()) {}

std::int64_t ScaledClock::nowMs() const {
    return originMs_ + static_cast<std::int64_t>(static_cast<double>(wall_.nowMs() - originMs_) * rate_);
}

void Sleeper::pause(int ms, Kind kind) {
    pauses_.fetch_add(1);
    nominalMs_.fetch_add(static_cast<std::uint64_t>(ms > 0 ? ms : 0));
    const auto real = std::chrono::microseconds(static_cast<std::int64_t>(ms * scale_ * 1000.0));
    if (real.count() <= 0) {
        std::this_thread::yield();
        return;
    }
    if (kind == Kind::Needed) {
        std::this_thread::sleep_for(real);
        return;
    }
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, real, [&] { return kind == Kind::Loop ? woken_ : hurried_; });
}

void Sleeper::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_all();
}

void Sleeper::hurry() {
    {
        std::lock_guard lock(mutex_);
        hurried_ = true;
    }
    cv_.notify_all();
}

void Sleeper::rearm() {
    std::lock_guard lock(mutex_);
    woken_ = false;
    hurried_ = false;
}

} // namespace engine
