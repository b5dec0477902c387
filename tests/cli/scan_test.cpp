// The command-line scan: its arguments, and whole runs against the simulated apparatus.
//
// The simulator's headers come first: its firmware has a member named like Qt's `emit` macro.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"
#include "tests/engine/lockedprovider.h"
#include "tests/support/shutdownsequence.h"

#include "cli/cli_acquire.h"
#include "cli/textplot.h"

#include "device/d2xxunit.h"
#include "records/recordfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace cli {
bool parseScanArguments(const QStringList& args, AcquisitionOptions* options, QStringList* deviceArgs,
                        Io& io);
} // namespace cli

namespace {

constexpr double kTimeScale = 20.0;

struct Streams {
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    cli::Io io{out, err};
};

class CliScan : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        apparatus = std::make_shared<sim::Apparatus>(sim::ApparatusOptions{{}, kTimeScale});
        D2XXUnit::resetState();
        D2XXUnit::setProvider(std::make_unique<sim::SimProvider>(apparatus));
        options.outPath = dir.filePath("s.rtg");
        options.textPath = dir.filePath("s.txt");
        options.sleepScale = 1.0 / kTimeScale;
        options.settingsPath = dir.filePath("rtg.ini");
        options.safetyCopyDir = dir.path();
        options.plan.angularStep = 1;
        options.plan.countingTime = 1;
        options.plan.hvVolts = 500;
        options.plan.regions = {{600, 660}};
    }
    void TearDown() override { D2XXUnit::setProvider(nullptr); }

    QTemporaryDir dir;
    std::shared_ptr<sim::Apparatus> apparatus;
    cli::AcquisitionOptions options;
    Streams s;
};

} // namespace

TEST(CliScanArguments, OptionsBecomeTheScanPlanAndDeviceOptionsPassThrough) {
    Streams s;
    cli::AcquisitionOptions options;
    QStringList device;
    ASSERT_TRUE(
        cli::parseScanArguments({"--port", "/dev/pts/3", "--roi", "30:33", "--roi=40.025:41", "--step", "0.5",
                                 "--time", "2.5", "--hv=655", "--out", "a.rtg", "--text", "a.txt"},
                                &options, &device, s.io));
    EXPECT_EQ(device, QStringList({"zavo-driver", "--port", "/dev/pts/3"}));
    ASSERT_EQ(options.plan.regions.size(), 2u);
    EXPECT_EQ(options.plan.regions[0], std::make_pair(600, 660));
    // 40.025 degrees is 800.5 units: ties go to the even neighbour.
    EXPECT_EQ(options.plan.regions[1], std::make_pair(800, 820));
    EXPECT_EQ(options.plan.angularStep, 10);
    EXPECT_EQ(options.plan.countingTime, 25);
    EXPECT_EQ(options.plan.hvVolts, 655);
    EXPECT_EQ(options.outPath, "a.rtg");
    EXPECT_EQ(options.textPath, "a.txt");
}

TEST(CliScanArguments, DefaultsAndRefusals) {
    Streams s;
    cli::AcquisitionOptions options;
    QStringList device;
    ASSERT_TRUE(cli::parseScanArguments({"--simulate", "--out", "a.rtg"}, &options, &device, s.io));
    EXPECT_TRUE(options.plan.regions.empty());
    EXPECT_EQ(options.plan.angularStep, 1);
    EXPECT_EQ(options.plan.countingTime, 10);
    EXPECT_EQ(options.plan.hvVolts, cli::kDefaultHvVolts);
    EXPECT_EQ(device, QStringList({"zavo-driver", "--simulate"}));

    const QList<QStringList> bad = {
        {"--roi", "30:33"},                   // no --out
        {"--out", "a", "--roi", "33:30"},     // reversed region
        {"--out", "a", "--roi", "thirty:33"}, // not a number
        {"--out", "a", "--step", "0.3"},      // not a step of the apparatus
        {"--out", "a", "--time", "0.05"},     // below 0.1 s
        {"--out", "a", "--time", "301"},      // above 300 s
        {"--out", "a", "--hv", "1300"},       // beyond 1275 V
        {"--out", "a", "--port"},             // missing value
        {"--out", "a", "--colour", "red"},    // unknown
        {"--out", "a", "--roi", "1:2", "--roi", "3:4", "--roi", "5:6", "--roi", "7:8", "--roi", "9:10",
         "--roi", "11:12"}, // six regions
    };
    for (const QStringList& args : bad) {
        cli::AcquisitionOptions refused;
        EXPECT_FALSE(cli::parseScanArguments(args, &refused, &device, s.io)) << args.join(' ').toStdString();
    }
    EXPECT_TRUE(s.errText.contains("--step must be 0.05, 0.1, 0.2 or 0.5"));
}

