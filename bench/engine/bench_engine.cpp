// The acquisition thread against the in-process simulated apparatus:
// - scan steps per second it sustains when the apparatus answers at once (zero counting time, no
//   byte delay, arm moves without delay), through the headless update sink, from the first point
//   to the last; goal: at least 4800 (five times the 960 steps a second that 115200 baud carries
//   at 12 bytes a step). The whole scan's rate, with the apparatus's fixed pauses after its
//   commands and the wait for its confirmation of the end, is reported beside it;
// - CPU time it uses while connected and idle, as a share of one core; goal: below 1 %.
//
// The simulator's headers come first: its firmware has a member named like Qt's `emit` macro.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "engine/clock.h"
#include "engine/headlessdriver.h"
#include "engine/headlessupdates.h"
#include "engine/trs.h"
#include "engine/uiexecutor.h"

#include "device/d2xxunit.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <sys/resource.h>

namespace {

using namespace std::chrono_literals;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One connected acquisition thread with its serving side.
struct Rig {
    explicit Rig(const sim::ApparatusOptions& options) {
        apparatus = std::make_shared<sim::Apparatus>(options);
        D2XXUnit::resetState();
        D2XXUnit::setProvider(std::make_unique<sim::SimProvider>(apparatus));
        engine::TrsEnvironment env;
        env.executor = &executor;
        env.windows = &updates;
        env.sleeper = &sleeper;
        env.settingsPath = dir.filePath("rtg.ini");
        env.safetyCopyDir = dir.path();
        thread = std::make_unique<engine::TRS>(env);
        driver = std::make_unique<engine::HeadlessDriver>(*thread, executor, updates);
        connected = driver->waitForApparatus(30s) && driver->waitUntilSettled(30s);
    }
    ~Rig() {
        thread->terminate();
        thread->waitFor();
        driver.reset();
        thread.reset();
        D2XXUnit::setProvider(nullptr);
    }

    QTemporaryDir dir;
    std::shared_ptr<sim::Apparatus> apparatus;
    engine::Sleeper sleeper; // real-time pauses, as in the program
    engine::UiExecutor executor;
    engine::HeadlessUpdates updates;
    std::unique_ptr<engine::TRS> thread;
    std::unique_ptr<engine::HeadlessDriver> driver;
    bool connected = false;
};

void BM_ScanStepsPerSecond(benchmark::State& state) {
    sim::ApparatusOptions options;
    options.firmware.armStepTime = 0; // the arm moves without delay
    options.firmware.byteTime = 0;
    Rig rig(options);
    if (!rig.connected) {
        state.SkipWithError("no apparatus");
        return;
    }
    engine::ScanPlan plan;
    plan.angularStep = 1;
    plan.countingTime = 0; // the apparatus counts for no time
    plan.hvOn = false;
    if (!rig.driver->applySettings(plan, 30s)) {
        state.SkipWithError("settings not taken");
        return;
    }
    // Timed: from the first measured point to the last, as the thread hands them to the windows.
    // The pauses the apparatus needs after its gate and run commands (fixed, 0.2 s each) come
    // before the first point and are reported apart, as the whole scan's rate.
    using SteadyClock = std::chrono::steady_clock;
    std::optional<SteadyClock::time_point> firstPoint;
    SteadyClock::time_point lastPoint;
    int cellsSeen = 0;
    rig.driver->setProgress([&](engine::RoutineId, engine::TRS& thread) {
        const int cells = thread.liveRecord ? thread.liveRecord->ValidCellCount() : 0;
        if (cells > cellsSeen) {
            const auto now = SteadyClock::now();
            if (!firstPoint)
                firstPoint = now;
            lastPoint = now;
        }
        cellsSeen = cells;
    });
    std::int64_t steps = 0;
    double wholeSeconds = 0;
    for (auto _ : state) {
        firstPoint.reset();
        cellsSeen = trecdata::kCellCount; // the last scan's record, until the fresh one replaces it
        const auto start = SteadyClock::now();
        if (!rig.driver->startScan(plan, 60s) ||
            rig.driver->finishScan(10min) != engine::ScanOutcome::Completed || !firstPoint) {
            state.SkipWithError("scan failed");
            return;
        }
        wholeSeconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
        // The first point's own step is not inside the timed span.
        const int cells = rig.thread->liveRecord->ValidCellCount(); // one cell per step at 0.05 degree
        steps += cells - 1;
        state.SetIterationTime(std::chrono::duration<double>(lastPoint - *firstPoint).count());
    }
    rig.driver->setProgress({});
    state.SetItemsProcessed(steps);
    state.counters["steps_per_s"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["whole_scan_steps_per_s"] = static_cast<double>(steps) / wholeSeconds;
}
BENCHMARK(BM_ScanStepsPerSecond)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

// Idle and connected: the thread polls the apparatus's status and reads its display rate twice
// a second. The line runs at 115200 baud (87 us a byte), as a real link does.
void BM_IdleCpuShare(benchmark::State& state) {
    sim::ApparatusOptions options;
    options.firmware.byteTime = 0;
    Rig rig(options);
    if (!rig.connected) {
        state.SkipWithError("no apparatus");
        return;
    }
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        rig.driver->serveUntil([] { return false; }, 3s);
        cpu += cpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    }
    state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
    state.counters["passes"] = static_cast<double>(rig.thread->status().passes);
}
BENCHMARK(BM_IdleCpuShare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
