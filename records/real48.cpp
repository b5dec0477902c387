// Conversion between doubles and the 6-byte real.
#include "records/real48.h"

#include <bit>
#include <cmath>

namespace records {

namespace {

constexpr int kFractionBits = 39;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << kFractionBits) - 1;
constexpr int kBias = 129;
// A double has 52 fraction bits; the 6-byte real keeps the top 39 of them.
constexpr int kDroppedBits = 52 - kFractionBits;

} // namespace

std::optional<Real48Bits> encodeReal48Bits(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    if (value == 0.0) {
        return Real48Bits{0};
    }
    const auto raw = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t sign = raw >> 63;
    const auto doubleExponent = static_cast<int>((raw >> 52) & 0x7ff);
    if (doubleExponent == 0) {
        return Real48Bits{0}; // a subnormal double is far below the smallest 6-byte real
    }
    const std::uint64_t doubleFraction = raw & ((std::uint64_t{1} << 52) - 1);

    int exponent = doubleExponent - 1023 + kBias;
    std::uint64_t fraction = doubleFraction >> kDroppedBits;
    if ((doubleFraction >> (kDroppedBits - 1)) & 1) {
        ++fraction; // round to nearest on the first dropped bit
        if (fraction > kFractionMask) {
            fraction = 0; // 1.111..1 rounded up is 2.0: carry into the exponent
            ++exponent;
        }
    }
    if (exponent > 255) {
        return std::nullopt;
    }
    if (exponent <= 0) {
        return Real48Bits{0};
    }
    return static_cast<std::uint64_t>(exponent) | (fraction << 8) | (sign << 47);
}

std::optional<Real48Bytes> encodeReal48(double value) {
    const auto bits = encodeReal48Bits(value);
    if (!bits) {
        return std::nullopt;
    }
    return real48BitsToBytes(*bits);
}

Real48Bits encodeReal48BitsSaturated(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (const auto bits = encodeReal48Bits(value)) {
        return *bits;
    }
    return *encodeReal48Bits(std::copysign(kReal48Max, value));
}

double decodeReal48Bits(Real48Bits bits) {
    const auto exponent = static_cast<int>(bits & 0xff);
    if (exponent == 0) {
        return 0.0;
    }
    const std::uint64_t fraction = (bits >> 8) & kFractionMask;
    const double magnitude = std::ldexp(1.0 + static_cast<double>(fraction) /
                                                  static_cast<double>(std::uint64_t{1} << kFractionBits),
                                        exponent - kBias);
    return ((bits >> 47) & 1) ? -magnitude : magnitude;
}

double decodeReal48(const Real48Bytes& bytes) {
    return decodeReal48Bits(real48BytesToBits(bytes));
}

double roundToReal48(double value) {
    return decodeReal48Bits(encodeReal48BitsSaturated(value));
}

Real48Bytes real48BitsToBytes(Real48Bits bits) {
    Real48Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return bytes;
}

Real48Bits real48BytesToBits(const Real48Bytes& bytes) {
    Real48Bits bits = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bits |= static_cast<Real48Bits>(bytes[i]) << (8 * i);
    }
    return bits;
}

} // namespace records
