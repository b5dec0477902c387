#include "engine/commandqueue.h"

namespace engine {

bool CommandQueue::enqueue(std::uint8_t code) {
    if (count_ >= kCapacity) {
        ++dropped_;
        return false;
    }
    ring_[static_cast<std::size_t>((head_ + count_) % kCapacity)] = code;
    ++count_;
    return true;
}

std::uint8_t CommandQueue::dequeue() {
    if (count_ == 0)
        return kNone;
    const std::uint8_t code = ring_[static_cast<std::size_t>(head_)];
    head_ = (head_ + 1) % kCapacity;
    --count_;
    return code;
}

void CommandQueue::clear(bool resetHead) {
    count_ = 0;
    if (resetHead)
        head_ = 0;
}

} // namespace engine
