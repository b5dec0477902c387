// The Setup and Move arm dialogs as far as they are built: their read-outs and spin buttons, and
// the requests they post.
#include "tests/support/formsession.h"
#include "tests/support/trsaccess.h"

#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/spinbutton.h"

#include "records/trecdata.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session.waitUntil([this] { return session.thread().status().passes > 0; }));
        session.thread().pendingRequests.take();
    }
    engine::RequestSet taken() { return session.thread().pendingRequests.take(); }
    static void press(SpinButton* spin, bool up) { (up ? spin->upButton() : spin->downButton())->click(); }

    formtest::Session session;
    TForm4& setup = session.windows().setup();
    TForm12& moveArm = session.windows().moveArm();
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
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).armMin, 2000);
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).armMax, 2200);
    const engine::RequestSet posted = taken();
    EXPECT_TRUE(posted.contains(engine::setArmMin) && posted.contains(engine::setArmMax));
}

TEST_F(Dialogs, TheHvLimitStepsAndALowerLimitCutsTheDetectorVoltage) {
    setup.HVctrl->setText(QStringLiteral("1250 "));
    press(setup.SpinButton14, true);
    EXPECT_EQ(setup.HVctrl->text(), QStringLiteral("1275 "));
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).hvLimit, 255);
    EXPECT_TRUE(taken().contains(engine::setHvLimit));
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
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).hv, 190);
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
}

TEST_F(Dialogs, SetOffsetSendsTheDifferenceAndGivesItToTheDisplayedRecord) {
    TForm1& form = session.form();
    auto owned = trecdata::Create(1, 200, 2600, 0, 10);
    trecdata* record = owned.get();
    form.lista->setCurrentIndex(form.addLoadedRecord(std::move(owned), QStringLiteral("a.RTG")));
    form.listaChange();
    setup.peakat->setText(QStringLiteral("45.50 "));
    setup.peakpos->setText(QStringLiteral("45.00 "));
    setup.BitBtn4->click();
    // No offset in force without an apparatus: round(-0.5 x 20) = -10.
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).offset, -10);
    EXPECT_TRUE(taken().contains(engine::applyOffset));
    EXPECT_EQ(record->angleOffset, -10);
    EXPECT_EQ(form.displayedRecord(), record);
    setup.BitBtn2->click();
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).offset, 0);
    EXPECT_EQ(record->angleOffset, 0);
}

TEST_F(Dialogs, MoveToClampsTheDestinationAndReleasingItStops) {
    // Without an apparatus the scan range is -1 .. -1 (device steps).
    moveArm.angl->setText(QStringLiteral("30.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_TRUE(moveArm.SpeedButton1->isChecked());
    EXPECT_EQ(engine::TrsTestAccess::values(session.thread()).moveTarget, -1);
    EXPECT_TRUE(taken().contains(engine::moveArm));
    // Pressed again: released, and the arm stops.
    moveArm.SpeedButton1->click();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    EXPECT_TRUE(taken().contains(engine::stop));
    // The thread's end of the move releases it without posting anything.
    moveArm.SpeedButton1->setChecked(true);
    moveArm.releaseMoveButton();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    EXPECT_TRUE(taken().empty());
}

TEST_F(Dialogs, MoveArmSpinButtonsStayWithinTheScanRange) {
    moveArm.angl->setText(QStringLiteral("0.00 "));
    press(moveArm.SpinButton3, true); // up 5.00, but the range ends at -0.05
    EXPECT_EQ(moveArm.angl->text(), QStringLiteral("-0.05 "));
    press(moveArm.SpinButton1, true);
    EXPECT_EQ(moveArm.angl->text(), QStringLiteral("-0.05 "));
}

} // namespace
