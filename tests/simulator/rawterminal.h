// Opening the simulator's terminal as a program on the other end does: raw mode, no controlling
// terminal.
#pragma once

#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// The terminal at `path` in raw mode, opened with O_RDWR | O_NOCTTY and `extraFlags`; -1 when it
// does not open.
inline int openRawTerminal(const std::string& path, int extraFlags = 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | extraFlags);
    if (fd >= 0) {
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}
