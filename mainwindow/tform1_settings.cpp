// The settings of the main window: counting time and detector voltage spin buttons, angular step,
// vertical range, offset switch and the comment of the displayed record.
#include "mainwindow/tform1.h"

#include "mainwindow/plot/scanplot.h"
#include "scalar/tform13.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"
#include "widgets/steprules.h"
#include "widgets/typedentry.h"

#include "engine/trs.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <array>

namespace {

constexpr int kMinCountingTenths = 1;
constexpr int kMaxCountingTenths = engine::kMaxCountingTime;

} // namespace

void TForm1::SpinButton3Click(int step, bool up) {
    const std::optional<int> tenths = ui::readoutScaled(sfrq->text(), 10);
    if (!tenths)
        return;
    const std::optional<int> next = ui::stepWithin(*tenths, step, up, kMinCountingTenths, kMaxCountingTenths);
    if (next)
        applyCountingTime(*next);
}

void TForm1::applyCountingTime(int tenths) {
    if (!thread_)
        return;
    sfrq->setText(QString::asprintf("%.1f ", tenths / 10.0));
    thread_->requestCountingTime(tenths);
}

std::optional<int> TForm1::detectorVoltLimit() const {
    if (!thread_)
        return std::nullopt;
    const zavo::DeviceConfig config = thread_->configSnapshot();
    return config.hvLimitEnabled ? std::optional<int>(config.hvLimit * 5) : std::nullopt;
}

void TForm1::makeSettingsTypeable() {
    // Typed values follow the finest arrow's step and the group's bounds; the HV limit caps them as
    // it caps the up arrows.
    ui::makeTypeable(sfrq, {[](const QString& text) {
                                return ui::typedValue(text, 10, 1, kMinCountingTenths, kMaxCountingTenths);
                            },
                            [this](int tenths) { applyCountingTime(tenths); },
                            [this] { return SpinButton1->isEnabled(); }});
    ui::makeTypeable(HVctrl,
                     {[this](const QString& text) {
                          return ui::typedValue(text, 1, 5, 0,
                                                detectorVoltLimit().value_or(ui::kMaxDetectorVolts));
                      },
                      [this](int volts) { applyDetectorVolts(std::min(volts, ui::kMaxDetectorVolts)); },
                      [this] { return SpinButton4->isEnabled(); }});
}

std::optional<int> TForm1::shownDetectorVolts() const {
    const std::optional<double> volts = ui::readoutNumber(HVctrl->text());
    if (!volts)
        return std::nullopt;
    return static_cast<int>(*volts);
}

void TForm1::SpinButton5Click(int step, bool up) {
    const std::optional<int> volts = shownDetectorVolts();
    if (!volts || !thread_)
        return;
    const std::optional<int> next = ui::stepDetectorVolts(*volts, step, up, detectorVoltLimit());
    if (next)
        applyDetectorVolts(*next);
}

void TForm1::applyDetectorVolts(int volts) {
    if (!thread_)
        return;
    const QString text = QString::number(volts) + QLatin1Char(' ');
    HVctrl->setText(text);
    if (TForm13* scalar = peers_.scalar)
        scalar->showDetectorVolts(text);
    thread_->requestDetectorHv(volts / 5);
}

void TForm1::showLoweredDetectorVolts(int volts) {
    const QString text = QString::number(volts) + QLatin1Char(' ');
    if (lista->currentIndex() == 0)
        HVctrl->setText(text);
    if (TForm13* scalar = peers_.scalar)
        scalar->showDetectorVolts(text);
}

void TForm1::stChange() {
    const int index = st->currentIndex();
    if (index < 0 || index >= static_cast<int>(console::kAngularSteps.size()) || !thread_)
        return;
    thread_->requestAngularStep(console::kAngularSteps[static_cast<std::size_t>(index)]);
}

void TForm1::rangeChange(bool byUser) {
    const int index = range->currentIndex();
    if (displayedRecord_ && byUser && index >= 0)
        displayedRecord_->SetRangeMode(static_cast<std::uint8_t>(index));
    plot->resetVerticalZoom();
    if (lista->currentIndex() == 0 && byUser && index >= 0 && thread_)
        thread_->requestRangeMode(index);
    repaintPlot();
}

void TForm1::colourOffsetLabel() {
    QPalette colours = Label10->palette();
    const QPalette::ColorGroup group = offseton->isChecked() ? QPalette::Active : QPalette::Disabled;
    colours.setColor(QPalette::WindowText, palette().color(group, QPalette::WindowText));
    Label10->setPalette(colours);
}

void TForm1::offsetonClick() {
    if (!displayedRecord_)
        return;
    const bool on = offseton->isChecked();
    if (thread_ && displayedRecord_ == thread_->liveRecord.get())
        thread_->requestOffsetEnabled(on);
    colourOffsetLabel();
    displayedRecord_->offsetEnabled = on;
    repaintPlot();
}

void TForm1::applyRecordOffset(int offset) {
    trecdata* record = displayedRecord_;
    if (!record)
        return;
    record->SetOffset(offset);
    if (thread_ && record == thread_->liveRecord.get())
        return; // the thread redraws its live record once it has taken the offset
    showRecord(nullptr);
    showRecord(record);
}

void TForm1::commentChange() {
    if (displayedRecord_ && !commentLoading)
        displayedRecord_->SetComment(comment->toPlainText());
}

void TForm1::repaintPlot() {
    plot->repaintAll();
}
