#include "cli/cli_acquire.h"

#include "device/serialprovider.h"
#include "engine/headlessupdates.h"
#include "engine/sessionsignals.h"
#include "engine/trs.h"
#include "engine/uiexecutor.h"
#include "records/recordfile.h"
#include "records/rescuefile.h"
#include "records/roiedit.h"
#include "records/textexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace cli {
namespace {

using namespace std::chrono_literals;

// The session's signals while a scan runs (Ctrl+C, SIGTERM, SIGHUP, SIGQUIT), read from their pipe
// on every turn of the serving loop: the first stops the scan, which is then saved and the
// apparatus shut down; a second hurries the end (no waiting for a stopped sweep's last rates) but
// keeps the save and switching the HV off.
class SignalGuard {
public:
    explicit SignalGuard(Io& io) : io_(io), signals_(engine::SessionSignals::install()) {}
    ~SignalGuard() { engine::SessionSignals::uninstall(); }
    SignalGuard(const SignalGuard&) = delete;
    SignalGuard& operator=(const SignalGuard&) = delete;

    void poll() {
        int signal = 0;
        if (signals_.take(&signal) == 0)
            return;
        interrupt.store(true);
        if (signals_.taken() >= 2 && !hurry.exchange(true)) {
            io_.err << engine::SessionSignals::hurryNotice(signal);
            io_.err.flush();
        }
    }
    int signal() const { return signals_.first(); }

    std::atomic<bool> interrupt{false};
    std::atomic<bool> hurry{false};

private:
    Io& io_;
    engine::SessionSignals& signals_;
};

QString degrees(int units) {
    return QString::asprintf("%.2f", units / 20.0);
}

QString clockText(std::int64_t seconds) {
    return QString::asprintf("%lld:%02lld", static_cast<long long>(seconds / 60),
                             static_cast<long long>(seconds % 60));
}

// The terminal line that follows the scan.
class ProgressLine {
public:
    // `clock` is the thread's; its rate turns the estimate into real seconds.
    ProgressLine(QTextStream& out, std::vector<std::pair<int, int>> segments,
                 const engine::ScaledClock& clock)
        : out_(out), segments_(std::move(segments)), clock_(clock), tty_(isatty(STDOUT_FILENO) == 1) {
        for (const auto& [from, to] : segments_)
            total_ += std::max(1, to - from);
    }

    void update(engine::TRS& t, bool force = false) {
        const auto now = std::chrono::steady_clock::now();
        // The window's hint to press Reset means nothing on a terminal.
        const QString status = t.scanStatusText().remove(QStringLiteral(" (press reset to enable changes)"));
        const int percent = progressPercent(t);
        const bool changed = status != lastStatus_;
        if (!force && !changed && now - lastPrint_ < 250ms)
            return;
        if (!tty_ && !changed && percent / 10 == lastPercent_ / 10)
            return;
        lastPrint_ = now;
        lastStatus_ = status;
        lastPercent_ = percent;
        QString line = QStringLiteral("[%1%] %2 deg  %3 cps  %4")
                           .arg(percent, 3)
                           .arg(degrees(t.armAngle.load()), 7)
                           .arg(QString::asprintf("%.2f", t.countRate), 10)
                           .arg(status);
        const int state = t.scanState.load();
        if ((state == engine::scanScanning || state == engine::scanPaused) && t.scanEndTime > 0) {
            const double seconds =
                static_cast<double>(t.scanEndTime - clock_.nowMs()) / 1000.0 / clock_.rate();
            line += QStringLiteral("  about %1 left")
                        .arg(clockText(std::max<std::int64_t>(0, std::llround(seconds))));
        }
        if (tty_) {
            out_ << '\r' << line.leftJustified(std::max<qsizetype>(width_, line.size()));
            width_ = line.size();
        } else {
            out_ << line << '\n';
        }
        out_.flush();
    }

    void finish() {
        if (tty_ && width_ > 0)
            out_ << '\n';
        out_.flush();
    }

private:
    int progressPercent(engine::TRS& t) const {
        const int state = t.scanState.load();
        const int region = std::max(0, t.scanRegion);
        if (state == engine::scanIdle)
            return lastPercent_;
        int done = 0;
        for (int i = 0; i < region && i < static_cast<int>(segments_.size()); ++i)
            done +=
                segments_[static_cast<std::size_t>(i)].second - segments_[static_cast<std::size_t>(i)].first;
        if ((state == engine::scanScanning || state == engine::scanPaused) &&
            region < static_cast<int>(segments_.size())) {
            const auto [from, to] = segments_[static_cast<std::size_t>(region)];
            done += std::clamp(t.armAngle.load() - from, 0, to - from);
        }
        return std::clamp(done * 100 / total_, 0, 100);
    }

