// The serial provider against the standalone simulated apparatus on a pseudo-terminal: enumeration,
// open, handshake, configuration read and a move, the way the acquisition thread does them.
#include "device/d2xxunit.h"
#include "device/devicechoice.h"
#include "device/linkseq.h"
#include "device/replies.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

using namespace zavo;

namespace {

// What the replies have told so far.
struct Seen {
    int acks = 0;
    bool complete = false;
    std::vector<int> positions;
    std::optional<DeviceConfig> config;
};

// Reads and dispatches replies, one tag at a time, until done() holds or a generous bound passes.
bool pumpUntil(Seen& seen, const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until || D2XXUnit::GetQueueStatus() != ft::OK)
            return false;
        if (D2XXUnit::rxQueueLength == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (D2XXUnit::ReadDevice(1) != 1 || D2XXUnit::lastIoStatus != ft::OK)
            return false;
        const std::uint8_t tag = D2XXUnit::readBuffer[0];
        if (tag == replyAck)
            ++seen.acks;
        else if (tag == replyComplete)
            seen.complete = true;
        else if (tag == 'W')
            seen.positions.push_back(readPositionReply());
        else if (tag == 'x')
            seen.config = readConfigReply();
        else if (replyTagInfo(tag))
            readPayload(tag); // counting rates, tube current: not looked at here
    }
    return true;
}

class ApparatusSim : public ::testing::Test {
protected:
    void SetUp() override {
        sim.setProgram(QStringLiteral(ZAVO_APPARATUS_SIM));
        sim.start();
        ASSERT_TRUE(sim.waitForStarted(10000)) << sim.errorString().toStdString();
        while (!sim.canReadLine() && sim.waitForReadyRead(20000)) {
        }
        ASSERT_TRUE(sim.canReadLine()) << "the simulated apparatus did not name its port";
        port = QString::fromLocal8Bit(sim.readLine()).trimmed();
        ASSERT_FALSE(port.isEmpty());

        const QStringList args{QStringLiteral("zavo-driver"), QStringLiteral("--port"), port};
        QString error;
        auto provider = createProvider(parseDeviceChoice(args, {}), &error);
        ASSERT_NE(provider, nullptr) << error.toStdString();
        D2XXUnit::resetState();
        D2XXUnit::setProvider(std::move(provider));
    }
    void TearDown() override {
        D2XXUnit::setProvider(nullptr);
        sim.terminate();
        if (!sim.waitForFinished(10000))
            sim.kill();
    }

    QProcess sim;
    QString port;
};

TEST_F(ApparatusSim, ConnectHandshakeReadConfigurationAndMove) {
    // Enumeration finds the one apparatus on the named port.
    ASSERT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    ASSERT_EQ(D2XXUnit::deviceCount, 1u);
    ASSERT_EQ(D2XXUnit::CreateDeviceInfoList(), ft::OK);
    ASSERT_EQ(D2XXUnit::GetDeviceInfoList(), ft::OK);
    EXPECT_STREQ(D2XXUnit::deviceInfoList.at(0).Description, "QM417");
    ASSERT_EQ(D2XXUnit::GetFTDeviceSerialNo(0), ft::OK);
    EXPECT_FALSE(D2XXUnit::serialNumber.empty());

    // Open and configure as the thread does; reads get a generous time-out for slow test machines.
    ASSERT_EQ(D2XXUnit::Open_USB_Device_By_Device_Description("QM417"), ft::OK);
    configureLine(5000, 1000);

    ASSERT_TRUE(writeHandshakeRequest());
    ASSERT_TRUE(readHandshakeAck());
    D2XXUnit::SetTimeouts(1000, 1000);

    // Configuration read.
    Seen seen;
    CommandInputs inputs;
    ASSERT_TRUE(sendCommand(cmdReadConfig, inputs));
    ASSERT_TRUE(pumpUntil(seen, [&] { return seen.config.has_value(); }));
    const DeviceConfig config = *seen.config;
    ASSERT_TRUE(config.isValid());

    // A move by 1 degree inside the arm range: target, run, position reports, operation complete.
    inputs.effectiveOffset = config.effectiveOffset();
    const int start = config.armPosition;
    const int target = start + 20 <= config.armMax ? start + 20 : start - 20;
    inputs.moveTarget = target + inputs.effectiveOffset;
    seen = {};
    ASSERT_TRUE(sendCommand(cmdFastGate, inputs));
    ASSERT_TRUE(pumpUntil(seen, [&] { return seen.acks >= 1; }));
    ASSERT_TRUE(sendCommand(cmdMoveTo, inputs));
    ASSERT_TRUE(pumpUntil(seen, [&] { return seen.acks >= 2; }));
    ASSERT_TRUE(sendCommand(cmdMoveRun, inputs));
    ASSERT_TRUE(pumpUntil(seen, [&] { return seen.complete; }));
    ASSERT_FALSE(seen.positions.empty());
    EXPECT_EQ(seen.positions.back(), target);

    EXPECT_TRUE(sendShutdownSequence(config, false, [](int) {}));
    EXPECT_EQ(D2XXUnit::CloseDevice(), ft::OK);
}

} // namespace
