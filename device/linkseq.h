// Byte sequences over D2XXUnit that open and close a session with the apparatus: the handshake, the
// configuration block write and the shutdown sequence. Sleeping is injected so tests do not wait.
#pragma once

#include "device/deviceconfig.h"
#include "device/ftprovider.h"
#include "device/protocol.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace zavo {

using SleepFn = std::function<void(int milliseconds)>;
// Sleeps the calling thread.
void sleepMs(int milliseconds);

// Copies bytes into D2XXUnit::writeBuffer and writes them. Returns true when every byte was written
// with status OK.
bool writeBytes(std::span<const std::uint8_t> bytes);

// Encodes a queue code and writes it (take-over codes write nothing and succeed).
bool sendCommand(std::uint8_t code, const CommandInputs& inputs);

// Configures an opened device for the apparatus: ResetDevice, then the line settings 115200 baud,
// 8 data bits, 1 stop bit, no parity, no flow control (SetDataCharacteristics, SetBaudRate,
// SetFlowControl), then the read and write time-outs. Statuses are not examined: a device that cannot
// be configured shows up as a failed handshake.
void configureLine(ft::Dword readTimeoutMs, ft::Dword writeTimeoutMs);

// The handshake's request: 'T' 0x00 0x32.
inline constexpr std::array<std::uint8_t, 3> handshakeRequest{'T', 0x00, 0x32};
bool writeHandshakeRequest();

// Most stray bytes skipped while waiting for the acknowledge; the read after them fails.
inline constexpr int handshakeMaxSkipped = 100;

// Reads single bytes until 0x06 arrives. Fails on a read that returns nothing or a nonzero
// lastIoStatus, and on the read that follows 100 skipped bytes whatever it returns.
bool readHandshakeAck();

// The codes the queue receives, in this order, after a successful handshake (after being emptied).
inline constexpr std::array<QueueCode, 6> handshakeQueue{cmdReadConfig, cmdInit05, cmdStatusPoll,
                                                         cmdSetHv,      cmdHvOff,  cmdSpeakerOn};
// Reply watchdog value after a successful handshake.
inline constexpr int handshakeAllowance = 25;

// 'X' (one write), then the 64-byte block as held (one write). Returns true when both succeeded.
bool writeConfigBlock(const DeviceConfig& config);

// Pause after the configuration block (reset and shutdown).
inline constexpr int configWritePauseMs = 1200;

// The shutdown sequence: 'V' 0x00, 50 ms; 'h', 50 ms; when busy 'P', 200 ms; 'X' + block, 1200 ms;
// '!', 1000 ms. No reply is read. Stops at the first failed write (the device is gone, waiting longer
// serves nothing) and returns false then. The last pause only paces the apparatus (nothing follows
// it): it is made by `pace` when given (a pause that may end early), else by `sleep`.
bool sendShutdownSequence(const DeviceConfig& config, bool deviceBusy, const SleepFn& sleep = sleepMs,
                          const SleepFn& pace = {});

} // namespace zavo