    QTextStream& out_;
    std::vector<std::pair<int, int>> segments_;
    const engine::ScaledClock& clock_;
    int total_ = 0;
    bool tty_;
    std::chrono::steady_clock::time_point lastPrint_{};
    QString lastStatus_;
    int lastPercent_ = 0;
    qsizetype width_ = 0;
};

// The regions sorted, reversed ones swapped and overlapping or touching ones merged, by the
// region editor's own rule.
std::vector<std::pair<int, int>> sortedRegions(const std::vector<std::pair<int, int>>& regions) {
    std::vector<roi::Pair> pairs;
    for (const auto& [from, to] : regions)
        pairs.push_back({from, to});
    std::vector<std::pair<int, int>> sorted;
    for (const roi::Pair& pair : roi::rearranged(std::move(pairs)))
        sorted.emplace_back(pair.from, pair.to);
    return sorted;
}

// Ends the thread: the shutdown sequence runs at the end of its run.
void endThread(engine::TRS& thread) {
    thread.terminate();
    thread.waitFor(std::chrono::minutes(1));
}

// Whether two paths name one file (also through a link, once it exists).
bool sameFile(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath()))
        return true;
    return first.exists() && second.exists() && first.canonicalFilePath() == second.canonicalFilePath();
}

// The output files, tried before the arm moves: a scan must not be lost to a typing error.
bool outputsWritable(const AcquisitionOptions& options, Io& io) {
    if (!options.textPath.isEmpty() && sameFile(options.outPath, options.textPath)) {
        io.err << "zavo-driver: --out and --text name the same file " << options.outPath
               << ": the text would replace the record\n";
        return false;
    }
    for (const QString& path : {options.outPath, options.textPath}) {
        QString error;
        if (!path.isEmpty() && !canWrite(path, &error)) {
            io.err << "zavo-driver: cannot write " << path << ": " << error << '\n';
            return false;
        }
    }
    return true;
}

// How long a scan may take before the command line gives up on it: three times the steps'
// counting and travel, and ten minutes more.
std::chrono::milliseconds scanTimeLimit(const engine::ScanPlan& plan,
                                        const std::vector<std::pair<int, int>>& segments) {
    std::int64_t steps = 0;
    for (const auto& [from, to] : segments)
        steps += (to - from) / std::max(1, plan.angularStep) + 1;
    const std::int64_t stepMs = plan.countingTime * 100 + 50 * std::max(1, plan.angularStep);
    return std::chrono::milliseconds(3 * steps * stepMs + 600'000);
}

// Saves the record (and the text); when the record file cannot be written after all, the points go
// to the safety copy's place. False when something could not be written where it was asked.
bool saveMeasured(engine::TRS& thread, const AcquisitionOptions& options, AcquisitionResult& result, Io& io) {
    trecdata& record = *thread.liveRecord;
    result.validCells = record.ValidCellCount();
    for (const records::ExportedPoint& p : records::exportedPoints(record))
        result.points.emplace_back(p.degrees, p.rate);
    QString error;
    if (!records::saveRecordFile(record, options.outPath, &error)) {
        io.err << "zavo-driver: cannot save " << options.outPath << ": " << error << '\n';
        // A file of its own: the safety copy's name would be overwritten by the next scan.
        const QString folder = QFileInfo(thread.safetyCopyPath()).absolutePath();
        QString rescue;
        if (records::writeRescueFile(record, folder, &rescue, &error))
            io.err << "zavo-driver: the points were written to " << rescue << " instead\n";
        else
            io.err << "zavo-driver: cannot write " << rescue << " either: " << error << '\n';
        return false;
    }
    record.fileName = options.outPath;
    io.out << "Saved " << options.outPath << " (" << result.points.size() << " points)\n";
    if (options.textPath.isEmpty())
        return true;
    if (!records::exportText(record, options.textPath, QLocale(), &error)) {
        io.err << "zavo-driver: cannot write " << options.textPath << ": " << error << '\n';
        return false;
    }
    io.out << "Wrote " << options.textPath << '\n';
    return true;
}

// The exit status for how the scan ended, with its message.
int outcomeExit(engine::ScanOutcome outcome, const engine::TRS& thread, int signal, Io& io) {
    switch (outcome) {
    case engine::ScanOutcome::Completed:
        return kExitOk;
    case engine::ScanOutcome::Incomplete:
        io.err << "zavo-driver: the scan is incomplete: " << thread.status().scanEndingText << '\n';
        return kExitIncomplete;
    case engine::ScanOutcome::Interrupted:
        io.out << "Scan stopped by " << engine::SessionSignals::name(signal) << '\n';
        return engine::SessionSignals::exitStatus(signal);
    case engine::ScanOutcome::LinkLost:
        io.err << "zavo-driver: the link to the apparatus was lost during the scan\n";
        return kExitLinkLost;
    case engine::ScanOutcome::TimedOut:
        io.err << "zavo-driver: the scan did not end in time; it was stopped\n";
        return kExitLinkLost;
    }
    return kExitLinkLost;
}

} // namespace

