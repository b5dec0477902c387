// Takes readings on the simulated apparatus through the scalar-mode window and screenshots it.
// Usage (under Xvfb): scalar_demo plateau|filters|thickness|moseley|current OUT.png [SECONDS]
// SECONDS is the counting time of each reading (1 s unless given). With SCALAR_DEMO_PDF=FILE the
// chart is also printed into that PDF file; with SCALAR_DEMO_SAVE=FILE.xlsx or FILE.txt the table
// is also saved as a new workbook or a text file.
#include "tests/support/formsession.h"

#include "simulator/apparatus.h"

#include "scalar/scalarprint.h"
#include "scalar/scalarsave.h"
#include "scalar/tform13.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The high voltage set as a person does: typed 5 V short of it, then the right (5 V) up arrow.
void setVolts(TForm13& f, int volts) {
    f.HVctrl->setText(QString::number(volts - 5) + QLatin1Char(' '));
    f.SpinButton4->upButton()->click();
}

void plateau(TForm13& f) {
    f.HVctrl->setText(QStringLiteral("250 "));
    for (int volts = 300; volts <= 650; volts += 50) {
        f.SpinButton5->upButton()->click();
        QTest::qWait(300);
        f.Button1->click();
    }
    f.lc->click();
}

void filters(TForm13& f) {
    f.modeButtons->button(scalar::filter)->click();
    setVolts(f, 500);
    f.ft->setText(QStringLiteral("0.01"));
    f.ftExit();
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
    setVolts(f, 500);
    for (const char* mm : {"0", "0.005", "0.01", "0.015", "0.02"}) {
        declare(f, 4, 6, mm); // Fe radiator, Ni foil
        f.Button1->click();
    }
}

void moseley(TForm13& f) {
    f.modeButtons->button(scalar::radiator)->click();
    setVolts(f, 500);
    for (int filter : {0, 4, 5, 6}) {
        for (int radiator = 1; radiator <= 8; ++radiator) {
            declare(f, radiator, filter, filter ? "0.01" : "0");
            f.Button1->click();
        }
    }
}

// The crystal in the beam with the arm on Cu Kα (the demo's bench stands 13.3 degrees off the
// counter), the tube current turned from 20 to 250 µA: the counter's losses bend the line.
void current(TForm13& f, formtest::SimulatedWindows& bench) {
    f.modeButtons->button(scalar::tubeCurrent)->click();
    setVolts(f, 500);
    declare(f, 0, 0, "0");
    for (int ua : {20, 50, 80, 110, 140, 170, 200, 230, 250}) {
        bench.apparatus->withFirmware([ua](sim::Firmware& firmware) {
            sim::Bench settings = firmware.bench();
            settings.tubeCurrentUa = ua;
            firmware.setBench(settings);
            return 0;
        });
        bench.session.waitUntil([&] { return bench.session.thread().tubeCurrent == ua; },
                                std::chrono::seconds(10));
        f.Button1->click();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: scalar_demo plateau|filters|thickness|moseley|current OUT.png [SECONDS]\n");
        return 2;
    }
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale::c());
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const double seconds = argc == 4 ? std::atof(argv[3]) : 1.0;
    sim::ApparatusOptions options;
    options.timeScale = 5;
    if (mode == QLatin1String("current")) {
        options.firmware.bench.armAngleError = 634 - 900; // the counter's 45.00 degrees are Cu Kα's 31.70
    }
    formtest::SimulatedWindows bench(options);
    formtest::Session& session = bench.session;
    TForm13& f = session.windows().scalar();
    if (!session.waitUntil([&] { return session.thread().linkReady.load() && f.rrs->isEnabled(); })) {
        std::fprintf(stderr, "no link to the simulated apparatus\n");
        return 1;
    }
    const bool isPlateau = std::strcmp(argv[1], "plateau") == 0;
    QTimer::singleShot(0, [&] {
        QTest::qWait(1500); // the apparatus's configuration block has come and set the controls
        f.sfrq->setText(QString::asprintf("%.1f ", seconds + 0.1));
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
        if (mode == QLatin1String("thickness"))
            thickness(f);
        else if (mode == QLatin1String("moseley"))
            moseley(f);
        else if (mode == QLatin1String("current"))
            current(f, bench);
        else
            isPlateau ? plateau(f) : filters(f);
        QTest::qWait(500);
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                     QString::fromLocal8Bit(argv[2])});
        if (const QString pdf = qEnvironmentVariable("SCALAR_DEMO_PDF"); !pdf.isEmpty()) {
            scalar::printerChoice() = [pdf](QPrinter& printer, QWidget*) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                return true;
            };
            f.SpeedButton2->click();
        }
        if (const QString saved = qEnvironmentVariable("SCALAR_DEMO_SAVE"); !saved.isEmpty()) {
            scalar::saveDialog() = [saved](QWidget*, const QStringList&) {
                return std::optional<scalar::SaveAnswer>(
                    {saved, saved.endsWith(QLatin1String(".txt")) ? 1 : 2});
            };
            f.BitBtn4->click();
        }
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
