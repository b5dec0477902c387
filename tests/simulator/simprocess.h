// zavo-apparatus-sim run as its own process, as a user starts it: its terminal under a symbolic
// link, its control input a FIFO, and a client on the other end of the terminal.
#pragma once

#include "tests/simulator/rawterminal.h"
#include "tests/simulator/replytokens.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace simtest {

// Reads until `done` says the bytes are enough, the terminal fails, or 20 s have passed.
inline std::string readUntil(int fd, const std::function<bool(const std::string&)>& done,
                             bool* failed = nullptr) {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done(bytes) && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0 && !(count < 0 && errno == EAGAIN)) {
            if (failed != nullptr) {
                *failed = true;
            }
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    return bytes;
}

// Reads until `wanted` is among the bytes (or as readUntil).
inline std::string readFor(int fd, char wanted, bool* failed = nullptr) {
    return readUntil(
        fd, [wanted](const std::string& bytes) { return bytes.find(wanted) != std::string::npos; }, failed);
}

// One line to the program's control FIFO.
inline void command(const std::string& fifo, const std::string& line) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const std::string text = line + "\n";
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
}

// The program at `timeScale` in a fresh folder; stopped with SIGTERM when the object ends.
class SimProcess {
public:
    explicit SimProcess(const char* program, const char* timeScale = "10") {
        char pattern[] = "/tmp/zavo-sim-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return;
        }
        directory_ = pattern;
        fifo_ = directory_ + "/control";
        link_ = directory_ + "/apparatus";
        child_ = fork();
        if (child_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(program, program, "--time-scale", timeScale, "--control", fifo_.c_str(), "--link",
                  link_.c_str(), nullptr);
            _exit(127);
        }
    }
    ~SimProcess() {
        if (child_ > 0 && !stopped_) {
            stop();
        }
        ::unlink(fifo_.c_str());
        ::rmdir(directory_.c_str());
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& fifo() const { return fifo_; }
    const std::string& link() const { return link_; }
    bool started() const { return child_ > 0; }
    // Whether the terminal's link is there within 30 s.
    bool linked() const {
        struct stat status {};
        return eventually([&] { return ::lstat(link_.c_str(), &status) == 0; });
    }
    // SIGTERM, then the exit status (-1 when it did not end within 30 s).
    int stop() {
        if (child_ <= 0 || stopped_ || kill(child_, SIGTERM) != 0) {
            return -1;
        }
        stopped_ = true;
        int status = 0;
        if (!eventually([&] { return waitpid(child_, &status, WNOHANG) == child_; })) {
            kill(child_, SIGKILL);
            waitpid(child_, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string directory_, fifo_, link_;
    pid_t child_ = -1;
    bool stopped_ = false;
};

} // namespace simtest