int degreesToUnits(double degrees) {
    return static_cast<int>(std::nearbyint(degrees * 20.0)); // the default rounding: ties to even
}

bool parseRegion(const QString& text, std::pair<int, int>* region, Io& io) {
    const QStringList parts = text.split(QLatin1Char(':'));
    bool okFrom = false;
    bool okTo = false;
    const double from = parts.size() == 2 ? parts[0].toDouble(&okFrom) : 0;
    const double to = parts.size() == 2 ? parts[1].toDouble(&okTo) : 0;
    if (!okFrom || !okTo || !std::isfinite(from) || !std::isfinite(to) || from >= to || from < -180 ||
        to > 180) {
        io.err << "zavo-driver: --roi wants FROM:TO in degrees with FROM below TO, not \"" << text << "\"\n";
        return false;
    }
    *region = {degreesToUnits(from), degreesToUnits(to)};
    return true;
}

bool parseStep(const QString& text, int* units, Io& io) {
    static const std::pair<const char*, int> steps[] = {{"0.05", 1}, {"0.1", 2}, {"0.2", 4}, {"0.5", 10}};
    for (const auto& [name, value] : steps) {
        if (text == QLatin1String(name)) {
            *units = value;
            return true;
        }
    }
    io.err << "zavo-driver: --step must be 0.05, 0.1, 0.2 or 0.5 (degrees), not \"" << text << "\"\n";
    return false;
}

bool parseCountingTime(const QString& text, int* tenths, Io& io) {
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0.1 || seconds > 300) {
        io.err << "zavo-driver: --time must be 0.1 to 300 seconds, not \"" << text << "\"\n";
        return false;
    }
    *tenths = static_cast<int>(std::lround(seconds * 10));
    return true;
}

bool parseHv(const QString& text, int* volts, Io& io) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 1275) {
        io.err << "zavo-driver: --hv must be 0 to 1275 volts, not \"" << text << "\"\n";
        return false;
    }
    *volts = value / 5 * 5;
    return true;
}

