// The engine's building blocks on their own: request sets, the typed request calls, the command
// ring, synchronised calls, the settings file, the remaining-time estimate and what it shows, the
// growth of the automatic full scale and the pauses.
#include "tests/support/trsaccess.h"

#include "engine/clock.h"
#include "engine/commandqueue.h"
#include "engine/estimate.h"
#include "engine/headlessupdates.h"
#include "engine/plotchange.h"
#include "engine/profilefile.h"
#include "engine/requests.h"
#include "engine/trs.h"
#include "engine/uiexecutor.h"

#include "records/trecdata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <sys/stat.h>

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

// A thread object whose run never starts: the typed calls only write values and post numbers.
TEST(TypedRequests, EachCallWritesItsValueThenPostsItsNumber) {
    QTemporaryDir dir;
    UiExecutor executor;
    HeadlessUpdates updates;
    TrsEnvironment env;
    env.executor = &executor;
    env.windows = &updates;
    env.settingsPath = dir.filePath("rtg.ini");
    env.safetyCopyDir = dir.path();
    env.startSuspended = true;
    TRS thread(env);

    using Values = TrsTestAccess::Values;
    struct Case {
        const char* name;
        std::function<void(TRS&)> call;
        std::vector<int> posted;
        std::function<bool(const Values&)> holds;
    };
    // Every value differs from the one before, so a call that writes nothing cannot pass.
    const std::vector<Case> cases = {
        {"counting time",
         [](TRS& t) { t.requestCountingTime(25); },
         {setCountingTime},
         [](const Values& v) { return v.countingTime == 25; }},
        {"counting time beyond the gate's word",
         [](TRS& t) { t.requestCountingTime(7000); },
         {setCountingTime},
         [](const Values& v) { return v.countingTime == kMaxCountingTime; }},
        {"scalar time",
         [](TRS& t) { t.requestScalarTime(150); },
         {setScalarTime},
         [](const Values& v) { return v.scalarCountTime == 150; }},
        {"angular step",
         [](TRS& t) { t.requestAngularStep(4); },
         {setAngularStep},
         [](const Values& v) { return v.angularStep == 4; }},
        {"detector HV",
         [](TRS& t) { t.requestDetectorHv(111); },
         {setDetectorHv},
         [](const Values& v) { return v.hv == 111; }},
        {"HV limit",
         [](TRS& t) { t.requestHvLimit(130); },
         {setHvLimit},
         [](const Values& v) { return v.hvLimit == 130; }},
        {"HV limit switch",
         [](TRS& t) { t.requestHvLimitEnabled(true); },
         {setHvLimitEnabled},
         [](const Values& v) { return v.hvLimitEnabled == 1; }},
        {"arm range",
         [](TRS& t) { t.requestArmRange(300, 2200); },
         {setArmMin, setArmMax},
         [](const Values& v) { return v.armMin == 300 && v.armMax == 2200; }},
        {"arm's upper end",
         [](TRS& t) { t.requestArmMax(2395); },
         {setArmMax},
         [](const Values& v) { return v.armMax == 2395; }},
        {"arm's lower end",
         [](TRS& t) { t.requestArmMin(150); },
         {setArmMin},
         [](const Values& v) { return v.armMin == 150; }},
        {"arm position",
         [](TRS& t) { t.requestArmPosition(1000); },
         {setArmPosition},
         [](const Values& v) { return v.armPosition == 1000; }},
        {"offset",
         [](TRS& t) { t.requestOffset(-12); },
         {applyOffset},
         [](const Values& v) { return v.offset == -12; }},
        {"offset switch",
         [](TRS& t) { t.requestOffsetEnabled(true); },
         {setOffset},
         [](const Values& v) { return v.offsetEnabled == 1; }},
        {"move target",
         [](TRS& t) { t.requestMoveArm(1234); },
         {moveArm},
         [](const Values& v) { return v.moveTarget == 1234; }},
        {"range",
         [](TRS& t) { t.requestRangeMode(5); },
         {setRange},
         [](const Values& v) { return v.rangeMode == 5; }},
        {"radiator",
         [](TRS& t) { t.requestRadiator(3); },
         {setRadiator},
         [](const Values& v) { return v.radiator == 3; }},
        {"filter",
         [](TRS& t) { t.requestFilter(2); },
         {setFilter},
         [](const Values& v) { return v.filter == 2; }},
        {"detector position",
         [](TRS& t) { t.requestDetectorPosition(1); },
         {setDetectorPosition},
         [](const Values& v) { return v.detectorPosition == 1; }},
        {"filter thickness",
         [](TRS& t) { t.requestFilterThickness(0.25); },
         {setFilterThickness},
         [](const Values& v) { return v.filterThickness == 0.25; }},
        {"automatic calibration",
         [](TRS& t) { t.requestAutoCoarse(true); },
         {setAutoCoarse},
         [](const Values& v) { return v.autoCoarse == 1 && !v.calibrateThenScan; }},
        {"scan",
         [](TRS& t) { t.requestScan(false); },
         {startScan},
         [](const Values& v) { return v.rebuildPending && !v.calibrateThenScan; }},
        {"scan after a calibration",
         [](TRS& t) { t.requestScan(true); },
         {calibrateAndScan},
         [](const Values& v) { return v.rebuildPending; }},
        {"calibration", [](TRS& t) { t.requestCoarseCalibration(); }, {coarseCalibration}, nullptr},
        {"pause", [](TRS& t) { t.requestPause(true); }, {pauseScan}, nullptr},
        {"resume", [](TRS& t) { t.requestPause(false); }, {resumeScan}, nullptr},
        {"stop", [](TRS& t) { t.requestStop(); }, {stop}, nullptr},
        {"HV on", [](TRS& t) { t.requestHv(true); }, {hvOn}, nullptr},
        {"HV off", [](TRS& t) { t.requestHv(false); }, {hvOff}, nullptr},
        {"speaker on", [](TRS& t) { t.requestSpeaker(true); }, {speakerOn}, nullptr},
        {"speaker off", [](TRS& t) { t.requestSpeaker(false); }, {speakerOff}, nullptr},
        {"scalar reading", [](TRS& t) { t.requestScalarAcquire(); }, {scalarAcquire}, nullptr},
        {"abort of the reading", [](TRS& t) { t.requestAbortAcquire(); }, {abortAcquire}, nullptr},
        {"shut down", [](TRS& t) { t.requestShutDown(); }, {shutDown}, nullptr},
    };
    for (const Case& c : cases) {
        TrsTestAccess::forgetRebuild(thread);
        c.call(thread);
        RequestSet expected;
        for (const int request : c.posted)
            expected.add(request);
        EXPECT_EQ(thread.pendingRequests.take(), expected) << c.name;
        if (c.holds) {
            EXPECT_TRUE(c.holds(TrsTestAccess::values(thread))) << c.name;
        }
    }
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

TEST(Estimate, ShownInTheStatesThatCountTowardsAnEnd) {
    using enum RemainingShown;
    const RemainingShown byState[7] = {estimate, unchanged, unchanged, unchanged,
                                       estimate, cleared,   estimate};
    for (int state = 0; state < 7; ++state) {
        EXPECT_EQ(remainingShown(state, false, false), byState[state]) << state;
        // The alignment leaves the read-out alone, the calibration clears it, whatever the state.
        EXPECT_EQ(remainingShown(state, true, false), unchanged) << state;
        EXPECT_EQ(remainingShown(state, false, true), cleared) << state;
    }
}

namespace {

// A live record from 10 to 130 degrees (cell = angle - 200 without an offset), automatic range.
std::unique_ptr<trecdata> liveLike(int offset, bool offsetOn) {
    auto record = trecdata::Create(1, 200, 2600, offset, 10);
    record->offsetEnabled = offsetOn;
    record->SetRangeMode(0);
    return record;
}

} // namespace

TEST(FullScale, GrowsFromEveryCellOfTheShownRegionUpToItsEnd) {
    auto record = liveLike(0, false);
    record->AddRegion(407, 500); // 20.35 to 25.00 degrees, shown
    record->SelectRegion(0);
    ASSERT_EQ(record->rangeIndex, 0);
    record->SetPoint(250, 150.0); // 22.50 degrees
    EXPECT_EQ(grownFullScaleIndex(*record, 250, 250), 2);
    record->rangeIndex = 2;
    // 480 cps at 25.00 degrees, the region's last cell: full scale 500.
    record->SetPoint(300, 480.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 250, 300), 3);
    EXPECT_EQ(grownFullScaleIndex(*record, 300, 300), 3);
    record->rangeIndex = 3;
    // Cells beside the shown region do not count, nor does a lower rate: it never shrinks.
    record->SetPoint(301, 4000.0);
    record->SetPoint(206, 4000.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 301, 301), -1);
    EXPECT_EQ(grownFullScaleIndex(*record, 206, 206), -1);
    record->SetPoint(260, 20.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 260, 260), -1);
    // Nothing measured, or a range the user chose: no growth.
    EXPECT_EQ(grownFullScaleIndex(*record, 0, -1), -1);
    record->SetPoint(280, 900.0);
    record->SetRangeMode(5);
    EXPECT_EQ(grownFullScaleIndex(*record, 280, 280), -1);
}

