// The d2xx provider: FTDI's vendor library (libftd2xx.so, ftd2xx.dll), loaded at run time. Builds
// without the vendor's headers; where the library is not installed it reports "not available".
#pragma once

#include "device/ftprovider.h"

#include <QString>

#include <memory>

namespace zavo {

class D2xxProvider : public ft::Provider {
public:
    // True when the library loads and has every function the layer uses (loaded once, kept).
    static bool available();
    // Why it is not available ("not available: ..."); empty when it is.
    static QString unavailableReason();
    // Null when the library is not available.
    static std::unique_ptr<D2xxProvider> create();

    std::string name() const override { return "d2xx"; }

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
    struct Library;
    explicit D2xxProvider(const Library& library);
    const Library& lib_;
};

} // namespace zavo
