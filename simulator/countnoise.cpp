#include "simulator/countnoise.h"

#include <cmath>

namespace sim {

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

std::uint64_t poissonSmall(Random& random, double mean) {
    const double limit = std::exp(-mean);
    std::uint64_t k = 0;
    double product = random.uniform();
    while (product > limit) {
        ++k;
        product *= random.uniform();
    }
    return k;
}

std::uint64_t poissonLarge(Random& random, double mean) {
    const double slam = std::sqrt(mean);
    const double loglam = std::log(mean);
    const double b = 0.931 + 2.53 * slam;
    const double a = -0.059 + 0.02483 * b;
    const double invAlpha = 1.1239 + 1.1328 / (b - 3.4);
    const double vr = 0.9277 - 3.6224 / (b - 2.0);
    for (;;) {
        const double u = random.uniform() - 0.5;
        const double v = random.uniform();
        const double us = 0.5 - std::fabs(u);
        const double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= vr) {
            return static_cast<std::uint64_t>(k);
        }
        if (k < 0.0 || (us < 0.013 && v > us)) {
            continue;
        }
        if (std::log(v) + std::log(invAlpha) - std::log(a / (us * us) + b) <=
            -mean + k * loglam - std::lgamma(k + 1.0)) {
            return static_cast<std::uint64_t>(k);
        }
    }
}

} // namespace

Random::Random(std::uint64_t seed) {
    for (std::uint64_t& word : state_) {
        word = splitmix64(seed);
    }
}

std::uint64_t Random::next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

double Random::uniform() {
    // 53 random bits, shifted off zero by half a unit so that neither 0 nor 1 occurs.
    return (static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53;
}

Random randomFor(std::uint64_t seed, Stream stream, std::uint64_t index) {
    std::uint64_t mix = seed;
    std::uint64_t key = splitmix64(mix) ^ (static_cast<std::uint64_t>(stream) << 56) ^ index;
    return Random(splitmix64(key));
}

std::uint64_t poisson(Random& random, double mean) {
    if (!(mean > 0.0)) {
        return 0;
    }
    return mean < 10.0 ? poissonSmall(random, mean) : poissonLarge(random, mean);
}

} // namespace sim
