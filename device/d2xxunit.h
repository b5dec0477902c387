// The USB device access layer: one module of free functions over the D2XX operation table.
//
// The module owns the one open device handle, a fixed read buffer and a fixed write buffer, the line
// settings applied to the device and the device list of the last enumeration. Every operation calls
// exactly one function of the installed provider (ft::Provider), returns its status (or a byte count)
// and, on failure, composes a diagnostic text that goes to the debug log only.
//
// The state is shared and unguarded: exactly one thread (the acquisition thread) uses this module.
#pragma once

#include "device/ftprovider.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace D2XXUnit {

inline constexpr std::size_t bufferSize = 65536;
inline constexpr std::size_t descriptionBufferSize = 50; // at most 49 characters and a NUL

// ---- Module state ---------------------------------------------------------------------------------

extern ft::Handle deviceHandle;                            // null before the first open
extern ft::Dword deviceCount;                              // written by count, create and get list
extern std::vector<ft::DeviceListInfoNode> deviceInfoList; // filled by GetDeviceInfoList
extern std::string serialNumber;                           // last GetFTDeviceSerialNo result (<= 16 chars)
extern char descriptionBuffer[descriptionBufferSize];      // description passed to the last open
extern std::array<std::uint8_t, bufferSize> readBuffer;    // destination of every read, byte 0 first
extern std::array<std::uint8_t, bufferSize> writeBuffer;   // source of every write

extern ft::Dword baudRate;
extern std::uint8_t wordLength;
extern std::uint8_t stopBits;
extern std::uint8_t parity;
extern std::uint16_t flowControl;
extern std::uint8_t xonChar;  // 0x11 initially
extern std::uint8_t xoffChar; // 0x13 initially

extern ft::Status lastIoStatus; // status of the most recent read or write
extern ft::Dword rxQueueLength; // bytes waiting in the driver, written by GetQueueStatus
extern bool diagnosticsEnabled; // true initially: failing operations compose their diagnostic

// ---- Provider ---------------------------------------------------------------------------------------

// Installs the provider every operation calls (replacing and destroying the previous one). Without a
// provider the module behaves as if no device were attached: the count is 0 and everything else fails
// with DEVICE_NOT_FOUND.
void setProvider(std::unique_ptr<ft::Provider> provider);
ft::Provider* provider(); // null when none is installed

// Returns every state variable to its initial value (buffers zeroed, list emptied, xon/xoff 0x11/0x13,
// diagnostics on, no diagnostic text). The provider is kept. Meant for tests and a fresh start.
void resetState();

// ---- Operations -------------------------------------------------------------------------------------

// FT_ListDevices(&deviceCount, null, LIST_NUMBER_ONLY).
ft::Status GetFTDeviceCount();
// FT_ListDevices(index, 16-char buffer, LIST_BY_INDEX | OPEN_BY_SERIAL_NUMBER); on success
// serialNumber takes the text up to the first NUL.
ft::Status GetFTDeviceSerialNo(ft::Dword index);
// Copies at most 49 characters of the description into descriptionBuffer, then
// FT_OpenEx(descriptionBuffer, OPEN_BY_DESCRIPTION, &deviceHandle).
ft::Status Open_USB_Device_By_Device_Description(std::string_view description);
ft::Status CloseDevice();
// FT_Read into readBuffer (count is limited to the buffer size); lastIoStatus takes the status.
// Returns the number of bytes received; fewer than asked for is not an error of this layer.
ft::Dword ReadDevice(ft::Dword count);
// FT_Write from writeBuffer (count is limited to the buffer size); lastIoStatus takes the status.
// Returns the number of bytes written.
ft::Dword WriteDevice(ft::Dword count);
ft::Status ResetDevice();
ft::Status SetBaudRate();            // applies baudRate
ft::Status SetDataCharacteristics(); // applies wordLength, stopBits, parity
ft::Status SetFlowControl();         // applies flowControl, xonChar, xoffChar
ft::Status SetTimeouts(ft::Dword readMs, ft::Dword writeMs);
ft::Status GetQueueStatus();       // writes rxQueueLength
ft::Status CreateDeviceInfoList(); // writes deviceCount
// Resizes deviceInfoList to deviceCount nodes, then FT_GetDeviceInfoList(first node, &deviceCount).
ft::Status GetDeviceInfoList();

// Why the last open found the device but could not open it, for the user (the provider's
// openFailure()); empty when there is nothing to tell.
std::string openFailure();

// ---- Diagnostics ------------------------------------------------------------------------------------

// The text of a D2XX status: " - Invalid handle..." for 1 ... " - Other error ..." for 17; empty for 0
// and for values above 17.
std::string_view statusText(ft::Status status);

// The diagnostic composed by the most recent failing operation ("FT_Read - General IO error..."); empty
// when none has been composed since resetState(). Also written to the debug log category "zavo.device"
// (off by default). Shown nowhere else.
const std::string& lastDiagnostic();

} // namespace D2XXUnit
