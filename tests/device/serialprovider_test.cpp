#include "device/d2xxunit.h"
#include "device/linkseq.h"
#include "device/replies.h"
#include "device/serialprovider.h"
#include "tests/device/ptypair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zavo;
using namespace testing_device;
using Bytes = std::vector<std::uint8_t>;

namespace {

TEST(SerialNumberFromPath, StableShortAndSafe) {
    EXPECT_EQ(serialNumberFromPath("/dev/ttyUSB0"), "devttyUSB0");
    EXPECT_EQ(serialNumberFromPath("/dev/pts/3"), "devpts3");
    const QString a = serialNumberFromPath("/dev/serial/by-id/usb-Maker_QM417_0001-if00-port0");
    const QString b = serialNumberFromPath("/dev/serial/by-id/usb-Maker_QM417_0002-if00-port0");
    EXPECT_EQ(a.size(), 15);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, serialNumberFromPath("/dev/serial/by-id/usb-Maker_QM417_0001-if00-port0"));
    const QString odd = serialNumberFromPath("/./-/");
    EXPECT_FALSE(odd.isEmpty());
    for (const QString& s : {a, b, odd})
        for (QChar c : s)
            EXPECT_TRUE(c.isLetterOrNumber() && c.unicode() < 0x80) << s.toStdString();
}

TEST(SerialProvider, NamedPortThatDoesNotExistListsNoDevice) {
    D2XXUnit::resetState();
    D2XXUnit::setProvider(std::make_unique<SerialProvider>("/nonexistent/ttyQM"));
    EXPECT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceCount, 0u);
    EXPECT_EQ(D2XXUnit::Open_USB_Device_By_Device_Description("QM417"), ft::DEVICE_NOT_FOUND);
    EXPECT_NE(D2XXUnit::GetQueueStatus(), ft::OK); // nothing is open
}

class SerialOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        D2XXUnit::resetState();
        D2XXUnit::setProvider(std::make_unique<SerialProvider>(QString::fromStdString(pty.slavePath())));
    }
    void TearDown() override { D2XXUnit::setProvider(nullptr); }

    // The connection steps of the acquisition thread up to the open device.
    void openAndConfigure() {
        ASSERT_EQ(D2XXUnit::Open_USB_Device_By_Device_Description("QM417"), ft::OK);
        D2XXUnit::baudRate = 115200;
        D2XXUnit::wordLength = ft::BITS_8;
        D2XXUnit::stopBits = ft::STOP_BITS_1;
        D2XXUnit::parity = ft::PARITY_NONE;
        D2XXUnit::flowControl = ft::FLOW_NONE;
        EXPECT_EQ(D2XXUnit::ResetDevice(), ft::OK);
        EXPECT_EQ(D2XXUnit::SetDataCharacteristics(), ft::OK);
        EXPECT_EQ(D2XXUnit::SetBaudRate(), ft::OK);
        EXPECT_EQ(D2XXUnit::SetFlowControl(), ft::OK);
        EXPECT_EQ(D2XXUnit::SetTimeouts(100, 100), ft::OK);
    }

    // Waits (generously) until the driver holds at least n bytes.
    void waitForQueue(ft::Dword n) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            ASSERT_EQ(D2XXUnit::GetQueueStatus(), ft::OK);
            if (D2XXUnit::rxQueueLength >= n)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        FAIL() << "the bytes did not arrive";
    }

    PtyPair pty;
};

TEST_F(SerialOnPty, NamedPortIsTheOneApparatus) {
    EXPECT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceCount, 1u);
    EXPECT_EQ(D2XXUnit::CreateDeviceInfoList(), ft::OK);
    EXPECT_EQ(D2XXUnit::GetDeviceInfoList(), ft::OK);
    ASSERT_EQ(D2XXUnit::deviceInfoList.size(), 1u);
    EXPECT_STREQ(D2XXUnit::deviceInfoList[0].Description, "QM417");
    EXPECT_EQ(D2XXUnit::GetFTDeviceSerialNo(0), ft::OK);
    EXPECT_EQ(D2XXUnit::serialNumber,
              serialNumberFromPath(QString::fromStdString(pty.slavePath())).toStdString());
    EXPECT_EQ(D2XXUnit::GetFTDeviceSerialNo(1), ft::DEVICE_NOT_FOUND);
}

