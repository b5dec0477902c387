// The serial provider: USB-serial ports through Qt SerialPort presented as D2XX devices, the way an
// FTDI device appears without the vendor driver.
#pragma once

#include "device/ftprovider.h"

#include <QString>

#include <memory>
#include <vector>

class QSerialPort;

namespace zavo {

// One port as the provider lists it.
struct SerialPortEntry {
    QString portName;     // system location, e.g. /dev/ttyUSB0
    QString description;  // USB description, "QM417" for the apparatus
    QString serialNumber; // USB serial number, or one derived from the path when the port has none
};

// A serial number for a port without one: stable for a path, at most 15 characters of [0-9A-Za-z],
// so it fits the D2XX field and names an INI section safely. Example: /dev/ttyUSB0 -> "devttyUSB0".
QString serialNumberFromPath(const QString& path);

// Why a port that is there does not open.
enum class OpenProblem {
    PermissionDenied, // the user may not read and write it
    InUse,            // another program holds it
    Other,            // anything else the system reports
};

// The user's words for a port that does not open: the port, the cause and the fix. `user` is the
// account to add to the dialout group; `systemText` what the system said (for Other).
QString openFailureText(const QString& port, OpenProblem problem, const QString& user,
                        const QString& systemText = {});
// The same text for a program that tries once and ends (the command line): it does not wait for
// the port to come free, so it tells to try again rather than that the apparatus will be found.
QString oneAttemptText(const QString& openFailure);

class SerialProvider : public ft::Provider {
public:
    // namedPort empty: every port of the system with its USB description and serial number.
    // namedPort given: that one port, described "QM417", while the path exists.
    explicit SerialProvider(QString namedPort = {});
    ~SerialProvider() override;

    std::string name() const override { return "serial"; }

    // The ports as currently listed (enumerates afresh).
    std::vector<SerialPortEntry> enumerate() const;

    ft::Status ListDevices(void* arg1, void* arg2, ft::Dword flags) override;
    ft::Status CreateDeviceInfoList(ft::Dword* numDevs) override;
    ft::Status GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) override;
    // Opens the first port whose description (OPEN_BY_DESCRIPTION) or serial number
    // (OPEN_BY_SERIAL_NUMBER) matches. The port object is created here, in the calling thread.
    ft::Status OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) override;
    ft::Status Close(ft::Handle handle) override;
    ft::Status ResetDevice(ft::Handle handle) override;
    ft::Status SetDataCharacteristics(ft::Handle handle, ft::Uchar wordLength, ft::Uchar stopBits,
                                      ft::Uchar parity) override;
    ft::Status SetBaudRate(ft::Handle handle, ft::Dword baudRate) override;
    ft::Status SetFlowControl(ft::Handle handle, ft::Ushort flowControl, ft::Uchar xonChar,
                              ft::Uchar xoffChar) override;
    ft::Status SetTimeouts(ft::Handle handle, ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs) override;
    // Fails with IO_ERROR once the port reported a read, write or resource error (unplugged device,
    // hung-up pseudo-terminal).
    ft::Status GetQueueStatus(ft::Handle handle, ft::Dword* rxBytes) override;
    // Waits up to the read time-out for the requested count and returns what arrived with OK.
    ft::Status Read(ft::Handle handle, void* buffer, ft::Dword bytesToRead,
                    ft::Dword* bytesReturned) override;
    ft::Status Write(ft::Handle handle, const void* buffer, ft::Dword bytesToWrite,
                     ft::Dword* bytesWritten) override;
    // The text of openFailureText() for the last OpenEx that found its port but could not open it.
    std::string openFailure() const override { return openFailure_; }

private:
    struct Open;
    Open* openFor(ft::Handle handle) const;
    bool checkLink(Open& open) const;

    QString namedPort_;
    std::vector<SerialPortEntry> snapshot_; // taken by CreateDeviceInfoList
    std::unique_ptr<Open> open_;
    std::string openFailure_;
};

} // namespace zavo
