// Shows the main window comparing record files for screenshots (under Xvfb):
//   compare_shots overlay A.RTG B.RTG C.RTG   A displayed, B and C laid over it
//   compare_shots transmission A.RTG B.RTG    the transmission of A over B displayed
// and quits after a few seconds.
#include "app/project1.h"
#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"
#include "tests/support/shotwindows.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        return 2;
    }
    shots::ShotWindows shot;
    project1::Windows& windows = shot.windows;
    TForm1& form = windows.main();
    form.resize(1100, 760);
    form.show();
    std::vector<int> entries;
    for (const QString& path : args.mid(1)) {
        if (!form.loadRecordEntry(path)) {
            return 2;
        }
        entries.push_back(form.lista->count() - 1);
    }
    // A comment per record for the legend, named after its file.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        trecdata* record = form.entryRecord(entries[i]);
        record->comment = QStringLiteral("Cu anode 35 kV, filter: ") +
                          QFileInfo(args[static_cast<qsizetype>(i) + 1]).baseName();
    }
    form.lista->setCurrentIndex(entries.front());
    form.listaChange();
    form.plot->linebtn()->click(); // joining lines
    if (form.displayedRecord()->regionCount > 0) {
        form.d[0]->click(); // the scanned region
    }
    if (args.front() == QLatin1String("overlay")) {
        for (std::size_t i = 1; i < entries.size(); ++i) {
            form.setOverlayShown(entries[i], true);
        }
    } else {
        form.addTransmission(entries[1]);
        if (form.displayedRecord()->regionCount > 0) {
            form.d[0]->click();
        }
    }
    QTimer::singleShot(8000, &app, [] { std::_Exit(0); });
    return app.exec();
}
