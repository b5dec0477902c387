// The firmware's line handling, command interpreter and idle reporting. Runs, calibration and
// counting are in firmwaredrive.cpp.
#include "simulator/firmware.h"

#include <algorithm>

namespace sim {

namespace {

int signed16(int value) {
    return value >= 0x8000 ? value - 0x10000 : value;
}

// Length of the command that starts with `code`, 0 when it starts none.
std::size_t commandLength(std::uint8_t code) {
    switch (code) {
    case 'T':
    case 0x1B:
    case 'C':
    case 'O':
    case 'a':
    case 'A':
    case 'W':
        return 3;
    case 'S':
    case 'V':
        return 2;
    case 'X':
        return 1 + ConfigMemory::kSize;
    case 'x':
    case 0x0E:
    case 'P':
    case 0x01:
    case 'e':
    case 'H':
    case 'h':
    case 'G':
    case 'g':
    case 0x05:
    case '!':
        return 1;
    default:
        return 0;
    }
}

} // namespace

Firmware::Firmware(const FirmwareOptions& options)
    : options_(options), bench_(options.bench), memory_(options.memory) {
    const ConfigMemory::Words words = memory_.storedWords();
    offset_ = words.offset;
    armMin_ = words.armMin;
    armMax_ = words.armMax;
    // The position counter survives power-down only in a valid memory.
    counter_ = memory_.marked() ? words.position : 0;
    target_ = counter_;
    angleError_ = bench_.armAngleError;
    displayDue_ = displayPeriod();
}

// --- time ---

void Firmware::advanceTo(Micros t) {
    for (;;) {
        const Micros inputDue = input_.empty() ? kNever : input_.front().first;
        const Micros next = std::min({inputDue, drive_.due, scalarDue_, displayDue_});
        if (next > t) {
            break;
        }
        now_ = std::max(now_, next);
        if (inputDue == next) {
            const std::uint8_t byte = input_.front().second;
            input_.pop_front();
            inputByte(byte);
        } else if (drive_.due == next) {
            driveEvent();
        } else if (scalarDue_ == next) {
            scalarEvent();
        } else {
            displayEvent(t);
        }
    }
    now_ = std::max(now_, t);
}

Micros Firmware::nextDue() const {
    Micros next =
        std::min({input_.empty() ? kNever : input_.front().first, drive_.due, scalarDue_, displayDue_});
    const auto waiting = std::partition_point(output_.begin(), output_.end(),
                                              [this](const auto& entry) { return entry.first <= now_; });
    if (waiting != output_.end()) {
        next = std::min(next, waiting->first);
    }
    return next;
}

// --- the line ---

void Firmware::receive(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) {
        lastInputArrival_ = std::max(now_, lastInputArrival_) + options_.byteTime;
        input_.emplace_back(lastInputArrival_, byte);
        receivedTail_.push_back(static_cast<char>(byte));
    }
    if (receivedTail_.size() > kReceivedTail)
        receivedTail_.erase(0, receivedTail_.size() - kReceivedTail);
    advanceTo(now_);
}

