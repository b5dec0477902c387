// What the simulated apparatus last received from a program that ended well: its shutdown
// sequence.
#pragma once

#include <string>

namespace testsupport {

// The last bytes are the shutdown sequence: HV to zero ('V' 0), HV off ('h'), a stop ('P') while
// the apparatus was busy, the 64-byte block after 'X', and '!'.
inline bool endsWithShutdownSequence(const std::string& tail) {
    const std::size_t n = tail.size();
    if (n < 70 || tail[n - 1] != '!' || tail[n - 66] != 'X')
        return false;
    const std::size_t h = tail[n - 67] == 'P' ? n - 68 : n - 67;
    return tail[h] == 'h' && tail[h - 1] == '\0' && tail[h - 2] == 'V';
}

} // namespace testsupport
