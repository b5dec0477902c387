#include "device/replies.h"
#include "tests/device/fakeprovider.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>

using namespace zavo;
using namespace testing_device;

namespace {

// Expects the reader to raise the silent abort with the given text.
template <typename Fn>
void expectAbort(Fn&& read, const char* text) {
    try {
        read();
        ADD_FAILURE() << "no abort, expected \"" << text << "\"";
    } catch (const SilentAbort& abort) {
        EXPECT_STREQ(abort.what(), text);
    }
}

TEST(HexDigits, RuleAndAccumulation) {
    EXPECT_EQ(hexDigitValue('0'), 0);
    EXPECT_EQ(hexDigitValue('9'), 9);
    EXPECT_EQ(hexDigitValue('A'), 10);
    EXPECT_EQ(hexDigitValue('F'), 15);
    EXPECT_TRUE(isHexDigit('F'));
    EXPECT_FALSE(isHexDigit('a'));
    EXPECT_FALSE(isHexDigit('G'));
    EXPECT_FALSE(isHexDigit(0x06));
    const std::uint8_t digits[] = {'0', '1', '8', '6', 'A', '0'};
    EXPECT_EQ(accumulateHex(digits), 100000u);
}

TEST(ReplyTags, PayloadSizesAndFailureTexts) {
    struct Row {
        char tag;
        int size;
        const char* text;
    };
    for (const Row& row : {Row{'S', 6, "cps"}, Row{'c', 6, "cps"}, Row{'C', 6, "cps"}, Row{'s', 6, "count"},
                           Row{'W', 4, "cps"}, Row{'I', 2, "rtgi"}, Row{'x', 64, "config"}}) {
        const ReplyTagInfo* info = replyTagInfo(static_cast<std::uint8_t>(row.tag));
        ASSERT_NE(info, nullptr) << row.tag;
        EXPECT_EQ(info->payloadSize, row.size) << row.tag;
        EXPECT_EQ(info->minimumAccepted, row.size) << row.tag;
        EXPECT_STREQ(info->failureText, row.text) << row.tag;
    }
    for (std::uint8_t tag :
         {replyAck, replyComplete, std::uint8_t('m'), std::uint8_t('O'), std::uint8_t('Z')})
        EXPECT_EQ(replyTagInfo(tag), nullptr) << int(tag);
}

TEST(Replies, PositionAndAngleText) {
    FakeProvider& fake = installOpenedFake();
    fake.send("0384");
    const int position = readPositionReply();
    EXPECT_EQ(position, 900);
    EXPECT_EQ(angleText(position), QStringLiteral("45.00 deg. "));
    EXPECT_EQ(angleText(1), QStringLiteral("0.05 deg. "));
    EXPECT_EQ(angleText(-3), QStringLiteral("-0.15 deg. "));
    fake.send("FFEC");
    EXPECT_EQ(readPositionReply(), -20);
}

TEST(Replies, DisplayRateAndItsLimit) {
    FakeProvider& fake = installOpenedFake();
    fake.send("0186A0");
    const auto rate = readDisplayRateReply();
    ASSERT_TRUE(rate.has_value());
    EXPECT_DOUBLE_EQ(*rate, 1000.0);
    EXPECT_EQ(rateText(*rate), QStringLiteral("1000.00 cps "));

    fake.send("4C4B41"); // 5000001: ignored
    EXPECT_EQ(readDisplayRateReply(), std::nullopt);
    fake.send("4C4B40"); // 5000000: the largest value shown
    EXPECT_EQ(readDisplayRateReply(), 50000.0);
}

TEST(Replies, ScalarNoResultAndResult) {
    FakeProvider& fake = installOpenedFake();
    fake.send("FFFFFF");
    EXPECT_EQ(readScalarReply(), std::nullopt);
    fake.send("FFFFFE");
    EXPECT_DOUBLE_EQ(readScalarReply().value(), 167772.14);
}

TEST(Replies, ScanRateTubeCurrentAndCount) {
    FakeProvider& fake = installOpenedFake();
    fake.send("00007B");
    EXPECT_DOUBLE_EQ(readScanRateReply(), 1.23);
    fake.send("1E");
    const int current = readTubeCurrentReply();
    EXPECT_EQ(current, 30);
    EXPECT_EQ(currentText(current), QString::fromUtf8("30 µA "));
    fake.send("000010W");
    discardCountReply();
    EXPECT_EQ(fake.incoming.size(), 1u); // only the payload was taken
    EXPECT_EQ(hvText(26), QStringLiteral("130 V "));
}

TEST(Replies, ShortPayloadRaisesTheSilentAbortWithTheTagsText) {
    installOpenedFake().send("0186");
    expectAbort([] { readDisplayRateReply(); }, "cps");
    installOpenedFake().send("018");
    expectAbort([] { readPositionReply(); }, "cps");
    installOpenedFake().send("00001");
    expectAbort([] { discardCountReply(); }, "count");
    installOpenedFake().send("1");
    expectAbort([] { readTubeCurrentReply(); }, "rtgi");
    installOpenedFake().send(std::string(63, 'W'));
    expectAbort([] { readConfigReply(); }, "config");
    installOpenedFake();
    expectAbort([] { readScanRateReply(); }, "cps");
}

TEST(Replies, ReadErrorRaisesTheSilentAbortEvenWithAFullPayload) {
    FakeProvider& fake = installOpenedFake();
    fake.readStatus = ft::IO_ERROR;
    fake.send("0186A0");
    expectAbort([] { readScalarReply(); }, "cps");
    fake.send("2A");
    expectAbort([] { readTubeCurrentReply(); }, "rtgi");
}

TEST(Replies, VanishedDeviceRaisesTheSilentAbort) {
    FakeProvider& fake = installOpenedFake();
    fake.send("0384");
    fake.unplugged = true;
    expectAbort([] { readPositionReply(); }, "cps");
}

TEST(Replies, GarbledDigitsRaiseTheSilentAbort) {
    installOpenedFake().send("01\x06"
                             "6A0");
    expectAbort([] { readScanRateReply(); }, "cps");
    installOpenedFake().send("03g4");
    expectAbort([] { readPositionReply(); }, "cps");
    installOpenedFake().send("1e");
    expectAbort([] { readTubeCurrentReply(); }, "rtgi");
}

TEST(Replies, ConfigurationBlockReply) {
    FakeProvider& fake = installOpenedFake();
    std::string block(64, '\0');
    block[0] = 0x00;
    block[1] = 0x28; // offset 40, high byte first
    block[54] = 'W';
    block[55] = 'W';
    fake.send(block);
    const DeviceConfig config = readConfigReply();
    EXPECT_EQ(config.offset, 40);
    EXPECT_EQ(config.marker[0], 'W');
}

TEST(Replies, NumberTextsIgnoreTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; QLocale covers the rest
    EXPECT_EQ(rateText(1234.5), QStringLiteral("1234.50 cps "));
    EXPECT_EQ(angleText(901), QStringLiteral("45.05 deg. "));
    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(saved);
}

TEST(Replies, PayloadlessTagsReadNothing) {
    FakeProvider& fake = installOpenedFake();
    fake.send("0384");
    EXPECT_TRUE(readPayload('m').empty());
    EXPECT_TRUE(readPayload(replyAck).empty());
    EXPECT_EQ(fake.incoming.size(), 4u);
}

} // namespace
