#include "simulator/simprovider.h"

#include <cstring>
#include <string_view>

namespace sim {

namespace {

void copyText(char* destination, std::size_t size, const char* text) {
    std::strncpy(destination, text, size - 1);
    destination[size - 1] = '\0';
}

} // namespace

SimProvider::SimProvider(std::shared_ptr<Apparatus> apparatus) : apparatus_(std::move(apparatus)) {}

bool SimProvider::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_ != nullptr;
}

ft::Dword SimProvider::deviceCount() const {
    return apparatus_->plugged() ? 1 : 0;
}

ft::Status SimProvider::check(ft::Handle handle, std::uint64_t* generation) const {
    std::lock_guard lock(mutex_);
    if (handle == nullptr || handle != open_) {
        return ft::INVALID_HANDLE;
    }
    if (!apparatus_->connected(generation_)) {
        return ft::IO_ERROR;
    }
    if (generation != nullptr) {
        *generation = generation_;
    }
    return ft::OK;
}

ft::Status SimProvider::ListDevices(void* arg1, void* arg2, ft::Dword flags) {
    if (flags & ft::LIST_NUMBER_ONLY) {
        if (arg1 == nullptr) {
            return ft::INVALID_PARAMETER;
        }
        *static_cast<ft::Dword*>(arg1) = deviceCount();
        return ft::OK;
    }
    if (flags & ft::LIST_BY_INDEX) {
        const auto index = static_cast<ft::Dword>(reinterpret_cast<std::uintptr_t>(arg1));
        if (arg2 == nullptr) {
            return ft::INVALID_PARAMETER;
        }
        if (index >= deviceCount()) {
            return ft::DEVICE_NOT_FOUND;
        }
        // The caller's buffer holds 16 characters for a serial number, 64 for a description.
        if (flags & ft::OPEN_BY_DESCRIPTION) {
            copyText(static_cast<char*>(arg2), 64, kDeviceDescription);
        } else {
            copyText(static_cast<char*>(arg2), 16, kDeviceSerial);
        }
        return ft::OK;
    }
    return ft::NOT_SUPPORTED;
}

ft::Status SimProvider::CreateDeviceInfoList(ft::Dword* numDevs) {
    if (numDevs == nullptr) {
        return ft::INVALID_PARAMETER;
    }
    *numDevs = deviceCount();
    return ft::OK;
}

ft::Status SimProvider::GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) {
    if (dest == nullptr || numDevs == nullptr) {
        return ft::INVALID_PARAMETER;
    }
    *numDevs = deviceCount();
    if (*numDevs == 0) {
        return ft::OK;
    }
    std::lock_guard lock(mutex_);
    ft::DeviceListInfoNode& node = dest[0];
    std::memset(&node, 0, sizeof node);
    node.Flags = open_ != nullptr ? 1u : 0u; // FT_FLAGS_OPENED
    node.Type = kDeviceType;
    node.ID = kDeviceId;
    node.LocId = kLocationId;
    copyText(node.SerialNumber, sizeof node.SerialNumber, kDeviceSerial);
    copyText(node.Description, sizeof node.Description, kDeviceDescription);
    node.ftHandle = open_;
    return ft::OK;
}

ft::Status SimProvider::OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) {
    if (arg1 == nullptr || handle == nullptr) {
        return ft::INVALID_PARAMETER;
    }
    const std::string_view wanted(static_cast<const char*>(arg1));
    const bool matches = (flags == ft::OPEN_BY_DESCRIPTION && wanted == kDeviceDescription) ||
                         (flags == ft::OPEN_BY_SERIAL_NUMBER && wanted == kDeviceSerial);
    if (!apparatus_->plugged() || !matches) {
        return ft::DEVICE_NOT_FOUND;
    }
    std::lock_guard lock(mutex_);
    if (open_ != nullptr && apparatus_->connected(generation_)) {
        return ft::DEVICE_NOT_OPENED; // already open
    }
    open_ = reinterpret_cast<ft::Handle>(nextHandle_++);
    generation_ = apparatus_->generation();
    readTimeoutMs_ = kDefaultReadTimeoutMs;
    apparatus_->purge();
    *handle = open_;
    return ft::OK;
}