TEST(CliTextPlot, ThePeakStandsInItsColumn) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i <= 100; ++i)
        points.emplace_back(25.0 + i * 0.1, i == 67 ? 3000.0 : 200.0);
    const QStringList lines = cli::textPlot(points, 50, 10).split('\n');
    ASSERT_GE(lines.size(), 12);
    // The top row holds the peak alone, in the column of 31.7 degrees.
    const QString top = lines[0];
    EXPECT_TRUE(top.startsWith("    3000 |"));
    EXPECT_EQ(top.count('#'), 1);
    EXPECT_EQ(top.indexOf('#') - 10, qRound(0.67 * 49));
    EXPECT_EQ(lines[9].count('#'), 50); // the background fills the bottom row
    EXPECT_TRUE(cli::textPlot({}, 50, 10).isEmpty());
}

TEST_F(CliScan, ScanOfThreeDegreesGivesSixtyOnePointsWithTheKAlphaPeak) {
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    ASSERT_EQ(result.exitCode, cli::kExitOk) << s.errText.toStdString();
    EXPECT_EQ(result.validCells, 61);
    const records::LoadResult loaded = records::loadRecordFile(options.outPath);
    ASSERT_TRUE(loaded.record);
    EXPECT_EQ(loaded.record->ValidCellCount(), 61);
    EXPECT_EQ(loaded.record->countingTime, 1);
    EXPECT_EQ(loaded.record->detectorHv, 500);
    ASSERT_EQ(result.points.size(), 61u);
    auto peak = result.points.front();
    for (const auto& p : result.points)
        if (p.second > peak.second)
            peak = p;
    EXPECT_NEAR(peak.first, 31.7, 0.1); // Cu K-alpha on NaCl
    EXPECT_TRUE(QFile::exists(options.textPath));
    EXPECT_TRUE(s.outText.contains("Saved"));
    // HV off and the session ended with the shutdown sequence.
    EXPECT_TRUE(apparatus->withFirmware(
        [](sim::Firmware& f) { return !f.hvOn() && f.activity() == sim::Firmware::Activity::SessionEnded; }));
}

TEST_F(CliScan, OverlappingRegionsAreScannedOnceAsOne) {
    options.plan.regions = {{630, 660}, {600, 640}}; // 31.50 .. 33.00 and 30.00 .. 32.00 degrees
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    ASSERT_EQ(result.exitCode, cli::kExitOk) << s.errText.toStdString();
    EXPECT_EQ(result.validCells, 61); // 30.00 .. 33.00, every step once
    const records::LoadResult loaded = records::loadRecordFile(options.outPath);
    ASSERT_TRUE(loaded.record);
    ASSERT_EQ(loaded.record->regionCount, 1);
    EXPECT_EQ(loaded.record->regions[0].from, 600);
    EXPECT_EQ(loaded.record->regions[0].to, 660);
}

