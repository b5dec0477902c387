// The Setup and Move arm dialogs without an apparatus: their read-outs and spin buttons, the
// requests they post, the settings they start with and write.
#include "tests/support/formsession.h"
#include "tests/support/trsaccess.h"

#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/spinbutton.h"
#include "widgets/typedentry.h"

#include "records/trecdata.h"
#include "widgets/controls.h"
#include "widgets/hints.h"
#include "widgets/messages.h"

#include "engine/profilefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

engine::RequestSet requests(std::initializer_list<int> members) {
    engine::RequestSet set;
    for (const int member : members)
        set.add(member);
    return set;
}

// No apparatus, no settings file.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.waitUntil([this] { return session.thread().status().passes > 0; }));
        session.thread().pendingRequests.take();
        ui::setMessageResponder([this](const ui::Message& message) {
            messages.push_back(message);
            return ui::Reply::Ok;
        });
    }
    void TearDown() override { ui::setMessageResponder({}); }

    engine::RequestSet taken() { return session.thread().pendingRequests.take(); }
    engine::TrsTestAccess::Values values() const { return engine::TrsTestAccess::values(session.thread()); }
    static void press(SpinButton* spin, bool up) { (up ? spin->upButton() : spin->downButton())->click(); }
    // The thread's state as a link leaves it, with the scan range 5.00 .. 120.00 degrees; the
    // disconnected thread does not touch these.
    void linkUp() {
        engine::TRS& thread = session.thread();
        thread.scanStart.store(100);
        thread.scanEnd.store(2400);
        thread.linkReady.store(true);
        thread.controlsEnabled.store(true);
    }

    // A record loaded from a file, shown in the main window.
    trecdata* showLoadedRecord() {
        TForm1& form = session.form();
        auto owned = trecdata::Create(1, 200, 2600, 0, 10);
        trecdata* record = owned.get();
        form.lista->setCurrentIndex(form.addLoadedRecord(std::move(owned), QStringLiteral("a.RTG")));
        form.listaChange();
        return record;
    }

    formtest::Session session;
    TForm4& setup = session.windows().setup();
    TForm12& moveArm = session.windows().moveArm();
    std::vector<ui::Message> messages;
};

TEST_F(Dialogs, ThePhysicalRangeKeepsTenDegreesWithinZeroAndOneHundredThirty) {
    setup.loangl->setText(QStringLiteral("3.00 "));
    setup.hiangl->setText(QStringLiteral("20.00 "));
    press(setup.SpinButton9, false); // 5.00 down
    EXPECT_EQ(setup.loangl->text(), QStringLiteral("0.00 "));
    setup.loangl->setText(QStringLiteral("8.00 "));
    press(setup.SpinButton9, true);
    EXPECT_EQ(setup.loangl->text(), QStringLiteral("10.00 "));
    press(setup.SpinButton7, true); // at its bound: nothing changes
    EXPECT_EQ(setup.loangl->text(), QStringLiteral("10.00 "));

    setup.hiangl->setText(QStringLiteral("128.00 "));
    press(setup.SpinButton12, true);
    EXPECT_EQ(setup.hiangl->text(), QStringLiteral("130.00 "));
    setup.loangl->setText(QStringLiteral("100.00 "));
    setup.hiangl->setText(QStringLiteral("112.00 "));
    press(setup.SpinButton12, false);
    EXPECT_EQ(setup.hiangl->text(), QStringLiteral("110.00 "));
    press(setup.SpinButton10, false);
    EXPECT_EQ(setup.hiangl->text(), QStringLiteral("110.00 "));

    setup.BitBtn5->click();
    EXPECT_EQ(values().armMin, 2000);
    EXPECT_EQ(values().armMax, 2200);
    const engine::RequestSet posted = taken();
    EXPECT_TRUE(posted.contains(engine::setArmMin) && posted.contains(engine::setArmMax));
}

