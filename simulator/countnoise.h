// Random numbers for the simulated apparatus: reproducible for a seed, and independent per kind of
// measurement, so that the counts of a sweep do not depend on how many display readings came before
// it (those depend on the wall-clock timing of the computer's commands).
#pragma once

#include <cstdint>

namespace sim {

// Kinds of draws; each has its own numbered sequence of measurements.
enum class Stream : std::uint32_t {
    Display = 1, // idle display rate 'c'
    Sweep = 2,   // counted sweep steps 'S'
    Scalar = 3,  // scalar counts 'C'
    Garbage = 4, // injected line noise
};

// xoshiro256** seeded through splitmix64.
class Random {
public:
    explicit Random(std::uint64_t seed);
    std::uint64_t next();
    // Uniform in the open interval (0, 1).
    double uniform();

private:
    std::uint64_t state_[4];
};

// The generator of measurement `index` of `stream` for `seed`.
Random randomFor(std::uint64_t seed, Stream stream, std::uint64_t index);

// A Poisson-distributed count of the given mean (0 for a mean <= 0). Multiplication method for small
// means, Hoermann's transformed rejection (PTRS) for large ones.
std::uint64_t poisson(Random& random, double mean);

} // namespace sim