TEST_F(CliScan, RegionsOutsideTheArmRangeAreRefused) {
    options.plan.regions = {{40, 100}}; // 2.00 .. 5.00 degrees; the arm starts at 5.00
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_EQ(result.exitCode, cli::kExitFailure);
    EXPECT_TRUE(s.errText.contains("outside the arm range 5.00 .. 120.00 deg"));
    EXPECT_FALSE(QFile::exists(options.outPath));
}

TEST_F(CliScan, NoApparatusEndsWithExitThreeAfterTheWait) {
    apparatus->unplug();
    options.connectTimeoutMs = 300;
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_EQ(result.exitCode, cli::kExitNoApparatus);
    EXPECT_TRUE(s.errText.contains("no apparatus answered"));
    // A named port that is not there is told as such.
    options.portPath = QStringLiteral("/dev/zavo-no-such-port");
    EXPECT_EQ(cli::runAcquisition(options, s.io).exitCode, cli::kExitNoApparatus);
    s.err.flush();
    EXPECT_TRUE(s.errText.contains("zavo-driver: the port /dev/zavo-no-such-port does not exist"))
        << s.errText.toStdString();
}

TEST_F(CliScan, APortThatDoesNotOpenIsNamedWithItsFixAtOnce) {
    D2XXUnit::setProvider(std::make_unique<enginetest::LockedSimProvider>(apparatus));
    options.connectTimeoutMs = 60000;
    const auto start = std::chrono::steady_clock::now();
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(result.exitCode, cli::kExitNoApparatus);
    EXPECT_EQ(s.errText, QStringLiteral("zavo-driver: %1\n").arg(enginetest::kLockedPortProblem));
    EXPECT_FALSE(QFile::exists(options.outPath));
}

TEST_F(CliScan, CtrlCStopsTheScanAndSavesWhatWasMeasured) {
    options.plan.regions = {{600, 800}};
    bool raised = false;
    options.observer = [&](engine::TRS& t) {
        if (!raised && t.liveRecord->ValidCellCount() >= 10) {
            raised = true;
            std::raise(SIGINT);
        }
    };
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_TRUE(raised);
    EXPECT_EQ(result.exitCode, cli::kExitInterrupted);
    EXPECT_GE(result.validCells, 10);
    EXPECT_LT(result.validCells, 201);
    const records::LoadResult loaded = records::loadRecordFile(options.outPath);
    ASSERT_TRUE(loaded.record);
    EXPECT_EQ(loaded.record->ValidCellCount(), result.validCells);
    EXPECT_TRUE(apparatus->withFirmware([](sim::Firmware& f) { return !f.hvOn(); }));
}

TEST_F(CliScan, UnwritableOutputsAreRefusedBeforeTheArmMoves) {
    for (const bool recordFile : {true, false}) {
        (recordFile ? options.outPath : options.textPath) = dir.filePath("missing/folder/s.out");
        Streams streams;
        const cli::AcquisitionResult result = cli::runAcquisition(options, streams.io);
        EXPECT_EQ(result.exitCode, cli::kExitFailure);
        EXPECT_TRUE(streams.errText.contains("cannot write " + dir.filePath("missing/folder/s.out")))
            << streams.errText.toStdString();
        EXPECT_EQ(apparatus->sweepStepsSent(), 0u);
        EXPECT_EQ(apparatus->withFirmware([](sim::Firmware& f) { return f.armPosition(); }), 900);
        options.outPath = dir.filePath("s.rtg");
        options.textPath = dir.filePath("s.txt");
    }
    EXPECT_FALSE(QFile::exists(options.outPath));
}

