#include "device/d2xxunit.h"
#include "tests/device/fakeprovider.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_device;

namespace {

TEST(D2XXUnit, CountWithNoDeviceSucceedsWithZero) {
    FakeProvider& fake = installFake();
    D2XXUnit::deviceCount = 7;
    EXPECT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceCount, 0u);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"ListDevices"});
    EXPECT_TRUE(D2XXUnit::lastDiagnostic().empty());
}

TEST(D2XXUnit, WithoutProviderNoDeviceIsAttached) {
    D2XXUnit::resetState();
    D2XXUnit::setProvider(nullptr);
    EXPECT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceCount, 0u);
    EXPECT_EQ(D2XXUnit::Open_USB_Device_By_Device_Description("QM417"), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(D2XXUnit::ReadDevice(1), 0u);
    EXPECT_NE(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_NE(D2XXUnit::GetQueueStatus(), ft::OK);
}

TEST(D2XXUnit, LongDescriptionIsCutTo49Characters) {
    FakeProvider& fake = installFake();
    const std::string sixty(60, 'D');
    D2XXUnit::Open_USB_Device_By_Device_Description(sixty);
    EXPECT_EQ(fake.openedWith, std::string(49, 'D'));
    EXPECT_EQ(std::string(D2XXUnit::descriptionBuffer), std::string(49, 'D'));

    D2XXUnit::Open_USB_Device_By_Device_Description("");
    EXPECT_EQ(fake.openedWith, "");
}

TEST(D2XXUnit, OpenByDescriptionStoresTheHandle) {
    FakeProvider& fake = installFake();
    fake.devices.push_back({"A1", "QM417"});
    EXPECT_EQ(D2XXUnit::Open_USB_Device_By_Device_Description("QM417"), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceHandle, static_cast<ft::Handle>(&fake));
    EXPECT_EQ(D2XXUnit::CloseDevice(), ft::OK);
}

TEST(D2XXUnit, ShortReadReturnsWhatArrivedWithOkStatus) {
    FakeProvider& fake = installOpenedFake();
    fake.send({'0', '1', '8', '6'});
    EXPECT_EQ(D2XXUnit::ReadDevice(6), 4u);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::OK);
    EXPECT_EQ(D2XXUnit::readBuffer[0], '0');
    EXPECT_EQ(D2XXUnit::readBuffer[3], '6');
}

TEST(D2XXUnit, FailedReadKeepsItsStatusUntilTheNextReadOrWrite) {
    FakeProvider& fake = installOpenedFake();
    fake.readStatus = ft::IO_ERROR;
    fake.send({0x06});
    D2XXUnit::ReadDevice(1);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::IO_ERROR);
    EXPECT_EQ(D2XXUnit::ResetDevice(), ft::OK);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::IO_ERROR);
    D2XXUnit::writeBuffer[0] = 'h';
    EXPECT_EQ(D2XXUnit::WriteDevice(1), 1u);
    EXPECT_EQ(D2XXUnit::lastIoStatus, ft::OK);
}

TEST(D2XXUnit, QueueStatusFailsAfterUnplugging) {
    FakeProvider& fake = installOpenedFake();
    fake.send({0x06, 0x03});
    EXPECT_EQ(D2XXUnit::GetQueueStatus(), ft::OK);
    EXPECT_EQ(D2XXUnit::rxQueueLength, 2u);
    fake.unplugged = true;
    EXPECT_NE(D2XXUnit::GetQueueStatus(), ft::OK);
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "FT_GetQueueStatus - General IO error...");
}

TEST(D2XXUnit, DiagnosticIsLabelFollowedByStatusText) {
    FakeProvider& fake = installOpenedFake();
    fake.readStatus = ft::IO_ERROR;
    D2XXUnit::ReadDevice(1);
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "FT_Read - General IO error...");

    D2XXUnit::Open_USB_Device_By_Device_Description("nothing");
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "Open_USB_Device_By_Device_Description - Device not found...");

    fake.configStatus = ft::DEVICE_NOT_OPENED_FOR_WRITE;
    D2XXUnit::SetBaudRate();
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "FT_SetBaudRate Device not opened for write...");
}

TEST(D2XXUnit, StatusOutsideTheTableOrDisabledDiagnosticsComposeNothing) {
    FakeProvider& fake = installOpenedFake();
    fake.configStatus = ft::OTHER_ERROR; // 18: no text
    EXPECT_EQ(D2XXUnit::SetTimeouts(100, 100), ft::OTHER_ERROR);
    EXPECT_TRUE(D2XXUnit::lastDiagnostic().empty());

    fake.configStatus = ft::NOT_SUPPORTED; // 17
    D2XXUnit::diagnosticsEnabled = false;
    EXPECT_EQ(D2XXUnit::SetTimeouts(100, 100), ft::NOT_SUPPORTED);
    EXPECT_TRUE(D2XXUnit::lastDiagnostic().empty());
    D2XXUnit::diagnosticsEnabled = true;
    D2XXUnit::SetTimeouts(100, 100);
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "FT_SetTimeouts - Other error ...");
}