ft::Status SimProvider::Close(ft::Handle handle) {
    std::lock_guard lock(mutex_);
    if (handle == nullptr || handle != open_) {
        return ft::INVALID_HANDLE;
    }
    open_ = nullptr;
    return ft::OK;
}

ft::Status SimProvider::ResetDevice(ft::Handle handle) {
    const ft::Status status = check(handle);
    if (status == ft::OK) {
        apparatus_->purge();
    }
    return status;
}

ft::Status SimProvider::SetDataCharacteristics(ft::Handle handle, ft::Uchar, ft::Uchar, ft::Uchar) {
    return check(handle);
}

ft::Status SimProvider::SetBaudRate(ft::Handle handle, ft::Dword baudRate) {
    const ft::Status status = check(handle);
    return status == ft::OK && baudRate == 0 ? ft::INVALID_BAUD_RATE : status;
}

ft::Status SimProvider::SetFlowControl(ft::Handle handle, ft::Ushort, ft::Uchar, ft::Uchar) {
    return check(handle);
}

ft::Status SimProvider::SetTimeouts(ft::Handle handle, ft::Dword readTimeoutMs, ft::Dword) {
    const ft::Status status = check(handle);
    if (status == ft::OK) {
        std::lock_guard lock(mutex_);
        readTimeoutMs_ = readTimeoutMs;
    }
    return status;
}

ft::Status SimProvider::GetQueueStatus(ft::Handle handle, ft::Dword* rxBytes) {
    std::uint64_t generation = 0;
    if (rxBytes == nullptr) {
        return ft::INVALID_PARAMETER;
    }
    const ft::Status status = check(handle, &generation);
    if (status != ft::OK) {
        return status;
    }
    const auto count = apparatus_->queued(generation);
    if (!count) {
        return ft::IO_ERROR;
    }
    *rxBytes = static_cast<ft::Dword>(*count);
    return ft::OK;
}

ft::Status SimProvider::beginTransfer(ft::Handle handle, const void* buffer, ft::Dword count, ft::Dword* done,
                                      std::uint64_t* generation) const {
    if (done == nullptr || (buffer == nullptr && count > 0)) {
        return ft::INVALID_PARAMETER;
    }
    *done = 0;
    return check(handle, generation);
}

ft::Status SimProvider::Read(ft::Handle handle, void* buffer, ft::Dword bytesToRead,
                             ft::Dword* bytesReturned) {
    std::uint64_t generation = 0;
    if (const ft::Status status = beginTransfer(handle, buffer, bytesToRead, bytesReturned, &generation);
        status != ft::OK) {
        return status;
    }
    ft::Dword timeoutMs = 0;
    {
        std::lock_guard lock(mutex_);
        timeoutMs = readTimeoutMs_;
    }
    std::size_t taken = 0;
    const auto received = apparatus_->receive(generation, static_cast<std::uint8_t*>(buffer), bytesToRead,
                                              std::chrono::milliseconds(timeoutMs), &taken);
    *bytesReturned = static_cast<ft::Dword>(taken);
    return received ? ft::OK : ft::IO_ERROR;
}

ft::Status SimProvider::Write(ft::Handle handle, const void* buffer, ft::Dword bytesToWrite,
                              ft::Dword* bytesWritten) {
    std::uint64_t generation = 0;
    if (const ft::Status status = beginTransfer(handle, buffer, bytesToWrite, bytesWritten, &generation);
        status != ft::OK) {
        return status;
    }
    if (!apparatus_->send(generation, std::span(static_cast<const std::uint8_t*>(buffer), bytesToWrite))) {
        return ft::IO_ERROR;
    }
    *bytesWritten = bytesToWrite;
    return ft::OK;
}

std::unique_ptr<ft::Provider> makeSimProvider(const ApparatusOptions& options) {
    return std::make_unique<SimProvider>(std::make_shared<Apparatus>(options));
}

} // namespace sim
