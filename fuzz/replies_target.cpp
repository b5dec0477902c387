#include "fuzz/targets.h"

#include "device/d2xxunit.h"
#include "device/replies.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace fuzz {

namespace {

// An apparatus that sends the fuzz input and otherwise agrees to everything.
class InputProvider : public ft::Provider {
public:
    std::span<const std::uint8_t> input;

    std::string name() const override { return "fuzz input"; }
    ft::Status ListDevices(void*, void*, ft::Dword) override { return ft::OK; }
    ft::Status CreateDeviceInfoList(ft::Dword* count) override {
        *count = 0;
        return ft::OK;
    }
    ft::Status GetDeviceInfoList(ft::DeviceListInfoNode*, ft::Dword* count) override {
        *count = 0;
        return ft::OK;
    }
    ft::Status OpenEx(void*, ft::Dword, ft::Handle* handle) override {
        *handle = this;
        return ft::OK;
    }
    ft::Status Close(ft::Handle) override { return ft::OK; }
    ft::Status ResetDevice(ft::Handle) override { return ft::OK; }
    ft::Status SetDataCharacteristics(ft::Handle, ft::Uchar, ft::Uchar, ft::Uchar) override { return ft::OK; }
    ft::Status SetBaudRate(ft::Handle, ft::Dword) override { return ft::OK; }
    ft::Status SetFlowControl(ft::Handle, ft::Ushort, ft::Uchar, ft::Uchar) override { return ft::OK; }
    ft::Status SetTimeouts(ft::Handle, ft::Dword, ft::Dword) override { return ft::OK; }
    ft::Status GetQueueStatus(ft::Handle, ft::Dword* bytes) override {
        *bytes = static_cast<ft::Dword>(input.size());
        return ft::OK;
    }
    ft::Status Read(ft::Handle, void* buffer, ft::Dword wanted, ft::Dword* returned) override {
        const std::size_t count = std::min<std::size_t>(wanted, input.size());
        std::memcpy(buffer, input.data(), count);
        input = input.subspan(count);
        *returned = static_cast<ft::Dword>(count);
        return ft::OK;
    }
    ft::Status Write(ft::Handle, const void*, ft::Dword count, ft::Dword* written) override {
        *written = count;
        return ft::OK;
    }
};

InputProvider& openProvider() {
    static InputProvider* provider = [] {
        auto made = std::make_unique<InputProvider>();
        InputProvider* kept = made.get();
        D2XXUnit::setProvider(std::move(made));
        D2XXUnit::diagnosticsEnabled = false;
        D2XXUnit::Open_USB_Device_By_Device_Description("QM417");
        return kept;
    }();
    return *provider;
}

// One reply: its tag was read; the reader of the tag takes the payload. Decoded values stay in the
// range their digits allow, and their read-out texts are made as the thread makes them.
void readReply(std::uint8_t tag) {
    using namespace zavo;
    constexpr double kLargestRate = 0xFFFFFF / 100.0;
    switch (tag) {
    case 'W':
        (void)angleText(readPositionReply());
        break;
    case 'c':
        if (const auto rate = readDisplayRateReply()) {
            require(*rate >= 0 && *rate <= 50000.0, "a display rate beyond its limit");
            (void)rateText(*rate);
        }
        break;
    case 'C':
        if (const auto rate = readScalarReply()) {
            require(*rate >= 0 && *rate < kLargestRate, "a scalar result out of range");
        }
        break;
    case 'S': {
        const double rate = readScanRateReply();
        require(rate >= 0 && rate <= kLargestRate, "a scan rate out of range");
        (void)rateText(rate);
        break;
    }
    case 's':
        discardCountReply();
        break;
    case 'I': {
        const int current = readTubeCurrentReply();
        require(current >= 0 && current <= 255, "a tube current out of range");
        (void)currentText(current);
        break;
    }
    case 'x': {
        DeviceConfig config = readConfigReply();
        if (!config.isValid()) {
            config.applyInvalidBlockDefaults();
        }
        break;
    }
    default:
        require(readPayload(tag).empty(), "a tag without payload took bytes");
        break;
    }
}

} // namespace

int replies(const std::uint8_t* data, std::size_t size) {
    InputProvider& provider = openProvider();
    provider.input = std::span(data, size);
    while (!provider.input.empty()) {
        if (D2XXUnit::ReadDevice(1) != 1) {
            break;
        }
        const std::uint8_t tag = D2XXUnit::readBuffer[0];
        try {
            readReply(tag);
        } catch (const zavo::SilentAbort& abort) {
            require(zavo::replyTagInfo(tag) != nullptr, "a tag without payload aborted");
            require(std::strlen(abort.what()) > 0, "an abort without its text");
        }
    }
    return 0;
}

} // namespace fuzz
