// The engine's building blocks on their own: request sets, the command ring, synchronised calls,
// the settings file, the remaining-time estimate and the pauses.
#include "engine/clock.h"
#include "engine/commandqueue.h"
#include "engine/estimate.h"
#include "engine/profilefile.h"
#include "engine/requests.h"
#include "engine/uiexecutor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace engine;
using namespace std::chrono_literals;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(RequestSet, SixBytesWithMemberNAtBitNMod8OfByteNDiv8) {
    RequestSet set;
    set.add(0);
    set.add(9);
    set.add(47);
    const auto bytes = set.toBytes();
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x02);
    EXPECT_EQ(bytes[5], 0x80);
    EXPECT_EQ(RequestSet::fromBytes(bytes), set);
    // Members outside 0..47 are never held.
    set.add(48);
    set.add(-1);
    EXPECT_EQ(set.size(), 3);
    EXPECT_FALSE(set.contains(48));
}

TEST(RequestSet, LowestMemberIsHandledFirst) {
    RequestSet set;
    EXPECT_EQ(set.lowest(), -1);
    set.add(stop);
    set.add(startScan);
    set.add(hvOn);
    EXPECT_EQ(set.lowest(), hvOn);
    set.remove(hvOn);
    EXPECT_EQ(set.lowest(), startScan);
    set.remove(startScan);
    set.remove(stop);
    EXPECT_TRUE(set.empty());
}

TEST(PendingRequests, TakeEmptiesTheSetAndKeepsEveryMemberAddedConcurrently) {
    PendingRequests pending;
    std::atomic<bool> go{false};
    std::thread adder([&] {
        while (!go.load()) {
        }
        for (int n = 0; n < kRequestMembers; ++n)
            pending.add(n);
    });
    RequestSet taken;
    go.store(true);
    while (taken.size() < kRequestMembers)
        taken |= pending.take();
    adder.join();
    EXPECT_TRUE(pending.empty());
    EXPECT_EQ(taken.bits(), RequestSet::kMask);
}

TEST(CommandQueue, RingYields47WhenEmptyAndWrapsAround) {
    CommandQueue queue;
    EXPECT_EQ(queue.dequeue(), 47);
    // Walk the head to the end of the ring so the next codes wrap.
    for (int i = 0; i < CommandQueue::kCapacity - 1; ++i) {
        ASSERT_TRUE(queue.enqueue(13));
        ASSERT_EQ(queue.dequeue(), 13);
    }
    EXPECT_EQ(queue.head(), CommandQueue::kCapacity - 1);
    queue.enqueue(37);
    queue.enqueue(20);
    queue.enqueue(18);
    EXPECT_EQ(queue.dequeue(), 37);
    EXPECT_EQ(queue.head(), 0);
    EXPECT_EQ(queue.dequeue(), 20);
    EXPECT_EQ(queue.dequeue(), 18);
    EXPECT_EQ(queue.dequeue(), 47);
}

TEST(CommandQueue, FullRingRefusesInsteadOfOverwriting) {
    CommandQueue queue;
    for (int i = 0; i < CommandQueue::kCapacity; ++i)
        ASSERT_TRUE(queue.enqueue(static_cast<std::uint8_t>(i % 40)));
    EXPECT_FALSE(queue.enqueue(44));
    EXPECT_EQ(queue.dropped(), 1);
    EXPECT_EQ(queue.dequeue(), 0);
    queue.clear(true);
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.head(), 0);
}

TEST(UiExecutor, CallRunsOnTheServingThreadWhileTheCallerWaits) {
    UiExecutor executor; // this thread serves
    const auto uiThread = std::this_thread::get_id();
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    int value = 0;
    std::thread worker([&] {
        EXPECT_TRUE(executor.call([&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        }));
        // The routine has run completely before call() returns.
        EXPECT_EQ(value, 42);
        returned.store(true);
    });
    int served = 0;
    while (served == 0)
        served = executor.serveFor(1000ms);
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(ranOn, uiThread);
    EXPECT_EQ(executor.served(), 1u);
}

