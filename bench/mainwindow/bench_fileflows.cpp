// Loading a record file into the main window's list and showing it: the file read and checked, the
// entry added and selected, the record displayed and the window painted. Goal: under 5 ms for a
// full 2600-point record. Run with QT_QPA_PLATFORM=offscreen.
#include "tests/support/formsession.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_LoadARecordIntoTheListAndShowIt(benchmark::State& state) {
    formtest::Session session;
    TForm1& form = session.form();
    form.resize(1920, 1080);
    form.show();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.RTG"));
    auto record = trecdata::Create(1, 100, 100 + trecdata::kCellCount - 1, 0, 10);
    for (int i = 0; i < trecdata::kCellCount; ++i)
        record->SetPoint(i, 100.0 + (i * 37) % 5000 / 7.0);
    record->AddRegion(200, 900);
    if (!records::saveRecordFile(*record, path)) {
        state.SkipWithError("cannot write the record file");
        return;
    }
    QApplication::processEvents();
    for (auto _ : state) {
        if (!form.loadRecordEntry(path)) {
            state.SkipWithError("not loaded");
            return;
        }
        form.repaint(); // the whole window, the plot with its 2600 points included
        state.PauseTiming();
        form.BitBtn2Click(); // unmodified: closes without a question
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadARecordIntoTheListAndShowIt)->Unit(benchmark::kMillisecond);

} // namespace
