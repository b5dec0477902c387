// The FTDI D2XX programming interface as a table of operations.
//
// Every operation of the USB access layer calls exactly one of these functions. The signatures,
// status codes, flags and the device-list node follow FTDI's public D2XX interface, so that the
// vendor library itself can stand behind the table (the d2xx provider), and so can the serial-port
// provider and the in-process simulated apparatus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ft {

using Status = std::uint32_t; // FT_STATUS
using Handle = void*;         // FT_HANDLE
using Dword = std::uint32_t;  // DWORD / ULONG as the library defines them on every platform
using Uchar = std::uint8_t;
using Ushort = std::uint16_t;

// FT_STATUS values.
enum : Status {
    OK = 0,
    INVALID_HANDLE = 1,
    DEVICE_NOT_FOUND = 2,
    DEVICE_NOT_OPENED = 3,
    IO_ERROR = 4,
    INSUFFICIENT_RESOURCES = 5,
    INVALID_PARAMETER = 6,
    INVALID_BAUD_RATE = 7,
    DEVICE_NOT_OPENED_FOR_ERASE = 8,
    DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FAILED_TO_WRITE_DEVICE = 10,
    EEPROM_READ_FAILED = 11,
    EEPROM_WRITE_FAILED = 12,
    EEPROM_ERASE_FAILED = 13,
    EEPROM_NOT_PRESENT = 14,
    EEPROM_NOT_PROGRAMMED = 15,
    INVALID_ARGS = 16,
    NOT_SUPPORTED = 17,
    OTHER_ERROR = 18,
};

// Flags of FT_ListDevices and FT_OpenEx.
inline constexpr Dword OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr Dword OPEN_BY_DESCRIPTION = 2;
inline constexpr Dword LIST_NUMBER_ONLY = 0x80000000u;
inline constexpr Dword LIST_BY_INDEX = 0x40000000u;

// Line settings of FT_SetDataCharacteristics and FT_SetFlowControl.
inline constexpr Uchar BITS_8 = 8;
inline constexpr Uchar BITS_7 = 7;
inline constexpr Uchar STOP_BITS_1 = 0;
inline constexpr Uchar STOP_BITS_2 = 2;
inline constexpr Uchar PARITY_NONE = 0;
inline constexpr Ushort FLOW_NONE = 0x0000;

// FT_DEVICE_LIST_INFO_NODE. The description starts at byte 32 whatever the pointer size.
struct DeviceListInfoNode {
    Dword Flags;
    Dword Type;
    Dword ID;
    Dword LocId;
    char SerialNumber[16];
    char Description[64];
    Handle ftHandle;
};
static_assert(offsetof(DeviceListInfoNode, SerialNumber) == 16);
static_assert(offsetof(DeviceListInfoNode, Description) == 32);

// The functions the USB access layer uses, with the D2XX signatures. A provider answers them for
// one kind of device access. All are called from one thread only (the acquisition thread).
class Provider {
public:
    virtual ~Provider() = default;

    // Short name used to choose the provider ("simulator", "serial", "d2xx").
    virtual std::string name() const = 0;

    virtual Status ListDevices(void* arg1, void* arg2, Dword flags) = 0;
    virtual Status CreateDeviceInfoList(Dword* numDevs) = 0;
    virtual Status GetDeviceInfoList(DeviceListInfoNode* dest, Dword* numDevs) = 0;
    virtual Status OpenEx(void* arg1, Dword flags, Handle* handle) = 0;
    virtual Status Close(Handle handle) = 0;
    virtual Status ResetDevice(Handle handle) = 0;
    virtual Status SetDataCharacteristics(Handle handle, Uchar wordLength, Uchar stopBits, Uchar parity) = 0;
    virtual Status SetBaudRate(Handle handle, Dword baudRate) = 0;
    virtual Status SetFlowControl(Handle handle, Ushort flowControl, Uchar xonChar, Uchar xoffChar) = 0;
    virtual Status SetTimeouts(Handle handle, Dword readTimeoutMs, Dword writeTimeoutMs) = 0;
    virtual Status GetQueueStatus(Handle handle, Dword* rxBytes) = 0;
    // Returns OK with fewer bytes than asked for when the read time-out passes first.
    virtual Status Read(Handle handle, void* buffer, Dword bytesToRead, Dword* bytesReturned) = 0;
    virtual Status Write(Handle handle, const void* buffer, Dword bytesToWrite, Dword* bytesWritten) = 0;

    // Not part of D2XX: why the most recent OpenEx failed although the device is there (no
    // permission, in use by another program), in words for the user that name the port and the
    // fix. Empty after a successful open, when the device was not found, or when there is nothing
    // to tell.
    virtual std::string openFailure() const { return {}; }
};

} // namespace ft
