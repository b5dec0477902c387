#include "device/replies.h"

#include "device/d2xxunit.h"

#include <array>
#include <charconv>

namespace zavo {

namespace {

// Every payload must arrive whole: with fewer bytes, the missing digits would be taken from whatever
// an earlier reply left in the read buffer.
const std::array<ReplyTagInfo, 7> tags{{
    {'S', PayloadKind::HexDigits, 6, 6, "cps"},
    {'c', PayloadKind::HexDigits, 6, 6, "cps"},
    {'C', PayloadKind::HexDigits, 6, 6, "cps"},
    {'s', PayloadKind::HexDigits, 6, 6, "count"},
    {'W', PayloadKind::HexDigits, 4, 4, "cps"},
    {'I', PayloadKind::HexDigits, 2, 2, "rtgi"},
    {'x', PayloadKind::RawBlock, static_cast<int>(DeviceConfig::size), static_cast<int>(DeviceConfig::size),
     "config"},
}};

constexpr std::uint32_t displayRateLimit = 5000000; // 50000 cps

// "%.2f" with '.' whatever the process locale.
QString fixed2(double value) {
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    return QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data()));
}

const ReplyTagInfo& infoOf(std::uint8_t tag) {
    const ReplyTagInfo* info = replyTagInfo(tag);
    if (!info)
        throw std::logic_error("reply tag without a payload");
    return *info;
}

} // namespace

const ReplyTagInfo* replyTagInfo(std::uint8_t tag) {
    for (const ReplyTagInfo& info : tags)
        if (info.tag == tag)
            return &info;
    return nullptr;
}

int hexDigitValue(std::uint8_t c) {
    return (c >= '0' && c <= '9') ? c - 0x30 : c - 0x37;
}

bool isHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

std::uint32_t accumulateHex(std::span<const std::uint8_t> digits) {
    std::uint32_t value = 0;
    for (std::uint8_t c : digits)
        value = value * 16 + static_cast<std::uint32_t>(hexDigitValue(c));
    return value;
}

std::span<const std::uint8_t> readPayload(std::uint8_t tag) {
    const ReplyTagInfo* info = replyTagInfo(tag);
    if (!info)
        return {};
    const auto wanted = static_cast<ft::Dword>(info->payloadSize);
    const ft::Dword got = D2XXUnit::ReadDevice(wanted);
    if (got < static_cast<ft::Dword>(info->minimumAccepted) || D2XXUnit::lastIoStatus != ft::OK)
        throw SilentAbort(info->failureText);
    return {D2XXUnit::readBuffer.data(), got};
}

std::uint32_t readHexReply(std::uint8_t tag) {
    const ReplyTagInfo& info = infoOf(tag);
    const auto digits = readPayload(tag);
    for (std::uint8_t c : digits)
        if (!isHexDigit(c))
            throw SilentAbort(info.failureText);
    return accumulateHex(digits);
}

double rateFromWire(std::uint32_t value) {
    return value / 100.0;
}

QString angleText(int armAngleSteps) {
    return fixed2(armAngleSteps * 0.05) + QStringLiteral(" deg. ");
}

QString rateText(double cps) {
    return fixed2(cps) + QStringLiteral(" cps ");
}

QString currentText(int microamperes) {
    return QString::number(microamperes) + QStringLiteral(" µA ");
}

QString hvText(int hvSetting) {
    return QString::number(hvSetting * 5) + QStringLiteral(" V ");
}

int decodePosition(std::uint32_t value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}

std::optional<double> decodeDisplayRate(std::uint32_t value) {
    if (value > displayRateLimit)
        return std::nullopt;
    return rateFromWire(value);
}

std::optional<double> decodeScalarResult(std::uint32_t value) {
    if (value == scalarNoResult)
        return std::nullopt;
    return rateFromWire(value);
}

int readPositionReply() {
    return decodePosition(readHexReply('W'));
}

std::optional<double> readDisplayRateReply() {
    return decodeDisplayRate(readHexReply('c'));
}

std::optional<double> readScalarReply() {
    return decodeScalarResult(readHexReply('C'));
}

double readScanRateReply() {
    return rateFromWire(readHexReply('S'));
}

void discardCountReply() {
    readPayload('s');
} // the value is not used: only its length is checked

int readTubeCurrentReply() {
    return static_cast<int>(readHexReply('I'));
}

DeviceConfig readConfigReply() {
    const auto block = readPayload('x');
    return DeviceConfig::fromReply(block.first<DeviceConfig::size>());
}

} // namespace zavo
