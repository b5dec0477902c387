// The scalar-mode window among the program's windows: its controls and rules without an apparatus,
// then whole readings on the simulated apparatus through the windows.
#include "tests/support/formsession.h"

#include "app/tform14.h"
#include "records/decimaltext.h"
#include "scalar/export/scalartext.h"
#include "scalar/resultstable.h"
#include "scalar/scalarchart.h"
#include "scalar/scalarevaluation.h"
#include "scalar/tform13.h"
#include "simulator/simprovider.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

QString cell(const TForm13& f, int row, int column) {
    const QTableWidgetItem* item = f.res->item(row, column);
    return item ? item->text() : QString();
}

class ScalarWindow : public ::testing::Test {
protected:
    ScalarWindow() { QLocale::setDefault(QLocale::c()); }
    ~ScalarWindow() override { QLocale::setDefault(QLocale::system()); }
    formtest::Session session;
    TForm13& f = session.windows().scalar();
};

} // namespace

TEST_F(ScalarWindow, ReadingsAreNumberedAndDeletedRowsRenumbered) {
    f.HVctrl->setText(QStringLiteral("300 "));
    EXPECT_EQ(f.addResultRow(10.5, 120), 2);
    EXPECT_EQ(cell(f, 2, 0), "1");
    f.HVctrl->setText(QStringLiteral("400 "));
    EXPECT_EQ(f.addResultRow(20, 120), 3);
    f.HVctrl->setText(QStringLiteral("500 "));
    f.addResultRow(30, 120);
    EXPECT_EQ(f.res->currentRow(), 4); // the last row is selected
    EXPECT_EQ(f.wykr->pointSeries()->points().size(), 3);

    f.res->selectRow(3);
    f.BitBtn1->click();
    EXPECT_EQ(f.res->rowCount(), 4);
    EXPECT_EQ(cell(f, 2, 0) + cell(f, 3, 0), "12");
    EXPECT_EQ(cell(f, 3, 1), "500 ");
    EXPECT_EQ(f.wykr->pointSeries()->points(), (QList<QPointF>{{300, 10.5}, {500, 30}}));

    f.BitBtn3->click();
    EXPECT_EQ(f.res->rowCount(), 3);
    EXPECT_TRUE(f.wykr->pointSeries()->points().isEmpty());
    f.addResultRow(1, 1);
    f.res->selectRow(2);
    f.BitBtn1->click();
    EXPECT_EQ(f.res->rowCount(), 3);
    EXPECT_EQ(cell(f, 2, 0), "");
    EXPECT_TRUE(f.wykr->pointSeries()->points().isEmpty());
    EXPECT_TRUE(f.wykr->lineSeries()->points().isEmpty());
}

TEST_F(ScalarWindow, RowHoldsTheConditionsTheWindowShows) {
    f.HVctrl->setText(QStringLiteral("1000 "));
    TForm13::selectItem(f.rrs, 7);
    TForm13::selectItem(f.fs, 0);
    TForm13::selectItem(f.dp, 0);
    f.ft->setText(QStringLiteral("0"));
    f.addResultRow(123.45, 120);
    QStringList row;
    for (int column = 0; column < 8; ++column)
        row << cell(f, 2, column);
    EXPECT_EQ(row, (QStringList{"1", "1000 ", "Cu", "none", "E. S. 13", "0", "120", "123.45"}));
}

TEST_F(ScalarWindow, LineChartMovesThePointsAndTheVariableChangesX) {
    f.HVctrl->setText(QStringLiteral("500 "));
    TForm13::selectItem(f.fs, 6);
    f.addResultRow(40, 100);
    TForm13::selectItem(f.fs, 1);
    f.addResultRow(80, 200);
    f.lc->click();
    EXPECT_EQ(f.wykr->lineSeries()->points().size(), 2);
    EXPECT_TRUE(f.wykr->pointSeries()->points().isEmpty());
    EXPECT_EQ(ScalarChart::pointColor(f.wykr->lineSeries(), 0), QColor(0, 128, 0)); // Ni
    EXPECT_EQ(f.resultCount(), 2);
    f.lc->click();
    EXPECT_EQ(f.wykr->pointSeries()->points().size(), 2);
    EXPECT_TRUE(f.wykr->lineSeries()->points().isEmpty());

    f.modeButtons->button(scalar::filter)->click();
    EXPECT_EQ(f.wykr->pointSeries()->points(), (QList<QPointF>{{1, 80}, {6, 40}}));
    EXPECT_EQ(f.wykr->chart()->title(), "Radiation counts vs. Filter selection");
    f.modeButtons->button(scalar::tubeCurrent)->click();
    EXPECT_EQ(f.wykr->pointSeries()->points(), (QList<QPointF>{{100, 40}, {200, 80}}));
    EXPECT_EQ(f.wykr->chart()->title(), "Radiation counts vs. X-ray tube current");
}

