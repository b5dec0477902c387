#include "engine/sessionsignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace engine {
namespace {

constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kInsistMs = 1000;

int pipeEnds[2] = {-1, -1};
std::atomic<int> arrived{0};
std::atomic<long long> lastArrivalMs{0};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<long long>::is_always_lock_free);

struct sigaction previous[sizeof kCaught / sizeof kCaught[0]];
bool installed = false;

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now); // async-signal-safe
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

void say(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0')
        ++length;
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, length);
}

// Only async-signal-safe calls: the clock, atomics, write and _exit.
extern "C" void onSessionSignal(int signal) {
    const int savedErrno = errno;
    const long long now = monotonicMs();
    const int count = arrived.fetch_add(1) + 1;
    const long long before = lastArrivalMs.exchange(now);
    if (count >= 3 && now - before < kInsistMs) {
        say("\nzavo-driver: a third signal within a second: ending at once, without saving or "
            "switching the apparatus off\n");
        _exit(128 + signal);
    }
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SessionSignals& SessionSignals::install() {
    static SessionSignals instance;
    if (pipeEnds[0] < 0 && pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        pipeEnds[0] = pipeEnds[1] = -1;
    instance.take(nullptr);
    instance.taken_ = 0;
    instance.first_ = 0;
    arrived.store(0);
    lastArrivalMs.store(0);
    if (!installed) {
        struct sigaction action {};
        action.sa_handler = onSessionSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < sizeof kCaught / sizeof kCaught[0]; ++i)
            sigaction(kCaught[i], &action, &previous[i]);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, nullptr);
        installed = true;
    }
    return instance;
}

void SessionSignals::uninstall() {
    if (!installed)
        return;
    for (std::size_t i = 0; i < sizeof kCaught / sizeof kCaught[0]; ++i)
        sigaction(kCaught[i], &previous[i], nullptr);
    // SIGPIPE stays ignored: output still waiting in a stream is written after the catcher is gone,
    // and a reader that went away must not end the program then either.
    installed = false;
}

int SessionSignals::readFd() const {
    return pipeEnds[0];
}

int SessionSignals::take(int* signal) {
    int count = 0;
    unsigned char bytes[16];
    ssize_t got = 0;
    while (pipeEnds[0] >= 0 && (got = read(pipeEnds[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (first_ == 0)
                first_ = bytes[i];
            if (signal)
                *signal = bytes[i];
        }
        count += static_cast<int>(got);
    }
    taken_ += count;
    return count;
}

const char* SessionSignals::name(int signal) {
    switch (signal) {
    case SIGINT:
        return "Ctrl+C";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
    }
    return "a signal";
}

QString SessionSignals::hurryNotice(int signal) {
    return QStringLiteral("zavo-driver: %1 again: ending sooner; the points are still saved and the HV "
                          "switched off (a third within a second ends at once)\n")
        .arg(QLatin1String(name(signal)));
}

} // namespace engine
