// Request numbers and the request sets through which the windows hand work to the acquisition
// thread.
//
// A window writes the request's value field first and then adds the request number to the
// thread's pending set; the thread takes the pending set over into its active set and handles the
// lowest member of the active set, one per pass.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace engine {

// Members of the request sets. Numbers that are not listed are not used.
enum Request : int {
    coarseCalibration = 0,
    scalarAcquire = 4,
    setArmMin = 5,
    setArmMax = 6,
    setArmPosition = 7,
    hvOn = 9,
    hvOff = 10,
    speakerOn = 11,
    speakerOff = 12,
    statusPoll = 13,
    abortAcquire = 15,
    startScan = 16,
    calibrateAndScan = 17,
    resumeScan = 19,
    moveArm = 20,
    pauseScan = 21,
    applyOffset = 24,
    shutDown = 25,
    setDetectorHv = 26,
    setHvLimit = 27,
    setHvLimitEnabled = 28,
    setCountingTime = 29,
    setAngularStep = 30,
    setRange = 31,
    setRadiator = 32,
    setFilter = 33,
    setDetectorPosition = 34,
    setFilterThickness = 35,
    setScalarTime = 43,
    stop = 44,
    setAutoCoarse = 45,
    setOffset = 46,
};

inline constexpr int kRequestMembers = 48;

// A set of the members 0..47. Member n is bit n mod 8 of byte n div 8 of its six-byte form; in
// memory the six bytes are the low 48 bits of one integer, byte 0 lowest.
class RequestSet {
public:
    constexpr RequestSet() = default;
    constexpr explicit RequestSet(std::uint64_t bits) : bits_(bits & kMask) {}

    static constexpr bool isMember(int n) { return n >= 0 && n < kRequestMembers; }

    constexpr bool contains(int n) const { return isMember(n) && ((bits_ >> n) & 1u) != 0; }
    constexpr void add(int n) {
        if (isMember(n))
            bits_ |= std::uint64_t{1} << n;
    }
    constexpr void remove(int n) {
        if (isMember(n))
            bits_ &= ~(std::uint64_t{1} << n);
    }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void clear() { bits_ = 0; }
    constexpr std::uint64_t bits() const { return bits_; }
    // The lowest member, or -1 for the empty set.
    int lowest() const;
    int size() const;

    std::array<std::uint8_t, 6> toBytes() const;
    static RequestSet fromBytes(const std::array<std::uint8_t, 6>& bytes);

    constexpr RequestSet& operator|=(RequestSet other) {
        bits_ |= other.bits_;
        return *this;
    }
    friend constexpr bool operator==(RequestSet, RequestSet) = default;

    static constexpr std::uint64_t kMask = (std::uint64_t{1} << kRequestMembers) - 1;

private:
    std::uint64_t bits_ = 0;
};

// The pending set: written by the windows (user-interface thread) and looked at by the worker, so
// every access is atomic. Only the user-interface thread adds members; the worker removes
// `shutDown` while disconnected and `moveArm` when a link goes or comes, and the hand-over empties
// it.
class PendingRequests {
public:
    void add(int n);
    void remove(int n);
    bool contains(int n) const;
    bool empty() const;
    RequestSet snapshot() const;
    // Empties the set and returns what it held.
    RequestSet take();

private:
    std::atomic<std::uint64_t> bits_{0};
};

} // namespace engine