TEST(FullScale, WholeRecordWithTheOffsetOnGrowsUpToItsLastCell) {
    // Offset half a degree: the record shows 10.50 to 130.50 degrees, its last cell is 2400.
    auto record = liveLike(10, true);
    record->SetPoint(2395, 480.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 2395, 2395), 3);
    record->SetPoint(2400, 1500.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 2395, 2400), 5);
    record->SetPoint(0, 90.0);
    EXPECT_EQ(grownFullScaleIndex(*record, 0, 0), 1);
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
    // A pause that only paces the apparatus outlasts wake() and ends on hurry() (a second signal,
    // from another thread).
    Sleeper pacing(1.0);
    pacing.wake();
    std::thread hurrying([&] {
        std::this_thread::sleep_for(50ms);
        pacing.hurry();
    });
    const auto t2 = std::chrono::steady_clock::now();
    pacing.paceMs(60000);
    const auto paced = std::chrono::steady_clock::now() - t2;
    hurrying.join();
    EXPECT_GE(paced, 50ms);
    EXPECT_LT(paced, 30s);
}

TEST(ScaledClock, RunsRateTimesAsFastAsTheWallClock) {
    const ScaledClock clock(100.0);
    const auto start = clock.nowMs();
    std::this_thread::sleep_for(20ms);
    EXPECT_GE(clock.nowMs() - start, 1900);
    EXPECT_EQ(ScaledClock(-3).rate(), 1.0); // a rate that makes no sense falls back to real time
}

