// The simulated apparatus behind the D2XX operation table, in real time at a fast time scale.
// Waits are bounded generously; no test depends on how fast the machine is.
#include "simulator/simprovider.h"
#include "tests/simulator/replytokens.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace sim;

namespace {

constexpr double kFast = 100.0;

class ProviderTest : public ::testing::Test {
protected:
    ProviderTest()
        : apparatus(std::make_shared<Apparatus>(ApparatusOptions{{}, kFast})), provider(apparatus) {}

    ft::Handle open() {
        ft::Handle handle = nullptr;
        EXPECT_EQ(provider.OpenEx(const_cast<char*>("QM417"), ft::OPEN_BY_DESCRIPTION, &handle), ft::OK);
        EXPECT_EQ(provider.SetTimeouts(handle, 100, 100), ft::OK);
        return handle;
    }

    ft::Status write(ft::Handle handle, const std::string& bytes) {
        ft::Dword written = 0;
        const ft::Status status =
            provider.Write(handle, bytes.data(), static_cast<ft::Dword>(bytes.size()), &written);
        EXPECT_EQ(written, status == ft::OK ? bytes.size() : 0u);
        return status;
    }

    // Reads until `count` bytes have come or `limit` has passed.
    std::string read(ft::Handle handle, std::size_t count,
                     std::chrono::seconds limit = std::chrono::seconds(30)) {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            char buffer[256];
            ft::Dword got = 0;
            const auto want = static_cast<ft::Dword>(std::min(sizeof buffer, count - bytes.size()));
            if (provider.Read(handle, buffer, want, &got) != ft::OK) {
                break;
            }
            bytes.append(buffer, got);
        }
        return bytes;
    }

    // Reads until a reply `tag` has come; returns everything read.
    std::string readUntil(ft::Handle handle, char tag) {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!simtest::hasWhole(bytes, tag) && std::chrono::steady_clock::now() < deadline) {
            bytes += read(handle, 1, std::chrono::seconds(1));
        }
        return bytes;
    }

    std::shared_ptr<Apparatus> apparatus;
    SimProvider provider;
};

} // namespace

TEST_F(ProviderTest, EnumeratesOneDeviceDescribedQM417) {
    ft::Dword count = 0;
    ASSERT_EQ(provider.ListDevices(&count, nullptr, ft::LIST_NUMBER_ONLY), ft::OK);
    EXPECT_EQ(count, 1u);
    char text[64] = {};
    ASSERT_EQ(provider.ListDevices(nullptr, text, ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER), ft::OK);
    EXPECT_STREQ(text, "SIM00001");
    ASSERT_EQ(provider.ListDevices(nullptr, text, ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION), ft::OK);
    EXPECT_STREQ(text, "QM417");
    EXPECT_EQ(
        provider.ListDevices(reinterpret_cast<void*>(1), text, ft::LIST_BY_INDEX | ft::OPEN_BY_DESCRIPTION),
        ft::DEVICE_NOT_FOUND);
    ASSERT_EQ(provider.CreateDeviceInfoList(&count), ft::OK);
    ft::DeviceListInfoNode node{};
    ASSERT_EQ(provider.GetDeviceInfoList(&node, &count), ft::OK);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(node.Description, "QM417");
    EXPECT_STREQ(node.SerialNumber, "SIM00001");
    EXPECT_EQ(node.Flags, 0u);
}

TEST_F(ProviderTest, OpensOnceByDescriptionOrSerialNumber) {
    ft::Handle other = nullptr;
    EXPECT_EQ(provider.OpenEx(const_cast<char*>("QM418"), ft::OPEN_BY_DESCRIPTION, &other),
              ft::DEVICE_NOT_FOUND);
    const ft::Handle handle = open();
    EXPECT_EQ(provider.OpenEx(const_cast<char*>("SIM00001"), ft::OPEN_BY_SERIAL_NUMBER, &other),
              ft::DEVICE_NOT_OPENED);
    ft::Dword bytes = 0;
    EXPECT_EQ(provider.GetQueueStatus(reinterpret_cast<ft::Handle>(0x1), &bytes), ft::INVALID_HANDLE);
    EXPECT_EQ(provider.Close(handle), ft::OK);
    EXPECT_EQ(provider.Close(handle), ft::INVALID_HANDLE);
    EXPECT_EQ(provider.OpenEx(const_cast<char*>("SIM00001"), ft::OPEN_BY_SERIAL_NUMBER, &other), ft::OK);
}

TEST_F(ProviderTest, HandshakeConfigurationAndMoveOverTheLink) {
    const ft::Handle handle = open();
    ASSERT_EQ(provider.ResetDevice(handle), ft::OK);
    // Idle display rates may come in between at any time.
    ASSERT_EQ(write(handle, std::string("T\x00\x32", 3)), ft::OK);
    EXPECT_EQ(simtest::tokens(readUntil(handle, '\x06')).back().tag, '\x06');
    ASSERT_EQ(write(handle, "x"), ft::OK);
    const auto config = simtest::only(simtest::tokens(readUntil(handle, 'x')), 'x');
    ASSERT_EQ(config.size(), 1u);
    ASSERT_EQ(config[0].payload.size(), 64u);
    EXPECT_EQ(config[0].payload.substr(54, 2), "WW");

    ASSERT_EQ(write(handle, std::string("T\x00\x02\x1B\x03\x98S\x00", 8)), ft::OK);
    const auto replies = simtest::tokens(readUntil(handle, '\x03'));
    const auto positions = simtest::only(replies, 'W');
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back().payload, "0398"); // 920
}