TEST_F(Dialogs, TheHvLimitStepsAndALowerLimitCutsTheDetectorVoltage) {
    setup.HVctrl->setText(QStringLiteral("1250 "));
    press(setup.SpinButton14, true);
    EXPECT_EQ(setup.HVctrl->text(), QStringLiteral("1275 "));
    EXPECT_EQ(values().hvLimit, 255);
    EXPECT_TRUE(taken().contains(engine::setHvLimit));
    press(setup.SpinButton13, true); // at the top: nothing changes, nothing is posted
    EXPECT_EQ(setup.HVctrl->text(), QStringLiteral("1275 "));
    EXPECT_TRUE(taken().empty());
    setup.HVctrl->setText(QStringLiteral("30 "));
    press(setup.SpinButton14, false);
    EXPECT_EQ(setup.HVctrl->text(), QStringLiteral("0 "));

    // With the limit on and the main window showing 1000 V, lowering the limit to 950 V also sets the
    // detector voltage to 950 V.
    TForm1& form = session.form();
    form.lista->setCurrentIndex(0);
    form.HVctrl->setText(QStringLiteral("1000 "));
    setup.hvlon->setChecked(true);
    setup.HVctrl->setText(QStringLiteral("1000 "));
    taken();
    press(setup.SpinButton14, false);
    EXPECT_EQ(setup.HVctrl->text(), QStringLiteral("950 "));
    EXPECT_EQ(form.HVctrl->text(), QStringLiteral("950 "));
    EXPECT_EQ(session.windows().scalar().HVctrl->text(), QStringLiteral("950 "));
    EXPECT_EQ(values().hv, 190);
    const engine::RequestSet posted = taken();
    EXPECT_TRUE(posted.contains(engine::setHvLimit) && posted.contains(engine::setDetectorHv));
    // The limit switched off: lowering no longer touches the detector voltage.
    setup.hvlon->click();
    taken();
    press(setup.SpinButton13, false);
    EXPECT_EQ(form.HVctrl->text(), QStringLiteral("950 "));
    EXPECT_FALSE(taken().contains(engine::setDetectorHv));
}

TEST_F(Dialogs, OpeningTheSetupDialogFindsThePeakOfTheDisplayedRecord) {
    auto record = trecdata::Create(1, 200, 2600, 0, 10);
    record->offsetEnabled = false;
    setup.prepare(record.get());
    EXPECT_EQ(setup.peakat->text(), QStringLiteral("45.00 "));
    EXPECT_EQ(setup.peakpos->text(), QStringLiteral("45.00 "));
    record->SetPoint(300, 80.0);  // angle 500
    record->SetPoint(310, 120.0); // angle 510: the highest
    record->SetPoint(320, 120.0); // a tie later on: the first one wins
    setup.prepare(record.get());
    EXPECT_EQ(setup.peakat->text(), QStringLiteral("25.50 "));
    EXPECT_EQ(setup.peakpos->text(), QStringLiteral("45.00 "));
    // The record's own offset moves its positions while it is enabled.
    record->SetOffset(40);
    record->offsetEnabled = true;
    setup.prepare(record.get());
    EXPECT_EQ(setup.peakat->text(), QStringLiteral("27.50 "));
}

TEST_F(Dialogs, SetOffsetSendsTheDifferenceAndGivesItToTheDisplayedRecord) {
    TForm1& form = session.form();
    trecdata* record = showLoadedRecord();
    setup.peakat->setText(QStringLiteral("45.50 "));
    setup.peakpos->setText(QStringLiteral("45.00 "));
    setup.BitBtn4->click();
    // No offset in force without an apparatus: round(-0.5 x 20) = -10.
    EXPECT_EQ(values().offset, -10);
    EXPECT_TRUE(taken().contains(engine::applyOffset));
    EXPECT_EQ(record->angleOffset, -10);
    EXPECT_EQ(form.displayedRecord(), record);
    setup.BitBtn2->click();
    EXPECT_EQ(values().offset, 0);
    EXPECT_EQ(record->angleOffset, 0);
}

