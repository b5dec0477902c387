#include "device/serialprovider.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace zavo {

namespace {

// What the window adds to a port in use: it looks for the apparatus again and again.
constexpr QLatin1String kFoundAgain(" Close that program; the apparatus is then found again.");

constexpr char apparatusDescription[] = "QM417";
constexpr std::size_t serialField = 16;
constexpr std::size_t descriptionField = 64;
constexpr ft::Dword flagOpened = 1;  // FT_FLAGS_OPENED
constexpr ft::Dword typeUnknown = 3; // FT_DEVICE_UNKNOWN
// Used until SetTimeouts is called: the link's own value, so that nothing waits without bound.
constexpr int defaultTimeoutMs = 100;

// Copies text into a fixed, NUL-terminated character field, cutting it to fit.
void copyField(char* field, std::size_t size, const QString& text) {
    const QByteArray bytes = text.toLatin1();
    const std::size_t n = std::min(static_cast<std::size_t>(bytes.size()), size - 1);
    std::memcpy(field, bytes.constData(), n);
    std::memset(field + n, 0, size - n);
}

bool isLinkError(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
           error == QSerialPort::ResourceError;
}

std::uint32_t fnv1a(const QByteArray& bytes) {
    std::uint32_t h = 2166136261u;
    for (char c : bytes) {
        h ^= static_cast<std::uint8_t>(c);
        h *= 16777619u;
    }
    return h;
}

// The account running the program, for the dialout-group advice.
QString currentUser() {
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("$USER");
}

// Qt reports a port that another program holds (busy, or locked) as a permission error too; the
// file's own permissions tell the two apart.
QString describeOpenFailure(const QString& location, const QSerialPort& port) {
    if (port.error() != QSerialPort::PermissionError)
        return openFailureText(location, OpenProblem::Other, currentUser(), port.errorString());
    const bool allowed = ::access(QFile::encodeName(location).constData(), R_OK | W_OK) == 0;
    return openFailureText(location, allowed ? OpenProblem::InUse : OpenProblem::PermissionDenied,
                           currentUser());
}

} // namespace

QString oneAttemptText(const QString& openFailure) {
    QString text = openFailure;
    return text.replace(kFoundAgain, QStringLiteral(" Close that program and run the command again."));
}

QString openFailureText(const QString& port, OpenProblem problem, const QString& user,
                        const QString& systemText) {
    switch (problem) {
    case OpenProblem::PermissionDenied:
        return QStringLiteral("No permission for the port %1. Install the zavo-driver package (its "
                              "device rule gives the user at the computer access) or add this user to "
                              "the dialout group: sudo adduser %2 dialout, then log out and in again.")
            .arg(port, user);
    case OpenProblem::InUse:
        return QStringLiteral("The port %1 is in use by another program.").arg(port) + kFoundAgain;
    case OpenProblem::Other:
        break;
    }
    return QStringLiteral("Cannot open the port %1: %2.").arg(port, systemText);
}

QString serialNumberFromPath(const QString& path) {
    QString alnum;
    for (QChar c : path)
        if (c.unicode() < 0x80 && c.isLetterOrNumber())
            alnum += c;
    constexpr qsizetype maxLength = serialField - 1;
    if (!alnum.isEmpty() && alnum.size() <= maxLength)
        return alnum;
    // Too long (or nothing usable): keep the tail that tells ports apart and add a hash of the path.
    const QString hash = QStringLiteral("%1").arg(fnv1a(path.toUtf8()), 8, 16, QLatin1Char('0')).toUpper();
    return alnum.right(maxLength - hash.size()) + hash;
}

struct SerialProvider::Open {
    std::unique_ptr<QSerialPort> port;
    QString location;
    int readTimeoutMs = defaultTimeoutMs;
    int writeTimeoutMs = defaultTimeoutMs;
    bool broken = false; // a read, write or resource error was seen: the device is gone
};

SerialProvider::SerialProvider(QString namedPort) : namedPort_(std::move(namedPort)) {}

SerialProvider::~SerialProvider() {
    if (open_)
        open_->port->close();
}

std::vector<SerialPortEntry> SerialProvider::enumerate() const {
    std::vector<SerialPortEntry> entries;
    if (!namedPort_.isEmpty()) {
        if (QFileInfo::exists(namedPort_))
            entries.push_back(
                {namedPort_, QString::fromLatin1(apparatusDescription), serialNumberFromPath(namedPort_)});
        return entries;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString location = info.systemLocation();
        const QString serial =
            info.serialNumber().isEmpty() ? serialNumberFromPath(location) : info.serialNumber();
        entries.push_back({location, info.description(), serial});
    }
    return entries;
}

SerialProvider::Open* SerialProvider::openFor(ft::Handle handle) const {
    return (open_ && handle == static_cast<ft::Handle>(open_.get())) ? open_.get() : nullptr;
}

// Notices a vanished device: reads what the driver holds without waiting, and keeps the port marked
// broken once a read, write or resource error was reported.
bool SerialProvider::checkLink(Open& open) const {
    if (!open.broken) {
        open.port->waitForReadyRead(0);
        if (isLinkError(open.port->error()))
            open.broken = true;
        else
            open.port->clearError(); // a time-out is not a fault
    }
    return !open.broken;
}