TEST_F(ProviderTest, ReadReturnsWhatCameWithinTheTimeout) {
    const ft::Handle handle = open();
    apparatus->setSilent(true);
    char buffer[8];
    ft::Dword got = 99;
    ft::Dword queued = 99;
    EXPECT_EQ(provider.Read(handle, buffer, sizeof buffer, &got), ft::OK);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(provider.GetQueueStatus(handle, &queued), ft::OK);
    EXPECT_EQ(queued, 0u);
}

TEST_F(ProviderTest, UnpluggedDeviceFailsUntilReopenedAfterReplugging) {
    const ft::Handle handle = open();
    apparatus->unplug();
    ft::Dword value = 0;
    char buffer[4];
    EXPECT_EQ(provider.GetQueueStatus(handle, &value), ft::IO_ERROR);
    EXPECT_EQ(provider.Read(handle, buffer, 1, &value), ft::IO_ERROR);
    EXPECT_EQ(write(handle, "x"), ft::IO_ERROR);
    ASSERT_EQ(provider.ListDevices(&value, nullptr, ft::LIST_NUMBER_ONLY), ft::OK);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(provider.CreateDeviceInfoList(&value), ft::OK);
    EXPECT_EQ(value, 0u);
    ft::Handle again = nullptr;
    EXPECT_EQ(provider.OpenEx(const_cast<char*>("QM417"), ft::OPEN_BY_DESCRIPTION, &again),
              ft::DEVICE_NOT_FOUND);

    apparatus->replug();
    EXPECT_EQ(provider.GetQueueStatus(handle, &value), ft::IO_ERROR); // the old handle stays dead
    EXPECT_EQ(provider.Close(handle), ft::OK);
    const ft::Handle fresh = open();
    ASSERT_EQ(write(fresh, std::string("T\x00\x32", 3)), ft::OK);
    EXPECT_EQ(simtest::tokens(readUntil(fresh, '\x06')).back().tag, '\x06');
}

TEST_F(ProviderTest, UnpluggingEndsAWaitingRead) {
    const ft::Handle handle = open();
    ASSERT_EQ(provider.SetTimeouts(handle, 600'000, 100), ft::OK);
    apparatus->setSilent(true);
    std::thread unplugger([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        apparatus->unplug();
    });
    char buffer[4];
    ft::Dword got = 0;
    EXPECT_EQ(provider.Read(handle, buffer, sizeof buffer, &got), ft::IO_ERROR); // not after ten minutes
    unplugger.join();
}

TEST_F(ProviderTest, SweepCountsDependOnTheSeedNotOnTheTiming) {
    const auto sweepRates = [this](std::uint64_t seed, int idleMs) {
        ApparatusOptions options{{}, kFast};
        options.firmware.seed = seed;
        apparatus = std::make_shared<Apparatus>(options);
        SimProvider local(apparatus);
        ft::Handle handle = nullptr;
        EXPECT_EQ(local.OpenEx(const_cast<char*>("QM417"), ft::OPEN_BY_DESCRIPTION, &handle), ft::OK);
        const std::string commands = std::string("H\x56\x64T\x00\x05\x1B\x03\xAC", 9);
        ft::Dword written = 0;
        local.Write(handle, commands.data(), static_cast<ft::Dword>(commands.size()), &written);
        std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        const std::string run = std::string("T\x00\x0AS\x01", 5);
        local.Write(handle, run.data(), static_cast<ft::Dword>(run.size()), &written);
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (bytes.find('\x03') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            char buffer[64];
            ft::Dword got = 0;
            local.Read(handle, buffer, sizeof buffer, &got);
            bytes.append(buffer, got);
        }
        std::string rates;
        for (const auto& reply : simtest::only(simtest::tokens(bytes), 'S')) {
            rates += reply.payload;
        }
        return rates;
    };
    const std::string first = sweepRates(9, 10);
    EXPECT_EQ(first.size(), 6u * 21); // 900 to 940 in steps of 2 (the arm starts at 900)
    EXPECT_EQ(first, sweepRates(9, 120));
    EXPECT_NE(first, sweepRates(10, 10));
}

TEST(ApparatusClock, TimeScaleRunsVirtualTimeFaster) {
    Apparatus apparatus(ApparatusOptions{{}, 1000.0});
    const Micros start = apparatus.virtualNow();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(apparatus.virtualNow() - start, 20'000'000); // at least 20 virtual seconds
    apparatus.setTimeScale(0.0);
    EXPECT_EQ(apparatus.timeScale(), Apparatus::kMinTimeScale);
    apparatus.setTimeScale(1e12);
    EXPECT_EQ(apparatus.timeScale(), Apparatus::kMaxTimeScale);
}
