// zavo-apparatus-sim: the simulated X-ray apparatus on a pseudo-terminal. Prints the terminal's path
// on its first line, then serves until SIGINT or SIGTERM.
#include "simulator/ptyserver.h"
#include "simulator/simoptions.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
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
    sim::PtyServer server(std::make_shared<sim::Apparatus>(parsed.options.apparatus));
    std::string error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "zavo-apparatus-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.path().c_str());
    std::fflush(stdout);
    const sim::Bench& bench = parsed.options.apparatus.firmware.bench;
    std::fprintf(stderr,
                 "zavo-apparatus-sim: %s anode, %s crystal, %.1f kV, %d uA, time scale %g; Ctrl+C ends\n",
                 sim::anodeName(bench.anode), sim::crystalName(bench.crystal), bench.tubeKv,
                 bench.tubeCurrentUa, parsed.options.apparatus.timeScale);
    server.run(stopRequested);
    return 0;
}
