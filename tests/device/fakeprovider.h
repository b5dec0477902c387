// A scripted D2XX provider for tests: a list of attached devices, the bytes the apparatus will send,
// a record of every call and every write, and switches for failures.
#pragma once

#include "device/d2xxunit.h"
#include "device/ftprovider.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace testing_device {

struct FakeDevice {
    std::string serialNumber;
    std::string description;
};

class FakeProvider : public ft::Provider {
public:
    std::vector<FakeDevice> devices;
    std::deque<std::uint8_t> incoming;             // what the apparatus sends, in order
    std::vector<std::vector<std::uint8_t>> writes; // one entry per Write call
    std::vector<std::string> calls;                // names of the functions called, in order
    std::string openedWith;                        // the text OpenEx received
    bool unplugged = false;                        // every handle operation fails with IO_ERROR
    ft::Status readStatus = ft::OK;                // returned by Read (bytes still delivered)
    ft::Status writeStatus = ft::OK;
    ft::Status configStatus = ft::OK; // returned by the configuration functions
    int failWriteNumber = -1;         // the n-th Write (0-based) fails with IO_ERROR
    ft::Dword readTimeoutMs = 0;
    ft::Dword lastBaud = 0;
    ft::Uchar lastWordLength = 0, lastStopBits = 0xFF, lastParity = 0xFF;
    ft::Ushort lastFlow = 0xFFFF;
    ft::Uchar lastXon = 0, lastXoff = 0;

    void send(std::initializer_list<std::uint8_t> bytes) { incoming.insert(incoming.end(), bytes); }
    void send(const std::string& text) { incoming.insert(incoming.end(), text.begin(), text.end()); }
    std::vector<std::uint8_t> allWritten() const {
        std::vector<std::uint8_t> out;
        for (const auto& w : writes)
            out.insert(out.end(), w.begin(), w.end());
        return out;
    }

    std::string name() const override { return "fake"; }

    ft::Status ListDevices(void* arg1, void* arg2, ft::Dword flags) override {
        calls.push_back("ListDevices");
        if (flags & ft::LIST_NUMBER_ONLY) {
            *static_cast<ft::Dword*>(arg1) = static_cast<ft::Dword>(devices.size());
            return ft::OK;
        }
        const auto index = reinterpret_cast<std::uintptr_t>(arg1);
        if (index >= devices.size())
            return ft::DEVICE_NOT_FOUND;
        // Fills all 16 characters without a NUL when the serial is that long, as the library may.
        std::memset(arg2, 0, 16);
        std::memcpy(arg2, devices[index].serialNumber.data(),
                    std::min<std::size_t>(16, devices[index].serialNumber.size()));
        return ft::OK;
    }
    ft::Status CreateDeviceInfoList(ft::Dword* numDevs) override {
        calls.push_back("CreateDeviceInfoList");
        *numDevs = static_cast<ft::Dword>(devices.size());
        return ft::OK;
    }
    ft::Status GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) override {
        calls.push_back("GetDeviceInfoList");
        for (std::size_t i = 0; i < devices.size(); ++i) {
            dest[i] = ft::DeviceListInfoNode{};
            std::strncpy(dest[i].SerialNumber, devices[i].serialNumber.c_str(), 15);
            std::strncpy(dest[i].Description, devices[i].description.c_str(), 63);
        }
        *numDevs = static_cast<ft::Dword>(devices.size());
        return ft::OK;
    }
    ft::Status OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) override {
        calls.push_back("OpenEx");
        openedWith = static_cast<const char*>(arg1);
        if (flags != ft::OPEN_BY_DESCRIPTION)
            return ft::INVALID_PARAMETER;
        for (const FakeDevice& d : devices)
            if (d.description == openedWith) {
                *handle = this;
                return ft::OK;
            }
        return ft::DEVICE_NOT_FOUND;
    }
    ft::Status Close(ft::Handle h) override { return handleCall("Close", h); }
    ft::Status ResetDevice(ft::Handle h) override { return configCall("ResetDevice", h); }
    ft::Status SetDataCharacteristics(ft::Handle h, ft::Uchar w, ft::Uchar s, ft::Uchar p) override {
        lastWordLength = w;
        lastStopBits = s;
        lastParity = p;
        return configCall("SetDataCharacteristics", h);
    }
    ft::Status SetBaudRate(ft::Handle h, ft::Dword baud) override {
        lastBaud = baud;
        return configCall("SetBaudRate", h);
    }
    ft::Status SetFlowControl(ft::Handle h, ft::Ushort flow, ft::Uchar xon, ft::Uchar xoff) override {
        lastFlow = flow;
        lastXon = xon;
        lastXoff = xoff;
        return configCall("SetFlowControl", h);
    }
    ft::Status SetTimeouts(ft::Handle h, ft::Dword readMs, ft::Dword) override {
        readTimeoutMs = readMs;
        return configCall("SetTimeouts", h);
    }
    ft::Status GetQueueStatus(ft::Handle h, ft::Dword* rx) override {
        const ft::Status s = handleCall("GetQueueStatus", h);
        *rx = s == ft::OK ? static_cast<ft::Dword>(incoming.size()) : 0;
        return s;
    }
    ft::Status Read(ft::Handle h, void* buffer, ft::Dword count, ft::Dword* got) override {
        *got = 0;
        if (const ft::Status s = handleCall("Read", h); s != ft::OK)
            return s;
        const auto n = std::min<std::size_t>(count, incoming.size());
        std::copy_n(incoming.begin(), n, static_cast<std::uint8_t*>(buffer));
        incoming.erase(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(n));
        *got = static_cast<ft::Dword>(n);
        return readStatus;
    }
    ft::Status Write(ft::Handle h, const void* buffer, ft::Dword count, ft::Dword* put) override {
        *put = 0;
        if (const ft::Status s = handleCall("Write", h); s != ft::OK)
            return s;
        if (static_cast<int>(writes.size()) == failWriteNumber) {
            writes.emplace_back();
            return ft::IO_ERROR;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        writes.emplace_back(bytes, bytes + count);
        *put = count;
        return writeStatus;
    }

private:
    ft::Status handleCall(const char* name, ft::Handle h) {
        calls.push_back(name);
        if (h != this)
            return ft::INVALID_HANDLE;
        return unplugged ? ft::IO_ERROR : ft::OK;
    }
    ft::Status configCall(const char* name, ft::Handle h) {
        const ft::Status s = handleCall(name, h);
        return s == ft::OK ? configStatus : s;
    }
};

// Installs a fresh fake behind D2XXUnit with clean module state; the fake stays owned by the module.
inline FakeProvider& installFake() {
    D2XXUnit::resetState();
    auto fake = std::make_unique<FakeProvider>();
    FakeProvider& ref = *fake;
    D2XXUnit::setProvider(std::move(fake));
    return ref;
}

// Installs a fake with one apparatus attached and opened.
inline FakeProvider& installOpenedFake() {
    FakeProvider& fake = installFake();
    fake.devices.push_back({"QM417SN", "QM417"});
    D2XXUnit::Open_USB_Device_By_Device_Description("QM417");
    fake.calls.clear();
    return fake;
}

} // namespace testing_device
