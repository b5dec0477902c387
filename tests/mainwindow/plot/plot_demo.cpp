// Renders the plot of a synthetic spectrum into a PNG, to look at it.
// Usage: plot_demo <file.png> [width height] [zoomed]
#include "mainwindow/plot/scanplot.h"
#include "tests/support/plotfixtures.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QToolButton>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: plot_demo <file.png> [width height] [zoomed]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int width = argc >= 4 ? std::atoi(argv[2]) : 900;
    const int height = argc >= 4 ? std::atoi(argv[3]) : 560;

    QWidget window;
    window.resize(width + 32, height + 80);
    auto* panel = new QWidget(&window);
    panel->setGeometry(16, 8, width, height);
    auto* tools = new QWidget(&window);
    tools->setGeometry(16, height + 16, width, 60);
    ScanPlot plot(panel, tools);
    int x = 0;
    for (QToolButton* tool : {plot.zoomx(), plot.zoomy(), plot.pointto()}) {
        tool->move(x, 0);
        x += 28;
    }
    x = 0;
    for (QToolButton* tool : {plot.unzoomx(), plot.unzoomy(), plot.linebtn()}) {
        tool->move(x, 28);
        x += 28;
    }
    plot.coords()->setGeometry(100, 0, 220, 22);

    auto record = plotfixtures::spectrumRecord(2);
    record->AddRegion(300, 1100);
    plot.setRecord(record.get());
    plot.linebtn()->setChecked(false);
    if (argc >= 5) {
        plot.zoomHorizontal(plot.clientWidth() / 3, 1);
        plot.zoomVertical(plot.clientHeight() - 1, 1, false);
    }
    window.show();
    app.processEvents();
    plot.PaintBox1MouseMove(QPoint(plot.horizontalScale().toPixels(352), 100));
    const QImage image = window.grab().toImage();
    if (!image.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