void Firmware::receive(std::string_view bytes) {
    receive(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::size_t Firmware::ready() const {
    const auto waiting = std::partition_point(output_.begin(), output_.end(),
                                              [this](const auto& entry) { return entry.first <= now_; });
    return static_cast<std::size_t>(waiting - output_.begin());
}

std::size_t Firmware::take(std::uint8_t* destination, std::size_t maxCount) {
    std::size_t count = 0;
    while (count < maxCount && !output_.empty() && output_.front().first <= now_) {
        destination[count++] = output_.front().second;
        output_.pop_front();
    }
    return count;
}

std::vector<std::uint8_t> Firmware::takeReady() {
    std::vector<std::uint8_t> bytes(ready());
    bytes.resize(take(bytes.data(), bytes.size()));
    return bytes;
}

void Firmware::purge() {
    input_.clear();
    output_.clear();
    command_.clear();
    lastInputArrival_ = now_;
    lastOutputArrival_ = now_;
    stalled_ = false;
}

void Firmware::sendByte(std::uint8_t byte) {
    if (silent_ || stalled_ || output_.size() >= kOutputCapacity) {
        return;
    }
    lastOutputArrival_ = std::max(now_, lastOutputArrival_) + options_.byteTime;
    output_.emplace_back(lastOutputArrival_, byte);
}

void Firmware::emitReply(std::uint8_t tag, std::span<const std::uint8_t> payload) {
    sendByte(tag);
    const std::size_t sent = cutNext_ ? payload.size() / 2 : payload.size();
    for (std::size_t i = 0; i < sent; ++i) {
        sendByte(payload[i]);
    }
    if (cutNext_) {
        cutNext_ = false;
        stalled_ = true;
    }
}

void Firmware::emitHexReply(std::uint8_t tag, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<std::uint8_t, 8> text{};
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(kDigits[value & 0xF]);
        value >>= 4;
    }
    emitReply(tag, std::span(text.data(), static_cast<std::size_t>(digits)));
}

// --- commands ---

void Firmware::inputByte(std::uint8_t byte) {
    if (silent_) {
        return;
    }
    stalled_ = false;
    if (!command_.empty() && now_ - lastCommandByte_ > kCommandGap) {
        command_.clear();
    }
    lastCommandByte_ = now_;
    if (sessionEnded_) {
        sessionEnded_ = false;
        resumeDisplay();
    }
    command_.push_back(byte);
    const std::size_t length = commandLength(command_.front());
    if (length == 0) {
        command_.clear(); // not a command: ignored
        return;
    }
    if (command_.size() == length) {
        execute();
        command_.clear();
    }
}

void Firmware::execute() {
    const std::uint8_t code = command_[0];
    const int byteValue = command_.size() > 1 ? command_[1] : 0;
    const int wordValue = command_.size() > 2 ? (command_[1] << 8) | command_[2] : 0;
    if (code != 'X' && code != '!') {
        acknowledge();
    }
    switch (code) {
    case 'T':
        gate_ = wordValue;
        if (idle()) {
            displayDue_ = now_ + displayPeriod();
        }
        break;
    case 0x1B:
        target_ = signed16(wordValue);
        break;
    case 'S':
        startRun(byteValue + 1);
        break;
    case 'P':
        drive_ = Drive{};
        sendByte(0x03);
        resumeDisplay();
        break;
    case 0x01:
        startCalibration();
        break;
    case 'C':
        scalarTime_ = wordValue;
        scalarDue_ = now_ + static_cast<Micros>(wordValue) * 10'000;
        displayDue_ = kNever;
        break;
    case 'e':
        if (scalarCounting()) {
            scalarDue_ = kNever;
            emitHexReply('C', 0xFFFFFF, 6);
            resumeDisplay();
        }
        break;
    case 'H':
    case 'h':
        hvOn_ = code == 'H';
        break;
    case 'G':
    case 'g':
        speakerOn_ = code == 'G';
        break;
    case 'V':
        hvSetting_ = byteValue;
        break;
    case 'O':
        offset_ = signed16(wordValue);
        break;
    case 'a':
        armMin_ = wordValue;
        break;
    case 'A':
        armMax_ = wordValue;
        break;
    case 'W': {
        // The arm stays where it is; only the counter learns a new value.
        const int trueAngle = trueArmPosition();
        counter_ = signed16(wordValue);
        angleError_ = trueAngle - counter_;
        break;
    }
    case 0x0E:
        emitHexReply('I', static_cast<unsigned>(std::clamp(bench_.tubeCurrentUa, 0, 255)), 2);
        reportPosition();
        break;
    case 'x': {
        const ConfigMemory::Block block = memory_.reply(liveWords());
        emitReply('x', block);
        break;
    }
    case 'X': {
        ConfigMemory::Block block;
        std::copy(command_.begin() + 1, command_.end(), block.begin());
        memory_.store(block);
        // The settings take effect; the position words are only kept for the next power-up,
        // because writing memory does not move the arm.
        const ConfigMemory::Words words = memory_.storedWords();
        offset_ = words.offset;
        armMin_ = words.armMin;
        armMax_ = words.armMax;
        break;
    }
    case '!':
        drive_ = Drive{};
        scalarDue_ = kNever;
        displayDue_ = kNever;
        hvOn_ = false;
        sessionEnded_ = true;
        break;
    default: // 0x05 and anything acknowledged without further effect
        break;
    }
}

ConfigMemory::Words Firmware::liveWords() const {
    return {offset_, counter_, armMin_, armMax_};
}

// --- idle reporting ---

Firmware::Activity Firmware::activity() const {
    return sessionEnded_ ? Activity::SessionEnded : drive_.kind;
}

bool Firmware::idle() const {
    return drive_.kind == Activity::Idle && !scalarCounting() && !sessionEnded_;
}

void Firmware::resumeDisplay() {
    if (idle() && displayDue_ == kNever) {
        displayDue_ = now_ + displayPeriod();
    }
}

Micros Firmware::displayPeriod() const {
    return static_cast<Micros>(std::max(gate_, 1)) * 10'000;
}

void Firmware::displayEvent(Micros until) {
    const Micros period = displayPeriod();
    if (output_.size() >= kDisplayBacklog) {
        // Nobody reads: skip the readings up to the next other event instead of piling them up.
        const Micros inputDue = input_.empty() ? kNever : input_.front().first;
        const Micros horizon = std::min({until, inputDue, drive_.due, scalarDue_});
        displayDue_ += ((horizon - displayDue_) / period + 1) * period;
        return;
    }
    emitHexReply('c', countRate(Stream::Display, std::max(gate_, 1)), 6);
    displayDue_ += period;
}

void Firmware::setBench(const Bench& bench) {
    const int trueAngle = trueArmPosition();
    bench_ = bench;
    angleError_ = trueAngle - counter_; // changing the bench does not move the arm
}

void Firmware::injectGarbage(std::size_t count) {
    Random random =
        randomFor(options_.seed, Stream::Garbage, sequence_[static_cast<std::size_t>(Stream::Garbage)]++);
    for (std::size_t i = 0; i < count; ++i) {
        sendByte(static_cast<std::uint8_t>(random.next() >> 56));
    }
}

void Firmware::injectHalt() {
    drive_ = Drive{};
    sendByte('m');
    resumeDisplay();
}

} // namespace sim
