// Shows the program's windows with a loaded spectrum for screenshots (under Xvfb):
//   regions_shots region2   the main window showing region 2 of the record
//   regions_shots roi-error the region editor after Apply found an invalid cell
//   regions_shots evaluate  the whole record evaluated: the lines labelled and the results window
// and quits after a few seconds.
#include "app/project1.h"
#include "mainwindow/evalresults.h"
#include "mainwindow/tform11.h"
#include "tests/support/plotfixtures.h"
#include "tests/support/shotwindows.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("region2");
    shots::ShotWindows shot;
    project1::Windows& windows = shot.windows;
    TForm1& form = windows.main();

    auto record = plotfixtures::spectrumRecord(2, 100, 1300);
    record->AddRegion(360, 500);
    record->AddRegion(800, 1000);
    record->SetComment(QStringLiteral("Cu anode, NaCl crystal"));
    form.lista->setCurrentIndex(
        form.addLoadedRecord(std::move(record), QStringLiteral("nacl.RTG: 0.1/1.0  [deg/sec]")));
    form.listaChange();
    form.show();
    if (mode == QLatin1String("region2")) {
        form.d[1]->click();
    } else if (mode == QLatin1String("evaluate")) {
        QTimer::singleShot(500, &form, [&form] {
            form.evaluate->click();
            QTimer::singleShot(800, &form,
                               [&form] { form.evalResults->move(form.x() + 420, form.y() + 330); });
        });
    } else {
        QTimer::singleShot(500, &form, [&form, &windows] {
            TForm11* editor = &windows.regions();
            QTimer::singleShot(300, editor, [editor] {
                editor->setRows({roi::RowTexts{QStringLiteral("18.00"), QStringLiteral("25.00")},
                                 roi::RowTexts{QStringLiteral("40.00"), QStringLiteral("5O.00")}});
                editor->BitBtn2->click();
            });
            form.rngbuttonClick();
        });
    }
    QTimer::singleShot(8000, &app, [] { std::_Exit(0); });
    return app.exec();
}
