// The firmware model driven in virtual time: the protocol, runs, counting and the faults.
#include "simulator/firmware.h"
#include "tests/simulator/replytokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

using namespace sim;
using simtest::Reply;
using simtest::tokens;

namespace {

constexpr Micros kMs = 1000;
constexpr Micros kSecond = 1'000'000;

std::string cmd(std::initializer_list<int> bytes) {
    std::string text;
    for (int byte : bytes) {
        text += static_cast<char>(byte);
    }
    return text;
}

std::string word(int code, int value) {
    return cmd({code, (value >> 8) & 0xFF, value & 0xFF});
}

class Rig {
public:
    explicit Rig(FirmwareOptions options = {}) : fw(options) {}

    void send(const std::string& bytes) {
        fw.receive(bytes);
        collect();
    }
    void wait(Micros duration) {
        fw.advanceTo(fw.now() + duration);
        collect();
    }
    // Lets time pass until a reply with `tag` has come (true) or `limit` has passed (false).
    bool waitFor(char tag, Micros limit = 600 * kSecond) {
        const Micros deadline = fw.now() + limit;
        while (simtest::only(tokens(out), tag).empty()) {
            const Micros next = fw.nextDue();
            if (next > deadline) {
                fw.advanceTo(deadline);
                collect();
                return false;
            }
            fw.advanceTo(next);
            collect();
        }
        return true;
    }
    std::vector<Reply> replies() const { return tokens(out); }
    std::string drain() { return std::exchange(out, {}); }
    void collect() {
        const auto bytes = fw.takeReady();
        out.append(bytes.begin(), bytes.end());
    }
    // HV on at 500 V (on the counter's plateau).
    void counterOn() {
        send("H");
        send(cmd({'V', 100}));
        out.clear();
    }

    Firmware fw;
    std::string out;
};

int position(const Reply& reply) {
    return static_cast<int>(reply.value());
}

// The positions reported before each counted rate, in order.
std::vector<int> countedPositions(const std::vector<Reply>& replies) {
    std::vector<int> positions;
    int last = -1;
    for (const Reply& reply : replies) {
        if (reply.tag == 'W') {
            last = position(reply);
        } else if (reply.tag == 'S') {
            positions.push_back(last);
        }
    }
    return positions;
}

} // namespace

TEST(Firmware, HandshakeGateIsAcknowledgedAndIdleRatesFollowOncePerGate) {
    Rig rig;
    rig.send(word('T', 0x32));
    EXPECT_EQ(rig.out, "\x06");
    rig.wait(5 * kSecond);
    const auto rates = simtest::only(rig.replies(), 'c');
    EXPECT_EQ(rates.size(), 10u);
    for (const Reply& rate : rates) {
        ASSERT_EQ(rate.payload.size(), 6u);
        EXPECT_EQ(rate.payload.find_first_not_of("0123456789ABCDEF"), std::string::npos) << rate.payload;
    }
}

TEST(Firmware, EveryCommandButBlockWriteAndSessionEndIsAcknowledgedOnce) {
    for (const std::string& command :
         {word('T', 2), word(0x1B, 900), word('C', 0), word('O', 0), word('a', 100), word('A', 2400),
          word('W', 900), cmd({'V', 0}), cmd({'H'}), cmd({'h'}), cmd({'G'}), cmd({'g'}), cmd({0x05}),
          cmd({'e'}), cmd({0x0E}), cmd({'x'})}) {
        Rig rig;
        rig.send(command);
        EXPECT_EQ(rig.out.substr(0, 1), "\x06") << "command " << static_cast<int>(command[0]);
        EXPECT_EQ(std::count(rig.out.begin(), rig.out.end(), '\x06'), 1)
            << "command " << static_cast<int>(command[0]);
    }
    Rig rig;
    rig.send("X" + std::string(64, '\0'));
    rig.send("!");
    rig.send(cmd({0x7F, 'Z'})); // no commands: ignored
    EXPECT_EQ(rig.out, "");
}