ft::Status SerialProvider::ListDevices(void* arg1, void* arg2, ft::Dword flags) {
    if (flags & ft::LIST_NUMBER_ONLY) {
        if (!arg1)
            return ft::INVALID_PARAMETER;
        *static_cast<ft::Dword*>(arg1) = static_cast<ft::Dword>(enumerate().size());
        return ft::OK;
    }
    if (!(flags & ft::LIST_BY_INDEX))
        return ft::NOT_SUPPORTED;
    if (!arg2)
        return ft::INVALID_PARAMETER;
    // Indices refer to the list the caller last took with CreateDeviceInfoList.
    const std::vector<SerialPortEntry> entries = snapshot_.empty() ? enumerate() : snapshot_;
    const auto index = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(arg1));
    if (index >= entries.size())
        return ft::DEVICE_NOT_FOUND;
    if (flags & ft::OPEN_BY_SERIAL_NUMBER)
        copyField(static_cast<char*>(arg2), serialField, entries[index].serialNumber);
    else if (flags & ft::OPEN_BY_DESCRIPTION)
        copyField(static_cast<char*>(arg2), descriptionField, entries[index].description);
    else
        return ft::INVALID_PARAMETER;
    return ft::OK;
}

ft::Status SerialProvider::CreateDeviceInfoList(ft::Dword* numDevs) {
    if (!numDevs)
        return ft::INVALID_PARAMETER;
    snapshot_ = enumerate();
    *numDevs = static_cast<ft::Dword>(snapshot_.size());
    return ft::OK;
}

ft::Status SerialProvider::GetDeviceInfoList(ft::DeviceListInfoNode* dest, ft::Dword* numDevs) {
    if (!numDevs || (!dest && !snapshot_.empty()))
        return ft::INVALID_PARAMETER;
    for (std::size_t i = 0; i < snapshot_.size(); ++i) {
        const SerialPortEntry& entry = snapshot_[i];
        const bool isOpen = open_ && open_->location == entry.portName;
        ft::DeviceListInfoNode& node = dest[i];
        node.Flags = isOpen ? flagOpened : 0;
        node.Type = typeUnknown;
        node.ID = 0;
        node.LocId = 0;
        copyField(node.SerialNumber, serialField, entry.serialNumber);
        copyField(node.Description, descriptionField, entry.description);
        node.ftHandle = isOpen ? static_cast<ft::Handle>(open_.get()) : nullptr;
    }
    *numDevs = static_cast<ft::Dword>(snapshot_.size());
    return ft::OK;
}

ft::Status SerialProvider::OpenEx(void* arg1, ft::Dword flags, ft::Handle* handle) {
    if (!arg1 || !handle)
        return ft::INVALID_PARAMETER;
    const bool byDescription = flags & ft::OPEN_BY_DESCRIPTION;
    if (!byDescription && !(flags & ft::OPEN_BY_SERIAL_NUMBER))
        return ft::NOT_SUPPORTED;
    openFailure_.clear();
    const QString wanted = QString::fromLatin1(static_cast<const char*>(arg1));
    const std::vector<SerialPortEntry> entries = enumerate();
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const SerialPortEntry& e) {
        return (byDescription ? e.description : e.serialNumber) == wanted;
    });
    if (it == entries.end())
        return ft::DEVICE_NOT_FOUND;
    // One device at a time: a handle still open (never closed by the caller) is dropped first.
    open_.reset();
    auto open = std::make_unique<Open>();
    open->location = it->portName;
    open->port = std::make_unique<QSerialPort>(); // created in the thread that uses it
    open->port->setPortName(it->portName);
    if (!open->port->open(QIODevice::ReadWrite)) {
        openFailure_ = describeOpenFailure(open->location, *open->port).toStdString();
        return ft::DEVICE_NOT_OPENED;
    }
    open_ = std::move(open);
    *handle = static_cast<ft::Handle>(open_.get());
    return ft::OK;
}

ft::Status SerialProvider::Close(ft::Handle handle) {
    if (!openFor(handle))
        return ft::INVALID_HANDLE;
    open_->port->close();
    open_.reset();
    return ft::OK;
}

