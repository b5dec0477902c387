// The scalar-mode window's settings: counting time and detector HV spin buttons, the HV switch, and
// the radiator, filter, detector-position and thickness declarations, each posted to the thread.
#include "scalar/tform13.h"

#include "widgets/controls.h"
#include "widgets/steprules.h"

#include "engine/trs.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int kMinCountingTenths = 1;    // 0.1 s
constexpr int kMaxCountingTenths = 3000; // 300 s

// Runs a request call of the thread, when there is one (windows exist without it in some tests).
template <class Call>
void request(Call call) {
    if (engine::TRS* thread = acquisitionThread) {
        call(*thread);
    }
}

} // namespace

void TForm13::SpinButton3Click(int tag, bool up) {
    const std::optional<int> tenths = ui::readoutScaled(sfrq->text(), 10);
    if (!tenths) {
        return;
    }
    const std::optional<int> next = ui::stepWithin(*tenths, tag, up, kMinCountingTenths, kMaxCountingTenths);
    if (!next) {
        return;
    }
    sfrq->setText(QString::asprintf("%.1f ", *next / 10.0));
    request([&](engine::TRS& t) { t.requestScalarTime(*next * 10); });
}

void TForm13::SpinButton5Click(int tag, bool up) {
    const std::optional<double> shown = ui::readoutNumber(HVctrl->text());
    if (!shown) {
        return;
    }
    std::optional<int> limit;
    if (engine::TRS* thread = acquisitionThread) {
        const zavo::DeviceConfig config = thread->configSnapshot();
        if (config.hvLimitEnabled) {
            limit = config.hvLimit * 5;
        }
    }
    const std::optional<int> next = ui::stepDetectorVolts(static_cast<int>(*shown), tag, up, limit);
    if (!next) {
        return;
    }
    const QString text = QString::number(*next) + QLatin1Char(' ');
    HVctrl->setText(text);
    if (detectorVoltsShown) {
        detectorVoltsShown(*next);
    }
    request([&](engine::TRS& t) { t.requestDetectorHv(*next / 5); });
}

void TForm13::HVClick() {
    request([&](engine::TRS& t) { t.requestHv(HV->isChecked()); });
}

void TForm13::rrsChange() {
    request([&](engine::TRS& t) { t.requestRadiator(rrs->currentIndex()); });
}

void TForm13::fsChange() {
    request([&](engine::TRS& t) { t.requestFilter(fs->currentIndex()); });
}

void TForm13::dpChange() {
    request([&](engine::TRS& t) { t.requestDetectorPosition(dp->currentIndex()); });
}

bool TForm13::ftExit() {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double thickness = locale.toDouble(ft->text().trimmed(), &ok);
    if (!ok) {
        // Back into the edit once the focus change that brought us here is over.
        QTimer::singleShot(0, ft, [edit = ft] { edit->setFocus(); });
        if (beep) {
            beep();
        }
        return false;
    }
    request([&](engine::TRS& t) { t.requestFilterThickness(thickness); });
    return true;
}

bool TForm13::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ft && event->type() == QEvent::FocusOut && isVisible()) {
        ftExit();
    }
    return QDialog::eventFilter(watched, event);
}
