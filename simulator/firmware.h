// The firmware of the simulated apparatus as a pure model driven by virtual time: the computer's
// bytes go in with receive(), advanceTo() lets time pass, and the bytes that have reached the
// computer come out with take(). No threads and no clock inside, so the same seed and the same
// timing of the inputs always give the same bytes.
//
// Protocol (every multi-byte value high byte first, every payload upper-case hexadecimal):
//   'T' hi lo   counting gate in hundredths of a second; while idle the display rate 'c' is sent
//               once per gate
//   0x1B hi lo  target position of the next run (steps of 0.05 degree)
//   'S' n       run to the target. With the 20 ms positioning gate (1..5 hundredths) the arm moves,
//               reporting 'W' at every step, and ends with 0x03. With any other gate it is a counted
//               sweep in increments of n + 1 steps: for every increment 'W' (at every step passed),
//               then 'S' with the rate counted over the gate; 0x03 at the end
//   'P'         stops any motion; 0x03 follows (also when nothing moved)
//   0x01        coarse calibration: the arm seeks the reference switch at 45.00 degrees, the
//               position counter is set to 900, 0x03 at the end
//   'C' hi lo   scalar count for t hundredths, ending with 'C' and the rate; 'e' aborts it with
//               'C' FFFFFF
//   'H' / 'h'   detector high voltage on / off;  'V' n  high voltage n x 5 V
//   'G' / 'g'   loudspeaker on / off
//   0x0E        status: 'I' and the tube current (2 digits, uA), 'W' and the position (4 digits)
//   'O' hi lo   angle offset (kept for the configuration block)
//   'a' / 'A'   lower / upper end of the arm range; runs stop there
//   'W' hi lo   declares the arm's current position
//   'x'         'x' and the 64-byte configuration block;  'X' + 64 bytes stores a block
//   0x05        initialisation
//   '!'         ends the session: motion and counting stop, HV off, no more display rates; the
//               next command starts a new session
// Every command is acknowledged with 0x06 as soon as it is complete, before its other replies,
// except 'X' and '!'. Rates are counts per second x 100 in 6 digits, at most FFFFFE.
#pragma once

#include "simulator/configmemory.h"
#include "simulator/countnoise.h"
#include "simulator/physics.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

using Micros = std::int64_t; // virtual time, microseconds
inline constexpr Micros kNever = std::numeric_limits<Micros>::max();
// One byte at 115200 baud, 10 bits with start and stop bit (86.8 us).
inline constexpr Micros kByteTime115200 = 87;

struct FirmwareOptions {
    std::uint64_t seed = 1;
    Micros byteTime = 0;       // time a byte takes on the line in either direction; 0 = instant
    Micros armStepTime = 5000; // time of one 0.05-degree step of the arm (10 degrees a second)
    Bench bench;
    ConfigMemory::Block memory = ConfigMemory::configured();
};

class Firmware {
public:
    enum class Activity { Idle, Moving, Sweeping, Calibrating, SessionEnded };

    // Gates of 1..5 hundredths make a run a plain positioning move.
    static constexpr int kPositioningGateMax = 5;
    // Position the coarse calibration's reference switch stands at, steps.
    static constexpr int kReferencePosition = 900;
    // A half-received command is dropped when its next byte is this late.
    static constexpr Micros kCommandGap = 500'000;
    // Bytes the line buffers for the computer; further bytes are lost.
    static constexpr std::size_t kOutputCapacity = 65536;
    // While this much output waits unread, idle display rates are not produced.
    static constexpr std::size_t kDisplayBacklog = 1024;

    explicit Firmware(const FirmwareOptions& options = {});

    // --- time ---
    Micros now() const { return now_; }
    // Lets virtual time pass up to t; earlier times are ignored.
    void advanceTo(Micros t);
    // The next time at which something happens (a byte arrives on either side, a step, a gate
    // ends); kNever when nothing is scheduled.
    Micros nextDue() const;

    // --- the line ---
    // Bytes the computer sends now; they arrive one byte time apart.
    void receive(std::span<const std::uint8_t> bytes);
    void receive(std::string_view bytes);
    // Bytes that have reached the computer and are waiting to be taken.
    std::size_t ready() const;
    std::size_t take(std::uint8_t* destination, std::size_t maxCount);
    std::vector<std::uint8_t> takeReady();
    // Drops the bytes on their way in both directions and any half-received command (a device
    // reset, a new client on the line).
    void purge();

