#include "simulator/ptyserver.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::chrono::milliseconds kIdlePoll{50};
constexpr std::chrono::milliseconds kHungUpPause{20};
// Output kept for a client that does not read; beyond it the bytes are lost as on a real line.
constexpr std::size_t kPendingLimit = 65536;

timespec toTimespec(std::chrono::nanoseconds wait) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((wait - seconds).count())};
}

void pause(std::chrono::nanoseconds wait) {
    const timespec ts = toTimespec(wait);
    nanosleep(&ts, nullptr);
}

} // namespace

PtyServer::PtyServer(std::shared_ptr<Apparatus> apparatus) : apparatus_(std::move(apparatus)) {}

PtyServer::~PtyServer() {
    closeTerminal();
}

void PtyServer::closeTerminal() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
    }
    attached_ = false;
    pending_.clear();
}

bool PtyServer::followPlug() {
    const bool plugged = apparatus_->plugged();
    if (!plugged && master_ >= 0) {
        closeTerminal();
    } else if (plugged && master_ < 0) {
        std::string error;
        if (open(&error) && reopened_) {
            reopened_(path_);
        }
    }
    return master_ >= 0;
}

bool PtyServer::open(std::string* error) {
    const auto fail = [&](const char* what) {
        if (error != nullptr) {
            *error = std::string(what) + ": " + std::strerror(errno);
        }
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) {
        return fail("cannot create a pseudo-terminal");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return fail("cannot unlock the pseudo-terminal");
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        return fail("cannot name the pseudo-terminal");
    }
    path_ = name;
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) {
        return fail("cannot read the terminal settings");
    }
    cfmakeraw(&settings);
    if (tcsetattr(master_, TCSANOW, &settings) != 0) {
        return fail("cannot set raw mode");
    }
    // Opening and closing the terminal once puts it into the hung-up state that shows "no client"
    // until a client opens it.
    const int probe = ::open(name, O_RDWR | O_NOCTTY);
    if (probe < 0) {
        return fail("cannot open the pseudo-terminal");
    }
    ::close(probe);
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        if (::symlink(name, linkPath_.c_str()) != 0) {
            return fail("cannot make the link");
        }
    }
    return true;
}

void PtyServer::run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        if (!followPlug()) {
            pause(kIdlePoll);
            continue;
        }
        pollfd fd{master_, POLLIN, 0};
        if (attached_ && !pending_.empty()) {
            fd.events |= POLLOUT;
        }
        const auto wait =
            attached_ ? apparatus_->untilNextDue(kIdlePoll) : std::chrono::nanoseconds(kIdlePoll);
        const timespec timeout = toTimespec(wait);
        if (ppoll(&fd, 1, &timeout, nullptr) < 0) {
            continue; // interrupted by a signal: look at `stop`
        }
        if (fd.revents & (POLLHUP | POLLERR)) {
            // What a client wrote before it closed the terminal was on the line: the apparatus
            // takes it, as a real one takes the bytes a port sends out before it closes (a
            // program's shutdown sequence ends so).
            if (attached_ && (fd.revents & POLLIN)) {
                readInput();
            }
            detach();
            pause(kHungUpPause); // the hang-up stays signalled; do not spin on it
            continue;
        }
        if (!attached_) {
            attach();
        }
        if (fd.revents & POLLIN) {
            readInput();
        }
        writeOutput();
    }
}

void PtyServer::attach() {
    attached_ = true;
    pending_.clear();
    apparatus_->purge();
}

void PtyServer::detach() {
    attached_ = false;
    pending_.clear();
    // Drop what a departed client wrote and nobody read.
    char buffer[4096];
    while (::read(master_, buffer, sizeof buffer) > 0) {
    }
}

void PtyServer::readInput() {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count <= 0) {
            return; // EAGAIN: all read; EIO: hung up, seen by the next poll
        }
        apparatus_->send(apparatus_->generation(), std::span(reinterpret_cast<const std::uint8_t*>(buffer),
                                                             static_cast<std::size_t>(count)));
    }
}

void PtyServer::writeOutput() {
    std::uint8_t buffer[4096];
    for (;;) {
        const std::size_t room =
            std::min(sizeof buffer, kPendingLimit - std::min(kPendingLimit, pending_.size()));
        const std::size_t count = apparatus_->takeReady(buffer, room);
        if (count == 0) {
            break;
        }
        pending_.append(reinterpret_cast<const char*>(buffer), count);
    }
    while (!pending_.empty()) {
        const ssize_t written = ::write(master_, pending_.data(), pending_.size());
        if (written <= 0) {
            return; // the client is not reading (EAGAIN) or has gone (EIO, seen by the next poll)
        }
        pending_.erase(0, static_cast<std::size_t>(written));
    }
}

} // namespace sim