TEST_F(SerialOnPty, HandshakeAndReplies) {
    openAndConfigure();
    ASSERT_TRUE(writeHandshakeRequest());
    EXPECT_EQ(pty.receive(3), (Bytes{'T', 0x00, 0x32}));
    ASSERT_TRUE(pty.send({'O', 0x06}));
    EXPECT_TRUE(readHandshakeAck());

    ASSERT_TRUE(pty.send({'W', '0', '3', '8', '4'}));
    waitForQueue(5);
    EXPECT_EQ(D2XXUnit::rxQueueLength, 5u);
    ASSERT_EQ(D2XXUnit::ReadDevice(1), 1u);
    EXPECT_EQ(D2XXUnit::readBuffer[0], 'W');
    EXPECT_EQ(readPositionReply(), 900);
}

TEST_F(SerialOnPty, ShortReadReturnsWhatArrivedAfterTheTimeout) {
    openAndConfigure();
    ASSERT_TRUE(pty.send({'0', '1', '8', '6'}));
    waitForQueue(4);
    EXPECT_EQ(D2XXUnit::ReadDevice(6), 4u);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_EQ(D2XXUnit::ReadDevice(1), 0u); // nothing: the time-out passes, still OK
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::OK);
}

TEST_F(SerialOnPty, ReadWaitsForBytesThatArriveLater) {
    openAndConfigure();
    D2XXUnit::SetTimeouts(10000, 100); // generous: the read ends as soon as the bytes are there
    std::thread peer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.send({'1', '2'});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.send({'3'});
    });
    const ft::Dword got = D2XXUnit::ReadDevice(3);
    peer.join();
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_EQ(Bytes(D2XXUnit::readBuffer.begin(), D2XXUnit::readBuffer.begin() + 3), (Bytes{'1', '2', '3'}));
}

TEST_F(SerialOnPty, ZeroTimeoutsStillMoveBytes) {
    openAndConfigure();
    D2XXUnit::SetTimeouts(0, 0);
    ASSERT_TRUE(writeHandshakeRequest());
    EXPECT_EQ(pty.receive(3), (Bytes{'T', 0x00, 0x32}));
    ASSERT_TRUE(pty.send({0x06}));
    ft::Dword got = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got == 0 && std::chrono::steady_clock::now() < until) {
        got = D2XXUnit::ReadDevice(1);
        ASSERT_EQ(D2XXUnit::lastIoStatus, ft::OK);
    }
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(D2XXUnit::readBuffer[0], 0x06);
}