TEST_F(CliScan, ASaveThatFailsAtTheEndPutsThePointsInARescueFileOfTheirOwn) {
    // An earlier rescue stays as it is: each failed save gets a file of its own, named in the
    // message. The safety copy follows the scan that runs (it is written at each segment's end), so
    // it holds the last scan, apart from the rescues.
    const QByteArray earlier = "an earlier safety copy";
    QFile safety(dir.filePath("safety.rtg"));
    ASSERT_TRUE(safety.open(QIODevice::WriteOnly) && safety.write(earlier) == earlier.size());
    safety.close();
    QStringList rescues;
    for (const int cells : {61, 21}) {
        options.plan.regions = {{600, 600 + cells - 1}};
        ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
        options.outPath = dir.filePath("out/s.rtg");
        options.observer = [&](engine::TRS& t) {
            if (t.liveRecord->ValidCellCount() >= 10)
                QDir(dir.filePath("out")).removeRecursively();
        };
        Streams streams;
        const cli::AcquisitionResult result = cli::runAcquisition(options, streams.io);
        EXPECT_EQ(result.exitCode, cli::kExitFailure);
        static const QRegularExpression named("the points were written to (.*) instead");
        const QRegularExpressionMatch match = named.match(streams.errText);
        ASSERT_TRUE(match.hasMatch()) << streams.errText.toStdString();
        rescues << match.captured(1);
        EXPECT_TRUE(QFileInfo(rescues.last()).fileName().startsWith("rescue-"))
            << rescues.last().toStdString();
    }
    ASSERT_EQ(rescues.size(), 2);
    EXPECT_NE(rescues[0], rescues[1]);
    for (int i = 0; i < 2; ++i) {
        const records::LoadResult loaded = records::loadRecordFile(rescues[i]);
        ASSERT_TRUE(loaded.record);
        EXPECT_EQ(loaded.record->ValidCellCount(), i == 0 ? 61 : 21);
    }
    const records::LoadResult copy = records::loadRecordFile(safety.fileName());
    ASSERT_TRUE(copy.record);
    EXPECT_EQ(copy.record->ValidCellCount(), 21);
}

TEST_F(CliScan, TheRecordAndTheTextNamingOneFileAreRefusedBeforeTheArmMoves) {
    for (const QString& text : {options.outPath, dir.filePath("./s.rtg")}) {
        options.textPath = text;
        Streams streams;
        const cli::AcquisitionResult result = cli::runAcquisition(options, streams.io);
        EXPECT_EQ(result.exitCode, cli::kExitFailure);
        EXPECT_TRUE(streams.errText.contains("--out and --text name the same file"))
            << streams.errText.toStdString();
        EXPECT_EQ(apparatus->sweepStepsSent(), 0u);
        EXPECT_EQ(apparatus->withFirmware([](sim::Firmware& f) { return f.armPosition(); }), 900);
        EXPECT_FALSE(QFile::exists(options.outPath));
    }
}

// Line noise mid-scan costs the link: the points measured are saved, and the program waits for
// the apparatus to answer again rather than leaving it with its high voltage on and its session
// open.
TEST_F(CliScan, ALinkLostMidScanLeavesTheApparatusSwitchedOff) {
    options.plan.regions = {{600, 800}};
    options.observer = [&, injected = false](engine::TRS& t) mutable {
        if (!injected && t.liveRecord->ValidCellCount() >= 10) {
            injected = true;
            apparatus->injectByte('x');
            apparatus->injectGarbage(64);
        }
    };
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_EQ(result.exitCode, cli::kExitLinkLost) << s.errText.toStdString();
    EXPECT_GE(result.validCells, 10);
    EXPECT_TRUE(records::loadRecordFile(options.outPath).record);
    EXPECT_FALSE(apparatus->withFirmware([](sim::Firmware& f) { return f.hvOn(); }));
    EXPECT_TRUE(apparatus->withFirmware([](sim::Firmware& f) { return f.sessionEnded(); }));
}

