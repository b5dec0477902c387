// The simulated apparatus as a device provider of the USB access layer: one FTDI device described
// "QM417" with serial number "SIM00001", open through FT_OpenEx by description or serial number.
// Reads wait (in real time) up to the read time-out for the bytes asked for and return what arrived
// with FT_OK. While the apparatus is unplugged the device is not listed, cannot be opened, and every
// operation on a handle opened before fails with FT_IO_ERROR until the handle is closed.
#pragma once

#include "device/ftprovider.h"
#include "simulator/apparatus.h"

#include <memory>
#include <mutex>

namespace sim {

inline constexpr const char* kDeviceDescription = "QM417";
inline constexpr const char* kDeviceSerial = "SIM00001";

class SimProvider : public ft::Provider {
public:
    // FT_DEVICE_232R, and the USB vendor and product id of FTDI's FT232R.
    static constexpr ft::Dword kDeviceType = 5;
    static constexpr ft::Dword kDeviceId = 0x04036001;
    static constexpr ft::Dword kLocationId = 0x0111;
    // Read time-out until FT_SetTimeouts is called, ms.
    static constexpr ft::Dword kDefaultReadTimeoutMs = 100;

    explicit SimProvider(std::shared_ptr<Apparatus> apparatus = std::make_shared<Apparatus>());

    const std::shared_ptr<Apparatus>& apparatus() const { return apparatus_; }
    bool isOpen() const;

    std::string name() const override { return "simulator"; }
    ft::Status ListDevices(void* arg1, void* arg2, ft::Dword flags) override;
    ft::Status CreateDeviceInfoList(ft::Dword* numDevs) override;
    ft::Status GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) override;
    ft::Status OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) override;
    ft::Status Close(ft::Handle handle) override;
    ft::Status ResetDevice(ft::Handle handle) override;
    ft::Status SetDataCharacteristics(ft::Handle handle, ft::Uchar wordLength, ft::Uchar stopBits,
                                      ft::Uchar parity) override;
    ft::Status SetBaudRate(ft::Handle handle, ft::Dword baudRate) override;
    ft::Status SetFlowControl(ft::Handle handle, ft::Ushort flowControl, ft::Uchar xonChar,
                              ft::Uchar xoffChar) override;
    ft::Status SetTimeouts(ft::Handle handle, ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs) override;
    ft::Status GetQueueStatus(ft::Handle handle, ft::Dword* rxBytes) override;
    ft::Status Read(ft::Handle handle, void* buffer, ft::Dword bytesToRead,
                    ft::Dword* bytesReturned) override;
    ft::Status Write(ft::Handle handle, const void* buffer, ft::Dword bytesToWrite,
                     ft::Dword* bytesWritten) override;

private:
    // FT_OK for the open handle, FT_INVALID_HANDLE for any other, FT_IO_ERROR after an unplug.
    ft::Status check(ft::Handle handle, std::uint64_t* generation = nullptr) const;
    // Checks the arguments of a read or write, zeroes its count and checks the handle.
    ft::Status beginTransfer(ft::Handle handle, const void* buffer, ft::Dword count, ft::Dword* done,
                             std::uint64_t* generation) const;
    ft::Dword deviceCount() const;

    std::shared_ptr<Apparatus> apparatus_;
    mutable std::mutex mutex_;
    ft::Handle open_ = nullptr;
    std::uint64_t generation_ = 0;
    ft::Dword readTimeoutMs_ = kDefaultReadTimeoutMs;
    std::uintptr_t nextHandle_ = 0x5100;
};

// A provider on a new apparatus with these options (the factory the device layer registers under
// the name "simulator").
std::unique_ptr<ft::Provider> makeSimProvider(const ApparatusOptions& options = {});

} // namespace sim
