// The 6-byte real codec.
#include "records/real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using records::decodeReal48;
using records::encodeReal48;
using records::Real48Bytes;

namespace {

Real48Bytes mustEncode(double value) {
    const auto bytes = encodeReal48(value);
    EXPECT_TRUE(bytes.has_value()) << value;
    return bytes.value_or(Real48Bytes{});
}

} // namespace

TEST(Real48, KnownValuesEncodeToTheirBytes) {
    EXPECT_EQ(mustEncode(50.0), (Real48Bytes{0x86, 0x00, 0x00, 0x00, 0x00, 0x48}));
    EXPECT_EQ(mustEncode(-1.0), (Real48Bytes{0x81, 0x00, 0x00, 0x00, 0x00, 0x80}));
    EXPECT_EQ(mustEncode(0.1), (Real48Bytes{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}));
    EXPECT_EQ(mustEncode(1.0), (Real48Bytes{0x81, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mustEncode(0.0), Real48Bytes{});
    EXPECT_EQ(mustEncode(-0.0), Real48Bytes{});
}

TEST(Real48, DecodesKnownBytesExactly) {
    EXPECT_EQ(decodeReal48({0x86, 0x00, 0x00, 0x00, 0x00, 0x48}), 50.0);
    EXPECT_EQ(decodeReal48({0x81, 0x00, 0x00, 0x00, 0x00, 0x80}), -1.0);
    // Exponent 0 is zero whatever the other bytes hold.
    EXPECT_EQ(decodeReal48({0x00, 0xff, 0xff, 0xff, 0xff, 0xff}), 0.0);
    // The largest fraction with the largest exponent.
    EXPECT_EQ(decodeReal48({0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}), records::kReal48Max);
}

TEST(Real48, RoundsToNearestOnTheFirstDroppedBit) {
    EXPECT_EQ(decodeReal48(mustEncode(1.0 + 0x1p-40)), 1.0 + 0x1p-39); // first dropped bit set: up
    EXPECT_EQ(decodeReal48(mustEncode(1.0 + 0x1p-41)), 1.0);           // only a later bit set: down
    EXPECT_EQ(decodeReal48(mustEncode(-(1.0 + 0x1p-40))), -(1.0 + 0x1p-39));
    // All 39 fraction bits set and the next one too: the carry moves into the exponent.
    const double justBelowTwo = 2.0 - 0x1p-40;
    EXPECT_EQ(mustEncode(justBelowTwo), (Real48Bytes{0x82, 0, 0, 0, 0, 0}));
    // 0.1 loses bits: decoding gives the nearest 6-byte real, within half a unit of the last place.
    EXPECT_NEAR(decodeReal48(mustEncode(0.1)), 0.1, 0x1p-44 / 2);
}

TEST(Real48, TooSmallBecomesZeroAndTooLargeIsRefused) {
    EXPECT_EQ(mustEncode(0x1p-128), (Real48Bytes{0x01, 0, 0, 0, 0, 0})); // smallest exponent 1
    EXPECT_EQ(mustEncode(0x1p-129), Real48Bytes{});
    EXPECT_EQ(mustEncode(std::numeric_limits<double>::denorm_min()), Real48Bytes{});
    EXPECT_EQ(mustEncode(-1e-300), Real48Bytes{});

    EXPECT_TRUE(encodeReal48(records::kReal48Max).has_value());
    EXPECT_FALSE(encodeReal48(0x1p127).has_value());
    EXPECT_FALSE(encodeReal48(-1e300).has_value());
    // Rounds up past the largest value.
    EXPECT_FALSE(encodeReal48(0x1p126 * (2.0 - 0x1p-41)).has_value());
    EXPECT_FALSE(encodeReal48(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(encodeReal48(std::nan("")).has_value());
}

TEST(Real48, SaturatedEncodingAlwaysGivesAValue) {
    EXPECT_EQ(records::roundToReal48(1e300), records::kReal48Max);
    EXPECT_EQ(records::roundToReal48(-std::numeric_limits<double>::infinity()), -records::kReal48Max);
    EXPECT_EQ(records::roundToReal48(std::nan("")), 0.0);
    EXPECT_EQ(records::roundToReal48(123.25), 123.25);
}

TEST(Real48, CountingRatesSurviveARoundTrip) {
    // Rates arrive as hundredths of a count per second in 24 bits: all of them fit exactly enough
    // to print the same with two decimals.
    for (int hundredths : {0, 1, 7, 12345, 20000, 1677721, 16777215}) {
        const double rate = hundredths / 100.0;
        const double back = decodeReal48(mustEncode(rate));
        EXPECT_NEAR(back, rate, rate * 0x1p-39) << rate;
    }
}
