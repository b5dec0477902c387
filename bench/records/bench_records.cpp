// Speed of the record operations a full scan leans on: saving and loading, the automatic range and
// the text and workbook exports, each over a record whose 2600 cells all hold data.
#include "records/recordfile.h"
#include "records/textexport.h"
#include "records/workbookexport.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<trecdata> fullRecord() {
    auto record = trecdata::Create(1, 0, trecdata::kCellCount - 1, 10, 10);
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        record->SetPoint(i, 100.0 + (i * 37) % 5000 / 7.0);
    }
    record->AddRegion(100, 900);
    record->SetComment(QStringLiteral("NaCl crystal, Cu anode, 35 kV"));
    return record;
}

void SaveToStream(benchmark::State& state) {
    const auto record = fullRecord();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        benchmark::DoNotOptimize(record->SaveToStream(buffer));
    }
}
BENCHMARK(SaveToStream);

void LoadFromStream(benchmark::State& state) {
    QByteArray bytes = fullRecord()->Serialize();
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(trecdata::LoadFromStream(buffer));
    }
}
BENCHMARK(LoadFromStream);

// The whole path to and from disk, safe replacement included.
void SaveAndLoadFile(benchmark::State& state) {
    const auto record = fullRecord();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.RTG"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::saveRecordFile(*record, path));
        benchmark::DoNotOptimize(records::loadRecordFile(path));
    }
}
BENCHMARK(SaveAndLoadFile);

void AutomaticRange(benchmark::State& state) {
    const auto record = fullRecord();
    for (auto _ : state) {
        record->SetRangeMode(0);
        benchmark::DoNotOptimize(record->rangeIndex);
    }
}
BENCHMARK(AutomaticRange);

void TextExportBytes(benchmark::State& state) {
    const auto record = fullRecord();
    const QLocale locale(QLocale::German, QLocale::Germany);
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::exportTextBytes(*record, locale));
    }
}
BENCHMARK(TextExportBytes);

void TextExportFile(benchmark::State& state) {
    const auto record = fullRecord();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.txt"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::exportText(*record, path));
    }
}
BENCHMARK(TextExportFile);

// The whole workbook of a full record on disk: cells, zip archive, safe replacement.
void WorkbookExportFile(benchmark::State& state) {
    const auto record = fullRecord();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.xlsx"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(records::exportSpreadsheet(*record, path));
    }
}
BENCHMARK(WorkbookExportFile)->Unit(benchmark::kMillisecond);

} // namespace