TEST(UiExecutor, CloseReleasesAWaitingCallerWithoutRunningItsRoutine) {
    UiExecutor executor;
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread worker([&] { result.store(executor.call([&] { ran.store(true); }) ? 1 : 0); });
    // Nobody serves: the worker waits until the executor is closed.
    while (executor.served() == 0 && result.load() == -1) {
        std::this_thread::sleep_for(5ms);
        executor.close();
    }
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(ran.load());
    // Later calls return at once.
    std::thread late([&] { EXPECT_FALSE(executor.call([&] { ran.store(true); })); });
    late.join();
    EXPECT_FALSE(ran.load());
    executor.reopen();
    EXPECT_FALSE(executor.closed());
}

TEST(UiExecutor, CallFromTheServingThreadRunsAtOnce) {
    UiExecutor executor;
    bool ran = false;
    EXPECT_TRUE(executor.call([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("sub/rtg.ini"); }
};

TEST_F(ProfileFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    ProfileFile ini(path());
    EXPECT_EQ(ini.readInt("SIM00001", "TRATE", 50), 50);
    ASSERT_TRUE(ini.writeInt("SIM00001", "TRATE", 12));
    EXPECT_EQ(ini.readInt("SIM00001", "TRATE", 50), 12);
    EXPECT_EQ(ini.readInt("SIM00001", "RTGV", 20), 20);
    EXPECT_EQ(ini.readInt("other", "TRATE", 7), 7);
}

TEST_F(ProfileFileTest, WritesKeepOtherSectionsAndReplaceTheKeyInPlace) {
    QDir().mkpath(dir.filePath("sub"));
    writeAll(path(), "; written by hand\r\n[scan]\r\ntime=3\r\nres=2\r\n\r\n[Hints]\r\nshow=0\r\n");
    ProfileFile ini(path());
    ASSERT_TRUE(ini.writeInt("SCAN", "Time", 40)); // names match without regard to case
    ASSERT_TRUE(ini.writeInt("A1B2", "TRATE", 5));
    ASSERT_TRUE(ini.writeInt("A1B2", "ARATE", 10));
    ASSERT_TRUE(ini.writeInt("Hints", "other", 1));
    EXPECT_EQ(readAll(path()), QByteArray("; written by hand\r\n[scan]\r\nTime=40\r\nres=2\r\n\r\n[Hints]\r\n"
                                          "show=0\r\nother=1\r\n\r\n[A1B2]\r\nTRATE=5\r\nARATE=10\r\n"));
    EXPECT_EQ(ini.readInt("scan", "res", 0), 2);
    EXPECT_EQ(ini.readInt("hints", "SHOW", 1), 0);
}

TEST_F(ProfileFileTest, ValuesReadLikeTheProfileFunctions) {
    QDir().mkpath(dir.filePath("sub"));
    writeAll(path(), "[s]\nlf=7\nsigned=-12\ntrail=25 tenths\nword=abc\nempty=\n");
    ProfileFile ini(path());
    EXPECT_EQ(ini.readInt("s", "lf", 0), 7);
    EXPECT_EQ(ini.readInt("s", "signed", 0), -12);
    EXPECT_EQ(ini.readInt("s", "trail", 0), 25);
    EXPECT_EQ(ini.readInt("s", "word", 9), 9);
    EXPECT_EQ(ini.readInt("s", "empty", 9), 9);
}

TEST_F(ProfileFileTest, SerialNumbersThatWouldBreakTheSyntaxAreMadeSafe) {
    EXPECT_EQ(safeSectionName("SIM00001"), "SIM00001");
    EXPECT_EQ(safeSectionName("A]B=C;D[E#F"), "A_B_C_D_E_F");
    EXPECT_EQ(safeSectionName(QString("X\r\nY\tZ") + QChar(0x7F) + QChar(0xE9)), "X__Y_Z__");
    EXPECT_EQ(safeSectionName("  padded  "), "padded");
    EXPECT_EQ(safeSectionName(""), "_");
    // A hostile serial cannot inject a section of its own.
    ProfileFile ini(path());
    const QString section = safeSectionName("X]\r\n[scan]\r\ntime=999");
    ASSERT_TRUE(ini.writeInt(section, "TRATE", 1));
    EXPECT_EQ(ini.readInt("scan", "time", 1), 1);
    EXPECT_EQ(ini.readInt(section, "TRATE", 0), 1);
    // Unsafe names are refused rather than written.
    EXPECT_FALSE(ini.writeInt("bad]name", "TRATE", 1));
    EXPECT_FALSE(ini.writeString("s", "k", "two\nlines"));
}

TEST_F(ProfileFileTest, UnwritableLocationFailsQuietly) {
    QDir().mkpath(dir.filePath("blocker"));
    writeAll(dir.filePath("blocker/file"), "x");
    ProfileFile ini(dir.filePath("blocker/file/rtg.ini"));
    EXPECT_FALSE(ini.writeInt("s", "k", 1));
    EXPECT_EQ(ini.readInt("s", "k", 3), 3);
}

TEST(Estimate, HundredStepsAtTheFinestStepTake100Seconds) {
    EstimateInputs in;
    in.scanState = 0;
    in.angularStep = 1;
    in.countingTime = 10;
    in.segments = {{600, 700}};
    EXPECT_EQ(estimateSeconds(in), 100);
}

TEST(Estimate, HalfDegreeStepsOver1000UnitsTake118Seconds) {
    EstimateInputs in;
    in.scanState = 0;
    in.angularStep = 10;
    in.countingTime = 10;
    in.segments = {{400, 1400}};
    EXPECT_EQ(estimateSeconds(in), 118);
}

TEST(Estimate, DuringAScanOnlyWhatLiesBeyondTheArmCounts) {
    EstimateInputs in;
    in.angularStep = 1;
    in.countingTime = 10;
    in.armAngle = 650;
    in.segments = {{600, 700}, {800, 900}};
    in.scanState = 1;
    // First region from the arm on (50 steps), the second whole (100 steps).
    EXPECT_EQ(estimateSeconds(in), 150);
    in.armAngle = 750; // the first region lies behind the arm
    EXPECT_EQ(estimateSeconds(in), 100);
    in.scanState = 0; // idle: the arm does not shorten anything
    EXPECT_EQ(estimateSeconds(in), 200);
}

TEST(Estimate, UnconditionalScanRunsFromTheArmToTheEndOfTheRange) {
    EstimateInputs in;
    in.scanState = 4;
    in.angularStep = 2;
    in.countingTime = 5;
    in.armAngle = 1000;
    in.scanEnd = 1190;
    in.effectiveOffset = 10;
    // 200 units of travel, 100 steps: 100 x 20 ms + 100 x 0.5 s.
    EXPECT_EQ(estimateSeconds(in), 52);
    in.angularStep = 0; // a step of 0 must not divide by zero
    EXPECT_GT(estimateSeconds(in), 0);
}

TEST(Estimate, RemainingTextShowsWholeMinutes) {
    EXPECT_EQ(remainingTimeText(0), "<1 min.");
    EXPECT_EQ(remainingTimeText(1), "1 min.");
    EXPECT_EQ(remainingTimeText(12), "12 min.");
}

TEST(Sleeper, LoopPausesEndOnWakeButApparatusPausesRunFully) {
    Sleeper sleeper(1.0);
    sleeper.wake();
    const auto t0 = std::chrono::steady_clock::now();
    sleeper.sleepMs(10000); // cut short
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    Sleeper scaled(0.001);
    const auto t1 = std::chrono::steady_clock::now();
    scaled.pauseMs(20000); // 20 ms real
    EXPECT_GE(std::chrono::steady_clock::now() - t1, 19ms);
    EXPECT_EQ(scaled.nominalMs(), 20000u);
}

TEST(ScaledClock, RunsRateTimesAsFastAsTheWallClock) {
    const ScaledClock clock(100.0);
    const auto start = clock.nowMs();
    std::this_thread::sleep_for(20ms);
    EXPECT_GE(clock.nowMs() - start, 1900);
    EXPECT_EQ(ScaledClock(-3).rate(), 1.0); // a rate that makes no sense falls back to real time
}
