// zavo-apparatus-sim driven through its control input while a client counts on its terminal: what a
// person turns and puts in the beam by hand shows in the scalar rates the client reads.
#include "tests/simulator/simprocess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#ifdef ZAVO_APPARATUS_SIM
namespace {

// One scalar count of `hundredths` on the terminal: 'C' hi lo, answered by 0x06 and later 'C' with
// the rate (counts per second x 100). Negative when no whole reply came.
double scalarRate(int fd, int hundredths) {
    const char request[] = {'C', static_cast<char>(hundredths >> 8), static_cast<char>(hundredths & 0xFF)};
    if (::write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request)) {
        return -1;
    }
    const std::string bytes =
        simtest::readUntil(fd, [](const std::string& b) { return simtest::hasWhole(b, 'C'); });
    for (const simtest::Reply& reply : simtest::only(simtest::tokens(bytes), 'C')) {
        if (reply.payload.size() == 6) {
            return reply.value() / 100.0;
        }
    }
    return -1;
}

} // namespace

TEST(ApparatusProgram, BenchCommandsShowInTheScalarRates) {
    simtest::SimProcess program(ZAVO_APPARATUS_SIM);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.linked());
    const int fd = openRawTerminal(program.link(), O_NONBLOCK);
    ASSERT_GE(fd, 0);
    simtest::readFor(fd, 'c'); // served
    // Detector at 500 V (on the counter's plateau), high voltage on.
    ASSERT_EQ(::write(fd, "V\x64H", 3), 3);

    const struct {
        const char* radiator;
        const char* filter;
        int thicknessUm;
    } settings[] = {
        {"Cu", "none", 10}, {"Cu", "Ni", 10}, {"Zn", "none", 10}, {"Zn", "Ni", 10}, {"Cu", "Ni", 20}};
    std::map<std::string, double> rate;
    for (const auto& s : settings) {
        simtest::command(program.fifo(), std::string("bench radiator ") + s.radiator);
        simtest::command(program.fifo(), std::string("bench filter ") + s.filter);
        simtest::command(program.fifo(), "bench thickness " + std::to_string(s.thicknessUm));
        // 10 s of counting (1 s at time scale 10): about 3 % counting noise on a Cu rate.
        const std::string key =
            std::string(s.radiator) + "/" + s.filter + "/" + std::to_string(s.thicknessUm);
        rate[key] = scalarRate(fd, 1000);
        ASSERT_GE(rate[key], 0) << key;
    }
    ::close(fd);
    EXPECT_EQ(program.stop(), 0);

    // Ni's K edge (8.333 keV) lies between Cu Kα (8.05 keV) and Zn Kα (8.64 keV): 10 µm of Ni passes
    // about two thirds of Cu's fluorescence and a small share of Zn's.
    const double cu = rate["Cu/Ni/10"] / rate["Cu/none/10"];
    const double zn = rate["Zn/Ni/10"] / rate["Zn/none/10"];
    EXPECT_GT(cu, 0.5) << rate["Cu/Ni/10"] << " of " << rate["Cu/none/10"];
    EXPECT_LT(zn, cu / 3) << rate["Zn/Ni/10"] << " of " << rate["Zn/none/10"];
    // Twice the foil: the transmission squared, within the counting noise.
    EXPECT_NEAR(rate["Cu/Ni/20"] / rate["Cu/none/10"], cu * cu, 0.1);
}
#endif
