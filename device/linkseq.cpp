#include "device/linkseq.h"

#include "device/d2xxunit.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace zavo {

void sleepMs(int milliseconds) {
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool writeBytes(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), D2XXUnit::writeBuffer.size());
    std::copy_n(bytes.begin(), n, D2XXUnit::writeBuffer.begin());
    const ft::Dword written = D2XXUnit::WriteDevice(static_cast<ft::Dword>(n));
    return n == bytes.size() && written == n && D2XXUnit::lastIoStatus == ft::OK;
}

bool sendCommand(std::uint8_t code, const CommandInputs& inputs) {
    const auto bytes = encodeCommand(code, inputs);
    return bytes.empty() || writeBytes(bytes);
}

void configureLine(ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs) {
    D2XXUnit::ResetDevice();
    D2XXUnit::baudRate = 115200;
    D2XXUnit::wordLength = ft::BITS_8;
    D2XXUnit::stopBits = ft::STOP_BITS_1;
    D2XXUnit::parity = ft::PARITY_NONE;
    D2XXUnit::flowControl = ft::FLOW_NONE;
    D2XXUnit::SetDataCharacteristics();
    D2XXUnit::SetBaudRate();
    D2XXUnit::SetFlowControl();
    D2XXUnit::SetTimeouts(readTimeoutMs, writeTimeoutMs);
}

bool writeHandshakeRequest() {
    return writeBytes(handshakeRequest);
}

bool readHandshakeAck() {
    for (int skipped = 0;; ++skipped) {
        const ft::Dword got = D2XXUnit::ReadDevice(1);
        if (got == 0 || D2XXUnit::lastIoStatus != ft::OK || skipped >= handshakeMaxSkipped)
            return false;
        if (D2XXUnit::readBuffer[0] == 0x06)
            return true;
    }
}

bool writeConfigBlock(const DeviceConfig& config) {
    static constexpr std::uint8_t command[] = {'X'};
    if (!writeBytes(command))
        return false;
    return writeBytes(config.toBlock());
}

bool sendShutdownSequence(const DeviceConfig& config, bool deviceBusy, const SleepFn& sleep,
                          const SleepFn& pace) {
    static constexpr std::uint8_t hvZero[] = {'V', 0x00};
    static constexpr std::uint8_t hvOff[] = {'h'};
    static constexpr std::uint8_t stop[] = {'P'};
    static constexpr std::uint8_t bye[] = {'!'};
    const auto step = [](bool written, int pauseMs, const SleepFn& pause) {
        if (written)
            pause(pauseMs);
        return written;
    };
    return step(writeBytes(hvZero), 50, sleep) && step(writeBytes(hvOff), 50, sleep) &&
           (!deviceBusy || step(writeBytes(stop), 200, sleep)) &&
           step(writeConfigBlock(config), configWritePauseMs, sleep) &&
           step(writeBytes(bye), 1000, pace ? pace : sleep);
}

} // namespace zavo
