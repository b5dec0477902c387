// The acquisition thread's queue of command codes: a ring of 512 bytes with a head index and a
// count. Taking from an empty queue yields 47, the code that stands for "nothing".
#pragma once

#include <array>
#include <cstdint>

namespace engine {

class CommandQueue {
public:
    static constexpr int kCapacity = 512;
    static constexpr std::uint8_t kNone = 47;

    // Appends a code; refuses it (returns false) when the ring is full, so a runaway producer
    // can never overwrite codes that are still waiting.
    bool enqueue(std::uint8_t code);
    // The code at the head, or kNone when empty.
    std::uint8_t dequeue();
    // Drops the waiting codes; `resetHead` also moves the head back to slot 0 (done at open).
    void clear(bool resetHead = false);

    int count() const { return count_; }
    int head() const { return head_; }
    bool empty() const { return count_ == 0; }
    // Codes refused because the ring was full, since construction.
    int dropped() const { return dropped_; }

private:
    std::array<std::uint8_t, kCapacity> ring_{};
    int head_ = 0;
    int count_ = 0;
    int dropped_ = 0;
};

} // namespace engine