TEST_F(Dialogs, ArmPositionCalibrationAndAutomaticCalibrationPostTheirRequests) {
    setup.Newarmpos->setText(QStringLiteral("47.35 "));
    setup.BitBtn3->click(); // "Set arm pos."
    EXPECT_EQ(values().armPosition, 947);
    EXPECT_EQ(taken(), requests({engine::setArmPosition}));
    setup.BitBtn9->click(); // "Coarse angle calibration"
    EXPECT_EQ(taken(), requests({engine::coarseCalibration}));
    // The engine's request call also forgets a scan waiting for a calibration.
    setup.acoarses->click();
    EXPECT_EQ(values().autoCoarse, 1);
    EXPECT_EQ(taken(), requests({engine::setAutoCoarse}));
    setup.acoarses->click();
    EXPECT_EQ(values().autoCoarse, 0);
    EXPECT_EQ(taken(), requests({engine::setAutoCoarse}));
}

TEST_F(Dialogs, AnOffsetTheApparatusCannotHoldIsRefusedWithAMessage) {
    trecdata* record = showLoadedRecord();
    // 120.00 degrees is the largest offset the block holds.
    setup.peakat->setText(QStringLiteral("0.00 "));
    setup.peakpos->setText(QStringLiteral("120.00 "));
    setup.BitBtn4->click();
    EXPECT_EQ(values().offset, 2400);
    EXPECT_EQ(taken(), requests({engine::applyOffset}));
    EXPECT_TRUE(messages.empty());
    setup.peakpos->setText(QStringLiteral("120.05 "));
    setup.BitBtn4->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("120.05"))) << messages[0].text.toStdString();
    EXPECT_EQ(values().offset, 2400);
    EXPECT_TRUE(taken().empty());
    EXPECT_EQ(record->angleOffset, 2400);
}

TEST_F(Dialogs, TickingTheLimitLowersTheVoltageAndALoadedRecordKeepsItsReadout) {
    TForm1& form = session.form();
    TForm13& scalar = session.windows().scalar();
    form.lista->setCurrentIndex(0);
    form.HVctrl->setText(QStringLiteral("1000 "));
    setup.HVctrl->setText(QStringLiteral("800 "));
    setup.hvlon->setChecked(false);
    setup.hvlon->click();
    EXPECT_EQ(form.HVctrl->text(), QStringLiteral("800 "));
    EXPECT_EQ(scalar.HVctrl->text(), QStringLiteral("800 "));
    EXPECT_EQ(values().hv, 160);
    EXPECT_EQ(values().hvLimitEnabled, 1);
    EXPECT_EQ(taken(), requests({engine::setDetectorHv, engine::setHvLimitEnabled}));
    // Unticked: the voltage stays.
    form.HVctrl->setText(QStringLiteral("1000 "));
    setup.hvlon->click();
    EXPECT_EQ(form.HVctrl->text(), QStringLiteral("1000 "));
    EXPECT_EQ(values().hvLimitEnabled, 0);
    EXPECT_EQ(taken(), requests({engine::setHvLimitEnabled}));

    // A loaded record shown: its read-out stays, the apparatus and the scalar window follow.
    showLoadedRecord();
    form.HVctrl->setText(QStringLiteral("1000 "));
    scalar.HVctrl->setText(QStringLiteral("1000 "));
    setup.hvlon->click();
    EXPECT_EQ(form.HVctrl->text(), QStringLiteral("1000 "));
    EXPECT_EQ(scalar.HVctrl->text(), QStringLiteral("800 "));
    EXPECT_EQ(taken(), requests({engine::setDetectorHv, engine::setHvLimitEnabled}));
}