ft::Status SerialProvider::ResetDevice(ft::Handle handle) {
    Open* open = openFor(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    return open->port->clear() ? ft::OK : ft::IO_ERROR;
}

ft::Status SerialProvider::SetDataCharacteristics(ft::Handle handle, ft::Uchar wordLength, ft::Uchar stopBits,
                                                  ft::Uchar parity) {
    Open* open = openFor(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (wordLength != ft::BITS_7 && wordLength != ft::BITS_8)
        return ft::INVALID_PARAMETER;
    if (stopBits != ft::STOP_BITS_1 && stopBits != ft::STOP_BITS_2)
        return ft::INVALID_PARAMETER;
    static constexpr QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                       QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                       QSerialPort::SpaceParity};
    if (parity >= std::size(parities))
        return ft::INVALID_PARAMETER;
    QSerialPort& port = *open->port;
    const bool ok =
        port.setDataBits(wordLength == ft::BITS_8 ? QSerialPort::Data8 : QSerialPort::Data7) &&
        port.setStopBits(stopBits == ft::STOP_BITS_1 ? QSerialPort::OneStop : QSerialPort::TwoStop) &&
        port.setParity(parities[parity]);
    return ok ? ft::OK : ft::IO_ERROR;
}

ft::Status SerialProvider::SetBaudRate(ft::Handle handle, ft::Dword baudRate) {
    Open* open = openFor(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    if (baudRate == 0 || baudRate > 12000000)
        return ft::INVALID_BAUD_RATE;
    return open->port->setBaudRate(static_cast<qint32>(baudRate)) ? ft::OK : ft::INVALID_BAUD_RATE;
}

ft::Status SerialProvider::SetFlowControl(ft::Handle handle, ft::Ushort flowControl, ft::Uchar, ft::Uchar) {
    Open* open = openFor(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    // D2XX codes: 0x0000 none, 0x0100 RTS/CTS, 0x0200 DTR/DSR, 0x0400 XON/XOFF. Qt keeps the
    // standard XON/XOFF characters, which are the ones the layer passes.
    QSerialPort::FlowControl mode;
    switch (flowControl) {
    case ft::FLOW_NONE:
        mode = QSerialPort::NoFlowControl;
        break;
    case 0x0100:
        mode = QSerialPort::HardwareControl;
        break;
    case 0x0400:
        mode = QSerialPort::SoftwareControl;
        break;
    default:
        return ft::NOT_SUPPORTED;
    }
    return open->port->setFlowControl(mode) ? ft::OK : ft::IO_ERROR;
}

ft::Status SerialProvider::SetTimeouts(ft::Handle handle, ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs) {
    Open* open = openFor(handle);
    if (!open)
        return ft::INVALID_HANDLE;
    constexpr ft::Dword longest = 60000; // a minute; longer waits would look like a hang
    open->readTimeoutMs = static_cast<int>(std::min(readTimeoutMs, longest));
    open->writeTimeoutMs = static_cast<int>(std::min(writeTimeoutMs, longest));
    return ft::OK;
}

ft::Status SerialProvider::GetQueueStatus(ft::Handle handle, ft::Dword* rxBytes) {
    Open* open = openFor(handle);
    if (!open || !rxBytes)
        return open ? ft::INVALID_PARAMETER : ft::INVALID_HANDLE;
    *rxBytes = 0;
    if (!checkLink(*open))
        return ft::IO_ERROR;
    *rxBytes = static_cast<ft::Dword>(std::min<qint64>(open->port->bytesAvailable(), UINT32_MAX));
    return ft::OK;
}

ft::Status SerialProvider::Read(ft::Handle handle, void* buffer, ft::Dword bytesToRead,
                                ft::Dword* bytesReturned) {
    Open* open = openFor(handle);
    if (!open || !buffer || !bytesReturned)
        return open ? ft::INVALID_PARAMETER : ft::INVALID_HANDLE;
    *bytesReturned = 0;
    QSerialPort& port = *open->port;
    const QDeadlineTimer deadline(open->readTimeoutMs);
    // Bytes reach Qt's buffer only inside a wait, so even a zero time-out waits once, without blocking.
    while (!open->broken && port.bytesAvailable() < static_cast<qint64>(bytesToRead)) {
        if (port.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0))))
            continue;
        if (!isLinkError(port.error())) {
            port.clearError();
            break; // the time-out passed
        }
        open->broken = true;
    }
    const qint64 got = port.read(static_cast<char*>(buffer), bytesToRead);
    *bytesReturned = got > 0 ? static_cast<ft::Dword>(got) : 0;
    // What arrived in full is good; a short read from a vanished device is an error.
    return (open->broken && *bytesReturned < bytesToRead) ? ft::IO_ERROR : ft::OK;
}

ft::Status SerialProvider::Write(ft::Handle handle, const void* buffer, ft::Dword bytesToWrite,
                                 ft::Dword* bytesWritten) {
    Open* open = openFor(handle);
    if (!open || (!buffer && bytesToWrite) || !bytesWritten)
        return open ? ft::INVALID_PARAMETER : ft::INVALID_HANDLE;
    *bytesWritten = 0;
    if (open->broken)
        return ft::IO_ERROR;
    QSerialPort& port = *open->port;
    if (port.write(static_cast<const char*>(buffer), bytesToWrite) < 0) {
        open->broken = true;
        return ft::IO_ERROR;
    }
    const QDeadlineTimer deadline(open->writeTimeoutMs);
    while (port.bytesToWrite() > 0 &&
           port.waitForBytesWritten(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)))) {
    }
    if (isLinkError(port.error())) {
        open->broken = true;
        return ft::IO_ERROR;
    }
    port.clearError();
    *bytesWritten =
        static_cast<ft::Dword>(bytesToWrite - std::min<qint64>(port.bytesToWrite(), bytesToWrite));
    return ft::OK;
}

} // namespace zavo