// The panel and the chart show one evaluation: the textbook plateau series gives its lines under
// the chart and its fitted line over the plateau's points; a variable without an evaluation, or
// too few readings, leaves the chart without a curve and says why in the panel.
TEST_F(ScalarWindow, ThePanelsEvaluationIsDrawnOverThePoints) {
    for (const auto& [volts, rate] :
         std::vector<std::pair<int, double>>{{350, 22}, {400, 155}, {450, 215}, {500, 231}, {600, 229}}) {
        f.HVctrl->setText(QString::number(volts) + QLatin1Char(' '));
        f.addResultRow(rate, 200);
    }
    EXPECT_EQ(f.evaluation->text(), f.shownEvaluation().lines.join(QLatin1Char('\n')));
    EXPECT_TRUE(f.evaluation->text().startsWith(QStringLiteral("Plateau from 43")))
        << f.evaluation->text().toStdString();
    ASSERT_EQ(f.wykr->curveSeries().size(), 1u);
    const QList<QPointF> line = f.wykr->curveSeries().front()->points();
    ASSERT_EQ(line.size(), 2);
    EXPECT_NEAR(line.front().x(), 432, 2); // from the threshold
    EXPECT_EQ(line.back().x(), 600);
    EXPECT_NEAR(line.back().y(), 229, 10);
    EXPECT_TRUE(f.wykr->chart()->series().contains(f.wykr->curveSeries().front()));

    const struct {
        scalar::Variable variable;
        bool deleteAll;
        const char* says;
    } cases[] = {{scalar::position, false, "The detector position has no evaluation."},
                 {scalar::detectorHv, true, "Too few readings"}};
    for (const auto& c : cases) {
        f.modeButtons->button(c.variable)->click();
        if (c.deleteAll)
            f.BitBtn3->click();
        EXPECT_TRUE(f.evaluation->text().startsWith(QLatin1String(c.says)))
            << f.evaluation->text().toStdString();
        EXPECT_TRUE(f.wykr->curveSeries().empty()) << c.says;
        EXPECT_EQ(f.wykr->chart()->series().size(), 3);
    }
}

// With no radiator declared an attenuation series is taken at the Kα of the anode of the
// evaluation settings (Mo Kα1 17.479 keV, X-ray Data Booklet), not always at copper's.
TEST(ScalarWindowSettings, TheAttenuationWithoutARadiatorIsTakenAtTheAnodesKAlpha) {
    QLocale::setDefault(QLocale::c());
    formtest::Session session({}, 0.02, QStringLiteral("[evaluation]\r\nanode=42\r\n"));
    TForm13& f = session.windows().scalar();
    f.modeButtons->button(scalar::thickness)->click();
    TForm13::selectItem(f.rrs, 0);
    TForm13::selectItem(f.fs, 6);
    for (const auto& [mm, rate] :
         std::vector<std::pair<const char*, double>>{{"0", 300}, {"0.1", 150}, {"0.2", 75}}) {
        f.ft->setText(QLatin1String(mm));
        f.addResultRow(rate, 200);
    }
    EXPECT_TRUE(f.evaluation->text().contains(QStringLiteral("at 17.479 keV")))
        << f.evaluation->text().toStdString();
    QLocale::setDefault(QLocale::system());
}

TEST_F(ScalarWindow, SpinButtonsClamp) {
    f.sfrq->setText(QStringLiteral("0.1 "));
    f.SpinButton1->downButton()->click();
    EXPECT_EQ(f.sfrq->text(), "0.1 ");
    f.sfrq->setText(QStringLiteral("295.0 "));
    f.SpinButton3->upButton()->click();
    EXPECT_EQ(f.sfrq->text(), "300.0 ");
    f.SpinButton2->downButton()->click();
    EXPECT_EQ(f.sfrq->text(), "299.0 ");
    f.HVctrl->setText(QStringLiteral("20 "));
    f.SpinButton5->downButton()->click();
    EXPECT_EQ(f.HVctrl->text(), "0 ");
    f.HVctrl->setText(QStringLiteral("1270 "));
    f.SpinButton4->upButton()->click();
    f.SpinButton4->upButton()->click();
    EXPECT_EQ(f.HVctrl->text(), "1275 ");
}

