// zavo-soak-windows: one scan through the program's windows (offscreen) on a serial port, for the
// fault soak (scripts/soak.sh), which injects its fault into the apparatus from outside while the
// sweep runs. The windows are created as start-up creates them; the scan is set up and started with
// the main window's own controls. At the end one line on standard output tells what the user would
// see and keep:
//
//   ended=yes complete=no points=60 close_ms=512 status="Scan incomplete: stopped at 32.95 deg"
//
// ended: the scan came back to rest within the limit; complete: the window's status reports the
// scan as whole ("Idle ...", not "Scan incomplete: ..." nor a link problem); points: the measured points of
// the live record; close_ms: closing the main window to the end of the acquisition thread.
//
// A signal (SIGTERM, SIGHUP, SIGQUIT, Ctrl+C) ends the windows as it ends the program (the shutdown
// sequence, the signal's exit status): a line "ending points=N" first tells the points of the safety
// copy the signal wrote; the last line, once the acquisition thread has ended, has points from the
// safety copy then and live=N, the live scan's points.
//
//   zavo-soak-windows --port PATH [--roi FROM:TO] [--time SECONDS] [--limit SECONDS]
//                     [--time-scale X] [--data DIR]
//
// --time-scale: the acquisition thread's time runs X times as fast (its clock and pauses), for an
// apparatus simulated that much faster; --data: the folder of rtg.ini and the safety copy (default:
// a temporary one).
#include "app/project1.h"
#include "app/sessionend.h"
#include "connection/devicesetup.h"

#include "engine/clock.h"
#include "engine/qtuiexecutor.h"
#include "engine/trs.h"
#include "records/recordfile.h"
#include "records/trecdata.h"
#include "widgets/controls.h"
#include "widgets/messages.h"
#include "widgets/spinbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <array>
#include <chrono>
#include <cmath>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Plan {
    QString port;
    int from = 600; // angle units (0.05 degree): 30.00 .. 35.00 degrees
    int to = 700;
    int tenths = 1; // counting time
    std::chrono::seconds limit{60};
    double timeScale = 1.0;
    QString data;
};

bool parse(const QStringList& args, Plan* plan, QString* error) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& name = args[i];
        if (i + 1 >= args.size()) {
            *error = name + QStringLiteral(" needs a value");
            return false;
        }
        const QString value = args[++i];
        bool ok = true;
        if (name == QLatin1String("--port")) {
            plan->port = value;
        } else if (name == QLatin1String("--roi")) {
            const QStringList parts = value.split(QLatin1Char(':'));
            bool okTo = false;
            ok = parts.size() == 2;
            if (ok) {
                plan->from = static_cast<int>(std::lround(parts[0].toDouble(&ok) * 20));
                plan->to = static_cast<int>(std::lround(parts[1].toDouble(&okTo) * 20));
                ok = ok && okTo && plan->from < plan->to;
            }
        } else if (name == QLatin1String("--time")) {
            plan->tenths = static_cast<int>(std::lround(value.toDouble(&ok) * 10));
            ok = ok && plan->tenths >= 1;
        } else if (name == QLatin1String("--limit")) {
            plan->limit = std::chrono::seconds(value.toInt(&ok));
        } else if (name == QLatin1String("--time-scale")) {
            plan->timeScale = value.toDouble(&ok);
            ok = ok && plan->timeScale >= 1.0;
        } else if (name == QLatin1String("--data")) {
            plan->data = value;
        } else {
            ok = false;
        }
        if (!ok) {
            *error = QStringLiteral("bad argument %1 %2").arg(name, value);
            return false;
        }
    }
    if (plan->port.isEmpty())
        *error = QStringLiteral("--port PATH is required");
    return !plan->port.isEmpty();
}

// The scan's settings through the main window's controls: the counting time with its 0.1 s spin
// button, the step from its list; the region as the region editor hands it to the thread.
bool setUpScan(project1::Windows& windows, const Plan& plan) {
    TForm1& main = windows.main();
    engine::TRS& thread = windows.thread();
    engine::QtUiExecutor& executor = windows.executor();
    std::array<zavo::RoiRange, 5> ranges{};
    ranges[0] = {static_cast<std::int16_t>(plan.from), static_cast<std::int16_t>(plan.to)};
    thread.storeRegions(1, ranges);
    main.sfrq->setText(QString::asprintf("%.1f ", (plan.tenths + 1) / 10.0));
    main.SpinButton1->downButton()->click();
    main.st->setCurrentIndex(main.st->count() - 1); // 0.05 degree
    main.stChange();
    main.HV->click();
    return executor.waitUntil(
        [&] {
            const zavo::DeviceConfig config = thread.configSnapshot();
            return config.countingTime == plan.tenths && config.angularStep == 1 && config.roiCount == 1 &&
                   thread.hvIsOn.load() && thread.liveRecord && thread.liveRecord->angularStep == 1 &&
                   main.rec->isEnabled();
        },
        30s);
}