TEST_F(SerialOnPty, HangUpMakesQueueStatusAndReadsFail) {
    openAndConfigure();
    EXPECT_EQ(D2XXUnit::GetQueueStatus(), ft::OK);
    pty.closeMaster();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    ft::Status status = ft::OK;
    while (status == ft::OK && std::chrono::steady_clock::now() < until)
        status = D2XXUnit::GetQueueStatus();
    EXPECT_NE(status, ft::OK);
    EXPECT_EQ(D2XXUnit::ReadDevice(1), 0u);
    EXPECT_NE(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_FALSE(writeHandshakeRequest());
    EXPECT_EQ(D2XXUnit::CloseDevice(), ft::OK);
}

TEST_F(SerialOnPty, DeviceVanishingMidReplyEndsInTheSilentAbort) {
    openAndConfigure();
    D2XXUnit::SetTimeouts(10000, 100); // the hang-up, not the time-out, must end the read
    std::thread peer([this] {
        pty.send({'0', '1'});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.closeMaster();
    });
    try {
        readScanRateReply();
        ADD_FAILURE() << "a reply cut off by a hang-up was accepted";
    } catch (const SilentAbort& abort) {
        EXPECT_STREQ(abort.what(), "cps");
    }
    peer.join();
    EXPECT_NE(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_NE(D2XXUnit::GetQueueStatus(), ft::OK);
}

TEST_F(SerialOnPty, CloseAndOpenAgain) {
    openAndConfigure();
    EXPECT_EQ(D2XXUnit::CloseDevice(), ft::OK);
    EXPECT_NE(D2XXUnit::GetQueueStatus(), ft::OK); // the old handle is gone
    EXPECT_EQ(D2XXUnit::CloseDevice(), ft::INVALID_HANDLE);
    openAndConfigure();
    ASSERT_TRUE(pty.send({0x03}));
    waitForQueue(1);
    EXPECT_EQ(D2XXUnit::ReadDevice(1), 1u);
    EXPECT_EQ(D2XXUnit::readBuffer[0], 0x03);
}

// Opens the named port as the serial provider does; returns the status and the explanation.
std::pair<ft::Status, std::string> openNamedPort(const std::string& path) {
    SerialProvider provider(QString::fromStdString(path));
    ft::Handle handle = nullptr;
    char description[] = "QM417";
    const ft::Status status = provider.OpenEx(description, ft::OPEN_BY_DESCRIPTION, &handle);
    return {status, provider.openFailure()};
}

// openNamedPort as an ordinary user: as root, in a child process that gives up root first (root
// may open any file). The explanation comes back through a pipe.
std::pair<ft::Status, std::string> openNamedPortAsUser(const std::string& path) {
    if (geteuid() != 0)
        return openNamedPort(path);
    int channel[2];
    if (pipe(channel) != 0)
        return {ft::OTHER_ERROR, "no pipe"};
    const pid_t child = fork();
    if (child == 0) {
        ::close(channel[0]);
        const uid_t nobody = 65534;
        std::string report = "could not leave root";
        if (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0) {
            const auto [status, text] = openNamedPort(path);
            report = std::to_string(status) + "\n" + text;
        }
        const ssize_t written = ::write(channel[1], report.data(), report.size());
        _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int exitStatus = 0;
    waitpid(child, &exitStatus, 0);
    const std::size_t newline = report.find('\n');
    if (newline == std::string::npos)
        return {ft::OTHER_ERROR, report};
    return {static_cast<ft::Status>(std::stoul(report.substr(0, newline))), report.substr(newline + 1)};
}

TEST(SerialProviderAccess, APortWithoutPermissionIsNamedWithTheFix) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0), 0);
    const auto [status, text] = openNamedPortAsUser(pty.slavePath());
    EXPECT_EQ(status, ft::DEVICE_NOT_OPENED);
    EXPECT_NE(text.find("No permission for the port " + pty.slavePath() + "."), std::string::npos) << text;
    EXPECT_NE(text.find("dialout"), std::string::npos) << text;
    EXPECT_NE(text.find("zavo-driver package"), std::string::npos) << text;
}

TEST(SerialProviderAccess, APortHeldByAnotherIsToldAsInUse) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SerialProvider first(QString::fromStdString(pty.slavePath()));
    ft::Handle handle = nullptr;
    char description[] = "QM417";
    ASSERT_EQ(first.OpenEx(description, ft::OPEN_BY_DESCRIPTION, &handle), ft::OK);
    EXPECT_EQ(first.openFailure(), "");

    const auto [status, text] = openNamedPort(pty.slavePath());
    EXPECT_EQ(status, ft::DEVICE_NOT_OPENED);
    EXPECT_EQ(text,
              "The port " + pty.slavePath() +
                  " is in use by another program. Close that program; the apparatus is then found again.");
}

TEST(SerialProviderAccess, TheTextsNameThePortTheCauseAndTheFix) {
    EXPECT_EQ(
        openFailureText("/dev/ttyUSB0", OpenProblem::PermissionDenied, "pupil"),
        "No permission for the port /dev/ttyUSB0. Install the zavo-driver package (its "
        "device rule gives the user at the computer access) or add this user to the dialout group: sudo "
        "adduser pupil dialout, then log out and in again.");
    EXPECT_EQ(openFailureText("/dev/ttyUSB0", OpenProblem::Other, "pupil", "Input/output error"),
              "Cannot open the port /dev/ttyUSB0: Input/output error.");
    // A missing port is no access problem: nothing is told, the search goes on.
    EXPECT_EQ(openNamedPort("/nonexistent/ttyQM"),
              std::make_pair(ft::Status{ft::DEVICE_NOT_FOUND}, std::string()));
    D2XXUnit::resetState();
    D2XXUnit::setProvider(nullptr);
    EXPECT_EQ(D2XXUnit::openFailure(), "");
}

} // namespace
