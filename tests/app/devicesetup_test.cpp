// Choosing the device from the program's arguments, as the command line does.
#include "connection/devicesetup.h"

#include "device/d2xxunit.h"

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
