// The window program ended from outside in the middle of a scan, as a Linux session ends it: the
// windows (zavo-soak-windows, offscreen) scan on a pseudo-terminal served by the simulated apparatus
// of this process, and the signals are sent to them as `kill` sends them. What a user keeps is the
// safety copy; what the apparatus is left with are the last bytes it received.
//
// The simulator's headers come first: its firmware has a member named like Qt's `emit` macro.
#include "simulator/apparatus.h"
#include "simulator/ptyserver.h"
#include "tests/support/shutdownsequence.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kTimeScale = 20.0;
// One point of a sweep in the apparatus's time: 0.1 s of counting and one 5 ms arm step.
constexpr int kPointMs = 105;
constexpr int kPointsPerMinute = 60000 / kPointMs;

// The apparatus on a pseudo-terminal, served by a thread of its own while the object lives.
class ServedApparatus {
public:
    ServedApparatus()
        : apparatus(std::make_shared<sim::Apparatus>(sim::ApparatusOptions{{}, kTimeScale})),
          server(apparatus) {}
    ~ServedApparatus() {
        stop = true;
        if (serving.joinable())
            serving.join();
    }
    ServedApparatus(const ServedApparatus&) = delete;
    ServedApparatus& operator=(const ServedApparatus&) = delete;

    bool open(std::string* error) {
        if (!server.open(error))
            return false;
        serving = std::thread([this] { server.run(stop); });
        return true;
    }
    std::uint64_t stepsSent() const { return apparatus->sweepStepsSent(); }

    std::shared_ptr<sim::Apparatus> apparatus;
    sim::PtyServer server;

private:
    std::atomic<bool> stop{false};
    std::thread serving;
};

// What the program wrote so far.
struct Output {
    QString out;
    QString err;
    void read(QProcess& process) {
        out += QString::fromUtf8(process.readAllStandardOutput());
        err += QString::fromUtf8(process.readAllStandardError());
    }
};

// Until `done` holds or the process ends or a minute passes; reads its output meanwhile.
bool waitWhileRunning(QProcess& process, Output& output, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + 60s;
    while (!done()) {
        if (process.state() == QProcess::NotRunning || Clock::now() > deadline)
            return false;
        process.waitForReadyRead(10);
        output.read(process);
    }
    return true;
}

} // namespace

// Each row sends its signals once `afterPoints` points of the sweep have been sent: the first one,
// then (once the windows have told what they kept and are ending) the others back to back.
TEST(WindowSessionEnd, SignalsMidScanKeepThePointsAndShutTheApparatusDown) {
    struct Row {
        const char* name;
        std::vector<int> signalsSent;
        int afterPoints;
        double windowTimeScale;        // the windows' thread time: real time leaves room for a second signal
        std::vector<int> exitStatuses; // one of them; none: killed
        const char* told;              // on standard error
        bool shutDown;                 // the apparatus received its shutdown sequence
    };
    const Row rows[] = {
        {"SIGTERM", {SIGTERM}, 40, 1, {143}, "SIGTERM: ending; the unsaved scan is kept in", true},
        {"SIGHUP", {SIGHUP}, 40, 1, {129}, "SIGHUP: ending; the unsaved scan is kept in", true},
        {"SIGQUIT", {SIGQUIT}, 40, 1, {131}, "SIGQUIT: ending; the unsaved scan is kept in", true},
        {"a second signal", {SIGINT, SIGINT}, 40, 1, {130}, "Ctrl+C again: ending sooner", true},
        // Two different signals, so that the kernel keeps both while they wait to be delivered; two
        // threads may take them at once, so either can be the third, whose status the end takes.
        {"a third within a second",
         {SIGTERM, SIGHUP, SIGINT},
         40,
         1,
         {128 + SIGHUP, 130},
         "a third signal within a second: ending at once",
         false},
        // 70 s into the scan (apparatus time), in a thread whose time runs as the apparatus's.
        {"SIGKILL", {SIGKILL}, 70000 / kPointMs, kTimeScale, {}, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ServedApparatus sim;
        std::string error;
        ASSERT_TRUE(sim.open(&error)) << error;
        QTemporaryDir data;
        ASSERT_TRUE(data.isValid());
        QProcess window;
        window.start(QStringLiteral(ZAVO_SOAK_WINDOWS_PATH),
                     {"--port", QString::fromStdString(sim.server.path()), "--roi", "30:75", "--time", "0.1",
                      "--limit", "120", "--data", data.path(), "--time-scale",
                      QString::number(row.windowTimeScale)});
        ASSERT_TRUE(window.waitForStarted(30000));
        Output output;
        const QString& err = output.err;
        ASSERT_TRUE(waitWhileRunning(window, output, [&] {
            return sim.stepsSent() >= std::uint64_t(row.afterPoints);
        })) << err.toStdString();
        const auto sentAtSignal = static_cast<int>(sim.stepsSent());
        const auto pid = static_cast<pid_t>(window.processId());
        ASSERT_EQ(kill(pid, row.signalsSent.front()), 0);
        if (row.signalsSent.size() > 1) {
            ASSERT_TRUE(waitWhileRunning(window, output, [&] {
                return output.out.contains("ending points=");
            })) << err.toStdString();
            for (std::size_t i = 1; i < row.signalsSent.size(); ++i)
                ASSERT_EQ(kill(pid, row.signalsSent[i]), 0);
        }
        if (!window.waitForFinished(60000)) {
            window.kill();
            window.waitForFinished();
            FAIL() << "the windows did not end";
        }
        output.read(window);
        if (row.exitStatuses.empty())
            EXPECT_EQ(window.exitStatus(), QProcess::CrashExit);
        else
            EXPECT_TRUE(window.exitStatus() == QProcess::NormalExit &&
                        std::ranges::count(row.exitStatuses, window.exitCode()) == 1)
                << window.exitCode() << ' ' << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(row.told))) << err.toStdString();

        const records::LoadResult copy = records::loadRecordFile(data.filePath("safety.rtg"));
        ASSERT_TRUE(copy.record) << copy.message.toStdString();
        const int kept = copy.record->ValidCellCount();
        if (row.signalsSent.front() == SIGKILL) {
            // The copy follows a running scan within a minute.
            EXPECT_GE(kept, sentAtSignal - kPointsPerMinute);
        } else if (row.shutDown) {
            // Every point the live scan held when the thread had ended.
            static const QRegularExpression live(QStringLiteral(" live=(\\d+)"));
            const QRegularExpressionMatch match = live.match(output.out);
            ASSERT_TRUE(match.hasMatch()) << output.out.toStdString();
            EXPECT_EQ(kept, match.captured(1).toInt());
            EXPECT_GE(kept, 1);
        } else {
            EXPECT_GE(kept, 1); // the copy the first signal wrote
        }
        if (row.shutDown) {
            const auto [hvOn, tail] = sim.apparatus->withFirmware(
                [](sim::Firmware& f) { return std::pair(f.hvOn(), f.receivedTail()); });
            EXPECT_FALSE(hvOn);
            EXPECT_TRUE(testsupport::endsWithShutdownSequence(tail));
        }
    }
}
