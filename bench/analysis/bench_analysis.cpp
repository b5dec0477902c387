// Speed of the spectrum evaluation: the whole analysis (points, peak search, fits, doublets, lines,
// lattice spacing, Duane-Hunt limit) of a full record of 2600 points, a copper tube on rock salt as the
// simulated apparatus's physics gives it, with Poisson noise.
#include "simulator/physics.h"

#include "analysis/evaluation.h"
#include "records/trecdata.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

std::unique_ptr<trecdata> fullSpectrum() {
    auto record = trecdata::Create(1, 100, 100 + trecdata::kCellCount - 1, 0, 10);
    const sim::Bench bench;
    std::mt19937 random(2600);
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        std::poisson_distribution<int> counts(sim::registeredRate(bench, (100 + i) / 20.0, true, 500));
        record->SetPoint(i, counts(random));
    }
    return record;
}

void AnalyseFullRecord(benchmark::State& state) {
    const auto record = fullSpectrum();
    analysis::EvalOptions options;
    options.deadTimeUs = 100;
    std::size_t peaks = 0;
    for (auto _ : state) {
        const analysis::SpectrumResult result = analysis::analyseSpectrum(*record, options);
        peaks = result.peaks.size();
        benchmark::DoNotOptimize(result.duaneHunt.lambdaMinPm.value);
    }
    state.counters["points"] = static_cast<double>(record->ValidCellCount());
    state.counters["peaks"] = static_cast<double>(peaks);
}
BENCHMARK(AnalyseFullRecord)->Unit(benchmark::kMillisecond);

} // namespace