    // --- state ---
    Activity activity() const;
    bool scalarCounting() const { return scalarDue_ != kNever; }
    int armPosition() const { return counter_; }
    // Where the arm really stands (the detector angle 2 theta in steps of 0.05 degree).
    int trueArmPosition() const { return counter_ + angleError_; }
    int offset() const { return offset_; }
    int armMin() const { return armMin_; }
    int armMax() const { return armMax_; }
    int gate() const { return gate_; }
    bool hvOn() const { return hvOn_; }
    // The last bytes the computer sent (up to kReceivedTail, oldest first): what a program left
    // the apparatus with when it ended (its shutdown sequence ends in the block and '!').
    static constexpr std::size_t kReceivedTail = 80;
    std::string receivedTail() const { return receivedTail_; }
    // '!' came and no command since: the computer ended its session.
    bool sessionEnded() const { return sessionEnded_; }
    int hvSetting() const { return hvSetting_; }
    bool speakerOn() const { return speakerOn_; }
    const ConfigMemory& memory() const { return memory_; }
    const Bench& bench() const { return bench_; }
    void setBench(const Bench& bench);
    // Mean rate the counter registers at the arm's position now, counts per second.
    double meanRate() const;

    // --- faults ---
    // A silent apparatus ignores what it receives and sends nothing until spoken to again after
    // the silence ends.
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }
    // Sends `count` random bytes now.
    void injectGarbage(std::size_t count);
    // The next reply with a payload is cut off halfway; nothing more is sent until the computer
    // sends a byte or resets the line.
    void cutNextReply() { cutNext_ = true; }
    // Erases the configuration memory (a factory-new apparatus); the next 'x' shows it.
    void eraseConfig() { memory_.erase(); }
    // The apparatus halts on its own: motion stops without 0x03 and 'm' is sent.
    void injectHalt();
    // Sends one byte out of turn (line noise; 0x03 is the interesting one).
    void injectByte(std::uint8_t byte) { sendByte(byte); }
    // Counted-sweep steps ('S' replies) sent whole so far.
    std::uint64_t sweepStepsSent() const { return sweepStepsSent_; }

private:
    struct Drive {
        Activity kind = Activity::Idle;
        Micros due = kNever;
        std::vector<int> waypoints; // moves and calibration: positions to pass, the last is the end
        int target = 0;             // sweeps
        int direction = 0;
        int increment = 1;
        int stepsLeft = 0;
        bool counting = false;
    };

    void inputByte(std::uint8_t byte);
    void execute();
    void acknowledge() { sendByte(0x06); }
    void sendByte(std::uint8_t byte);
    void emitReply(std::uint8_t tag, std::span<const std::uint8_t> payload);
    void emitHexReply(std::uint8_t tag, unsigned value, int digits);
    void reportPosition() { emitHexReply('W', static_cast<unsigned>(counter_) & 0xFFFF, 4); }

    bool idle() const;
    void resumeDisplay();
    Micros displayPeriod() const;
    void displayEvent(Micros until);
    void scalarEvent();
    unsigned countRate(Stream stream, int hundredths);

    void startRun(int increment);
    void startCalibration();
    void driveEvent();
    void travelStep();
    void sweepEvent();
    void finishDrive();
    int clampToRange(int position) const;
    ConfigMemory::Words liveWords() const;

    FirmwareOptions options_;
    Bench bench_;
    ConfigMemory memory_;
    Micros now_ = 0;

    std::deque<std::pair<Micros, std::uint8_t>> input_;
    Micros lastInputArrival_ = 0;
    std::vector<std::uint8_t> command_;
    Micros lastCommandByte_ = 0;
    std::deque<std::pair<Micros, std::uint8_t>> output_;
    Micros lastOutputArrival_ = 0;

    Drive drive_;
    Micros scalarDue_ = kNever;
    int scalarTime_ = 0;
    Micros displayDue_ = kNever;
    std::array<std::uint64_t, 5> sequence_{};

    int counter_ = 0;
    int angleError_ = 0;
    int offset_ = 0;
    int armMin_ = 0;
    int armMax_ = 0;
    int target_ = 0;
    int gate_ = 50;
    int hvSetting_ = 0;
    bool hvOn_ = false;
    bool speakerOn_ = true;
    bool sessionEnded_ = false;
    std::string receivedTail_;
    bool silent_ = false;
    bool stalled_ = false;
    bool cutNext_ = false;
    std::uint64_t sweepStepsSent_ = 0;
};

} // namespace sim
