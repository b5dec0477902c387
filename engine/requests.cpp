#include "engine/requests.h"

#include <bit>

namespace engine {

int RequestSet::lowest() const {
    return bits_ == 0 ? -1 : std::countr_zero(bits_);
}

int RequestSet::size() const {
    return std::popcount(bits_);
}

std::array<std::uint8_t, 6> RequestSet::toBytes() const {
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 6; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits_ >> (8 * i));
    return bytes;
}

RequestSet RequestSet::fromBytes(const std::array<std::uint8_t, 6>& bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= std::uint64_t{bytes[static_cast<std::size_t>(i)]} << (8 * i);
    return RequestSet(bits);
}

void PendingRequests::add(int n) {
    if (RequestSet::isMember(n))
        bits_.fetch_or(std::uint64_t{1} << n, std::memory_order_acq_rel);
}

void PendingRequests::remove(int n) {
    if (RequestSet::isMember(n))
        bits_.fetch_and(~(std::uint64_t{1} << n), std::memory_order_acq_rel);
}

bool PendingRequests::contains(int n) const {
    return RequestSet(bits_.load(std::memory_order_acquire)).contains(n);
}

bool PendingRequests::empty() const {
    return bits_.load(std::memory_order_acquire) == 0;
}

RequestSet PendingRequests::snapshot() const {
    return RequestSet(bits_.load(std::memory_order_acquire));
}

RequestSet PendingRequests::take() {
    return RequestSet(bits_.exchange(0, std::memory_order_acq_rel));
}

} // namespace engine
