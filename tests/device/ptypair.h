// A pseudo-terminal pair in raw mode: the test plays the apparatus on the master side while the
// serial provider opens the slave path.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace testing_device {

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        path_ = name;
        makeRaw(master_);
        makeRaw(slave_);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !path_.empty(); }
    const std::string& slavePath() const { return path_; }

    // The apparatus sends.
    bool send(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads what the program sent, waiting up to a generous bound for count bytes.
    std::vector<std::uint8_t> receive(std::size_t count) const {
        std::vector<std::uint8_t> out;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (out.size() < count && std::chrono::steady_clock::now() < until) {
            std::uint8_t buffer[256];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - out.size()));
            if (n > 0)
                out.insert(out.end(), buffer, buffer + n);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return out;
    }
    // Hangs up: the slave side sees the device vanish. Our own slave descriptor is closed too, so the
    // hang-up is not held off by it.
    void closeMaster() {
        if (slave_ >= 0) {
            ::close(slave_);
            slave_ = -1;
        }
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    static void makeRaw(int fd) {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace testing_device
