// Fault commands from outside: what each does to the apparatus, what is refused, and the standalone
// program taking them from a FIFO while a client is attached.
#include "simulator/faultcontrol.h"
#include "tests/simulator/rawterminal.h"
#include "tests/simulator/replytokens.h"
#include "tests/simulator/simprocess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace sim;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// Everything the apparatus sends within `wait`, as text.
std::string drain(Apparatus& apparatus, std::chrono::milliseconds wait) {
    std::string bytes;
    const auto deadline = Clock::now() + wait;
    while (Clock::now() < deadline) {
        std::uint8_t buffer[256];
        std::size_t taken = 0;
        apparatus.receive(apparatus.generation(), buffer, sizeof buffer, 10ms, &taken);
        bytes.append(reinterpret_cast<const char*>(buffer), taken);
    }
    return bytes;
}

bool silent(Apparatus& apparatus) {
    return apparatus.withFirmware([](Firmware& f) { return f.silent(); });
}

} // namespace

TEST(FaultControl, EachCommandReachesTheApparatus) {
    auto apparatus = std::make_shared<Apparatus>(ApparatusOptions{{}, 100.0});
    FaultControl control(apparatus);
    drain(*apparatus, 20ms);

    EXPECT_EQ(control.execute("stray"), "sent a stray 0x03");
    EXPECT_NE(drain(*apparatus, 20ms).find('\x03'), std::string::npos);
    EXPECT_EQ(control.execute("  stray 0x41 "), "sent a stray 0x41");
    EXPECT_NE(drain(*apparatus, 20ms).find('A'), std::string::npos);
    EXPECT_EQ(control.execute("halt"), "halted");
    EXPECT_FALSE(simtest::only(simtest::tokens(drain(*apparatus, 20ms)), 'm').empty());
    EXPECT_EQ(control.execute("garbage 300"), "sent 300 random bytes");
    EXPECT_GE(drain(*apparatus, 50ms).size(), 300u);
    EXPECT_EQ(control.execute("cut"), "the next reply will be cut");
    EXPECT_EQ(control.execute("steps"), "sweep steps sent: 0");

    EXPECT_EQ(control.execute("unplug"), "unplugged");
    EXPECT_FALSE(apparatus->plugged());
    EXPECT_EQ(control.execute("replug"), "replugged");
    EXPECT_TRUE(apparatus->plugged());
    EXPECT_EQ(control.execute("erase-config"), "configuration memory erased");
    EXPECT_EQ(apparatus->withFirmware([](Firmware& f) { return f.memory().stored(); }),
              ConfigMemory::blank());
    EXPECT_NE(control.execute("help").find("stray [BYTE]"), std::string::npos);
    EXPECT_EQ(control.execute(""), "");
}

TEST(FaultControl, SilenceEndsWhenItsTimeIsUpOrOnSpeak) {
    auto apparatus = std::make_shared<Apparatus>(ApparatusOptions{{}, 100.0});
    FaultControl control(apparatus);
    const auto t0 = Clock::now();
    EXPECT_EQ(control.execute("silence 3000", t0), "silent for 3000 ms");
    EXPECT_TRUE(silent(*apparatus));
    ASSERT_TRUE(control.silenceEnd().has_value());
    EXPECT_EQ(*control.silenceEnd(), t0 + 3000ms);
    EXPECT_EQ(control.tick(t0 + 2999ms), "");
    EXPECT_TRUE(silent(*apparatus));
    EXPECT_EQ(control.tick(t0 + 3000ms), "speaking again");
    EXPECT_FALSE(silent(*apparatus));
    EXPECT_FALSE(control.silenceEnd().has_value());

    control.execute("silence 60000", t0);
    EXPECT_EQ(control.execute("speak"), "speaking again");
    EXPECT_FALSE(silent(*apparatus));
    EXPECT_EQ(control.tick(t0 + 70000ms), "");
}

