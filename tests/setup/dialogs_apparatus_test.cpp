// The Setup and Move arm dialogs on the simulated apparatus: the opening fill and the offset from
// the apparatus's own block, real moves with the button and spin buttons following them, and a
// link lost in the middle of a move.
//
// The simulator's headers come before any Qt header: its firmware has a member named like Qt's
// `emit` keyword macro.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "tests/support/formsession.h"
#include "tests/support/trsaccess.h"

#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/messages.h"
#include "widgets/spinbutton.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr double kTimeScale = 5;

void putWord(sim::ConfigMemory::Block& block, std::size_t at, int value) {
    block[at] = static_cast<std::uint8_t>(value & 0xFF);
    block[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// The arm at 900 steps; offset 4 steps in force, so the thread holds it at 904 (45.20 degrees); the
// arm range 5.00 .. 40.00 degrees, which the arm stands beyond; calibration before scans on.
sim::ConfigMemory::Block calibratedBlock() {
    sim::ConfigMemory::Block block = sim::ConfigMemory::configured();
    putWord(block, 0, 4);
    putWord(block, 8, 800);
    block[52] = 1;
    block[53] = 1;
    return block;
}

class ApparatusDialogs : public ::testing::Test, protected formtest::SimulatedWindows {
protected:
    explicit ApparatusDialogs(const sim::ConfigMemory::Block& block = sim::ConfigMemory::configured())
        : SimulatedWindows(options(block), false) {}

    void SetUp() override {
        ui::setMessageResponder([this](const ui::Message& message) {
            messages.push_back(message);
            return ui::Reply::Ok;
        });
    }
    void TearDown() override { ui::setMessageResponder({}); }

    static sim::ApparatusOptions options(const sim::ConfigMemory::Block& block) {
        sim::ApparatusOptions options;
        options.timeScale = kTimeScale;
        options.firmware.memory = block;
        // A fifth of the usual speed (2 degrees a second, times the time scale): moves last long
        // enough to act during them.
        options.firmware.armStepTime = 25'000;
        return options;
    }

    engine::TRS& thread() { return session.thread(); }
    engine::TrsTestAccess::Values values() const { return engine::TrsTestAccess::values(session.thread()); }
    bool until(const std::function<bool()>& done) { return session.waitUntil(done, 60s); }
    // Connected, with the apparatus's block taken over and its arm position reported.
    void connect(int armAngle) {
        ASSERT_TRUE(until([&] {
            return thread().linkReady.load() && thread().controlsEnabled.load() &&
                   thread().configSnapshot().isValid() && thread().armAngle.load() == armAngle &&
                   thread().scanState.load() == engine::scanIdle;
        }));
    }
    // Idle with nothing left to send: the stopped move's idle gate, which releases "Move to", has
    // gone out.
    bool idleAndSettled() {
        return until([&] {
            const engine::TrsStatus status = thread().status();
            return thread().scanState.load() == engine::scanIdle && status.queueCount == 0 &&
                   !status.deviceBusy;
        });
    }
    static void press(SpinButton* spin, bool up) { (up ? spin->upButton() : spin->downButton())->click(); }

    TForm4& setup = session.windows().setup();
    TForm12& moveArm = session.windows().moveArm();
    std::vector<ui::Message> messages;
};

class CalibratedApparatus : public ApparatusDialogs {
protected:
    CalibratedApparatus() : ApparatusDialogs(calibratedBlock()) {}
};

TEST_F(CalibratedApparatus, OpeningTheSetupFillsItFromTheBlockAndTheSpinButtonsKeepToItsRanges) {
    connect(904);
    setup.prepare(session.form().displayedRecord());
    // The arm stands beyond the range's end: the end is shown.
    EXPECT_EQ(setup.Newarmpos->text(), QStringLiteral("40.00 "));
    EXPECT_EQ(setup.loangl->text(), QStringLiteral("5.00 "));
    EXPECT_EQ(setup.hiangl->text(), QStringLiteral("40.00 "));
    EXPECT_TRUE(setup.acoarses->isChecked());
    EXPECT_EQ(setup.peakat->text(), QStringLiteral("45.00 "));
    EXPECT_EQ(setup.peakpos->text(), QStringLiteral("45.00 "));

    // The peaks keep to the arm range, the arm position to the scan range with the offset.
    setup.peakat->setText(QStringLiteral("38.00 "));
    press(setup.SpinButton17, true);
    EXPECT_EQ(setup.peakat->text(), QStringLiteral("40.00 "));
    setup.peakpos->setText(QStringLiteral("7.00 "));
    press(setup.SpinButton3, false);
    EXPECT_EQ(setup.peakpos->text(), QStringLiteral("5.00 "));
    setup.Newarmpos->setText(QStringLiteral("38.00 "));
    press(setup.SpinButton6, true);
    EXPECT_EQ(setup.Newarmpos->text(), QStringLiteral("40.20 "));
    setup.Newarmpos->setText(QStringLiteral("7.00 "));
    press(setup.SpinButton6, false);
    EXPECT_EQ(setup.Newarmpos->text(), QStringLiteral("5.20 "));
    press(setup.SpinButton4, false);
    EXPECT_EQ(setup.Newarmpos->text(), QStringLiteral("5.20 "));
}

TEST_F(CalibratedApparatus, SetOffsetAddsTheDifferenceToTheOffsetInForceAndNeverLeavesTheBlocksRange) {
    connect(904);
    // Equal angles send the offset in force again.
    ASSERT_EQ(values().offset, 0);
    setup.peakat->setText(QStringLiteral("30.00 "));
    setup.peakpos->setText(QStringLiteral("30.00 "));
    setup.BitBtn4->click();
    EXPECT_EQ(values().offset, 4);
    EXPECT_TRUE(thread().pendingRequests.contains(engine::applyOffset));
    // Found 45.50, expected 45.00: 4 + round(-0.5 x 20) = -6.
    setup.peakat->setText(QStringLiteral("45.50 "));
    setup.peakpos->setText(QStringLiteral("45.00 "));
    setup.BitBtn4->click();
    EXPECT_EQ(values().offset, -6);
    ASSERT_TRUE(until([&] { return thread().configSnapshot().offset == -6; }));

    // Found 10.00, expected 100.00, pressed twice: the second would make 3594 steps.
    setup.peakat->setText(QStringLiteral("10.00 "));
    setup.peakpos->setText(QStringLiteral("100.00 "));
    setup.BitBtn4->click();
    ASSERT_TRUE(until([&] { return thread().configSnapshot().offset == 1794; }));
    EXPECT_TRUE(messages.empty());
    setup.BitBtn4->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(values().offset, 1794);
    EXPECT_FALSE(thread().pendingRequests.contains(engine::applyOffset));
    // The block stays valid, so the next connection keeps the arm range and the HV limit.
    const zavo::DeviceConfig config = thread().configSnapshot();
    EXPECT_TRUE(config.isValid());
    EXPECT_EQ(config.armMax, 800);
}

// The simulator's usual block: the arm at 45.00 degrees, range 5.00 .. 120.00, no offset.
TEST_F(ApparatusDialogs, MoveToFollowsARealMoveAndClosingOrEscapeStopsIt) {
    formtest::Watchdog watchdog(240s);
    connect(900);
    moveArm.show();
    moveArm.angl->setText(QStringLiteral("50.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_TRUE(thread().pendingRequests.contains(engine::moveArm));
    EXPECT_EQ(values().moveTarget, 1000);
    // While the arm moves the spin buttons cannot be used; at the end the button comes up by
    // itself and they can again.
    ASSERT_TRUE(until([&] {
        return thread().scanState.load() == engine::scanMovingArm && !moveArm.SpinButton1->isEnabled();
    }));
    EXPECT_FALSE(moveArm.SpinButton2->isEnabled());
    EXPECT_FALSE(moveArm.SpinButton3->isEnabled());
    EXPECT_TRUE(moveArm.SpeedButton1->isChecked());
    ASSERT_TRUE(
        until([&] { return !moveArm.SpeedButton1->isChecked() && moveArm.SpinButton3->isEnabled(); }));
    EXPECT_EQ(thread().armAngle.load(), 1000);

    // The close button during a move stops the arm.
    moveArm.angl->setText(QStringLiteral("80.00 "));
    moveArm.SpeedButton1->click();
    ASSERT_TRUE(until([&] { return thread().scanState.load() == engine::scanMovingArm; }));
    moveArm.BitBtn1->click();
    EXPECT_TRUE(thread().pendingRequests.contains(engine::stop));
    EXPECT_FALSE(moveArm.isVisible());
    ASSERT_TRUE(idleAndSettled());
    EXPECT_LT(thread().armAngle.load(), 1600);

    // So does Escape.
    moveArm.show();
    moveArm.angl->setText(QStringLiteral("20.00 "));
    moveArm.SpeedButton1->click();
    ASSERT_TRUE(until([&] { return thread().scanState.load() == engine::scanMovingArm; }));
    QTest::keyClick(&moveArm, Qt::Key_Escape);
    EXPECT_TRUE(thread().pendingRequests.contains(engine::stop));
    EXPECT_FALSE(moveArm.isVisible());
    ASSERT_TRUE(idleAndSettled());
    EXPECT_GT(thread().armAngle.load(), 400);
}

TEST_F(ApparatusDialogs, ALinkLostDuringAMoveClosesBothDialogsAndLeavesMoveToUp) {
    formtest::Watchdog watchdog(240s);
    connect(900);
    setup.show();
    moveArm.show();
    moveArm.angl->setText(QStringLiteral("110.00 "));
    moveArm.SpeedButton1->click();
    ASSERT_TRUE(until([&] { return thread().scanState.load() == engine::scanMovingArm; }));
    apparatus->unplug();
    ASSERT_TRUE(until(
        [&] { return !thread().controlsEnabled.load() && !moveArm.isVisible() && !setup.isVisible(); }));
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());

    apparatus->replug();
    ASSERT_TRUE(until([&] { return thread().linkReady.load() && thread().configSnapshot().isValid(); }));
    // The handshake's own commands are done with: a move asked for before that is forgotten with
    // the link it was asked on.
    ASSERT_TRUE(idleAndSettled());
    ASSERT_TRUE(until([&] { return thread().linkReady.load() && thread().controlsEnabled.load(); }));
    // The next opening moves at the first press.
    moveArm.show();
    EXPECT_FALSE(moveArm.SpeedButton1->isChecked());
    moveArm.angl->setText(QStringLiteral("50.00 "));
    moveArm.SpeedButton1->click();
    EXPECT_TRUE(thread().pendingRequests.contains(engine::moveArm));
    EXPECT_FALSE(thread().pendingRequests.contains(engine::stop));
    moveArm.done(ui::mrOk);
}

} // namespace
