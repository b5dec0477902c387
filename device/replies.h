// The reply side of the apparatus protocol: reply tags, payload sizes, the hexadecimal digit rule,
// the payload reader over D2XXUnit and the decoders of each reply. Decoders are pure; applying their
// results to the thread's state is the acquisition thread's job.
#pragma once

#include "device/deviceconfig.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace zavo {

// Single-byte replies.
inline constexpr std::uint8_t replyAck = 0x06;      // acknowledge of the last command
inline constexpr std::uint8_t replyComplete = 0x03; // operation complete

// A malformed or short reply. The acquisition thread answers it by dropping and re-establishing the
// link, never with a message. what() is the reply's failure text ("cps", "count", "rtgi", "config").
class SilentAbort : public std::runtime_error {
public:
    explicit SilentAbort(const std::string& text) : std::runtime_error(text) {}
};

enum class PayloadKind { HexDigits, RawBlock };

struct ReplyTagInfo {
    std::uint8_t tag;
    PayloadKind kind;
    int payloadSize;     // bytes read after the tag, in one read
    int minimumAccepted; // a read returning fewer bytes fails
    const char* failureText;
};

// The entry of a tag that carries a payload ('S', 'c', 'C', 's', 'W', 'I', 'x'); nullptr for tags
// without one (0x06, 0x03, 'm', 'O' and every other byte).
const ReplyTagInfo* replyTagInfo(std::uint8_t tag);

// The digit rule of the apparatus: c - 0x30 for '0'..'9', c - 0x37 for anything else.
int hexDigitValue(std::uint8_t c);
// True for the digits the apparatus sends: '0'..'9' and 'A'..'F'.
bool isHexDigit(std::uint8_t c);
// Accumulates value = value * 16 + digit, first byte first (no validation).
std::uint32_t accumulateHex(std::span<const std::uint8_t> digits);

// Reads the payload of a tag with one ReadDevice of its size and returns it (a view into
// D2XXUnit::readBuffer, valid until the next read). Throws SilentAbort with the tag's failure text
// when fewer bytes than its minimum arrive or lastIoStatus is nonzero. Tags without a payload give an
// empty span and read nothing.
std::span<const std::uint8_t> readPayload(std::uint8_t tag);

// readPayload of a hex-digit tag, checked and accumulated. A byte that is not an upper-case hex digit
// is a garbled reply and throws SilentAbort with the tag's failure text.
std::uint32_t readHexReply(std::uint8_t tag);

// ---- Decoders (pure) --------------------------------------------------------------------------------

// Counting rates are 24-bit values of cps x 100.
double rateFromWire(std::uint32_t value);

// Number texts of the read-outs; always with '.' as the decimal separator.
QString angleText(int armAngleSteps);  // "%.2f deg. " of steps x 0.05
QString rateText(double cps);          // "%.2f cps "
QString currentText(int microamperes); // decimal + " µA "
QString hvText(int hvSetting);         // decimal (hvSetting x 5) + " V "

// 'W': the arm position as the apparatus reports it (four digits, a 16-bit two's complement value).
int decodePosition(std::uint32_t value);

// 'c': the display rate; empty when the value exceeds 5000000 (the reply is then ignored).
std::optional<double> decodeDisplayRate(std::uint32_t value);

inline constexpr std::uint32_t scalarNoResult = 0xFFFFFF;
// 'C': the scalar result; empty for the all-ones value (no result: the wait is aborted).
std::optional<double> decodeScalarResult(std::uint32_t value);

// ---- Readers over D2XXUnit (tag already read) -------------------------------------------------------

int readPositionReply();                      // 'W'
std::optional<double> readDisplayRateReply(); // 'c'
std::optional<double> readScalarReply();      // 'C'
double readScanRateReply();                   // 'S'
void discardCountReply();                     // 's': read and discarded
int readTubeCurrentReply();                   // 'I'
DeviceConfig readConfigReply();               // 'x'

} // namespace zavo