// Until the scan has started and come back to rest (the status no longer reports it running), or
// a signal ended the session (`ended`).
bool runScan(project1::Windows& windows, const Plan& plan, const bool& ended) {
    TForm1& main = windows.main();
    engine::TRS& thread = windows.thread();
    engine::QtUiExecutor& executor = windows.executor();
    main.rec->click();
    const auto running = [&] {
        return thread.scanState.load() != engine::scanIdle || thread.status().adjusting;
    };
    if (!executor.waitUntil([&] { return running() || ended; }, 30s))
        return false;
    if (!executor.waitUntil([&] { return !running() || ended; }, plan.limit))
        return false;
    if (ended)
        return true;
    // The window's status follows the thread's state in its next routine (after a reconnection
    // when the link was lost).
    executor.waitUntil(
        [&] {
            const QString status = main.scanstate->text();
            return status.startsWith(QLatin1String("Idle")) ||
                   status.startsWith(QLatin1String("Scan incomplete"));
        },
        5s);
    return true;
}

// Until the apparatus answered and the main window shows the live scan, ready to start.
bool waitForApparatus(const project1::Windows& windows) {
    TForm1& main = windows.main();
    engine::TRS& thread = windows.thread();
    return windows.executor().waitUntil(
        [&] {
            // The apparatus's own configuration block replaces whatever was set before it came.
            return thread.linkReady.load() && thread.controlsEnabled.load() &&
                   thread.configSnapshot().isValid() && thread.liveRecord &&
                   main.displayedRecord() == thread.liveRecord.get() && main.rec->isEnabled();
        },
        30s);
}

// The end after a signal, as the program ends: a line with the points of the safety copy the
// signal wrote, the acquisition thread's end (a second signal is answered meanwhile), and the last
// line with the points of the safety copy then and of the live scan.
int endBySignal(std::unique_ptr<project1::Windows>& windows, project1::SessionEnd& sessionEnd, bool ended,
                QTextStream& out) {
    engine::TRS& thread = windows->thread();
    const auto keptPoints = [&] {
        const records::LoadResult kept = records::loadRecordFile(thread.safetyCopyPath());
        return kept.record ? kept.record->ValidCellCount() : 0;
    };
    out << "ending points=" << keptPoints() << '\n';
    out.flush();
    const int exitStatus = sessionEnd.endThread(0);
    out << "ended=" << (ended ? "yes" : "no") << " complete=no points=" << keptPoints()
        << " live=" << (thread.liveRecord ? thread.liveRecord->ValidCellCount() : 0)
        << " status=\"ended by a signal\"\n";
    out.flush();
    windows.reset();
    return exitStatus;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    project1::titleApplication();
    QTextStream out(stdout);
    QTextStream err(stderr);
    Plan plan;
    QString error;
    if (!parse(QApplication::arguments(), &plan, &error) ||
        !devicesetup::installProvider({QStringLiteral("zavo-driver"), QStringLiteral("--port"), plan.port},
                                      &error)) {
        err << "zavo-soak-windows: " << error << '\n';
        return 2;
    }
    QTemporaryDir temporary;
    const QDir dir(plan.data.isEmpty() ? temporary.path() : plan.data);
    const engine::ScaledClock clock(plan.timeScale);
    engine::Sleeper sleeper(1.0 / plan.timeScale);
    project1::Options options;
    options.settingsPath = dir.filePath(QStringLiteral("rtg.ini"));
    options.safetyCopyDir = dir.path();
    options.clock = &clock;
    options.sleeper = &sleeper;
    options.installKeyFilter = false;
    auto windows = std::make_unique<project1::Windows>(options);
    TForm1& main = windows->main();
    engine::TRS& thread = windows->thread();
    main.show();

    if (!waitForApparatus(*windows)) {
        err << "zavo-soak-windows: no apparatus answered on " << plan.port << ' '
            << thread.status().accessProblem << '\n';
        return 3;
    }
    if (!setUpScan(*windows, plan)) {
        const zavo::DeviceConfig config = thread.configSnapshot();
        err << "zavo-soak-windows: the apparatus did not take the settings (counting time "
            << config.countingTime << ", step " << config.angularStep << ", regions " << config.roiCount
            << ")\n";
        return 3;
    }
    // A signal ends the windows as it ends the program: what is kept is then the safety copy.
    bool signalled = false;
    project1::SessionEnd sessionEnd(thread, [&](int) { signalled = true; });
    const bool ended = runScan(*windows, plan, signalled);
    if (signalled)
        return endBySignal(windows, sessionEnd, ended, out);
    const QString status = main.scanstate->text();
    const trecdata* live = thread.liveRecord.get();
    const int points = live ? live->ValidCellCount() : 0;

    // Closing as the user does; the measured scan is not saved (its points are counted above).
    ui::setMessageResponder([](const ui::Message&) { return ui::Reply::No; });
    const Clock::time_point closing = Clock::now();
    main.close();
    windows.reset();
    const auto closeMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - closing);

    out << "ended=" << (ended ? "yes" : "no")
        << " complete=" << (status.startsWith(QLatin1String("Idle")) ? "yes" : "no") << " points=" << points
        << " close_ms=" << closeMs.count() << " status=\"" << status << "\"\n";
    return 0;
}
