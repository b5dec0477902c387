#include "device/d2xxunit.h"

#include <QLoggingCategory>

#include <algorithm>
#include <array>
#include <cstring>

Q_LOGGING_CATEGORY(lcDevice, "zavo.device", QtWarningMsg)

namespace D2XXUnit {

ft::Handle deviceHandle = nullptr;
ft::Dword deviceCount = 0;
std::vector<ft::DeviceListInfoNode> deviceInfoList;
std::string serialNumber;
char descriptionBuffer[descriptionBufferSize] = {};
std::array<std::uint8_t, bufferSize> readBuffer{};
std::array<std::uint8_t, bufferSize> writeBuffer{};

ft::Dword baudRate = 0;
std::uint8_t wordLength = 0;
std::uint8_t stopBits = 0;
std::uint8_t parity = 0;
std::uint16_t flowControl = 0;
std::uint8_t xonChar = 0x11;
std::uint8_t xoffChar = 0x13;

ft::Status lastIoStatus = ft::OK;
ft::Dword rxQueueLength = 0;
bool diagnosticsEnabled = true;

namespace {

// Stands in while no provider is installed: no device is attached.
class NoDeviceProvider final : public ft::Provider {
public:
    std::string name() const override { return "none"; }
    ft::Status ListDevices(void* arg1, void*, ft::Dword flags) override {
        if ((flags & ft::LIST_NUMBER_ONLY) && arg1) {
            *static_cast<ft::Dword*>(arg1) = 0;
            return ft::OK;
        }
        return ft::DEVICE_NOT_FOUND;
    }
    ft::Status CreateDeviceInfoList(ft::Dword* numDevs) override {
        if (numDevs)
            *numDevs = 0;
        return ft::OK;
    }
    ft::Status GetDeviceInfoList(ft::DeviceListInfoNode*, ft::Dword* numDevs) override {
        if (numDevs)
            *numDevs = 0;
        return ft::OK;
    }
    ft::Status OpenEx(void*, ft::Dword, ft::Handle*) override { return ft::DEVICE_NOT_FOUND; }
    ft::Status Close(ft::Handle) override { return ft::INVALID_HANDLE; }
    ft::Status ResetDevice(ft::Handle) override { return ft::INVALID_HANDLE; }
    ft::Status SetDataCharacteristics(ft::Handle, ft::Uchar, ft::Uchar, ft::Uchar) override {
        return ft::INVALID_HANDLE;
    }
    ft::Status SetBaudRate(ft::Handle, ft::Dword) override { return ft::INVALID_HANDLE; }
    ft::Status SetFlowControl(ft::Handle, ft::Ushort, ft::Uchar, ft::Uchar) override {
        return ft::INVALID_HANDLE;
    }
    ft::Status SetTimeouts(ft::Handle, ft::Dword, ft::Dword) override { return ft::INVALID_HANDLE; }
    ft::Status GetQueueStatus(ft::Handle, ft::Dword*) override { return ft::INVALID_HANDLE; }
    ft::Status Read(ft::Handle, void*, ft::Dword, ft::Dword* got) override {
        if (got)
            *got = 0;
        return ft::INVALID_HANDLE;
    }
    ft::Status Write(ft::Handle, const void*, ft::Dword, ft::Dword* put) override {
        if (put)
            *put = 0;
        return ft::INVALID_HANDLE;
    }
};

std::unique_ptr<ft::Provider> installed;
NoDeviceProvider noDevice;
std::string diagnostic;

ft::Provider& dev() {
    return installed ? *installed : noDevice;
}

constexpr std::array<std::string_view, 18> statusTexts{
    "",
    " - Invalid handle...",
    " - Device not found...",
    " - Device not opened...",
    " - General IO error...",
    " - Insufficient resources...",
    " - Invalid parameter...",
    " - Invalid baud rate...",
    " Device not opened for erase...",
    " Device not opened for write...",
    " - Failed to write...",
    " - EEPROM read failed...",
    " - EEPROM write failed...",
    " - EEPROM erase failed...",
    " - EEPROM not present...",
    " - EEPROM not programmed...",
    " - Invalid arguments...",
    " - Other error ...",
};

// Composes the diagnostic of a failing operation; statuses outside 1..17 compose nothing.
ft::Status report(std::string_view label, ft::Status status) {
    if (status != ft::OK && diagnosticsEnabled && status < statusTexts.size()) {
        diagnostic.assign(label);
        diagnostic.append(statusTexts[status]);
        qCDebug(lcDevice, "%s", diagnostic.c_str());
    }
    return status;
}

// Text up to the first NUL of a fixed character field.
std::string fieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

} // namespace

void setProvider(std::unique_ptr<ft::Provider> provider) {
    installed = std::move(provider);
}

ft::Provider* provider() {
    return installed.get();
}

void resetState() {
    deviceHandle = nullptr;
    deviceCount = 0;
    deviceInfoList.clear();
    deviceInfoList.shrink_to_fit();
    serialNumber.clear();
    std::memset(descriptionBuffer, 0, sizeof descriptionBuffer);
    readBuffer.fill(0);
    writeBuffer.fill(0);
    baudRate = 0;
    wordLength = stopBits = parity = 0;
    flowControl = 0;
    xonChar = 0x11;
    xoffChar = 0x13;
    lastIoStatus = ft::OK;
    rxQueueLength = 0;
    diagnosticsEnabled = true;
    diagnostic.clear();
}

ft::Status GetFTDeviceCount() {
    return report("GetFTDeviceCount", dev().ListDevices(&deviceCount, nullptr, ft::LIST_NUMBER_ONLY));
}

ft::Status GetFTDeviceSerialNo(ft::Dword index) {
    // The library takes the index itself in place of the first pointer argument.
    char buffer[64] = {}; // 16 characters are asked for; the rest is a guard against overlong answers
    const ft::Status status = dev().ListDevices(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)),
                                                buffer, ft::LIST_BY_INDEX | ft::OPEN_BY_SERIAL_NUMBER);
    if (status == ft::OK)
        serialNumber = fieldText(buffer, 16);
    return report("GetFTDeviceSerialNo", status);
}

