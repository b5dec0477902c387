// The 6-byte real: the 48-bit floating-point format of record files and of the apparatus's
// configuration block.
//
//   byte 0      biased exponent e (0 means the value 0, whatever the other bytes hold)
//   bytes 1..4  bits 0..31 of the 39-bit fraction f, least significant byte first
//   byte 5      bits 0..6: bits 32..38 of f; bit 7: sign
//   value = (-1)^sign * (1 + f / 2^39) * 2^(e - 129)
//
// Every 6-byte real is exactly representable as a double, so decoding is exact. Encoding rounds the
// fraction to nearest on the first dropped bit (carrying into the exponent), turns values too small
// for e >= 1 into 0 and refuses values too large for e <= 255, NaN and infinities.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace records {

using Real48Bytes = std::array<std::uint8_t, 6>;

// The six bytes packed into the low 48 bits of an integer, byte 0 lowest (the little-endian reading
// of the six bytes).
using Real48Bits = std::uint64_t;

// Largest magnitude a 6-byte real can hold: (2 - 2^-39) * 2^126.
inline constexpr double kReal48Max = 0x1p126 * (2.0 - 0x1p-39);

// Converts a double; nullopt when it is too large, NaN or infinite.
std::optional<Real48Bits> encodeReal48Bits(double value);
std::optional<Real48Bytes> encodeReal48(double value);

// Converts a double that must be stored whatever it holds: NaN becomes 0 and values beyond the
// format's range become the largest value of their sign.
Real48Bits encodeReal48BitsSaturated(double value);

double decodeReal48Bits(Real48Bits bits);
double decodeReal48(const Real48Bytes& bytes);

// The double a value becomes after a round trip through the format (saturated like above).
double roundToReal48(double value);

Real48Bytes real48BitsToBytes(Real48Bits bits);
Real48Bits real48BytesToBits(const Real48Bytes& bytes);

} // namespace records
