// Painting the scan plot: a full repaint of a 2600-point record on a 1920 x 1080 plot, and the strip
// of one new point, as painted during a live scan.
#include "mainwindow/plot/plotgeometry.h"
#include "mainwindow/plot/scanplot.h"
#include "tests/support/plotfixtures.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QToolButton>
#include <QWidget>

namespace {

struct Scene {
    QWidget window;
    QWidget* panel = nullptr;
    std::unique_ptr<trecdata> record = plotfixtures::spectrumRecord(1, 100, 2699);
    ScanPlot* plot = nullptr;

    explicit Scene(bool lines) {
        window.resize(1920, 1080);
        panel = new QWidget(&window);
        panel->setGeometry(0, 0, 1920, 1080);
        plot = new ScanPlot(panel, &window);
        plot->setRecord(record.get());
        plot->linebtn()->setChecked(!lines);
        window.show();
        QCoreApplication::processEvents();
    }
};

void fullRepaint(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    QImage image(scene.panel->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        scene.panel->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(state.range(0) != 0 ? "lines" : "points");
}
BENCHMARK(fullRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Three 2600-point records laid over each other (the displayed one and two overlays, with the
// legend): a full repaint.
void fullRepaintThreeOverlaid(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    auto second = plotfixtures::spectrumRecord(1, 100, 2699);
    auto third = plotfixtures::spectrumRecord(1, 100, 2699);
    for (int i = 0; i < trecdata::kCellCount; ++i) {
        second->SetPoint(i, 0.5 * second->CellValue(i));
        third->SetPoint(i, 1.5 * third->CellValue(i) + 20);
    }
    scene.plot->setOverlays(
        {{second.get(), QStringLiteral("second")}, {third.get(), QStringLiteral("third")}},
        QStringLiteral("first"));
    QImage image(scene.panel->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        scene.panel->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(state.range(0) != 0 ? "lines" : "points");
}
BENCHMARK(fullRepaintThreeOverlaid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The strip of the point at 22.60 degrees (position 352), painted straight into an image.
void newPointStrip(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    QWidget* canvas = scene.plot->PaintBox1();
    const plot::PixelColumns columns = plot::columnsOfPositions(352, 352, 1, scene.plot->horizontalScale());
    const QRect strip(columns.left, 0, columns.right - columns.left + 1, canvas->height());
    QImage image(canvas->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        canvas->render(&image, strip.topLeft(), QRegion(strip), QWidget::RenderFlags());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(state.range(0) != 0 ? "lines" : "points");
}
BENCHMARK(newPointStrip)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The live path: store a point, ask for its strip, let the event loop paint it into the window.
void liveStripThroughEventLoop(benchmark::State& state) {
    Scene scene(true);
    int position = 0;
    for (auto _ : state) {
        scene.record->SetPoint(position, plotfixtures::spectrum((100 + position) / 20.0));
        scene.plot->drawCurveStrip(position, position);
        QCoreApplication::processEvents();
        position = (position + 1) % 2600;
    }
}
BENCHMARK(liveStripThroughEventLoop)->Unit(benchmark::kMicrosecond);

} // namespace
