#include "simulator/faultcontrol.h"

#include "simulator/benchdeclare.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::chrono::milliseconds kStopCheck{50};
constexpr std::size_t kMaxGarbage = 65536;
constexpr long kMaxSilenceMs = 24L * 3600 * 1000;
constexpr std::size_t kMaxLine = 1024;

// A whole decimal number, or with a 0x prefix a hexadecimal one.
std::optional<long> number(const std::string& word) {
    int base = 10;
    std::string_view digits(word);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    long value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<long> numberInRange(const std::vector<std::string>& words, long low, long high) {
    if (words.size() != 2) {
        return std::nullopt;
    }
    const auto value = number(words[1]);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace

FaultControl::FaultControl(std::shared_ptr<Apparatus> apparatus) : apparatus_(std::move(apparatus)) {}

std::string FaultControl::helpText() {
    return "Fault commands (one a line, on standard input or the --control FIFO):\n"
           "  unplug          the apparatus leaves the bus (the open link fails)\n"
           "  replug          it comes back\n"
           "  silence MS      it ignores what it receives and sends nothing for MS milliseconds (real time)\n"
           "  speak           ends a silence at once\n"
           "  garbage N       sends N random bytes (1..65536)\n"
           "  cut             the next reply with a payload stops halfway\n"
           "  halt            motion stops without 0x03 and the halt notice 'm' is sent\n"
           "  stray [BYTE]    sends one byte out of turn (default 0x03, operation complete)\n"
           "  erase-config    erases the configuration memory (factory-new)\n"
           "  bench radiator N/A|V..Zn, bench filter none|V..Zn, bench thickness UM, bench show\n"
           "                  what a person at the bench turns or puts in the beam (nothing is sent)\n"
           "  steps           tells how many sweep steps ('S' replies) were sent whole\n"
           "  config          tells what the configuration memory holds (offset, arm range, marker)\n"
           "  help            this text\n";
}

std::string FaultControl::execute(std::string_view line, Clock::time_point now) {
    std::vector<std::string> words;
    std::istringstream stream{std::string(line)};
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    if (words.empty()) {
        return {};
    }
    const std::string& command = words[0];
    const bool bare = words.size() == 1;
    if (command == "unplug" && bare) {
        apparatus_->unplug();
        return "unplugged";
    }
    if (command == "replug" && bare) {
        apparatus_->replug();
        return "replugged";
    }
    if (command == "silence") {
        const auto ms = numberInRange(words, 1, kMaxSilenceMs);
        if (!ms) {
            return "error: silence needs milliseconds, 1.." + std::to_string(kMaxSilenceMs);
        }
        apparatus_->setSilent(true);
        silenceEnd_ = now + std::chrono::milliseconds(*ms);
        return "silent for " + std::to_string(*ms) + " ms";
    }
    if (command == "speak" && bare) {
        apparatus_->setSilent(false);
        silenceEnd_.reset();
        return "speaking again";
    }
    if (command == "garbage") {
        const auto count = numberInRange(words, 1, static_cast<long>(kMaxGarbage));
        if (!count) {
            return "error: garbage needs a byte count, 1.." + std::to_string(kMaxGarbage);
        }
        apparatus_->injectGarbage(static_cast<std::size_t>(*count));
        return "sent " + std::to_string(*count) + " random bytes";
    }
    if (command == "cut" && bare) {
        apparatus_->cutNextReply();
        return "the next reply will be cut";
    }
    if (command == "halt" && bare) {
        apparatus_->injectHalt();
        return "halted";
    }
    if (command == "stray") {
        const auto byte = bare ? std::optional<long>(0x03) : numberInRange(words, 0, 255);
        if (!byte) {
            return "error: stray takes one byte, 0..255 or 0x00..0xFF";
        }
        apparatus_->injectByte(static_cast<std::uint8_t>(*byte));
        char text[8];
        std::snprintf(text, sizeof text, "0x%02lX", *byte);
        return std::string("sent a stray ") + text;
    }
    if (command == "erase-config" && bare) {
        apparatus_->eraseConfig();
        return "configuration memory erased";
    }
    if (command == "bench") {
        return apparatus_->withFirmware([&](Firmware& firmware) {
            Bench bench = firmware.bench();
            std::string outcome = benchCommand(bench, words);
            firmware.setBench(bench);
            return outcome;
        });
    }
    if (command == "steps" && bare) {
        return "sweep steps sent: " + std::to_string(apparatus_->sweepStepsSent());
    }
    if (command == "config" && bare) {
        return configText();
    }
    if (command == "help" && bare) {
        return helpText();
    }
    return "error: unknown command \"" + std::string(line) + "\" (help lists them)";
}

std::string FaultControl::configText() {
    return apparatus_->withFirmware([](Firmware& firmware) {
        const ConfigMemory& memory = firmware.memory();
        const ConfigMemory::Words words = memory.storedWords();
        return "configuration memory: offset " + std::to_string(words.offset) + ", arm range " +
               std::to_string(words.armMin) + ".." + std::to_string(words.armMax) + ", marker " +
               (memory.marked() ? "WW" : "none");
    });
}

std::string FaultControl::tick(Clock::time_point now) {
    if (!silenceEnd_ || now < *silenceEnd_) {
        return {};
    }
    silenceEnd_.reset();
    apparatus_->setSilent(false);
    return "speaking again";
}

void serveFaultControl(FaultControl& control, std::vector<int> descriptors, const std::atomic<bool>& stop,
                       const std::function<void(const std::string&)>& report) {
    std::vector<std::string> partial(descriptors.size());
    const auto say = [&](const std::string& outcome) {
        if (!outcome.empty()) {
            report(outcome);
        }
    };
    while (!stop.load()) {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kStopCheck);
        if (const auto end = control.silenceEnd()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*end - FaultControl::Clock::now());
            wait = std::clamp(left, std::chrono::milliseconds(0), wait);
        }
        std::vector<pollfd> polled;
        for (const int fd : descriptors) {
            polled.push_back({fd, POLLIN, 0});
        }
        const int ready = ::poll(polled.data(), polled.size(), static_cast<int>(wait.count()));
        say(control.tick());
        if (ready <= 0) {
            continue;
        }
        for (std::size_t i = polled.size(); i-- > 0;) {
            if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[512];
            const ssize_t count = ::read(polled[i].fd, buffer, sizeof buffer);
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
                descriptors.erase(descriptors.begin() + static_cast<std::ptrdiff_t>(i));
                partial.erase(partial.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            std::string& text = partial[i];
            text.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
            for (std::size_t newline; (newline = text.find('\n')) != std::string::npos;) {
                say(control.execute(std::string_view(text).substr(0, newline)));
                text.erase(0, newline + 1);
            }
            if (text.size() > kMaxLine) {
                say("error: command line too long");
                text.clear();
            }
        }
    }
}

int openControlFifo(const std::string& path, std::string* error) {
    if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
        *error = "cannot create the control FIFO " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)) {
        *error = path + " is not a FIFO";
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open the control FIFO " + path + ": " + std::strerror(errno);
    }
    return fd;
}

} // namespace sim
