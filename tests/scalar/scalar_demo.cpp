// Takes readings on the simulated apparatus through the scalar-mode window and screenshots it.
// Usage (under Xvfb): scalar_demo plateau|filters|thickness|moseley|current OUT.png
#include "tests/support/formsession.h"

#include "scalar/tform13.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstring>

namespace {

void plateau(TForm13& f) {
    f.HVctrl->setText(QStringLiteral("250 "));
    for (int volts = 300; volts <= 700; volts += 50) {
        f.SpinButton5->upButton()->click();
        QTest::qWait(300);
        f.Button1->click();
    }
    f.lc->click();
}

void filters(TForm13& f) {
    f.modeButtons->button(scalar::filter)->click();
    f.HVctrl->setText(QStringLiteral("500 "));
    f.SpinButton4->upButton()->click();
    for (int filter = 0; filter < 9; ++filter) {
        f.fs->setCurrentIndex(filter);
        f.fsChange();
        QTest::qWait(300);
        f.Button1->click();
    }
}

void declare(TForm13& f, int radiator, int filter, const char* mm) {
    f.rrs->setCurrentIndex(radiator);
    f.rrsChange();
    f.fs->setCurrentIndex(filter);
    f.fsChange();
    f.ft->setText(QLatin1String(mm));
    f.ftExit();
    QTest::qWait(200);
}

void thickness(TForm13& f) {
    f.modeButtons->button(scalar::thickness)->click();
    f.HVctrl->setText(QStringLiteral("500 "));
    f.SpinButton4->upButton()->click();
    for (const char* mm : {"0", "0.005", "0.01", "0.015", "0.02"}) {
        declare(f, 4, 6, mm); // Fe radiator, Ni foil
        f.Button1->click();
    }
}

void moseley(TForm13& f) {
    f.modeButtons->button(scalar::radiator)->click();
    f.HVctrl->setText(QStringLiteral("500 "));
    f.SpinButton4->upButton()->click();
    for (int filter : {0, 4, 5, 6}) {
        for (int radiator = 1; radiator <= 8; ++radiator) {
            declare(f, radiator, filter, filter ? "0.01" : "0");
            f.Button1->click();
        }
    }
}

void current(TForm13& f) {
    f.modeButtons->button(scalar::tubeCurrent)->click();
    f.HVctrl->setText(QStringLiteral("500 "));
    f.SpinButton4->upButton()->click();
    f.Button1->click();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scalar_demo plateau|filters|thickness|moseley|current OUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    formtest::Session session(formtest::simulator(5), 0.2);
    session.form().show();
    TForm13& f = session.windows().scalar();
    if (!session.waitUntil([&] { return session.thread().linkReady.load() && f.rrs->isEnabled(); })) {
        std::fprintf(stderr, "no link to the simulated apparatus\n");
        return 1;
    }
    const bool isPlateau = std::strcmp(argv[1], "plateau") == 0;
    QTimer::singleShot(0, [&] {
        f.sfrq->setText(QStringLiteral("1.1 "));
        f.SpinButton1->downButton()->click();
        if (!f.HV->isChecked())
            f.HV->click();
        // The Cu radiator, chosen again until the apparatus's own report of its selectors (which
        // may arrive after the first choice) shows it twice in a row.
        for (int attempt = 0, shown = 0; attempt < 20 && shown < 2; ++attempt) {
            if (f.rrs->currentIndex() != 7) {
                f.rrs->setCurrentIndex(7);
                f.rrsChange();
                shown = 0;
            } else {
                ++shown;
            }
            QTest::qWait(300);
        }
        const QString mode = QString::fromLocal8Bit(argv[1]);
        if (mode == QLatin1String("thickness"))
            thickness(f);
        else if (mode == QLatin1String("moseley"))
            moseley(f);
        else if (mode == QLatin1String("current"))
            current(f);
        else
            isPlateau ? plateau(f) : filters(f);
        QTest::qWait(500);
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                     QString::fromLocal8Bit(argv[2])});
        for (int row = 2; row < f.res->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 8; ++column)
                cells << (f.res->item(row, column) ? f.res->item(row, column)->text() : QString());
            std::printf("%s\n", qPrintable(cells.join(QLatin1Char('\t'))));
        }
        f.done(ui::mrOk);
    });
    f.move(0, 0);
    f.exec();
    session.end();
    return 0;
}
