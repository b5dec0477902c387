// From the click on "Evaluate" to the labels painted, for a record of 2,600 points (a Cu spectrum
// at 0.05 degree from 5 to 135 degrees). Goal: under 20 ms. Offscreen unless QT_QPA_PLATFORM names
// another platform.
#include "tests/support/formsession.h"
#include "tests/support/plotfixtures.h"

#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

void BM_EvaluateToLabelsPainted(benchmark::State& state) {
    formtest::Session session;
    TForm1& form = session.form();
    form.show();
    auto owned = plotfixtures::spectrumRecord(1, 100, 2699);
    form.lista->setCurrentIndex(form.addLoadedRecord(std::move(owned), QStringLiteral("cu.RTG")));
    form.listaChange();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        form.evaluate->click();
        if (!session.waitUntil(
                [&] { return !form.evaluationPending() && form.plot->evalMarks().has_value(); })) {
            state.SkipWithError("no labels");
            return;
        }
        form.plot->PaintBox1()->repaint();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
    }
    state.counters["labels"] = static_cast<double>(form.plot->evalMarks()->peaks.size());
}
BENCHMARK(BM_EvaluateToLabelsPainted)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace
