// The routines that show the live scan and the apparatus's settings: read-outs and the growing
// curve, the replaced live record, the live entry of the record list, and the setting controls.
#include "mainwindow/formupdates.h"

#include "mainwindow/plot/scanplot.h"
#include "mainwindow/tform1.h"
#include "scalar/tform13.h"
#include "setup/tform4.h"
#include "widgets/controls.h"

#include "engine/trs.h"
#include "records/real48.h"
#include "records/trecdata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    if (palette.color(QPalette::WindowText) == colour)
        return;
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// The scalar-mode selections take the apparatus's radiator, filter, detector position and filter
// thickness.
void showScalarSelections(TForm13* scalar, const zavo::DeviceConfig& config) {
    if (scalar)
        scalar->showSelections(config.radiatorSelection, config.filterSelection, config.detectorPosition,
                               records::decodeReal48(config.filterThickness));
}

void setDownIfChanged(SpeedButton* button, bool down) {
    if (button->isChecked() != down)
        button->setChecked(down);
}

} // namespace

void FormUpdates::refreshReadouts(engine::TRS& thread) {
    const QPalette& colours = form_.palette();
    const QColor windowText = colours.color(QPalette::Active, QPalette::WindowText);
    const QColor greyText = colours.color(QPalette::Disabled, QPalette::WindowText);
    setTextColour(form_.CA, thread.atRangeEnd ? QColor(255, 0, 0) : windowText);
    setTextIfChanged(form_.CA, thread.angleText);
    setTextIfChanged(form_.CV, thread.rateText);
    setTextIfChanged(form_.CI, thread.currentText);
    setTextIfChanged(form_.CHV, thread.hvText);
    setTextColour(form_.CHV, thread.hvIsOn.load() ? windowText : greyText);
    TForm13* scalar = form_.peers().scalar;
    if (scalar)
        scalar->showCurrent(thread.currentText);

    // The engine has grown the automatic full scale from the new points and forgets them afterwards.
    if (const engine::PlotChange& change = thread.plotChange(); change.newPoints && liveDisplayed(thread)) {
        if (change.fullScaleRaised)
            form_.rangeChange(false);
        form_.plot->drawCurveStrip(change.stripFrom, change.stripTo);
    }

    if (!thread.shuttingDown.load() && !thread.requestSet.contains(engine::shutDown)) {
        setDownIfChanged(form_.HV, thread.hvIsOn.load());
        if (scalar)
            scalar->showHvOn(thread.hvIsOn.load());
        setDownIfChanged(form_.speaker, thread.speakerIsOn.load());
    }
}

void FormUpdates::releaseLiveRecord(engine::TRS& thread) {
    // A new scan starts afresh: the labels of the record that goes go with it.
    form_.forgetEvaluation(thread.liveRecord.get());
    form_.releaseLiveOverlay();
    if (liveDisplayed(thread))
        form_.showRecord(nullptr);
}

void FormUpdates::replaceLiveRecord(engine::TRS& thread) {
    if (!thread.liveRecord)
        return;
    trecdata& live = *thread.liveRecord;
    form_.showRecord(&live);
    if (form_.lista->currentIndex() != 0)
        return;
    form_.fillRegionGrid(live);
    form_.dall->setChecked(true);
    showScalarSelections(form_.peers().scalar, thread.config);
    if (thread.config.rangeMode < form_.range->count())
        form_.range->setCurrentIndex(thread.config.rangeMode);
    form_.rangeChange(false);
}

void FormUpdates::showLiveEntry(engine::TRS& thread) {
    if (!thread.liveRecord)
        return;
    if (liveDisplayed(thread))
        form_.showRecord(nullptr);
    form_.lista->setItemText(0, thread.liveEntryLabel());
    form_.showRecord(thread.liveRecord.get());
    form_.lista->setCurrentIndex(0);
}

void FormUpdates::refreshLiveEntry(engine::TRS& thread) {
    if (liveDisplayed(thread))
        form_.plot->invalidateHeader();
    const QString label = thread.liveEntryLabel();
    if (form_.lista->itemText(0) == label)
        return;
    form_.lista->setItemText(0, label);
    if (form_.lista->currentIndex() == 0) {
        form_.lista->setCurrentIndex(0);
        form_.lista->update();
    }
}

void FormUpdates::redrawLiveRecord(engine::TRS& thread) {
    if (!liveDisplayed(thread))
        return;
    form_.showRecord(nullptr);
    form_.showRecord(thread.liveRecord.get());
}

void FormUpdates::refreshSettingControls(engine::TRS& thread) {
    const zavo::DeviceConfig& config = thread.config;
    if (const int entry = console::angularStepEntry(config.angularStep); entry >= 0)
        form_.st->setCurrentIndex(entry);
    form_.sfrq->setText(QString::asprintf("%0.1f ", config.countingTime / 10.0));
    const QString volts = QString::asprintf("%d ", config.hvSetting * 5);
    form_.HVctrl->setText(volts);
    form_.HV->setChecked(false);
    const PeerWindows& peers = form_.peers();
    if (TForm13* scalar = peers.scalar) {
        scalar->showCountingTime(config.scalarCountTime);
        scalar->showDetectorVolts(volts);
        scalar->showHvOn(false);
        showScalarSelections(scalar, config);
    }
    if (TForm4* setupDialog = peers.setup)
        setupDialog->showHvLimit(config.hvLimit, config.hvLimitEnabled != 0);
}