// A settings file that is no file of ours (a FIFO, a link to a device that never ends, a file past
// 1 MiB) gives the defaults at once and is not written over.
TEST(ProfileFileOddFiles, DefaultsAndTheFileLeftAsItIs) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString toZero = dir.filePath("zero.ini");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), toZero));
    const QString big = dir.filePath("big.ini");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[scan]\r\ntime=7\r\n");
        file.write(QByteArray(1024 * 1024, ';'));
    }
    const qint64 bigSize = QFileInfo(big).size();
    for (const QString& path : {fifo, toZero, big}) {
        SCOPED_TRACE(path.toStdString());
        engine::ProfileFile settings(path);
        EXPECT_EQ(settings.readInt(QStringLiteral("scan"), QStringLiteral("time"), 1), 1);
        EXPECT_FALSE(settings.writeInt(QStringLiteral("scan"), QStringLiteral("time"), 3));
    }
    EXPECT_EQ(QFileInfo(fifo).isFile(), false);
    EXPECT_EQ(QFileInfo(toZero).symLinkTarget(), QStringLiteral("/dev/zero"));
    EXPECT_EQ(QFileInfo(big).size(), bigSize);
    // A regular file within the limit is read as before.
    engine::ProfileFile small(dir.filePath("rtg.ini"));
    EXPECT_TRUE(small.writeInt(QStringLiteral("scan"), QStringLiteral("time"), 4));
    EXPECT_EQ(small.readInt(QStringLiteral("scan"), QStringLiteral("time"), 1), 4);
}