TEST_F(ScalarWindow, ThicknessWithACommaIsRefusedWithABeep) {
    int beeps = 0;
    f.beep = [&beeps] { ++beeps; };
    f.ft->setText(QStringLiteral("0,5"));
    EXPECT_FALSE(f.ftExit());
    EXPECT_EQ(beeps, 1);
    f.ft->setText(QStringLiteral("0.5"));
    EXPECT_TRUE(f.ftExit());
    EXPECT_EQ(beeps, 1);
    QLocale::setDefault(QLocale(QLocale::German));
    f.ft->setText(QStringLiteral("0,5"));
    EXPECT_TRUE(f.ftExit());
    f.ft->setText(QStringLiteral("x"));
    EXPECT_FALSE(f.ftExit());
    EXPECT_EQ(beeps, 2);
}

namespace {

constexpr double kTimeScale = 5;

class ScalarOnApparatus : public ::testing::Test, protected formtest::SimulatedWindows {
protected:
    ScalarOnApparatus() : SimulatedWindows(options(), false) {
        QLocale::setDefault(QLocale::c());
        session.form().show();
    }
    ~ScalarOnApparatus() override { QLocale::setDefault(QLocale::system()); }
    static sim::ApparatusOptions options() {
        sim::ApparatusOptions o;
        o.timeScale = kTimeScale;
        return o;
    }
    engine::TRS& thread() { return session.thread(); }
    void connect() {
        ASSERT_TRUE(session.waitUntil([this] { return session.apparatusReady() && f.rrs->isEnabled(); }));
    }
    // Opens the window modally as "SM" does and runs `inside` from its event loop.
    void runInWindow(const std::function<void()>& inside) {
        QTimer::singleShot(0, [this, inside] {
            inside();
            if (f.isVisible())
                f.done(ui::mrOk);
        });
        f.exec();
    }
    // The counting time through its spin buttons, taken over by the apparatus.
    void setCountingTime(const char* aboveByATenth, int hundredths) {
        f.sfrq->setText(QLatin1String(aboveByATenth));
        f.SpinButton1->downButton()->click();
        ASSERT_TRUE(
            session.waitUntil([&] { return thread().configSnapshot().scalarCountTime == hundredths; }));
    }
    // One reading through the windows: "Acquire data", the waiting window, the row.
    bool acquire() {
        const int before = f.resultCount();
        f.Button1->click(); // returns when the waiting window closes
        return f.resultCount() == before + 1;
    }

    TForm13& f = session.windows().scalar();
};

} // namespace

TEST_F(ScalarOnApparatus, ReadingsAgainstDetectorHvShowThePlateau) {
    formtest::Watchdog watchdog(300s);
    connect();
    runInWindow([this] {
        setCountingTime("1.1 ", 100);
        f.HVctrl->setText(QStringLiteral("200 "));
        if (!f.HV->isChecked())
            f.HV->click();
        for (int volts = 300; volts <= 700; volts += 100) {
            for (int i = 0; i < 2; ++i)
                f.SpinButton5->upButton()->click();
            ASSERT_EQ(f.HVctrl->text(), QString::number(std::min(volts, 650)) + QLatin1Char(' '));
            ASSERT_TRUE(session.waitUntil(
                [&] { return thread().configSnapshot().hvSetting * 5 == std::min(volts, 650); }));
            ASSERT_TRUE(acquire()) << volts;
        }
    });
    ASSERT_EQ(f.resultCount(), 5);
    std::vector<double> rates;
    for (int row = 2; row < 7; ++row)
        rates.push_back(cell(f, row, 7).toDouble());
    // Below the counter's starting voltage nothing is counted; on the plateau the rate barely moves.
    EXPECT_LT(rates[0], 0.2 * rates[2]);
    for (int i = 3; i < 5; ++i)
        EXPECT_NEAR(rates[i], rates[2], 0.25 * rates[2]) << i;
    EXPECT_EQ(f.wykr->pointSeries()->points().size(), 5);
}

TEST_F(ScalarOnApparatus, ATenthOfASecondGivesTheWaitingBarAMaximumOfOne) {
    formtest::Watchdog watchdog(120s);
    connect();
    TForm14* waiting = &session.windows().waiting();
    int maximum = -1;
    runInWindow([&] {
        setCountingTime("0.2 ", 10);
        // The bar's maximum is read once the waiting window shows, whatever ran before it opened.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (waiting->isVisible() && maximum == -1)
                maximum = waiting->ProgressBar1->maximum();
        });
        poll.start(1);
        EXPECT_TRUE(acquire());
    });
    EXPECT_EQ(maximum, 1);
    EXPECT_FALSE(waiting->isVisible());
    EXPECT_EQ(f.wykr->pointSeries()->points().size(), 1);
}

