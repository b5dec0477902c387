// Screenshots the main window's evaluation of record files (under Xvfb):
//   evaluation_shots OUT.png FILE.RTG[=COMMENT] [MORE.RTG[=COMMENT]...]
// Loads the records (each with COMMENT as its comment, whose key=value words choose the crystal,
// anode and tube voltage), lays the further ones over the first, presses "Evaluate", places the
// results window right of the main window (the screen must be about 1800 pixels wide) and writes the whole
// screen to OUT.png once the result is shown. Exit status 0 when the picture was taken, 1 when the evaluation
// did not come within 30 s.
#include "app/project1.h"
#include "mainwindow/evalresults.h"
#include "mainwindow/plot/scanplot.h"
#include "records/trecdata.h"
#include "tests/support/shotwindows.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: evaluation_shots OUT.png FILE.RTG[=COMMENT]...\n");
        return 2;
    }
    shots::ShotWindows shot;
    TForm1& form = shot.windows.main();
    form.move(0, 0);
    form.resize(1100, 760);
    form.show();
    std::vector<int> entries;
    QString firstComment;
    for (const QString& arg : args.mid(1)) {
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString path = equals < 0 ? arg : arg.left(equals);
        if (!form.loadRecordEntry(path)) {
            std::fprintf(stderr, "cannot load %s\n", qPrintable(path));
            return 2;
        }
        entries.push_back(form.lista->count() - 1);
        if (equals >= 0)
            form.entryRecord(entries.back())->comment = arg.mid(equals + 1);
        if (entries.size() == 1)
            firstComment = arg.mid(equals + 1);
    }
    form.lista->setCurrentIndex(entries.front());
    form.listaChange();
    form.comment->setPlainText(firstComment); // typed into "Comment", as a user does
    form.plot->linebtn()->click();            // joining lines
    if (form.displayedRecord()->regionCount > 0)
        form.d[0]->click(); // the scanned region
    for (std::size_t i = 1; i < entries.size(); ++i)
        form.setOverlayShown(entries[i], true);

    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (waited.elapsed() > 30000) {
            std::fprintf(stderr, "no evaluation within 30 s\n");
            std::_Exit(1);
        } else if (form.evalResults->isVisible()) {
            poll.stop();
            form.evalResults->move(form.frameGeometry().right() + 10, 0); // a screen wide enough
            QTimer::singleShot(700, &app, [&] {
                const int status =
                    QProcess::execute(QStringLiteral("import"),
                                      {QStringLiteral("-window"), QStringLiteral("root"), args.front()});
                // Not quit(): closing the window would ask whether to save the changed comment.
                std::_Exit(status == 0 ? 0 : 1);
            });
        }
    });
    QTimer::singleShot(500, &form, [&] {
        form.evaluate->click();
        poll.start(100);
    });
    return app.exec();
}