TEST(FaultControl, RefusesWhatIsNoCommand) {
    auto apparatus = std::make_shared<Apparatus>();
    FaultControl control(apparatus);
    for (const char* line : {"silence", "silence -5", "silence 0", "silence 1e3", "garbage 0",
                             "garbage 70000", "stray 256", "stray x", "unplug now", "unplugged", "reboot"}) {
        EXPECT_EQ(control.execute(line).rfind("error: ", 0), 0u) << line;
    }
    EXPECT_TRUE(apparatus->plugged());
    EXPECT_FALSE(silent(*apparatus));
}

#ifdef ZAVO_APPARATUS_SIM
TEST(ApparatusProgram, TakesFaultsFromItsFifoWhileServing) {
    using simtest::command;
    using simtest::readFor;
    simtest::SimProcess program(ZAVO_APPARATUS_SIM);
    ASSERT_TRUE(program.started());
    const std::string& fifo = program.fifo();
    const std::string& link = program.link();
    struct stat status {};
    ASSERT_TRUE(program.linked());
    int fd = openRawTerminal(link, O_NONBLOCK);
    ASSERT_GE(fd, 0);
    readFor(fd, 'c'); // the first display rate: the client is served

    command(fifo, "stray");
    EXPECT_NE(readFor(fd, '\x03').find('\x03'), std::string::npos);
    command(fifo, "halt");
    EXPECT_NE(readFor(fd, 'm').find('m'), std::string::npos);

    command(fifo, "unplug");
    bool failed = false;
    readFor(fd, '\x7F' /* never comes */, &failed);
    EXPECT_TRUE(failed) << "the terminal outlived the unplug";
    EXPECT_TRUE(simtest::eventually([&] { return ::lstat(link.c_str(), &status) != 0; }));
    ::close(fd);
    command(fifo, "replug");
    ASSERT_TRUE(program.linked());
    fd = openRawTerminal(link, O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "T\x00\x32", 3), 3);
    EXPECT_NE(readFor(fd, '\x06').find('\x06'), std::string::npos);
    ::close(fd);

    EXPECT_EQ(program.stop(), 0);
}
#endif

// What a person at the bench turns by hand arrives as "bench ..." lines: the fluorescence of the
// declared radiator through the declared foil shows the foil's K edge, and refused lines change
// nothing.
TEST(FaultControl, BenchCommandsSetWhatIsInTheBeam) {
    auto apparatus = std::make_shared<Apparatus>();
    FaultControl control(apparatus);
    const auto bench = [&] { return apparatus->withFirmware([](Firmware& f) { return f.bench(); }); };
    const auto rateWith = [&](const char* radiator, const char* filter) {
        control.execute(std::string("bench radiator ") + radiator);
        control.execute(std::string("bench filter ") + filter);
        return plateauRate(bench(), 40.0);
    };
    EXPECT_EQ(control.execute("bench thickness 10").rfind("bench:", 0), 0u);
    // Ni's K edge (8.333 keV) lies between Cu Kα (8.05 keV) and Zn Kα (8.64 keV).
    const double cu = rateWith("Cu", "Ni") / rateWith("Cu", "none");
    const double zn = rateWith("Zn", "Ni") / rateWith("Zn", "none");
    EXPECT_GT(cu, 0.5);
    EXPECT_LT(zn, cu / 3);
    EXPECT_EQ(bench().radiatorZ, 30);

    const struct {
        const char* line;
        bool refused;
    } cases[] = {{"bench radiator Xx", true},   {"bench filter W", true},   {"bench thickness -1", true},
                 {"bench thickness ten", true}, {"bench colour red", true}, {"bench show", false},
                 {"bench radiator N/A", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(control.execute(c.line).rfind("error: ", 0) == 0, c.refused) << c.line;
    }
    EXPECT_EQ(bench().radiatorZ, 0); // "N/A": the crystal is in the beam
    EXPECT_EQ(bench().filterZ, 0);
    EXPECT_DOUBLE_EQ(bench().filterUm, 10.0);
}