TEST_F(CliScan, AHaltEndsWithItsOwnExitStatusAndKeepsThePoints) {
    options.plan.regions = {{600, 800}};
    options.observer = [&, halted = false](engine::TRS& t) mutable {
        if (!halted && t.liveRecord->ValidCellCount() >= 10) {
            halted = true;
            apparatus->injectHalt();
        }
    };
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    EXPECT_EQ(result.exitCode, cli::kExitIncomplete);
    EXPECT_TRUE(s.errText.contains("the scan is incomplete: the apparatus halted at"))
        << s.errText.toStdString();
    EXPECT_LT(result.validCells, 201);
    EXPECT_EQ(static_cast<std::uint64_t>(result.validCells), apparatus->sweepStepsSent());
    const records::LoadResult loaded = records::loadRecordFile(options.outPath);
    ASSERT_TRUE(loaded.record);
    EXPECT_EQ(loaded.record->ValidCellCount(), result.validCells);
}

// The ways a session ends the program mid-scan: each stops the scan, saves what was measured and
// leaves the apparatus shut down with its HV off; a closed standard output changes nothing.
TEST_F(CliScan, SessionEndsMidScanSaveThePointsAndShutTheApparatusDown) {
    struct Row {
        const char* name;
        std::vector<int> signalsSent; // raised once 10 points are in
        bool closedOutput;
        int exitCode;
    };
    const Row rows[] = {
        {"SIGTERM", {SIGTERM}, false, 143},        {"SIGHUP", {SIGHUP}, false, 129},
        {"SIGQUIT", {SIGQUIT}, false, 131},        {"Ctrl+C twice", {SIGINT, SIGINT}, false, 130},
        {"stdout closed", {}, true, cli::kExitOk},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        options.plan.regions = {{600, 700}};
        bool raised = false;
        options.observer = [&](engine::TRS& t) {
            if (!raised && !row.signalsSent.empty() && t.liveRecord->ValidCellCount() >= 10) {
                raised = true;
                for (const int signal : row.signalsSent)
                    std::raise(signal);
            }
        };
        // Standard output into a pipe whose reader is gone (`zavo-driver scan ... | head -1`).
        int ends[2] = {-1, -1};
        ASSERT_EQ(pipe(ends), 0);
        close(ends[0]);
        QFile pipeFile;
        ASSERT_TRUE(pipeFile.open(ends[1], QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QTextStream pipeOut(&pipeFile);
        cli::Io io{row.closedOutput ? pipeOut : s.out, s.err};

        const cli::AcquisitionResult result = cli::runAcquisition(options, io);
        EXPECT_EQ(result.exitCode, row.exitCode) << s.errText.toStdString();
        const records::LoadResult loaded = records::loadRecordFile(options.outPath);
        ASSERT_TRUE(loaded.record);
        EXPECT_EQ(loaded.record->ValidCellCount(), result.validCells);
        if (row.closedOutput)
            EXPECT_EQ(result.validCells, 101);
        else
            EXPECT_GE(result.validCells, 10);
        const auto [hvOn, tail] =
            apparatus->withFirmware([](sim::Firmware& f) { return std::pair(f.hvOn(), f.receivedTail()); });
        EXPECT_FALSE(hvOn);
        EXPECT_TRUE(testsupport::endsWithShutdownSequence(tail));
        TearDown();
    }
}

// Ctrl+C while the program connects ends it without a command cut in half and without writing a
// block the apparatus never sent into its memory.
TEST_F(CliScan, CtrlCDuringTheHandshakeSendsNothingMore) {
    apparatus->setSilent(true); // the handshake waits for its acknowledge
    std::thread interrupter([this] {
        while (apparatus->withFirmware([](sim::Firmware& f) { return f.receivedTail(); }).find('T') ==
               std::string::npos)
            std::this_thread::yield();
        std::raise(SIGINT);
    });
    const cli::AcquisitionResult result = cli::runAcquisition(options, s.io);
    interrupter.join();
    EXPECT_EQ(result.exitCode, cli::kExitInterrupted);
    const std::string tail = apparatus->withFirmware([](sim::Firmware& f) { return f.receivedTail(); });
    EXPECT_EQ(tail.substr(tail.rfind('T')), std::string("T\x00\x32", 3));
    EXPECT_EQ(tail.find('X'), std::string::npos);
}