TEST_F(ScalarOnApparatus, AbortOnlyAsksAndALostLinkClosesBothWindows) {
    formtest::Watchdog watchdog(120s);
    connect();
    TForm14* waiting = &session.windows().waiting();
    bool openAfterAbort = false;
    QTimer::singleShot(0, [&] {
        setCountingTime("30.1 ", 3000); // 6 s at this time scale: the reading will not arrive first
        QTimer::singleShot(300, [&] {
            waiting->Button1->click(); // "Abort" posts abortAcquire and nothing else
            openAfterAbort = waiting->isVisible();
            apparatus->unplug();
        });
        f.Button1->click();
    });
    const int result = f.exec();
    EXPECT_TRUE(openAfterAbort);
    EXPECT_FALSE(waiting->isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(result, ui::mrCancel);
    EXPECT_EQ(f.resultCount(), 0);
}

TEST(ScalarWindowLocales, TheThicknessAndTheReadingsFollowTheSystemsNotationOnScreenAndInTheText) {
    formtest::Session session;
    TForm13& f = session.windows().scalar();
    int beeps = 0;
    f.beep = [&beeps] { ++beeps; };
    struct Case {
        QLocale locale;
        const char* thickness; // as the thread's update writes 0.5 mm
        const char* line;      // the exported text line of one reading
    };
    const Case cases[] = {
        {QLocale::c(), "0.5", "1\t1000\tCu\tnone\tE. S. 13\t0.5\t120\t123.45\r\n"},
        {QLocale(QLocale::German, QLocale::Germany), "0,5",
         "1\t1000\tCu\tnone\tE. S. 13\t0,5\t120\t123,45\r\n"},
        {QLocale(QLocale::French, QLocale::France), "0,5",
         "1\t1000\tCu\tnone\tE. S. 13\t0,5\t120\t123,45\r\n"},
    };
    for (const Case& test : cases) {
        QLocale::setDefault(test.locale);
        f.BitBtn3->click();
        beeps = 0;
        f.HVctrl->setText(QStringLiteral("1000 "));
        f.showSelections(7, 0, 0, 0.5);
        EXPECT_EQ(f.ft->text(), QLatin1String(test.thickness)) << test.thickness;
        // What the window wrote, it reads back: no beep, no retyping.
        EXPECT_TRUE(f.ftExit()) << test.thickness;
        EXPECT_EQ(beeps, 0);
        f.addResultRow(123.45, 120);
        const QByteArray text = scalar::scalarTextBytes(scalar::resultsSnapshot(f.res));
        EXPECT_TRUE(text.endsWith(test.line)) << text.toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

// The declarations turn the simulated bench: a Ni foil passes Cu Kα and stops Zn Kα, and the
// evaluation under the chart brackets the Ni K edge (8.333 keV) between them.
TEST_F(ScalarOnApparatus, DeclaredRadiatorAndFilterShowTheNickelEdge) {
    formtest::Watchdog watchdog(300s);
    connect();
    runInWindow([this] {
        setCountingTime("1.1 ", 100);
        f.HVctrl->setText(QStringLiteral("450 "));
        f.SpinButton5->upButton()->click();
        ASSERT_TRUE(session.waitUntil([&] { return thread().configSnapshot().hvSetting * 5 == 500; }));
        if (!f.HV->isChecked())
            f.HV->click();
        f.modeButtons->button(scalar::radiator)->click();
        for (const char* radiator : {"Cu", "Zn"}) {
            for (const char* filter : {"none", "Ni"}) {
                f.rrs->setCurrentText(QLatin1String(radiator));
                f.fs->setCurrentText(QLatin1String(filter));
                f.ft->setText(records::decimalText(0.01, 2)); // the notation the window reads
                ASSERT_TRUE(f.ftExit());
                ASSERT_TRUE(acquire()) << radiator << filter;
            }
        }
    });
    ASSERT_EQ(f.resultCount(), 4);
    const double cu = cell(f, 3, 7).toDouble() / cell(f, 2, 7).toDouble();
    const double zn = cell(f, 5, 7).toDouble() / cell(f, 4, 7).toDouble();
    EXPECT_GT(cu, 0.4);
    EXPECT_LT(zn, cu / 3);
    EXPECT_TRUE(f.evaluation->text().contains(QStringLiteral("Ni K edge between Cu and Zn")))
        << f.evaluation->text().toStdString();
}