TEST_F(Dialogs, WithoutASettingsFileTheWindowsStartWithDefaultsAndHintsOffAreWrittenAtExit) {
    TForm1& form = session.form();
    form.show();
    EXPECT_EQ(form.sfrq->text(), QStringLiteral("0.1 "));
    EXPECT_EQ(form.st->currentText(), QStringLiteral("0.5 deg"));
    EXPECT_TRUE(setup.shints->isChecked());
    EXPECT_TRUE(ui::hintsShown(form.rec));
    EXPECT_TRUE(ui::hintsShown(setup.BitBtn4));
    EXPECT_TRUE(ui::hintsShown(moveArm.SpeedButton1));
    setup.shints->click();
    EXPECT_FALSE(ui::hintsShown(form.rec));
    EXPECT_FALSE(ui::hintsShown(moveArm.SpeedButton1));
    const QString path = session.settingsPath();
    session.end();
    engine::ProfileFile settings(path);
    EXPECT_EQ(settings.readInt(QStringLiteral("Hints"), QStringLiteral("show"), -1), 0);
}

TEST_F(Dialogs, MoveToWithoutALinkPostsNothing) {
    // Without a link there is no scan range: a move asked for now would run when an apparatus
    // connects.
    moveArm.angl->setText(QStringLiteral("30.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    EXPECT_TRUE(taken().empty());
}

TEST_F(Dialogs, MoveToClampsTheDestinationAndReleasingItStops) {
    linkUp();
    moveArm.angl->setText(QStringLiteral("130.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_TRUE(moveArm.SpeedButton1->isChecked());
    EXPECT_EQ(values().moveTarget, 2400);
    EXPECT_EQ(taken(), requests({engine::moveArm}));
    // Pressed again: released, and the arm stops.
    moveArm.SpeedButton1->click();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    EXPECT_EQ(taken(), requests({engine::stop}));
    moveArm.angl->setText(QStringLiteral("1.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_EQ(values().moveTarget, 100);
    // The thread's end of the move releases it without posting anything.
    taken();
    moveArm.releaseMoveButton();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    EXPECT_TRUE(taken().empty());
}

TEST_F(Dialogs, MoveArmOpensWithMoveToUpSoItsFirstPressMoves) {
    linkUp();
    // Left down by a move whose link was lost.
    moveArm.SpeedButton1->setChecked(true);
    moveArm.show();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    moveArm.SpeedButton1->click();
    EXPECT_EQ(taken(), requests({engine::moveArm}));
    moveArm.done(ui::mrCancel);
}

TEST_F(Dialogs, MoveArmSpinButtonsStayWithinTheScanRange) {
    linkUp();
    moveArm.angl->setText(QStringLiteral("118.00 "));
    press(moveArm.SpinButton3, true); // up 5.00, but the range ends at 120.00
    EXPECT_EQ(moveArm.angl->text(), QStringLiteral("120.00 "));
    press(moveArm.SpinButton1, true);
    EXPECT_EQ(moveArm.angl->text(), QStringLiteral("120.00 "));
    moveArm.angl->setText(QStringLiteral("6.00 "));
    press(moveArm.SpinButton3, false);
    EXPECT_EQ(moveArm.angl->text(), QStringLiteral("5.00 "));
}

TEST_F(Dialogs, MoveArmTargetCanBeTypedWithinTheSameStepsAndRange) {
    linkUp();
    moveArm.show();
    moveArm.SpinButton1->setEnabled(true);
    taken();
    struct Case {
        const char* typed;
        const char* shown;
    };
    // 40.03 snaps to the 0.05 degree step; 200 is held to the scan range's end; "4O" is refused.
    for (const Case& c : {Case{"40.03", "40.05 "}, Case{"200", "120.00 "}, Case{"4O", "120.00 "}}) {
        QTest::mouseClick(moveArm.angl, Qt::LeftButton);
        QLineEdit* editor = ui::typedEditor(moveArm.angl);
        ASSERT_TRUE(editor) << c.typed;
        editor->setText(QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_EQ(moveArm.angl->text(), QString::fromLatin1(c.shown)) << c.typed;
    }
    // Typing moves nothing: the target goes out with "Move to", as after the arrows.
    EXPECT_TRUE(taken().empty());
    moveArm.done(ui::mrCancel);
}

} // namespace
