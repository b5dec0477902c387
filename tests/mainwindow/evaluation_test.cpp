// The evaluation in the windows on the simulated apparatus (Cu anode, NaCl crystal): a scan over the
// Cu lines, the cursor's wavelength and energy for the chosen crystal, the settings dialog reached
// from the main window and from Setup and kept in the settings file, and a record's comment naming
// its own crystal.
#include "tests/support/formsession.h"

#include "analysis/evaluation.h"
#include "engine/evalprofile.h"
#include "engine/profilefile.h"
#include "mainwindow/evalresults.h"
#include "mainwindow/plot/scanplot.h"
#include "setup/evalsettings.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/messages.h"
#include "widgets/spinbutton.h"

#include "records/trecdata.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr double kTimeScale = 200;

class Evaluation : public ::testing::Test {
protected:
    Evaluation() : session(formtest::simulator(kTimeScale), 1.0 / kTimeScale) { form().show(); }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }

    // 25 to 35 degrees at 0.05 degree and 0.1 s a step: Cu Kβ at 28.6 and Kα at 31.7 degrees.
    void scanTheCuLines() {
        ASSERT_TRUE(
            session.waitUntil([this] { return session.apparatusReady() && form().rec->isEnabled(); }));
        // Counts need the detector's high voltage: 650 V, on.
        form().HVctrl->setText(QStringLiteral("600 "));
        form().SpinButton5->upButton()->click();
        form().HV->click();
        ASSERT_TRUE(session.waitUntil(
            [this] { return thread().hvIsOn.load() && thread().configSnapshot().hvSetting == 130; }));
        std::array<zavo::RoiRange, 5> ranges{};
        ranges[0] = {500, 700};
        thread().storeRegions(1, ranges);
        form().sfrq->setText(QStringLiteral("0.2 "));
        form().SpinButton1->downButton()->click();
        form().st->setCurrentIndex(3);
        form().stChange();
        ASSERT_TRUE(session.waitUntil([this] {
            const zavo::DeviceConfig config = thread().configSnapshot();
            return config.countingTime == 1 && config.angularStep == 1 && config.roiCount == 1;
        }));
        form().rec->click();
        ASSERT_TRUE(session.waitUntil([this] { return thread().scanState.load() == engine::scanScanning; }));
        const trecdata* live = thread().liveRecord.get();
        ASSERT_TRUE(session.waitUntil(
            [this] { return thread().scanState.load() == engine::scanIdle && !form().scanActive; }, 60s));
        ASSERT_EQ(live, thread().liveRecord.get());
        ASSERT_EQ(form().displayedRecord(), thread().liveRecord.get());
        // The view of the region: a pixel for less than an angle unit.
        form().d[0]->click();
        ASSERT_GT(form().displayedRecord()->ValueAtAngle(634), 100);
    }

    // Moves the mouse over the displayed angle (angle units) with the data tool and returns the
    // Bragg read-out.
    QString readoutAt(int angle) {
        ScanPlot& plot = *form().plot;
        const trecdata& record = *form().displayedRecord();
        const QPoint at(plot.horizontalScale().toPixels(angle - record.ViewFirstCell()) - plot.scrollPosX(),
                        40);
        QMouseEvent move(QEvent::MouseMove, at, plot.PaintBox1()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(plot.PaintBox1(), &move);
        return plot.coordsBragg()->text();
    }
    static double number(const QString& text, const char* unit) {
        const QRegularExpression pattern(QStringLiteral("([0-9.]+) %1").arg(QLatin1String(unit)));
        const QRegularExpressionMatch match = pattern.match(text);
        return match.hasMatch() ? match.captured(1).toDouble() : -1;
    }
    // Runs `open` (which opens the settings dialog modally) and chooses `crystal` there with OK.
    void chooseCrystal(const std::function<void()>& open, const QString& crystal) {
        EvalSettingsDialog* dialog = form().evalSettings;
        bool shown = false;
        QTimer::singleShot(0, dialog, [&] {
            shown = dialog->isVisible();
            dialog->crystal->setCurrentText(crystal);
            dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        open();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(dialog->isVisible());
    }

    formtest::Session session;
};

} // namespace

TEST_F(Evaluation, CursorReadsWavelengthAndEnergyForTheChosenCrystal) {
    scanTheCuLines();
    // Published Cu Kα: 154.1 pm, 8.04 keV; the arm's 31.70 degrees give it on NaCl within the
    // read-out's last digit (2 d sin 15.85° = 154.05 pm, 8.049 keV).
    const QString nacl = readoutAt(634);
    EXPECT_NEAR(number(nacl, "pm"), 154.1, 0.1) << nacl.toStdString();
    EXPECT_NEAR(number(nacl, "keV"), 8.04, 0.011);
    // The rate's uncertainty at 0.1 s a step: sqrt(R / 0.1), to the read-out's three digits.
    const double rate = form().displayedRecord()->ValueAtAngle(634);
    const double sigma = std::sqrt(rate / 0.1);
    EXPECT_NEAR(number(nacl, "cps"), sigma, 0.005 * sigma + 0.005) << nacl.toStdString();
    EXPECT_TRUE(form().plot->coords()->text().startsWith(QLatin1String("31.70 deg, ")));

    // LiF from the main window's button: a shorter wavelength at the same angle, kept in rtg.ini.
    chooseCrystal([this] { form().evalSettingsButton->click(); }, QStringLiteral("LiF"));
    const QString lif = readoutAt(634);
    EXPECT_NEAR(number(lif, "pm"), 110.0, 0.1) << lif.toStdString();
    const engine::ProfileFile settings(session.settingsPath());
    EXPECT_EQ(settings.readInt(QStringLiteral("evaluation"), QStringLiteral("crystal"), -1), 1);

    // KBr from Setup's button: the same dialog and file.
    chooseCrystal([this] { session.windows().setup().evaluation->click(); }, QStringLiteral("KBr"));
    EXPECT_NEAR(number(readoutAt(634), "pm"), 2 * 329.0 * std::sin(31.70 / 2 * M_PI / 180), 0.1);
    EXPECT_EQ(engine::loadEvalOptions(settings).crystal, QStringLiteral("KBr"));
    EXPECT_EQ(form().evaluationDefaults().crystal, QStringLiteral("KBr"));

    // A comment naming the crystal wins for its record.
    form().comment->setPlainText(QStringLiteral("Cu tube\ncrystal=LiF kV=35"));
    EXPECT_NEAR(number(readoutAt(634), "pm"), 110.0, 0.1);
    // Over the axes the read-outs clear.
    QMouseEvent move(QEvent::MouseMove, QPoint(5, 5), QPoint(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(form().plot->PaintBox2(), &move);
    EXPECT_TRUE(form().plot->coordsBragg()->text().isEmpty());
}

TEST_F(Evaluation, SettingsDialogRefusesWhatCannotBeUsedAndCancelKeepsTheFile) {
    EvalSettingsDialog* dialog = form().evalSettings;
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->crystal->setCurrentText(QStringLiteral("custom d"));
        EXPECT_TRUE(dialog->dPm->isEnabled());
        dialog->dPm->setValue(314.5);
        dialog->orders->setValue(2);
        dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    ASSERT_TRUE(form().editEvaluationSettings());
    const engine::ProfileFile settings(session.settingsPath());
    const analysis::EvalOptions kept = engine::loadEvalOptions(settings);
    EXPECT_EQ(kept.crystal, QStringLiteral("custom"));
    EXPECT_DOUBLE_EQ(kept.dPm, 314.5);
    EXPECT_EQ(kept.orders, 2);
    EXPECT_DOUBLE_EQ(kept.deadTimeUs, 0); // off unless chosen

    // Cancel after changes: the file and the window's options stay.
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->crystal->setCurrentText(QStringLiteral("LiF"));
        dialog->reject();
    });
    EXPECT_FALSE(form().editEvaluationSettings());
    EXPECT_EQ(engine::loadEvalOptions(settings), kept);
    EXPECT_EQ(form().evaluationDefaults(), kept);
}

TEST_F(Evaluation, EvaluateLabelsTheCuLinesAtTheAnglesOfTheEvaluationAndANewScanClearsThem) {
    scanTheCuLines();
    TForm1& f = form();
    trecdata* live = f.displayedRecord();
    ASSERT_TRUE(f.evaluate->isEnabled());
    f.evaluate->click();
    ASSERT_TRUE(session.waitUntil([&] { return f.plot->evalMarks().has_value(); }));
    EXPECT_FALSE(f.evaluationPending());
    // The same evaluation the command line makes of the record.
    const analysis::SpectrumResult expected = analysis::analyseSpectrum(*live, f.evaluationDefaults());
    const std::vector<plot::PeakMark>& marks = f.plot->evalMarks()->peaks;
    ASSERT_EQ(marks.size(), expected.peaks.size());
    QStringList labels;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_NEAR(marks[i].angleDeg, expected.peaks[i].centreDeg.value, 0.01) << i;
        labels << marks[i].label;
    }
    EXPECT_TRUE(labels.contains(QStringLiteral("K\u03b1 n=1"))) << labels.join(u',').toStdString();
    EXPECT_TRUE(labels.filter(QStringLiteral("K\u03b2")).size() == 1) << labels.join(u',').toStdString();
    for (const plot::PeakMark& mark : marks) {
        if (mark.label == QStringLiteral("K\u03b1 n=1")) {
            EXPECT_NEAR(mark.angleDeg, 31.70, 0.1);
        }
        if (mark.label.startsWith(QStringLiteral("K\u03b2"))) {
            EXPECT_NEAR(mark.angleDeg, 28.60, 0.1);
        }
    }
    // The results window shows the table, one row a peak, every number with its ±.
    EvalResultsWindow& results = *f.evalResults;
    EXPECT_TRUE(results.isVisible());
    ASSERT_EQ(results.peaks->rowCount(), static_cast<int>(expected.peaks.size()));
    EXPECT_TRUE(results.peaks->item(0, 1)->text().contains(QStringLiteral("\u00b1")));
    EXPECT_TRUE(results.summary->text().contains(QStringLiteral("d from the named lines")));
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("results"));
    results.askCsvFileName = [&] { return csv; };
    results.saveButton->click();
    QFile saved(csv + QStringLiteral(".csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(saved.readAll()).split(u'\n');
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("line,order,angle_deg,angle_sigma_deg")));
    EXPECT_TRUE(lines.filter(QStringLiteral("K\u03b1,1,31.")).size() == 1) << lines.join(u'|').toStdString();

    // A new scan starts afresh: the labels go.
    ui::setMessageResponder([](const ui::Message&) { return ui::Reply::Yes; });
    f.BitBtn3->click(); // "Reset", the measured scan given up
    ui::setMessageResponder({});
    ASSERT_TRUE(session.waitUntil([&] { return f.displayedRecord() && f.displayedRecord() != live; }));
    EXPECT_FALSE(f.plot->evalMarks().has_value());
    EXPECT_EQ(results.result(), nullptr);
}

TEST_F(Evaluation, ARecordWhoseCommentNamesLiFIsEvaluatedAsLiF) {
    scanTheCuLines();
    TForm1& f = form();
    f.comment->setPlainText(QStringLiteral("crystal=LiF"));
    f.evaluate->click();
    ASSERT_TRUE(session.waitUntil([&] { return f.plot->evalMarks().has_value(); }));
    const auto result = f.evaluationOf(f.displayedRecord());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->options.crystal, QStringLiteral("LiF"));
    EXPECT_NEAR(result->options.dPm, 201.4, 0.2);
    // On LiF the peak at 31.7 degrees is 110 pm: no Cu line, labelled by its wavelength.
    bool labelledByWavelength = false;
    for (const plot::PeakMark& mark : f.plot->evalMarks()->peaks)
        labelledByWavelength = labelledByWavelength || mark.label.startsWith(QStringLiteral("\u03bb "));
    EXPECT_TRUE(labelledByWavelength);
}
