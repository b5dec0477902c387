// zavo-apparatus-sim: the simulated X-ray apparatus on a pseudo-terminal. Prints the terminal's path
// on its first line, then serves until SIGINT or SIGTERM, taking fault commands from standard input
// and an optional FIFO meanwhile.
#include "simulator/faultcontrol.h"
#include "simulator/ptyserver.h"
#include "simulator/simoptions.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int) {
    stopRequested.store(true);
}

void installHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a signal ends the current wait
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A background job that reads its terminal gets EIO instead of being stopped; the fault
    // channel then leaves standard input alone.
    std::signal(SIGTTIN, SIG_IGN);
}

void tell(const std::string& text) {
    std::fprintf(stderr, "zavo-apparatus-sim: %s\n", text.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const sim::ParsedOptions parsed = sim::parseOptions(arguments);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zavo-apparatus-sim: %s\n%s", parsed.error.c_str(), sim::usageText().c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(sim::usageText().c_str(), stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::puts("zavo-apparatus-sim " ZAVO_VERSION);
        return 0;
    }
    installHandlers();
    const auto apparatus = std::make_shared<sim::Apparatus>(parsed.options.apparatus);
    sim::PtyServer server(apparatus);
    server.setLinkPath(parsed.options.linkPath);
    server.setReopenedHandler([](const std::string& path) { tell("replugged as " + path); });
    std::string error;
    std::vector<int> controlInputs{STDIN_FILENO};
    if (!parsed.options.controlPath.empty()) {
        const int fifo = sim::openControlFifo(parsed.options.controlPath, &error);
        if (fifo < 0) {
            tell(error);
            return 1;
        }
        controlInputs.push_back(fifo);
    }
    if (!server.open(&error)) {
        tell(error);
        return 1;
    }
    std::printf("%s\n", server.path().c_str());
    std::fflush(stdout);
    const sim::Bench& bench = parsed.options.apparatus.firmware.bench;
    std::fprintf(stderr,
                 "zavo-apparatus-sim: %s anode, %s crystal, %.1f kV, %d uA, time scale %g; Ctrl+C ends\n",
                 sim::anodeName(bench.anode), sim::crystalName(bench.crystal), bench.tubeKv,
                 bench.tubeCurrentUa, parsed.options.apparatus.timeScale);
    sim::FaultControl control(apparatus);
    std::thread faults([&] { sim::serveFaultControl(control, controlInputs, stopRequested, tell); });
    server.run(stopRequested);
    faults.join();
    tell("sweep steps sent: " + std::to_string(apparatus->sweepStepsSent()));
    // How the computer left the apparatus, for fault rehearsals.
    const auto [hv, ended, tail] = apparatus->withFirmware(
        [](sim::Firmware& f) { return std::tuple(f.hvOn(), f.sessionEnded(), f.receivedTail()); });
    std::string last;
    for (const char c : tail.substr(tail.size() > 8 ? tail.size() - 8 : 0)) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(c));
        last += (last.empty() ? "" : " ") + std::string(hex);
    }
    tell(std::string("left with HV ") + (hv ? "on" : "off") + ", session " + (ended ? "ended" : "open") +
         ", last bytes received: " + (last.empty() ? "none" : last));
    return 0;
}
