#include "device/d2xxprovider.h"
#include "device/devicechoice.h"
#include "tests/device/fakeprovider.h"

#include <gtest/gtest.h>

using namespace zavo;

namespace {

DeviceChoice parse(QStringList args, DeviceEnvironment env = {}) {
    args.prepend(QStringLiteral("zavo-driver"));
    return parseDeviceChoice(args, env);
}

TEST(DeviceChoice, CommandLineForms) {
    EXPECT_EQ(parse({}).device, QString());
    EXPECT_EQ(parse({"--simulate"}).device, "simulator");
    EXPECT_EQ(parse({"--device", "d2xx"}).device, "d2xx");
    EXPECT_EQ(parse({"--device=serial"}).device, "serial");
    const DeviceChoice port = parse({"-platform", "offscreen", "--port", "/dev/ttyUSB0"});
    EXPECT_TRUE(port.ok());
    EXPECT_EQ(port.device, "serial");
    EXPECT_EQ(port.port, "/dev/ttyUSB0");
    EXPECT_EQ(parse({"--port=/dev/pts/4", "--device", "serial"}).port, "/dev/pts/4");
    EXPECT_TRUE(parse({"--simulate", "--device", "simulator"}).ok());
    // The program name is never taken for an option.
    EXPECT_TRUE(parseDeviceChoice({QStringLiteral("--simulate")}, {}).device.isEmpty());
}

TEST(DeviceChoice, BadArgumentsGiveAnErrorText) {
    const DeviceChoice bad = parse({"--device", "usb"});
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.error.contains("usb"));
    EXPECT_TRUE(bad.device.isEmpty());
    EXPECT_FALSE(parse({"--device"}).ok());
    EXPECT_FALSE(parse({"--port"}).ok());
    EXPECT_FALSE(parse({"--port="}).ok());
    EXPECT_FALSE(parse({"--device", "Serial"}).ok());
    EXPECT_FALSE(parse({"--simulate", "--device", "d2xx"}).ok());
    EXPECT_FALSE(parse({"--simulate", "--port", "/dev/ttyUSB0"}).ok());
    EXPECT_FALSE(parse({"--device", "d2xx", "--port", "/dev/ttyUSB0"}).ok());
}

TEST(DeviceChoice, EnvironmentAndItsPrecedence) {
    DeviceEnvironment env;
    env.device = QStringLiteral("simulator");
    EXPECT_EQ(parse({}, env).device, "simulator");
    EXPECT_EQ(parse({"--device", "d2xx"}, env).device, "d2xx");

    DeviceEnvironment portEnv;
    portEnv.port = QStringLiteral("/dev/ttyUSB1");
    const DeviceChoice fromEnv = parse({}, portEnv);
    EXPECT_EQ(fromEnv.device, "serial");
    EXPECT_EQ(fromEnv.port, "/dev/ttyUSB1");
    // "--device serial" keeps the environment's port; another device drops it.
    EXPECT_EQ(parse({"--device", "serial"}, portEnv).port, "/dev/ttyUSB1");
    const DeviceChoice sim = parse({"--simulate"}, portEnv);
    EXPECT_TRUE(sim.ok());
    EXPECT_TRUE(sim.port.isEmpty());
    // The command line's port wins.
    EXPECT_EQ(parse({"--port", "/dev/pts/2"}, portEnv).port, "/dev/pts/2");

    DeviceEnvironment bad;
    bad.device = QStringLiteral("gpib");
    EXPECT_FALSE(parse({}, bad).ok());
    EXPECT_TRUE(parse({"--simulate"}, bad).ok()); // the command line replaces it

    DeviceEnvironment contradicting;
    contradicting.device = QStringLiteral("d2xx");
    contradicting.port = QStringLiteral("/dev/ttyUSB0");
    EXPECT_FALSE(parse({}, contradicting).ok());
}

TEST(DeviceChoice, DefaultResolvesToTheVendorLibraryOnlyWhereItLoads) {
    const QString expected = D2xxProvider::available() ? "d2xx" : "serial";
    EXPECT_EQ(resolvedProviderName(DeviceChoice{}), expected);
    EXPECT_EQ(resolvedProviderName(parse({"--simulate"})), "simulator");
}

TEST(DeviceChoice, VendorLibraryAbsenceIsReportedNotFatal) {
    if (D2xxProvider::available())
        GTEST_SKIP() << "the vendor library is installed here";
    EXPECT_EQ(D2xxProvider::create(), nullptr);
    EXPECT_TRUE(D2xxProvider::unavailableReason().startsWith("not available"));
    QString error;
    EXPECT_EQ(createProvider(parse({"--device", "d2xx"}), &error), nullptr);
    EXPECT_TRUE(error.contains("not available"));
}

TEST(DeviceChoice, FactoriesAreLookedUpByName) {
    QString error;
    EXPECT_EQ(createProvider(parse({"--device", "nonsense"}), &error), nullptr);
    EXPECT_TRUE(error.contains("nonsense"));

    auto serial = createProvider(parse({"--port", "/nonexistent/port"}), &error);
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(serial->name(), "serial");

    // The simulated apparatus lives in a library of its own and registers itself.
    EXPECT_FALSE(hasProviderFactory(QStringLiteral("simulator")));
    EXPECT_EQ(createProvider(parse({"--simulate"}), &error), nullptr);
    EXPECT_TRUE(error.contains("simulator"));
    registerProviderFactory(QStringLiteral("simulator"), [](const DeviceChoice&) {
        return std::make_unique<testing_device::FakeProvider>();
    });
    EXPECT_TRUE(hasProviderFactory(QStringLiteral("simulator")));
    auto sim = createProvider(parse({"--simulate"}), &error);
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->name(), "fake");
}

} // namespace
