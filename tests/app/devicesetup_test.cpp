// Choosing the device from the program's arguments, as the command line does.
#include "connection/devicesetup.h"

#include "device/d2xxunit.h"
#include "simulator/simprovider.h"

#include <gtest/gtest.h>

namespace {

class DeviceSetup : public ::testing::Test {
protected:
    void TearDown() override { D2XXUnit::setProvider(nullptr); }

    static std::string installed() {
        return D2XXUnit::provider() ? D2XXUnit::provider()->name() : std::string();
    }
};

TEST_F(DeviceSetup, SimulateInstallsTheSimulatedApparatus) {
    QString error;
    ASSERT_TRUE(
        devicesetup::installProvider({QStringLiteral("zavo-driver"), QStringLiteral("--simulate")}, &error))
        << error.toStdString();
    EXPECT_EQ(installed(), "simulator");
    EXPECT_TRUE(error.isEmpty());
}

// The declarations reach the built-in simulated bench (thickness in mm, the bench in µm) and nothing
// else: with a serial port chosen there is no bench to turn.
TEST_F(DeviceSetup, DeclarationsTurnOnlyTheSimulatedBench) {
    QString error;
    ASSERT_TRUE(
        devicesetup::installProvider({QStringLiteral("zavo-driver"), QStringLiteral("--simulate")}, &error));
    auto* simulated = dynamic_cast<sim::SimProvider*>(D2XXUnit::provider());
    ASSERT_NE(simulated, nullptr);
    const auto bench = [&] {
        return simulated->apparatus()->withFirmware([](sim::Firmware& f) { return f.bench(); });
    };
    EXPECT_TRUE(devicesetup::declareOnSimulatedBench(QStringLiteral("Cu"), QStringLiteral("Ni"), 0.01));
    EXPECT_EQ(bench().radiatorZ, 29);
    EXPECT_EQ(bench().filterZ, 28);
    EXPECT_DOUBLE_EQ(bench().filterUm, 10.0);
    EXPECT_FALSE(devicesetup::declareOnSimulatedBench(QStringLiteral("Cu"), QStringLiteral("Ni"), -1));
    EXPECT_TRUE(devicesetup::declareOnSimulatedBench(QStringLiteral("N/A"), QStringLiteral("none"), 0));
    EXPECT_EQ(bench().radiatorZ, 0);
    EXPECT_EQ(bench().filterZ, 0);

    ASSERT_TRUE(devicesetup::installProvider(
        {QStringLiteral("zavo-driver"), QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB7")}, &error));
    EXPECT_FALSE(devicesetup::declareOnSimulatedBench(QStringLiteral("Cu"), QStringLiteral("Ni"), 0.01));
}

TEST_F(DeviceSetup, APortNamesTheSerialDevice) {
    QString error;
    ASSERT_TRUE(devicesetup::installProvider(
        {QStringLiteral("zavo-driver"), QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB7")}, &error))
        << error.toStdString();
    EXPECT_EQ(installed(), "serial");
}

TEST_F(DeviceSetup, AnUnknownDeviceIsRefusedAndNothingIsInstalled) {
    QString error;
    EXPECT_FALSE(devicesetup::installProvider(
        {QStringLiteral("zavo-driver"), QStringLiteral("--device"), QStringLiteral("teapot")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(D2XXUnit::provider(), nullptr);
    // Contradicting options are refused as well.
    error.clear();
    EXPECT_FALSE(devicesetup::installProvider({QStringLiteral("zavo-driver"), QStringLiteral("--simulate"),
                                               QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB0")},
                                              &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
