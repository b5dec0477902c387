// The apparatus's configuration memory: 64 bytes that the computer reads with 'x' and writes with
// 'X'. The computer writes the five leading 16-bit words (offset, arm position and its copy, arm
// range) low byte first and receives them high byte first; the memory keeps a block exactly as it
// was written, and the firmware answers 'x' with its live words in the reply's byte order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

class ConfigMemory {
public:
    static constexpr std::size_t kSize = 64;
    using Block = std::array<std::uint8_t, kSize>;

    // The leading words the firmware works with.
    struct Words {
        int offset = 0;   // signed, steps
        int position = 0; // signed, steps
        int armMin = 0;   // unsigned
        int armMax = 0;   // unsigned
    };

    // A configured apparatus: offset 0, arm at 900 (45 degrees), arm range 100..2400, the usual
    // settings and the marker 'W','W'.
    static Block configured();
    // A factory-new memory: every byte 0xFF (marker not 'W','W').
    static Block blank();

    explicit ConfigMemory(const Block& stored = configured()) : stored_(stored) {}

    const Block& stored() const { return stored_; }
    // The marker bytes 54..55 read 'W','W'.
    bool marked() const;
    // The words as stored (low byte first).
    Words storedWords() const;

    // Keeps a block the computer wrote ('X' and 64 bytes).
    void store(const Block& written) { stored_ = written; }
    // Forgets everything, as in a factory-new apparatus.
    void erase() { stored_ = blank(); }

    // The 64 bytes of the 'x' reply: the live words high byte first, the rest as stored.
    Block reply(const Words& live) const;

private:
    Block stored_;
};

} // namespace sim