TEST(D2XXUnit, StatusTexts) {
    EXPECT_EQ(D2XXUnit::statusText(0), "");
    EXPECT_EQ(D2XXUnit::statusText(1), " - Invalid handle...");
    EXPECT_EQ(D2XXUnit::statusText(8), " Device not opened for erase...");
    EXPECT_EQ(D2XXUnit::statusText(16), " - Invalid arguments...");
    EXPECT_EQ(D2XXUnit::statusText(17), " - Other error ...");
    EXPECT_EQ(D2XXUnit::statusText(18), "");
    EXPECT_EQ(D2XXUnit::statusText(0xFFFFFFFFu), "");
}

TEST(D2XXUnit, EnumerationFillsCountListAndSerialNumber) {
    FakeProvider& fake = installFake();
    fake.devices = {{"FT1", "Other"}, {"ABCDEFGHIJKLMNOP", "QM417"}};
    EXPECT_EQ(D2XXUnit::GetFTDeviceCount(), ft::OK);
    EXPECT_EQ(D2XXUnit::deviceCount, 2u);
    EXPECT_EQ(D2XXUnit::CreateDeviceInfoList(), ft::OK);
    EXPECT_EQ(D2XXUnit::GetDeviceInfoList(), ft::OK);
    ASSERT_EQ(D2XXUnit::deviceInfoList.size(), 2u);
    EXPECT_STREQ(D2XXUnit::deviceInfoList[1].Description, "QM417");
    // The description starts at byte 32 of a node, as the library lays it out.
    const auto* raw = reinterpret_cast<const char*>(&D2XXUnit::deviceInfoList[1]);
    EXPECT_EQ(std::string(raw + 32), "QM417");

    // A serial number filling all 16 characters has no NUL; it is taken whole.
    EXPECT_EQ(D2XXUnit::GetFTDeviceSerialNo(1), ft::OK);
    EXPECT_EQ(D2XXUnit::serialNumber, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(D2XXUnit::GetFTDeviceSerialNo(0), ft::OK);
    EXPECT_EQ(D2XXUnit::serialNumber, "FT1");
    // A failing request leaves the last serial number.
    EXPECT_EQ(D2XXUnit::GetFTDeviceSerialNo(5), ft::DEVICE_NOT_FOUND);
    EXPECT_EQ(D2XXUnit::serialNumber, "FT1");
    EXPECT_EQ(D2XXUnit::lastDiagnostic(), "GetFTDeviceSerialNo - Device not found...");
}

TEST(D2XXUnit, EveryOperationCallsOneProviderFunctionWithTheModuleState) {
    FakeProvider& fake = installOpenedFake();
    D2XXUnit::baudRate = 115200;
    D2XXUnit::wordLength = ft::BITS_8;
    D2XXUnit::stopBits = ft::STOP_BITS_1;
    D2XXUnit::parity = ft::PARITY_NONE;
    D2XXUnit::flowControl = ft::FLOW_NONE;
    D2XXUnit::ResetDevice();
    D2XXUnit::SetDataCharacteristics();
    D2XXUnit::SetBaudRate();
    D2XXUnit::SetFlowControl();
    D2XXUnit::SetTimeouts(100, 100);
    D2XXUnit::GetQueueStatus();
    D2XXUnit::ReadDevice(1);
    D2XXUnit::WriteDevice(0);
    D2XXUnit::CloseDevice();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"ResetDevice", "SetDataCharacteristics", "SetBaudRate",
                                                    "SetFlowControl", "SetTimeouts", "GetQueueStatus", "Read",
                                                    "Write", "Close"}));
    EXPECT_EQ(fake.lastBaud, 115200u);
    EXPECT_EQ(fake.lastWordLength, 8);
    EXPECT_EQ(fake.lastStopBits, 0);
    EXPECT_EQ(fake.lastParity, 0);
    EXPECT_EQ(fake.lastFlow, 0);
    EXPECT_EQ(fake.lastXon, 0x11);
    EXPECT_EQ(fake.lastXoff, 0x13);
    EXPECT_EQ(fake.readTimeoutMs, 100u);
}

TEST(D2XXUnit, WriteSendsTheFirstBytesOfTheWriteBuffer) {
    FakeProvider& fake = installOpenedFake();
    D2XXUnit::writeBuffer[0] = 'T';
    D2XXUnit::writeBuffer[1] = 0x00;
    D2XXUnit::writeBuffer[2] = 0x32;
    D2XXUnit::writeBuffer[3] = 0x99;
    EXPECT_EQ(D2XXUnit::WriteDevice(3), 3u);
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], (std::vector<std::uint8_t>{'T', 0x00, 0x32}));
}

TEST(D2XXUnit, ResetStateRestoresInitialValues) {
    installOpenedFake();
    D2XXUnit::xonChar = 1;
    D2XXUnit::diagnosticsEnabled = false;
    D2XXUnit::readBuffer[10] = 5;
    D2XXUnit::resetState();
    EXPECT_EQ(D2XXUnit::xonChar, 0x11);
    EXPECT_EQ(D2XXUnit::xoffChar, 0x13);
    EXPECT_TRUE(D2XXUnit::diagnosticsEnabled);
    EXPECT_EQ(D2XXUnit::readBuffer[10], 0);
    EXPECT_EQ(D2XXUnit::deviceHandle, nullptr);
    EXPECT_NE(D2XXUnit::provider(), nullptr); // the provider stays installed
}

} // namespace
