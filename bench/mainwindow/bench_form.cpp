// Scan steps per second through the windows: the acquisition thread scans the in-process simulated
// apparatus (which answers at once: no counting time, no line delay, no arm travel), and every step
// reaches the main window through its update routines, run on the user-interface thread by the Qt
// event loop, with the plot drawing each new point. Goal: at least 960 steps a second, what the
// link's 115200 baud carries. Runs on the offscreen platform unless QT_QPA_PLATFORM names another.
#include "simulator/simprovider.h"

#include "tests/support/formsession.h"

#include "engine/qtuiexecutor.h"
#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"
#include "widgets/controls.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace std::chrono_literals;

void BM_ScanStepsThroughTheWindows(benchmark::State& state) {
    sim::ApparatusOptions options;
    options.firmware.armStepTime = 0;
    options.firmware.byteTime = 0;
    formtest::Session session(sim::makeSimProvider(options), 1.0);
    TForm1& form = session.form();
    form.resize(1920, 1080);
    form.show();
    engine::TRS& thread = session.thread();
    if (!session.waitUntil([&] { return thread.linkReady.load() && form.rec->isEnabled(); }, 30s)) {
        state.SkipWithError("no apparatus");
        return;
    }
    // Every step of the whole range, counted for no time.
    thread.requestCountingTime(0);
    thread.requestAngularStep(1);
    if (!session.waitUntil(
            [&] {
                const zavo::DeviceConfig config = thread.configSnapshot();
                return config.countingTime == 0 && config.angularStep == 1;
            },
            30s)) {
        state.SkipWithError("settings not taken");
        return;
    }
    std::int64_t steps = 0;
    std::uint64_t served = 0;
    for (auto _ : state) {
        // The last scan counts as saved, so the scan button starts the next without asking.
        if (thread.liveRecord)
            thread.liveRecord->modified = false;
        const std::uint64_t calls = session.windows().executor().executor().served();
        form.rec->click();
        const bool done = session.waitUntil(
            [&] {
                return thread.scanState.load() == engine::scanIdle && !form.scanActive && thread.liveRecord &&
                       thread.liveRecord->ValidCellCount() > 0;
            },
            120s);
        if (!done) {
            state.SkipWithError("scan did not finish");
            return;
        }
        steps += thread.liveRecord->ValidCellCount();
        served += session.windows().executor().executor().served() - calls;
    }
    state.SetItemsProcessed(steps);
    state.counters["steps_per_s"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["window_calls_per_step"] =
        static_cast<double>(served) / static_cast<double>(std::max<std::int64_t>(steps, 1));
}
BENCHMARK(BM_ScanStepsThroughTheWindows)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace
