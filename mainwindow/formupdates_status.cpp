// The routines that follow the thread's state: scan status and the buttons that go with it, the
// remaining time, the enabling of the apparatus controls, and the dialogs the thread ends.
#include "mainwindow/formupdates.h"

#include "mainwindow/tform1.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"
#include "widgets/datawait.h"
#include "widgets/spinbutton.h"

#include "engine/trs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <initializer_list>

namespace {

// How a scan state sets the controls. `link`: enabled exactly while the handshake is complete. What
// the remaining-time read-out `tl` shows is the engine's rule (TRS::remainingShown()).
enum class Enable { off, on, link, unchanged };
enum class Arrows { off, link, held };

struct StatusRow {
    Enable rec;
    Enable recAllUp; // on: the user may release it; unchanged: leave as it is
    bool recDown;
    Enable pause;
    bool pauseDown;
    Enable stop;
    Arrows arrows;
    bool setupAndReset;
    Enable scanActive; // on / off / unchanged
};

using E = Enable;
constexpr StatusRow kAdjusting = {E::off, E::off,      true,  E::off,      false,
                                  E::on,  Arrows::off, false, E::unchanged};
constexpr StatusRow kCalibrating = {E::off, E::off,      true,  E::off,      false,
                                    E::on,  Arrows::off, false, E::unchanged};
// Indexed by scan state 0..6.
constexpr std::array<StatusRow, 7> kStates = {{
    {E::link, E::on, false, E::link, false, E::off, Arrows::link, true, E::off},
    {E::on, E::off, true, E::on, false, E::on, Arrows::off, false, E::on},
    {E::link, E::on, false, E::on, true, E::on, Arrows::off, false, E::on},
    {E::link, E::off, true, E::off, false, E::on, Arrows::off, false, E::on},
    {E::link, E::off, true, E::link, false, E::on, Arrows::off, false, E::on},
    {E::off, E::unchanged, false, E::off, false, E::off, Arrows::held, false, E::on},
    {E::off, E::off, false, E::link, true, E::on, Arrows::off, false, E::off},
}};

void setEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

bool enabled(Enable rule, bool link) {
    return rule == Enable::on || (rule == Enable::link && link);
}

} // namespace

bool FormUpdates::liveDisplayed(const engine::TRS& thread) const {
    return thread.liveRecord && form_.displayedRecord() == thread.liveRecord.get();
}

void FormUpdates::refreshScanStatus(engine::TRS& thread) {
    const int state = thread.scanState.load();
    const StatusRow* row = nullptr;
    if (thread.adjusting)
        row = &kAdjusting;
    else if (thread.calibrating)
        row = &kCalibrating;
    else if (state >= 0 && state < static_cast<int>(kStates.size()))
        row = &kStates[static_cast<std::size_t>(state)];
    form_.showScanStatus(thread.scanStatusText());
    if (!row)
        return;
    const bool link = thread.linkReady.load();

    switch (thread.remainingShown()) {
    case engine::RemainingShown::cleared:
        form_.tl->clear();
        break;
    case engine::RemainingShown::estimate:
        form_.tl->setText(thread.remainingText);
        break;
    case engine::RemainingShown::unchanged:
        break;
    }

    form_.rec->setEnabled(enabled(row->rec, link));
    if (row->recAllUp != Enable::unchanged)
        form_.rec->setAllowAllUp(row->recAllUp == Enable::on);
    form_.rec->setChecked(row->recDown);
    form_._pause->setEnabled(enabled(row->pause, link));
    form_._pause->setChecked(row->pauseDown);
    form_._stop->setEnabled(enabled(row->stop, link));

    const bool arrows = row->arrows == Arrows::link && link;
    form_.ssleft->setEnabled(arrows || (row->arrows == Arrows::held && form_.holdDown));
    form_.sleft->setEnabled(arrows);
    form_.sright->setEnabled(arrows);
    form_.ssright->setEnabled(arrows || (row->arrows == Arrows::held && form_.holdUp));
    form_.setup->setEnabled(row->setupAndReset);
    form_.BitBtn3->setEnabled(row->setupAndReset);
    if (row->scanActive != Enable::unchanged)
        form_.scanActive = row->scanActive == Enable::on;

    if (TForm12* moveArm = form_.peers().moveArm; moveArm && row != &kAdjusting && row != &kCalibrating) {
        if (state == engine::scanIdle)
            moveArm->setSpinButtonsEnabled(true);
        else if (state == engine::scanMovingArm)
            moveArm->setSpinButtonsEnabled(false);
    }
}

void FormUpdates::refreshIdleEstimate(engine::TRS& thread) {
    if (form_.tl->text() != thread.remainingText)
        form_.tl->setText(thread.remainingText);
}

void FormUpdates::showRemainingTime(engine::TRS& thread) {
    form_.tl->setText(thread.remainingText);
}

void FormUpdates::enableRecordControls(const engine::TRS& thread) {
    const bool connected = thread.controlsEnabled.load();
    const bool modified = thread.liveRecord && thread.liveRecord->modified.load();
    const bool live = form_.lista->currentIndex() == 0;
    const bool settings = connected && !modified && live;
    setEnabled({form_.SpinButton1, form_.SpinButton2, form_.SpinButton3, form_.st, form_.SpinButton4,
                form_.SpinButton5},
               settings);
    const bool selections = connected && !modified;
    if (TForm13* scalar = form_.peers().scalar)
        scalar->enableSelections(selections);
    form_.smode->setEnabled(selections);
}

void FormUpdates::updateRecordControls(engine::TRS& thread) {
    enableRecordControls(thread);
}

void FormUpdates::updateControlEnabling(engine::TRS& thread) {
    enableRecordControls(thread);
    const bool connected = thread.controlsEnabled.load();
    const PeerWindows& peers = form_.peers();
    setEnabled({form_.setup, form_.ssleft, form_.sleft, form_.sright, form_.ssright, form_.HV, form_.speaker,
                form_.BitBtn3, form_.rec, form_._pause, form_._stop},
               connected);
    if (peers.scalar)
        peers.scalar->enableHv(connected);
    if (connected)
        return;
    // The link is lost: the dialogs that need the apparatus close.
    form_.closeApparatusDialogs();
}

void FormUpdates::mergePendingRequests(engine::TRS&) {
    // The engine has moved the pending requests into its active set; the windows show nothing of it.
}

void FormUpdates::showScalarResult(engine::TRS& thread) {
    const PeerWindows& peers = form_.peers();
    if (peers.scalar)
        peers.scalar->addResultRow(thread.scalarRate, thread.tubeCurrent);
    if (peers.waiting)
        peers.waiting->endWait(ui::mrOk);
}

void FormUpdates::abortDataWait(engine::TRS&) {
    if (DataWait* waiting = form_.peers().waiting)
        waiting->endWait(ui::mrAbort);
}

void FormUpdates::showSettingsFailure(engine::TRS& thread) {
    form_.showStatusNote(thread.settingsFailure);
}

void FormUpdates::releaseMoveButton(engine::TRS&) {
    if (TForm12* moveArm = form_.peers().moveArm)
        moveArm->releaseMoveButton();
}