ft::Status Open_USB_Device_By_Device_Description(std::string_view description) {
    const std::size_t n = std::min(description.size(), descriptionBufferSize - 1);
    std::memcpy(descriptionBuffer, description.data(), n);
    descriptionBuffer[n] = '\0';
    return report("Open_USB_Device_By_Device_Description",
                  dev().OpenEx(descriptionBuffer, ft::OPEN_BY_DESCRIPTION, &deviceHandle));
}

ft::Status CloseDevice() {
    return report("FT_Close", dev().Close(deviceHandle));
}

ft::Dword ReadDevice(ft::Dword count) {
    ft::Dword received = 0;
    count = std::min<ft::Dword>(count, bufferSize);
    lastIoStatus = report("FT_Read", dev().Read(deviceHandle, readBuffer.data(), count, &received));
    return std::min(received, count);
}

ft::Dword WriteDevice(ft::Dword count) {
    ft::Dword written = 0;
    count = std::min<ft::Dword>(count, bufferSize);
    lastIoStatus = report("FT_Write", dev().Write(deviceHandle, writeBuffer.data(), count, &written));
    return std::min(written, count);
}

ft::Status ResetDevice() {
    return report("FT_ResetDevice", dev().ResetDevice(deviceHandle));
}

ft::Status SetBaudRate() {
    return report("FT_SetBaudRate", dev().SetBaudRate(deviceHandle, baudRate));
}

ft::Status SetDataCharacteristics() {
    return report("FT_SetDataCharacteristics",
                  dev().SetDataCharacteristics(deviceHandle, wordLength, stopBits, parity));
}

ft::Status SetFlowControl() {
    return report("FT_SetFlowControl", dev().SetFlowControl(deviceHandle, flowControl, xonChar, xoffChar));
}

ft::Status SetTimeouts(ft::Dword readMs, ft::Dword writeMs) {
    return report("FT_SetTimeouts", dev().SetTimeouts(deviceHandle, readMs, writeMs));
}

ft::Status GetQueueStatus() {
    return report("FT_GetQueueStatus", dev().GetQueueStatus(deviceHandle, &rxQueueLength));
}

ft::Status CreateDeviceInfoList() {
    return report("FT_CreateDeviceInfoList", dev().CreateDeviceInfoList(&deviceCount));
}

ft::Status GetDeviceInfoList() {
    deviceInfoList.assign(deviceCount, ft::DeviceListInfoNode{});
    ft::Dword listed = deviceCount;
    const ft::Status status = dev().GetDeviceInfoList(deviceInfoList.data(), &listed);
    // Never claim more nodes than the list holds.
    deviceCount = std::min<ft::Dword>(listed, static_cast<ft::Dword>(deviceInfoList.size()));
    deviceInfoList.resize(deviceCount);
    return report("FT_GetDeviceInfoList", status);
}

std::string openFailure() {
    return dev().openFailure();
}

std::string_view statusText(ft::Status status) {
    return status < statusTexts.size() ? statusTexts[status] : std::string_view{};
}

const std::string& lastDiagnostic() {
    return diagnostic;
}

} // namespace D2XXUnit
