// The printed page of a full 2600-point record: written as an A4 PDF file (the command line's and the
// dialog's "PDF file" output), and painted into a page-sized image (a printer's raster).
#include "mainwindow/plot/printpage.h"
#include "tests/support/plotfixtures.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

printing::PageText pageText() {
    return {QStringLiteral("scan.RTG: 0.05/1.0  [deg/sec]"),
            {QStringLiteral("Cu anode, NaCl crystal"), QStringLiteral("35 kV, 1 mA")}};
}

void pdfPage(benchmark::State& state) {
    const auto record = plotfixtures::spectrumRecord(1, 100, 2699);
    printing::PrintView view = printing::unzoomedView();
    view.pointMode = state.range(0) == 0;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    for (auto _ : state) {
        if (!printing::writePdf(path, true, *record, view, pageText())) {
            state.SkipWithError("PDF not written");
            break;
        }
    }
    state.SetLabel(view.pointMode ? "points" : "lines");
}
BENCHMARK(pdfPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A4 landscape at 300 dpi.
void imagePage(benchmark::State& state) {
    const auto record = plotfixtures::spectrumRecord(1, 100, 2699);
    printing::PrintView view = printing::unzoomedView();
    view.pointMode = false;
    QImage image(3508, 2480, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        printing::paintPage(painter, *record, view, pageText());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(imagePage)->Unit(benchmark::kMillisecond);

} // namespace
