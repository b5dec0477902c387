#include "setup/tform12.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"
#include "widgets/spinbutton.h"

#include "engine/trs.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

TForm12::TForm12(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Move arm"));
    setFixedSize(300, 118);

    ui::makeLabel(this, QStringLiteral("Destination angle [deg]"), 12, 12);
    const ui::AngleField field = ui::makeAngleField(this, 12, 32, 110, &TForm12::hundredthsRange);
    angl = field.readout;
    angl->setObjectName(QStringLiteral("angl"));
    angl->setText(QStringLiteral("1"));
    ui::setBold(angl, true);
    SpinButton3 = field.buttons[0];
    SpinButton2 = field.buttons[1];
    SpinButton1 = field.buttons[2];
    SpinButton3->setObjectName(QStringLiteral("SpinButton3"));
    SpinButton2->setObjectName(QStringLiteral("SpinButton2"));
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));

    SpeedButton1 = new SpeedButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setCheckable(true);
    SpeedButton1->setText(QStringLiteral("Move to"));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton1->setIcon(ui::glyph(ui::Glyph::stepUp));
    SpeedButton1->setToolTip(QStringLiteral("Move arm to desired angle"));
    SpeedButton1->setGeometry(200, 30, 88, 29);
    connect(SpeedButton1, &SpeedButton::clicked, this, &TForm12::SpeedButton1Click);

    BitBtn1 = new QPushButton(ui::glyph(ui::Glyph::close), QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(200, 76, 88, 29);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm12::BitBtn1Click);
}

std::pair<int, int> TForm12::targetRange() {
    if (!acquisitionThread)
        return {0, 0};
    const int offset = acquisitionThread->configSnapshot().effectiveOffset();
    return {offset + acquisitionThread->scanStart.load(), offset + acquisitionThread->scanEnd.load()};
}

std::pair<int, int> TForm12::hundredthsRange() {
    const auto [lo, hi] = targetRange();
    return {lo * 5, hi * 5};
}

void TForm12::showArmAngle(int armAngle) {
    angl->setText(ui::angleUnitsText(armAngle));
}

void TForm12::setSpinButtonsEnabled(bool enabled) {
    for (SpinButton* button : {SpinButton1, SpinButton2, SpinButton3})
        button->setEnabled(enabled);
}

void TForm12::releaseMoveButton() {
    SpeedButton1->setChecked(false);
}

void TForm12::closeCancelled() {
    ui::endModal(this, ui::mrCancel);
}

void TForm12::SpeedButton1Click() {
    if (!acquisitionThread) {
        SpeedButton1->setChecked(false);
        return;
    }
    if (!SpeedButton1->isChecked()) {
        acquisitionThread->requestStop();
        return;
    }
    // Without a link there is no scan range to clamp to, and nothing to move.
    const std::optional<int> wanted = ui::readoutAngleUnits(angl->text());
    if (!wanted || !acquisitionThread->linkReady.load()) {
        SpeedButton1->setChecked(false);
        return;
    }
    const auto [lo, hi] = targetRange();
    acquisitionThread->requestMoveArm(std::min(std::max(*wanted, lo), hi));
}

void TForm12::BitBtn1Click() {
    if (SpeedButton1->isChecked() && acquisitionThread)
        acquisitionThread->requestStop();
    done(ui::mrOk);
}

void TForm12::done(int result) {
    SpeedButton1->setChecked(false);
    QDialog::done(result);
}

void TForm12::reject() {
    BitBtn1Click();
}

void TForm12::showEvent(QShowEvent* event) {
    SpeedButton1->setChecked(false);
    QDialog::showEvent(event);
}
