// Faults applied to a running apparatus from outside: one text command a line, from the standalone
// program's standard input or a FIFO, so that users and end-to-end tests can rehearse faults on the
// real program while it talks to the apparatus.
//
//   unplug | replug | silence MS | speak | garbage N | cut | halt | stray [BYTE] | erase-config |
//   bench radiator|filter|thickness|show ... | steps | config | help
#pragma once

#include "simulator/apparatus.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class FaultControl {
public:
    using Clock = std::chrono::steady_clock;

    explicit FaultControl(std::shared_ptr<Apparatus> apparatus);

    // Carries out one command line. Returns what was done ("unplugged", "silent for 3000 ms", ...),
    // or a text starting with "error: " when the line is not a command; an empty line gives "".
    std::string execute(std::string_view line, Clock::time_point now = Clock::now());
    // Ends a timed silence that is due; returns "speaking again" when it did, else "".
    std::string tick(Clock::time_point now = Clock::now());
    // When the running silence ends; none while no timed silence runs.
    std::optional<Clock::time_point> silenceEnd() const { return silenceEnd_; }

    static std::string helpText();

private:
    std::string configText();

    std::shared_ptr<Apparatus> apparatus_;
    std::optional<Clock::time_point> silenceEnd_;
};

// Reads command lines from the descriptors (non-blocking reads; a descriptor at end of file is
// dropped) and carries them out until `stop` becomes true; `report` receives each outcome.
// Checks `stop` at least every 50 ms.
void serveFaultControl(FaultControl& control, std::vector<int> descriptors, const std::atomic<bool>& stop,
                       const std::function<void(const std::string&)>& report);

// Opens a FIFO for commands at `path`, creating it when absent. Opened for reading and writing, so
// that writers may come and go without an end of file. -1 with a reason in *error on failure.
int openControlFifo(const std::string& path, std::string* error);

} // namespace sim
