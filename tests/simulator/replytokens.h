// Splits what the apparatus sent into replies, the way the computer reads them: a tag byte and its
// payload (hexadecimal digits or the 64-byte block); bytes that are no known tag stand alone. Also a
// wait for a condition, for tests that watch a running apparatus.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace simtest {

struct Reply {
    char tag;
    std::string payload;
    unsigned value() const { return static_cast<unsigned>(std::stoul(payload, nullptr, 16)); }
};

inline std::size_t payloadSize(char tag) {
    switch (tag) {
    case 'c':
    case 'S':
    case 'C':
        return 6;
    case 'W':
        return 4;
    case 'I':
        return 2;
    case 'x':
        return 64;
    default:
        return 0;
    }
}

inline std::vector<Reply> tokens(const std::string& bytes) {
    std::vector<Reply> replies;
    for (std::size_t i = 0; i < bytes.size();) {
        const char tag = bytes[i++];
        const std::size_t size = std::min(payloadSize(tag), bytes.size() - i);
        replies.push_back({tag, bytes.substr(i, size)});
        i += size;
    }
    return replies;
}

inline std::vector<Reply> only(const std::vector<Reply>& replies, char tag) {
    std::vector<Reply> selected;
    for (const Reply& reply : replies) {
        if (reply.tag == tag) {
            selected.push_back(reply);
        }
    }
    return selected;
}

// Whether a whole reply with `tag` (its payload complete) is among the bytes.
inline bool hasWhole(const std::string& bytes, char tag) {
    for (const Reply& reply : tokens(bytes)) {
        if (reply.tag == tag && reply.payload.size() == payloadSize(tag)) {
            return true;
        }
    }
    return false;
}

inline std::string tags(const std::vector<Reply>& replies) {
    std::string text;
    for (const Reply& reply : replies) {
        text += reply.tag;
    }
    return text;
}

// Whether `condition` comes true within 30 s (looked at every 5 ms).
template <class Condition>
bool eventually(Condition condition) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace simtest