TEST(Firmware, StatusPollReportsTubeCurrentAndPosition) {
    Rig rig;
    rig.send(cmd({0x0E}));
    EXPECT_EQ(rig.out, "\x06IC8W0384"); // 200 uA, position 900
}

TEST(Firmware, ConfigurationBlockIsReadHighByteFirst) {
    Rig rig;
    rig.send("x");
    const auto replies = rig.replies();
    ASSERT_EQ(simtest::tags(replies), std::string("\x06x"));
    const std::string& block = replies[1].payload;
    ASSERT_EQ(block.size(), 64u);
    EXPECT_EQ(block.substr(0, 10), cmd({0x00, 0x00, 0x03, 0x84, 0x03, 0x84, 0x00, 0x64, 0x09, 0x60}));
    EXPECT_EQ(block.substr(54, 2), "WW");
}

TEST(Firmware, WrittenBlockIsStoredAndItsSettingsTakeEffectButNotItsPosition) {
    Rig rig;
    std::string block(64, '\0');
    // Offset 40, position 1000 twice, arm range 300..2000, written low byte first.
    const int words[] = {40, 1000, 1000, 300, 2000};
    for (int i = 0; i < 5; ++i) {
        block[2 * i] = static_cast<char>(words[i] & 0xFF);
        block[2 * i + 1] = static_cast<char>(words[i] >> 8);
    }
    for (int i = 10; i < 64; ++i) {
        block[i] = static_cast<char>(i);
    }
    block[54] = 'W';
    block[55] = 'W';
    rig.send("X" + block);
    EXPECT_EQ(rig.out, "");
    const ConfigMemory::Block& stored = rig.fw.memory().stored();
    EXPECT_EQ(std::string(stored.begin(), stored.end()), block);
    rig.send("x");
    const std::string read = rig.replies().at(1).payload;
    EXPECT_EQ(read.substr(0, 10), cmd({0x00, 0x28, 0x03, 0x84, 0x03, 0x84, 0x01, 0x2C, 0x07, 0xD0}));
    EXPECT_EQ(read.substr(10), block.substr(10));
    // The new upper end limits runs.
    rig.send(word('T', 2) + word(0x1B, 3000) + cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    EXPECT_EQ(rig.fw.armPosition(), 2000);
}

TEST(Firmware, FactoryBlankAndErasedMemoryCarryNoMarker) {
    FirmwareOptions options;
    options.memory = ConfigMemory::blank();
    Rig blank(options);
    blank.send("x");
    EXPECT_NE(blank.replies().at(1).payload.substr(54, 2), "WW");
    EXPECT_EQ(blank.fw.armPosition(), 0); // no position survives in a blank memory

    Rig erased;
    erased.fw.eraseConfig();
    erased.send("x");
    EXPECT_EQ(erased.replies().at(1).payload.substr(54, 2), "\xFF\xFF");
}

TEST(Firmware, PositioningMoveReportsEveryStepAndEndsWithOperationComplete) {
    Rig rig;
    rig.send(word('T', 2) + word(0x1B, 920));
    rig.out.clear();
    const Micros start = rig.fw.now();
    rig.send(cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    const auto replies = rig.replies();
    EXPECT_EQ(rig.fw.now() - start, 20 * FirmwareOptions{}.armStepTime);
    ASSERT_EQ(replies.size(), 22u);
    EXPECT_EQ(replies.front().tag, '\x06');
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(position(replies[i + 1]), 901 + i);
    }
    EXPECT_EQ(replies.back().tag, '\x03');

    // Downwards, clamped to the lower end of the arm range (100).
    rig.out.clear();
    rig.send(word(0x1B, 0) + cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    EXPECT_EQ(rig.fw.armPosition(), 100);
    EXPECT_TRUE(simtest::only(rig.replies(), 'S').empty());
}

TEST(Firmware, CountedSweepsReportPositionThenRateAtEveryStep) {
    for (const int step : {1, 2, 4, 10}) {
        Rig rig;
        rig.counterOn();
        rig.send(word('T', 2) + word(0x1B, 600) + cmd({'S', 0}));
        ASSERT_TRUE(rig.waitFor('\x03'));
        rig.out.clear();
        rig.send(word('T', 10) + word(0x1B, 640));
        const Micros start = rig.fw.now();
        rig.send(cmd({'S', step - 1}));
        ASSERT_TRUE(rig.waitFor('\x03')) << "step " << step;
        const auto replies = rig.replies();
        std::vector<int> expected;
        for (int p = 600; p <= 640; p += step) {
            expected.push_back(p);
        }
        EXPECT_EQ(countedPositions(replies), expected) << "step " << step;
        EXPECT_EQ(simtest::only(replies, 'W').size(), 41u) << "every arm step is reported";
        EXPECT_EQ(replies.back().tag, '\x03');
        const Micros expectedTime =
            static_cast<Micros>(expected.size()) * 100 * kMs + 40 * FirmwareOptions{}.armStepTime;
        EXPECT_EQ(rig.fw.now() - start, expectedTime);
    }
}

TEST(Firmware, SweepEndingBetweenGridStepsStopsAtTheLastStepBeforeIt) {
    Rig rig;
    rig.send(word('T', 2) + word(0x1B, 600) + cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    rig.out.clear();
    rig.send(word('T', 10) + word(0x1B, 615) + cmd({'S', 9}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    EXPECT_EQ(countedPositions(rig.replies()), (std::vector<int>{600, 610}));
    EXPECT_EQ(rig.fw.armPosition(), 610);
}

TEST(Firmware, NoIdleRatesDuringRunsAndCounts) {
    Rig rig;
    rig.send(word('T', 2) + word(0x1B, 1200) + cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    rig.send(word('C', 300));
    rig.wait(2 * kSecond);
    EXPECT_TRUE(simtest::only(rig.replies(), 'c').empty());
}

TEST(Firmware, ScalarCountEndsWithItsRateAndAbortAnswersAllOnes) {
    Rig rig;
    rig.counterOn();
    rig.send(word('C', 500)); // 5 s
    rig.wait(4990 * kMs);
    EXPECT_EQ(simtest::tags(rig.replies()), "\x06");
    rig.wait(10 * kMs);
    const auto replies = rig.replies();
    ASSERT_EQ(simtest::tags(replies), std::string("\x06") + "C");
    const double cps = replies[1].value() / 100.0;
    EXPECT_NEAR(cps, rig.fw.meanRate(), 5 * std::sqrt(rig.fw.meanRate() / 5.0));

    rig.out.clear();
    rig.send(word('C', 500));
    rig.wait(kSecond);
    rig.send("e");
    rig.wait(10 * kSecond);
    EXPECT_EQ(simtest::tags(rig.replies()).substr(0, 4), std::string("\x06\x06") + "C" + "c");
    EXPECT_EQ(simtest::only(rig.replies(), 'C').at(0).payload, "FFFFFF");
    EXPECT_EQ(simtest::only(rig.replies(), 'C').size(), 1u);
}

TEST(Firmware, StopEndsAMoveWithOperationCompleteAndAlsoAnswersWhenIdle) {
    Rig rig;
    rig.send(word('T', 2) + word(0x1B, 1500) + cmd({'S', 0}));
    rig.wait(100 * kMs);
    rig.out.clear();
    rig.send("P");
    const int stoppedAt = rig.fw.armPosition();
    rig.wait(5 * kSecond);
    EXPECT_EQ(simtest::tags(rig.replies()).substr(0, 2), "\x06\x03");
    EXPECT_TRUE(simtest::only(rig.replies(), 'W').empty());
    EXPECT_EQ(rig.fw.armPosition(), stoppedAt);
    EXPECT_GT(stoppedAt, 900);
    EXPECT_LT(stoppedAt, 1500);

    rig.out.clear();
    rig.send("P");
    EXPECT_EQ(rig.out, "\x06\x03");
}

TEST(Firmware, CoarseCalibrationFindsTheReferenceAndCorrectsTheCounter) {
    FirmwareOptions options;
    options.bench.armAngleError = 37; // the counter reads 37 steps low
    Rig rig(options);
    rig.send(cmd({0x01}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    const auto positions = simtest::only(rig.replies(), 'W');
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(position(positions.back()), Firmware::kReferencePosition);
    EXPECT_EQ(rig.fw.armPosition(), 900);
    EXPECT_EQ(rig.fw.trueArmPosition(), 900);

    // Starting on the switch, it backs off and comes back.
    rig.out.clear();
    rig.send(cmd({0x01}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    EXPECT_GT(simtest::only(rig.replies(), 'W').size(), 2u);
    EXPECT_EQ(rig.fw.trueArmPosition(), 900);
}

TEST(Firmware, DeclaredPositionChangesTheCounterNotTheArm) {
    Rig rig;
    rig.send(word('W', 1000) + cmd({0x0E}));
    EXPECT_EQ(rig.out, std::string("\x06\x06") + "IC8W03E8");
    EXPECT_EQ(rig.fw.trueArmPosition(), 900);
}

TEST(Firmware, CounterHighVoltageDecidesWhetherAnythingIsCounted) {
    const auto meanAt = [](bool on, int setting) {
        Rig rig;
        rig.send(cmd({on ? 'H' : 'h'}) + cmd({'V', setting}));
        return rig.fw.meanRate();
    };
    EXPECT_EQ(meanAt(false, 100), 0.0);
    EXPECT_EQ(meanAt(true, 60), 0.0); // 300 V, below the starting voltage
    EXPECT_GT(meanAt(true, 100), 100.0);
    Rig off;
    off.wait(3 * kSecond);
    for (const Reply& rate : simtest::only(off.replies(), 'c')) {
        EXPECT_EQ(rate.payload, "000000");
    }
}

TEST(Firmware, SilentApparatusIgnoresEverythingUntilTheSilenceEnds) {
    Rig rig;
    rig.fw.setSilent(true);
    rig.send(word('T', 2) + cmd({0x0E}));
    rig.wait(2 * kSecond);
    EXPECT_EQ(rig.out, "");
    EXPECT_EQ(rig.fw.gate(), 50);
    rig.fw.setSilent(false);
    rig.send(word('T', 0x32));
    EXPECT_EQ(rig.out, "\x06");
}

TEST(Firmware, GarbageCutRepliesAndHaltNotices) {
    Rig garbage;
    garbage.fw.injectGarbage(17);
    garbage.collect();
    EXPECT_EQ(garbage.out.size(), 17u);

    Rig cut;
    cut.fw.cutNextReply();
    cut.send(cmd({0x0E}));
    EXPECT_EQ(cut.out, "\x06I"
                       "C"); // 'I' with one of its two digits, then nothing
    cut.wait(3 * kSecond);
    EXPECT_EQ(cut.out.size(), 3u);
    cut.send(cmd({0x0E})); // the next command is answered in full again
    EXPECT_EQ(cut.out.substr(3), "\x06IC8W0384");

    Rig halt;
    halt.send(word('T', 2) + word(0x1B, 1500) + cmd({'S', 0}));
    halt.wait(50 * kMs);
    halt.out.clear();
    halt.fw.injectHalt();
    halt.wait(2 * kSecond);
    EXPECT_EQ(halt.out.substr(0, 1), "m");
    EXPECT_EQ(halt.out.find('\x03'), std::string::npos);
    EXPECT_EQ(halt.fw.activity(), Firmware::Activity::Idle);
    halt.out.clear();
    halt.send("P");
    EXPECT_EQ(halt.out, "\x06\x03");
}

TEST(Firmware, SessionEndSilencesTheDisplayUntilTheNextCommand) {
    Rig rig;
    rig.send("H!");
    rig.out.clear();
    rig.wait(3 * kSecond);
    EXPECT_EQ(rig.out, "");
    EXPECT_FALSE(rig.fw.hvOn());
    rig.send(word('T', 0x32));
    rig.wait(kSecond);
    EXPECT_EQ(simtest::tags(rig.replies()), std::string("\x06") + "cc");
}

TEST(Firmware, HalfReceivedCommandIsDroppedAfterAPause) {
    Rig rig;
    rig.send(cmd({'T', 0}));
    rig.wait(kSecond);
    rig.out.clear();
    rig.send(cmd({0x32}) + cmd({0x0E}));
    EXPECT_EQ(rig.out, "\x06IC8W0384");
    EXPECT_EQ(rig.fw.gate(), 50);
}

TEST(Firmware, ByteTimeSpreadsRepliesOverTheLine) {
    FirmwareOptions options;
    options.byteTime = kByteTime115200;
    Rig rig(options);
    rig.send("x"); // arrives one byte time later, 66 bytes go back
    EXPECT_EQ(rig.out, "");
    rig.wait(2 * kByteTime115200);
    EXPECT_EQ(rig.out, "\x06");
    rig.wait(65 * kByteTime115200);
    EXPECT_EQ(rig.out.size(), 66u);
}

namespace {

// Bytes of a scripted session: idle time, a move, a counted sweep, a scalar count.
std::string scriptedSession(std::uint64_t seed, Micros idleFirst) {
    FirmwareOptions options;
    options.seed = seed;
    Rig rig(options);
    rig.counterOn();
    rig.wait(idleFirst);
    rig.out.clear();
    rig.send(word('T', 2) + word(0x1B, 620) + cmd({'S', 0}));
    rig.waitFor('\x03');
    std::string all = rig.drain();
    rig.send(word('T', 10) + word(0x1B, 660) + cmd({'S', 1}));
    rig.waitFor('\x03');
    all += rig.drain();
    rig.send(word('C', 100));
    rig.waitFor('C');
    all += rig.drain();
    std::string counted;
    for (const Reply& reply : tokens(all)) {
        if (reply.tag != 'c') {
            counted += reply.tag + reply.payload;
        }
    }
    return counted;
}

} // namespace

TEST(Firmware, SameSeedSameBytesWhateverTheIdleTimeBefore) {
    const std::string first = scriptedSession(5, 2 * kSecond);
    EXPECT_EQ(first, scriptedSession(5, 2 * kSecond));
    EXPECT_EQ(first, scriptedSession(5, 7 * kSecond)); // more idle display rates in between
    EXPECT_NE(first, scriptedSession(6, 2 * kSecond));
    Rig a;
    Rig b;
    a.wait(10 * kSecond);
    b.wait(10 * kSecond);
    EXPECT_EQ(a.out, b.out);
}

TEST(Firmware, CopperKAlphaPeakStandsWhereBraggPutsIt) {
    Rig rig;
    rig.counterOn();
    rig.send(word('T', 2) + word(0x1B, 600) + cmd({'S', 0}));
    ASSERT_TRUE(rig.waitFor('\x03'));
    rig.out.clear();
    rig.send(word('T', 100) + word(0x1B, 660) + cmd({'S', 0})); // 30.00..33.00 degrees, 1 s a step
    ASSERT_TRUE(rig.waitFor('\x03'));
    const auto replies = rig.replies();
    const auto positions = countedPositions(replies);
    const auto rates = simtest::only(replies, 'S');
    ASSERT_EQ(rates.size(), 61u);
    std::size_t peak = 0;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i].value() > rates[peak].value()) {
            peak = i;
        }
    }
    const double braggDeg = *braggTwoThetaDeg(anodeLines(Anode::Cu).kAlpha1Pm, Crystal::NaCl, 1);
    EXPECT_NEAR(positions[peak] * 0.05, braggDeg, 0.1);
    EXPECT_GT(rates[peak].value() / 100.0, 1500.0);  // a few thousand cps
    EXPECT_LT(rates.front().value() / 100.0, 600.0); // continuum beside it
}
