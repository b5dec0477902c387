// The scan and arm controls of the bottom bar: start, pause and stop a scan, high voltage and
// loudspeaker, and the four arm buttons.
#include "mainwindow/tform1.h"

#include "mainwindow/consolerules.h"
#include "widgets/controls.h"
#include "widgets/messages.h"

#include "engine/trs.h"

#include <QLabel>

std::optional<console::Arm> TForm1::armState() const {
    if (!thread_)
        return std::nullopt;
    const zavo::DeviceConfig config = thread_->configSnapshot();
    console::Arm arm;
    arm.o = config.effectiveOffset();
    arm.p = thread_->armAngle.load() + arm.o;
    arm.low = config.armMin;
    arm.high = config.armMax;
    return arm;
}

void TForm1::moveArmBy(std::optional<int> (*rule)(const console::Arm&)) {
    const std::optional<console::Arm> arm = armState();
    if (!arm)
        return;
    if (const std::optional<int> target = rule(*arm))
        thread_->requestMoveArm(*target);
}

void TForm1::endHold(bool (*stops)(const console::Arm&), SpeedButton* button) {
    const std::optional<console::Arm> arm = armState();
    if (arm && stops(*arm))
        thread_->requestStop();
    button->setEnabled(false);
}

void TForm1::recClick() {
    // A running scan cannot be restarted from this button.
    if (scanActive) {
        rec->setChecked(true);
        return;
    }
    if (thread_ && thread_->liveRecord && thread_->liveRecord->modified.load()) {
        if (!ui::askProceed(this, QLatin1String(records::kScanWillBeLost))) {
            // Nothing changes, the button included.
            rec->setChecked(!rec->isChecked());
            sfrq->setEnabled(true);
            return;
        }
    }
    if (!thread_)
        return;
    sfrq->setEnabled(true);
    if (rec->isChecked())
        thread_->requestScan(thread_->configSnapshot().autoCoarseCalibration != 0);
    else
        thread_->rebuildLiveRecord();
    scanActive = true;
}

void TForm1::_pauseClick() {
    if (thread_)
        thread_->requestPause(_pause->isChecked());
}

void TForm1::_stopClick() {
    if (thread_)
        thread_->requestStop();
}

void TForm1::HVClick() {
    if (thread_)
        thread_->requestHv(HV->isChecked());
}

void TForm1::speakerClick() {
    if (thread_)
        thread_->requestSpeaker(speaker->isChecked());
}

void TForm1::sleftClick() {
    moveArmBy(console::stepDownTarget);
}

void TForm1::srightClick() {
    moveArmBy(console::stepUpTarget);
}

void TForm1::ssleftMouseDown() {
    holdDown = true;
    moveArmBy(console::holdDownTarget);
}

void TForm1::ssrightMouseDown() {
    holdUp = true;
    moveArmBy(console::holdUpTarget);
}

void TForm1::ssleftMouseUp() {
    holdDown = false;
    endHold(console::releaseDownStops, ssleft);
}

void TForm1::ssrightMouseUp() {
    holdUp = false;
    endHold(console::releaseUpStops, ssright);
}
