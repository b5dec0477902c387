#include "device/linkseq.h"
#include "tests/device/fakeprovider.h"

#include <gtest/gtest.h>

using namespace zavo;
using namespace testing_device;
using Bytes = std::vector<std::uint8_t>;

namespace {

TEST(LineSettings, ResetThenApparatusLineThenTimeouts) {
    FakeProvider& fake = installOpenedFake();
    D2XXUnit::baudRate = 9600;        // whatever was set before is replaced
    fake.configStatus = ft::IO_ERROR; // failures are left to the handshake
    configureLine(100, 250);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"ResetDevice", "SetDataCharacteristics", "SetBaudRate",
                                                    "SetFlowControl", "SetTimeouts"}));
    EXPECT_EQ(fake.lastBaud, 115200u);
    EXPECT_EQ(fake.lastWordLength, ft::BITS_8);
    EXPECT_EQ(fake.lastStopBits, ft::STOP_BITS_1);
    EXPECT_EQ(fake.lastParity, ft::PARITY_NONE);
    EXPECT_EQ(fake.lastFlow, ft::FLOW_NONE);
    EXPECT_EQ(fake.readTimeoutMs, 100u);
}

TEST(Handshake, WritesTheIdleGateRequest) {
    FakeProvider& fake = installOpenedFake();
    EXPECT_TRUE(writeHandshakeRequest());
    EXPECT_EQ(fake.writes, (std::vector<Bytes>{{'T', 0x00, 0x32}}));
}

TEST(Handshake, SkipsStrayBytesBeforeTheAcknowledge) {
    FakeProvider& fake = installOpenedFake();
    fake.incoming.assign(99, 'S');
    fake.send({0x06, 'W'});
    EXPECT_TRUE(readHandshakeAck());
    EXPECT_EQ(fake.incoming.size(), 1u); // reading stopped at the acknowledge
}

TEST(Handshake, FailsOnTheReadAfter100SkippedBytes) {
    FakeProvider& fake = installOpenedFake();
    fake.incoming.assign(100, 0x03);
    fake.send({0x06});
    EXPECT_FALSE(readHandshakeAck());
    EXPECT_TRUE(fake.incoming.empty()); // the acknowledge was read, and still it failed
}

TEST(Handshake, FailsOnEmptyOrFailedRead) {
    FakeProvider& fake = installOpenedFake();
    fake.send({'m', 'O'});
    EXPECT_FALSE(readHandshakeAck()); // the bytes ran out before an acknowledge

    FakeProvider& failing = installOpenedFake();
    failing.readStatus = ft::IO_ERROR;
    failing.send({0x06});
    EXPECT_FALSE(readHandshakeAck());

    installOpenedFake().unplugged = true;
    EXPECT_FALSE(readHandshakeAck());
}

TEST(Handshake, QueueAfterSuccess) {
    EXPECT_EQ(handshakeQueue, (std::array<QueueCode, 6>{cmdReadConfig, cmdInit05, cmdStatusPoll, cmdSetHv,
                                                        cmdHvOff, cmdSpeakerOn}));
}

DeviceConfig sampleConfig() {
    DeviceConfig c;
    c.applyResetDefaults();
    c.offset = 0x0102;
    c.armMax = 2400;
    return c;
}

TEST(Shutdown, BytesAndPausesWhileBusy) {
    FakeProvider& fake = installOpenedFake();
    std::vector<int> pauses;
    EXPECT_TRUE(sendShutdownSequence(sampleConfig(), true, [&](int ms) { pauses.push_back(ms); }));
    const auto block = sampleConfig().toBlock();
    ASSERT_EQ(fake.writes.size(), 6u);
    EXPECT_EQ(fake.writes[0], (Bytes{'V', 0x00}));
    EXPECT_EQ(fake.writes[1], (Bytes{'h'}));
    EXPECT_EQ(fake.writes[2], (Bytes{'P'}));
    EXPECT_EQ(fake.writes[3], (Bytes{'X'}));
    EXPECT_EQ(fake.writes[4], Bytes(block.begin(), block.end()));
    EXPECT_EQ(fake.writes[4][0], 0x02); // held order: low byte first
    EXPECT_EQ(fake.writes[4][1], 0x01);
    EXPECT_EQ(fake.writes[5], (Bytes{'!'}));
    EXPECT_EQ(pauses, (std::vector<int>{50, 50, 200, 1200, 1000}));
}

TEST(Shutdown, NoStopWhenIdle) {
    FakeProvider& fake = installOpenedFake();
    std::vector<int> pauses;
    EXPECT_TRUE(sendShutdownSequence(sampleConfig(), false, [&](int ms) { pauses.push_back(ms); }));
    ASSERT_EQ(fake.writes.size(), 5u);
    EXPECT_EQ(fake.writes[2], (Bytes{'X'}));
    EXPECT_EQ(pauses, (std::vector<int>{50, 50, 1200, 1000}));
}

// A hurried end may cut only the wait after '!': the apparatus needs the others to switch the HV
// off, stop the arm and store the block before the next byte comes.
TEST(Shutdown, OnlyThePauseAfterTheLastByteIsLeftToThePacingPause) {
    installOpenedFake();
    std::vector<int> needed;
    std::vector<int> pacing;
    EXPECT_TRUE(sendShutdownSequence(
        sampleConfig(), true, [&](int ms) { needed.push_back(ms); }, [&](int ms) { pacing.push_back(ms); }));
    EXPECT_EQ(needed, (std::vector<int>{50, 50, 200, 1200}));
    EXPECT_EQ(pacing, (std::vector<int>{1000}));
}

TEST(Shutdown, StopsAtTheFirstFailedWrite) {
    FakeProvider& fake = installOpenedFake();
    fake.failWriteNumber = 2; // the 'X'
    std::vector<int> pauses;
    EXPECT_FALSE(sendShutdownSequence(sampleConfig(), false, [&](int ms) { pauses.push_back(ms); }));
    EXPECT_EQ(fake.writes.size(), 3u);
    EXPECT_EQ(pauses, (std::vector<int>{50, 50}));
}

TEST(Commands, SendCommandWritesTheEncodedBytesOrNothing) {
    FakeProvider& fake = installOpenedFake();
    CommandInputs in;
    in.recordCountingTime = 50;
    EXPECT_TRUE(sendCommand(cmdScanGate, in));
    EXPECT_TRUE(sendCommand(cmdTakeFilter, in));
    EXPECT_EQ(fake.writes, (std::vector<Bytes>{{'T', 0x01, 0xF4}}));
    fake.unplugged = true;
    EXPECT_FALSE(sendCommand(cmdHvOn, in));
}

TEST(Commands, ConfigBlockWriteIsTwoWrites) {
    FakeProvider& fake = installOpenedFake();
    EXPECT_TRUE(writeConfigBlock(sampleConfig()));
    ASSERT_EQ(fake.writes.size(), 2u);
    EXPECT_EQ(fake.writes[0], (Bytes{'X'}));
    EXPECT_EQ(fake.writes[1].size(), 64u);
    EXPECT_EQ(fake.writes[1][54], 'W');
}

} // namespace
