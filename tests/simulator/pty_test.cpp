// The apparatus on a pseudo-terminal, in process and as the program zavo-apparatus-sim, and the
// options both take.
#include "simulator/ptyserver.h"
#include "simulator/simoptions.h"
#include "tests/simulator/rawterminal.h"
#include "tests/simulator/replytokens.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace sim;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// Reads from fd until a reply `tag` has come or 30 s have passed; returns everything read.
std::string readUntil(int fd, char tag) {
    std::string bytes;
    const auto deadline = Clock::now() + 30s;
    while (!simtest::hasWhole(bytes, tag) && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buffer[256];
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
    }
    return bytes;
}

// Handshake and configuration read, as a client would do them.
void expectHandshakeAndBlock(int fd) {
    ASSERT_EQ(::write(fd, "T\x00\x32", 3), 3);
    EXPECT_FALSE(simtest::only(simtest::tokens(readUntil(fd, '\x06')), '\x06').empty());
    ASSERT_EQ(::write(fd, "x", 1), 1);
    const auto blocks = simtest::only(simtest::tokens(readUntil(fd, 'x')), 'x');
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].payload.size(), 64u);
    EXPECT_EQ(blocks[0].payload.substr(54, 2), "WW");
}

} // namespace

TEST(PtyServer, ServesAClientThatClosesAndReopensTheTerminal) {
    PtyServer server(std::make_shared<Apparatus>(ApparatusOptions{{}, 10.0}));
    std::string error;
    ASSERT_TRUE(server.open(&error)) << error;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.run(stop); });
    for (int round = 0; round < 3; ++round) {
        const int fd = openRawTerminal(server.path());
        ASSERT_GE(fd, 0);
        expectHandshakeAndBlock(fd);
        EXPECT_TRUE(server.clientAttached());
        ::close(fd);
        EXPECT_TRUE(simtest::eventually([&] { return !server.clientAttached(); })) << "round " << round;
    }
    stop = true;
    serving.join();
}

#ifdef ZAVO_APPARATUS_SIM
TEST(ApparatusProgram, PrintsItsTerminalAndAnswersUntilTerminated) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        execl(ZAVO_APPARATUS_SIM, ZAVO_APPARATUS_SIM, "--seed", "3", "--baud", nullptr);
        _exit(127);
    }
    ::close(out[1]);
    std::string line;
    const auto deadline = Clock::now() + 30s;
    while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        char c = 0;
        if (poll(&p, 1, 100) > 0 && ::read(out[0], &c, 1) == 1) {
            line += c;
        }
    }
    ::close(out[0]);
    ASSERT_EQ(line.rfind("/dev/", 0), 0u) << line;
    line.pop_back();
    const int fd = openRawTerminal(line);
    ASSERT_GE(fd, 0);
    expectHandshakeAndBlock(fd);
    ::close(fd);

    ASSERT_EQ(kill(child, SIGTERM), 0);
    int status = 0;
    EXPECT_TRUE(simtest::eventually([&] { return waitpid(child, &status, WNOHANG) == child; }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

TEST(SimOptions, ReadsEveryOptionInBothSpellings) {
    const ParsedOptions parsed =
        parseOptions({"--seed", "42", "--time-scale=12.5", "--baud", "--anode", "mo", "--crystal=LiF", "--kv",
                      "30", "--current", "80", "--filter", "Zr:20"});
    EXPECT_FALSE(parsed.ok()); // no zirconium foil
    const ParsedOptions good = parseOptions(
        {"--seed", "42", "--time-scale=12.5", "--baud", "--anode", "mo", "--crystal=LiF", "--kv", "30",
         "--current", "80", "--filter", "Ni:20", "--arm-error=-12", "--blank-config", "--background", "1"});
    ASSERT_TRUE(good.ok()) << good.error;
    const ApparatusOptions& options = good.options.apparatus;
    EXPECT_EQ(options.firmware.seed, 42u);
    EXPECT_EQ(options.timeScale, 12.5);
    EXPECT_EQ(options.firmware.byteTime, kByteTime115200);
    EXPECT_EQ(options.firmware.bench.anode, Anode::Mo);
    EXPECT_EQ(options.firmware.bench.crystal, Crystal::LiF);
    EXPECT_EQ(options.firmware.bench.tubeKv, 30.0);
    EXPECT_EQ(options.firmware.bench.tubeCurrentUa, 80);
    EXPECT_EQ(options.firmware.bench.filterZ, 28);
    EXPECT_EQ(options.firmware.bench.filterUm, 20.0);
    EXPECT_EQ(options.firmware.bench.armAngleError, -12);
    EXPECT_EQ(options.firmware.bench.backgroundCps, 1.0);
    EXPECT_EQ(options.firmware.memory, ConfigMemory::blank());
    EXPECT_TRUE(parseOptions({"--help"}).options.help);
}

TEST(SimOptions, RefusesWhatItCannotUse) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--frobnicate"},
                                               {"--seed"},
                                               {"--seed", "-1"},
                                               {"--time-scale", "0"},
                                               {"--kv", "thirty"},
                                               {"--current", "300"},
                                               {"--anode", "W"},
                                               {"--radiator", "Au"},
                                               {"--byte-time", "-5"},
                                               {"--baud=1"}}) {
        const ParsedOptions parsed = parseOptions(arguments);
        EXPECT_FALSE(parsed.ok()) << arguments.front();
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(SimOptions, EnvironmentCarriesTheSameOptions) {
    ::setenv("ZAVO_SIM", "--time-scale 50  --seed 8", 1);
    const ParsedOptions parsed = environmentOptions();
    ::unsetenv("ZAVO_SIM");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.options.apparatus.timeScale, 50.0);
    EXPECT_EQ(parsed.options.apparatus.firmware.seed, 8u);
    EXPECT_TRUE(environmentOptions().ok());

    ::setenv("ZAVO_SIM", "--kv 99", 1);
    std::string error;
    EXPECT_EQ(makeSimProviderFromEnvironment(&error), nullptr);
    ::unsetenv("ZAVO_SIM");
    EXPECT_NE(error.find("ZAVO_SIM"), std::string::npos);
    const auto provider = makeSimProviderFromEnvironment(&error);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->name(), "simulator");
}