AcquisitionResult runAcquisition(const AcquisitionOptions& options, Io& io) {
    AcquisitionResult result;
    static int argc = 1;
    static char name[] = "zavo-driver";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    if (!outputsWritable(options, io)) {
        result.exitCode = kExitFailure;
        return result;
    }
    SignalGuard caught(io);
    engine::UiExecutor executor;
    engine::HeadlessUpdates updates;
    engine::Sleeper sleeper(options.sleepScale);
    // The thread's time runs as fast as its pauses shrink (the apparatus's time).
    const engine::ScaledClock clock(options.sleepScale > 0 ? 1.0 / options.sleepScale : 1.0);
    engine::TrsEnvironment env;
    env.clock = &clock;
    env.executor = &executor;
    env.windows = &updates;
    env.sleeper = &sleeper;
    env.settingsPath = options.settingsPath;
    env.safetyCopyDir = options.safetyCopyDir;
    engine::TRS thread(env);
    engine::HeadlessDriver driver(thread, executor, updates);
    driver.setInterrupt(&caught.interrupt);
    driver.setHurry(&caught.hurry);
    driver.setPoll([&caught] { caught.poll(); });

    io.out << "Waiting for the apparatus ...\n";
    io.out.flush();
    if (!driver.waitForApparatus(std::chrono::milliseconds(options.connectTimeoutMs))) {
        endThread(thread);
        if (caught.interrupt.load()) {
            result.exitCode = engine::SessionSignals::exitStatus(caught.signal());
            return result;
        }
        if (const QString problem = thread.status().accessProblem; !problem.isEmpty())
            io.err << "zavo-driver: " << zavo::oneAttemptText(problem) << '\n';
        else if (!options.portPath.isEmpty() && !QFileInfo::exists(options.portPath))
            io.err << "zavo-driver: the port " << options.portPath
                   << " does not exist (is the apparatus plugged in? /dev/zavo-apparatus is made by the "
                      "package's device rule; without it the port is /dev/ttyUSB0 or the like)\n";
        else
            io.err << "zavo-driver: no apparatus answered within " << options.connectTimeoutMs / 1000
                   << " s (is it plugged in and switched on? try --simulate)\n";
        result.exitCode = kExitNoApparatus;
        return result;
    }
    const zavo::DeviceConfig config = thread.configSnapshot();
    const int eo = config.effectiveOffset();
    const int low = config.armMin + eo;
    const int high = config.armMax + eo;
    io.out << "Apparatus " << thread.status().deviceSection << ", arm range " << degrees(low) << " .. "
           << degrees(high) << " deg\n";

    engine::ScanPlan plan = options.plan;
    plan.regions = sortedRegions(plan.regions);
    for (const auto& [from, to] : plan.regions) {
        if (from < low || to > high) {
            io.err << "zavo-driver: region " << degrees(from) << ":" << degrees(to)
                   << " lies outside the arm range " << degrees(low) << " .. " << degrees(high) << " deg\n";
            endThread(thread);
            result.exitCode = kExitFailure;
            return result;
        }
    }
    if (plan.hvVolts && config.hvLimitEnabled && *plan.hvVolts > config.hvLimit * 5) {
        io.out << "HV limited to " << config.hvLimit * 5 << " V (the apparatus's limit)\n";
        plan.hvVolts = config.hvLimit * 5;
    }
    plan.hvOn = true;
    std::vector<std::pair<int, int>> segments = plan.regions;
    if (segments.empty())
        segments.emplace_back(low, high);
    ProgressLine progress(io.out, segments, clock);
    driver.setProgress([&](engine::RoutineId, engine::TRS& t) {
        progress.update(t);
        if (options.observer)
            options.observer(t);
    });
    if (!driver.startScanAsPlanned(plan, 30s)) {
        driver.setProgress({});
        progress.finish();
        endThread(thread);
        io.err << "zavo-driver: the apparatus did not take the settings\n";
        result.exitCode =
            caught.interrupt.load() ? engine::SessionSignals::exitStatus(caught.signal()) : kExitLinkLost;
        return result;
    }
    engine::ScanOutcome outcome = engine::ScanOutcome::TimedOut;
    const bool started = driver.scanStarted();
    if (started)
        outcome = driver.finishScan(scanTimeLimit(plan, segments));
    else if (caught.interrupt.load())
        outcome = engine::ScanOutcome::Interrupted;
    if (outcome == engine::ScanOutcome::TimedOut && started)
        driver.stopScan(10s);
    driver.setProgress({});
    progress.finish();

    // Save what was measured, whatever ended the scan.
    const bool saved = saveMeasured(thread, options, result, io);
    // A lost link leaves the apparatus as it was: high voltage on, perhaps still sweeping. Once it
    // answers again, the handshake switches the high voltage off and the end of the run stops it
    // and ends its session.
    if (outcome == engine::ScanOutcome::LinkLost && !caught.interrupt.load()) {
        io.out << "Waiting for the apparatus to switch its high voltage off ...\n";
        io.out.flush();
        driver.waitForNewLink(10s);
    }
    if (thread.linkReady.load()) {
        driver.setInterrupt(nullptr); // switching the HV off must not be cut short
        thread.requestHv(false);
        driver.serveUntil([&] { return !thread.hvIsOn.load(); }, caught.hurry.load() ? 3s : 10s);
    }
    if (caught.hurry.load())
        thread.hurryEnd();
    endThread(thread);
    const int code = outcomeExit(outcome, thread, caught.signal(), io);
    result.exitCode = saved || outcome == engine::ScanOutcome::Interrupted ? code : kExitFailure;
    io.out.flush();
    return result;
}

bool canWrite(const QString& path, QString* error) {
    const QFileInfo info(path);
    QFile file(path);
    if (info.isDir()) {
        *error = QStringLiteral("it is a folder");
        return false;
    }
    if (info.exists()) {
        if (file.open(QIODevice::Append))
            return true;
        *error = file.errorString();
        return false;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = file.errorString();
        return false;
    }
    file.close();
    file.remove();
    return true;
}

} // namespace cli
