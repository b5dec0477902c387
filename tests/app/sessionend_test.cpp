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

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

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

    // The terminal first, the serving after it: a program is started in between, while this
    // process has no thread of its own yet (a fork of a process with threads is what
    // ThreadSanitizer cannot follow).
    bool open(std::string* error) { return server.open(error); }
    void serve() {
        serving = std::thread([this] { server.run(stop); });
    }
    std::uint64_t stepsSent() const { return apparatus->sweepStepsSent(); }

    std::shared_ptr<sim::Apparatus> apparatus;
    sim::PtyServer server;

private:
    std::atomic<bool> stop{false};
    std::thread serving;
};

// A program run as a child of this process, by fork and exec (which ThreadSanitizer follows, as
// it does not follow QProcess's start), its standard output and error read as it writes them.
class Child {
public:
    Child() = default;
    ~Child() {
        if (pid_ > 0 && running()) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
        }
        for (const int fd : {out_, err_})
            if (fd >= 0)
                ::close(fd);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool start(const std::vector<std::string>& command) {
        int outPipe[2];
        int errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
            return false;
        std::vector<char*> argv;
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(outPipe[1], STDOUT_FILENO);
            dup2(errPipe[1], STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
        fcntl(err_, F_SETFL, O_NONBLOCK);
        return pid_ > 0;
    }
    pid_t pid() const { return pid_; }
    bool running() {
        if (!ended_ && waitpid(pid_, &status_, WNOHANG) == pid_)
            ended_ = true;
        return !ended_;
    }
    // Reads what came, after waiting up to 10 ms for it.
    void read() {
        pollfd fds[] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        poll(fds, 2, 10);
        drain(out_, out);
        drain(err_, err);
    }
    // The exit status, or -1 when a signal ended the program.
    int exitCode() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }

    QString out;
    QString err;

private:
    static void drain(int fd, QString& text) {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            text += QString::fromUtf8(buffer, got);
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

// Until `done` holds or the program ends or a minute passes; reads its output meanwhile.
bool waitWhileRunning(Child& child, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + 60s;
    while (!done()) {
        if (!child.running() || Clock::now() > deadline)
            return false;
        child.read();
    }
    return true;
}

// Until the program has ended (a minute at most), reading its output; then the rest of it.
bool waitForEnd(Child& child) {
    const auto deadline = Clock::now() + 60s;
    while (child.running() && Clock::now() < deadline)
        child.read();
    child.read();
    return !child.running();
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
        Child window;
        ASSERT_TRUE(window.start({ZAVO_SOAK_WINDOWS_PATH, "--port", sim.server.path(), "--roi", "30:75",
                                  "--time", "0.1", "--limit", "120", "--data", data.path().toStdString(),
                                  "--time-scale", std::to_string(row.windowTimeScale)}));
        sim.serve();
        const QString& err = window.err;
        ASSERT_TRUE(waitWhileRunning(window, [&] {
            return sim.stepsSent() >= std::uint64_t(row.afterPoints);
        })) << err.toStdString();
        const auto sentAtSignal = static_cast<int>(sim.stepsSent());
        ASSERT_EQ(kill(window.pid(), row.signalsSent.front()), 0);
        if (row.signalsSent.size() > 1) {
            ASSERT_TRUE(waitWhileRunning(window, [&] { return window.out.contains("ending points="); }))
                << err.toStdString();
            for (std::size_t i = 1; i < row.signalsSent.size(); ++i)
                ASSERT_EQ(kill(window.pid(), row.signalsSent[i]), 0);
        }
        ASSERT_TRUE(waitForEnd(window)) << "the windows did not end";
        if (row.exitStatuses.empty())
            EXPECT_EQ(window.exitCode(), -1);
        else
            EXPECT_EQ(std::ranges::count(row.exitStatuses, window.exitCode()), 1)
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
            const QRegularExpressionMatch match = live.match(window.out);
            ASSERT_TRUE(match.hasMatch()) << window.out.toStdString();
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
