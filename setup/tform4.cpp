#include "tform4.h"

#include "controls.h"
#include "glyphs.h"
#include "spinbutton.h"
#include "steprules.h"

#include "profilefile.h"
#include "trecdata.h"
#include "trs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int kDefaultPeakUnits = 900; // 45.00 degree
constexpr int kMinRangeHundredths = 1000;
constexpr int kTopAngleHundredths = 13000;

zavo::DeviceConfig threadConfig() {
    return acquisitionThread ? acquisitionThread->configSnapshot() : zavo::DeviceConfig{};
}

std::pair<int, int> armRangeHundredths() {
    const zavo::DeviceConfig config = threadConfig();
    return {config.armMin * 5, config.armMax * 5};
}

std::pair<int, int> scanRangeHundredths() {
    if (!acquisitionThread)
        return {0, 0};
    const int offset = threadConfig().effectiveOffset();
    return {(acquisitionThread->scanStart.load() + offset) * 5,
            (acquisitionThread->scanEnd.load() + offset) * 5};
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

void nameButtons(const ui::AngleField& field, const char* coarse, const char* middle, const char* fine) {
    field.buttons[0]->setObjectName(QLatin1String(coarse));
    field.buttons[1]->setObjectName(QLatin1String(middle));
    field.buttons[2]->setObjectName(QLatin1String(fine));
}

} // namespace

std::optional<int> peakPosition(const trecdata& record) {
    double best = -1;
    std::optional<int> position;
    for (int angle = record.FirstAngle(); angle <= record.LastAngle(); ++angle) {
        if (!record.IsValidAt(angle))
            continue;
        const double value = record.ValueAtAngle(angle);
        if (value > best) {
            best = value;
            position = angle;
        }
    }
    return position;
}

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Setup"));
    setFixedSize(480, 392);

    auto* offsetBox = new QGroupBox(QStringLiteral("Angle offset"), this);
    offsetBox->setGeometry(8, 8, 464, 96);
    ui::makeLabel(offsetBox, QStringLiteral("Peak found at"), 12, 28);
    ui::AngleField field = ui::makeAngleField(offsetBox, 130, 24, 80, &armRangeHundredths);
    peakat = field.readout;
    nameButtons(field, "SpinButton17", "SpinButton16", "SpinButton15");
    SpinButton17 = field.buttons[0];
    SpinButton16 = field.buttons[1];
    SpinButton15 = field.buttons[2];
    ui::makeLabel(offsetBox, QStringLiteral("Peak expected at"), 12, 62);
    field = ui::makeAngleField(offsetBox, 130, 58, 80, &armRangeHundredths);
    peakpos = field.readout;
    nameButtons(field, "SpinButton3", "SpinButton2", "SpinButton1");
    SpinButton3 = field.buttons[0];
    SpinButton2 = field.buttons[1];
    SpinButton1 = field.buttons[2];
    BitBtn4 = makeButton(offsetBox, "BitBtn4", QStringLiteral("Set offset"),
                         QStringLiteral("Sets peak position to a given angle"), {300, 22, 150, 29});
    BitBtn2 = makeButton(offsetBox, "BitBtn2", QStringLiteral("Discard offset"),
                         QStringLiteral("Sets peak position to a given angle"), {300, 56, 150, 29});

    auto* armBox = new QGroupBox(QStringLiteral("Arm position"), this);
    armBox->setGeometry(8, 110, 464, 62);
    field = ui::makeAngleField(armBox, 130, 24, 80, &scanRangeHundredths);
    Newarmpos = field.readout;
    nameButtons(field, "SpinButton6", "SpinButton5", "SpinButton4");
    SpinButton6 = field.buttons[0];
    SpinButton5 = field.buttons[1];
    SpinButton4 = field.buttons[2];
    BitBtn3 = makeButton(armBox, "BitBtn3", QStringLiteral("Set arm pos."),
                         QStringLiteral("Set arm angle to a given value"), {12, 22, 110, 29});
    BitBtn9 = makeButton(armBox, "BitBtn9", QStringLiteral("Coarse angle calibration"),
                         QStringLiteral("Locate arm position."), {300, 22, 150, 29});

    auto* rangeBox = new QGroupBox(QStringLiteral("Physical arm range"), this);
    rangeBox->setGeometry(8, 178, 464, 96);
    ui::makeLabel(rangeBox, QStringLiteral("Start"), 12, 28);
    field = ui::makeAngleField(rangeBox, 130, 24, 80, [this] {
        const std::optional<int> high = ui::readoutHundredths(hiangl->text());
        return std::pair{0, high.value_or(kTopAngleHundredths) - kMinRangeHundredths};
    });
    loangl = field.readout;
    nameButtons(field, "SpinButton9", "SpinButton8", "SpinButton7");
    SpinButton9 = field.buttons[0];
    SpinButton8 = field.buttons[1];
    SpinButton7 = field.buttons[2];
    ui::makeLabel(rangeBox, QStringLiteral("End"), 12, 62);
    field = ui::makeAngleField(rangeBox, 130, 58, 80, [this] {
        const std::optional<int> low = ui::readoutHundredths(loangl->text());
        return std::pair{low.value_or(0) + kMinRangeHundredths, kTopAngleHundredths};
    });
    hiangl = field.readout;
    nameButtons(field, "SpinButton12", "SpinButton11", "SpinButton10");
    SpinButton12 = field.buttons[0];
    SpinButton11 = field.buttons[1];
    SpinButton10 = field.buttons[2];
    BitBtn5 = makeButton(rangeBox, "BitBtn5", QStringLiteral("Set phys. arm rng."), {}, {300, 40, 150, 29});
    loangl->setText(ui::hundredthsText(1500));
    hiangl->setText(ui::hundredthsText(12500));

    hvlon = new QCheckBox(QStringLiteral("Detector HV limit  [V]"), this);
    hvlon->setObjectName(QStringLiteral("hvlon"));
    hvlon->setGeometry(20, 286, 180, 24);
    HVctrl = ui::makeReadout(this, QStringLiteral("0"));
    HVctrl->setObjectName(QStringLiteral("HVctrl"));
    ui::setBold(HVctrl, true);
    HVctrl->setGeometry(210, 284, 70, 25);
    SpinButton14 = new SpinButton(50, this);
    SpinButton14->setObjectName(QStringLiteral("SpinButton14"));
    SpinButton14->move(284, 284);
    SpinButton13 = new SpinButton(5, this);
    SpinButton13->setObjectName(QStringLiteral("SpinButton13"));
    SpinButton13->move(306, 284);

    acoarses = new QCheckBox(QStringLiteral("Automatic coarse arm caibration"), this);
    acoarses->setObjectName(QStringLiteral("acoarses"));
    acoarses->setToolTip(QStringLiteral("Execute coarse arm calibration before each ful scan"));
    acoarses->setGeometry(20, 318, 260, 24);
    shints = new QCheckBox(QStringLiteral("Show hints"), this);
    shints->setObjectName(QStringLiteral("shints"));
    shints->setGeometry(20, 348, 200, 24);

    BitBtn1 = new QPushButton(ui::glyph(ui::Glyph::close), QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(362, 346, 110, 29);
    BitBtn1->setAutoDefault(false);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(BitBtn2, &QPushButton::clicked, this, &TForm4::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm4::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm4::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm4::BitBtn5Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm4::BitBtn9Click);
    connect(hvlon, &QCheckBox::clicked, this, &TForm4::hvlonClick);
    connect(shints, &QCheckBox::clicked, this, &TForm4::shintsClick);
    connect(acoarses, &QCheckBox::clicked, this, &TForm4::acoarsesClick);
    for (SpinButton* button : {SpinButton13, SpinButton14}) {
        connect(button, &SpinButton::upClick, this,
                [this, button] { SpinButton14Click(button->tag(), true); });
        connect(button, &SpinButton::downClick, this,
                [this, button] { SpinButton14Click(button->tag(), false); });
    }
}

TForm4::~TForm4() {
    if (!settingsPath_.isEmpty())
        engine::ProfileFile(settingsPath_)
            .writeString(QStringLiteral("Hints"), QStringLiteral("show"),
                         shints->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void TForm4::prepare(const trecdata* displayed) {
    const std::optional<int> peak = displayed ? peakPosition(*displayed) : std::nullopt;
    peakat->setText(ui::angleUnitsText(peak.value_or(kDefaultPeakUnits)));
    peakpos->setText(ui::angleUnitsText(kDefaultPeakUnits));
    if (!acquisitionThread)
        return;
    const zavo::DeviceConfig config = threadConfig();
    const int arm = acquisitionThread->armAngle.load();
    int shown = arm - config.effectiveOffset();
    if (arm < config.armMin)
        shown = config.armMin;
    else if (arm > config.armMax)
        shown = config.armMax;
    Newarmpos->setText(ui::angleUnitsText(shown));
    loangl->setText(ui::angleUnitsText(config.armMin));
    hiangl->setText(ui::angleUnitsText(config.armMax));
    acoarses->setChecked(config.autoCoarseCalibration != 0);
}

void TForm4::postOffset(int offset) {
    if (!acquisitionThread)
        return;
    acquisitionThread->offsetRequest.store(offset);
    acquisitionThread->post(engine::applyOffset);
    if (hooks.offsetApplied)
        hooks.offsetApplied(offset);
}

void TForm4::BitBtn4Click() {
    const std::optional<int> found = ui::readoutHundredths(peakat->text());
    const std::optional<int> expected = ui::readoutHundredths(peakpos->text());
    if (!found || !expected)
        return;
    const int shift = static_cast<int>(std::nearbyint((*expected - *found) / 5.0));
    postOffset(threadConfig().effectiveOffset() + shift);
}

void TForm4::BitBtn2Click() {
    postOffset(0);
}

void TForm4::BitBtn3Click() {
    const std::optional<int> position = ui::readoutAngleUnits(Newarmpos->text());
    if (!acquisitionThread || !position)
        return;
    acquisitionThread->armPositionRequest.store(*position);
    acquisitionThread->post(engine::setArmPosition);
}

void TForm4::BitBtn5Click() {
    const std::optional<int> low = ui::readoutAngleUnits(loangl->text());
    const std::optional<int> high = ui::readoutAngleUnits(hiangl->text());
    if (!acquisitionThread || !low || !high)
        return;
    acquisitionThread->armMinRequest.store(*low);
    acquisitionThread->armMaxRequest.store(*high);
    acquisitionThread->post(engine::setArmMin);
    acquisitionThread->post(engine::setArmMax);
}

void TForm4::BitBtn9Click() {
    if (acquisitionThread)
        acquisitionThread->post(engine::coarseCalibration);
}

std::optional<int> TForm4::limitVolts() const {
    const std::optional<double> volts = ui::readoutNumber(HVctrl->text());
    if (!volts)
        return std::nullopt;
    return static_cast<int>(*volts);
}

void TForm4::lowerDetectorHv(int limit) {
    if (!hvlon->isChecked() || !hooks.shownDetectorVolts)
        return;
    const std::optional<int> shown = hooks.shownDetectorVolts();
    if (!shown || limit >= *shown)
        return;
    if (hooks.showDetectorVolts)
        hooks.showDetectorVolts(limit);
    if (acquisitionThread) {
        acquisitionThread->hvRequest.store(limit / 5);
        acquisitionThread->post(engine::setDetectorHv);
    }
}

void TForm4::SpinButton14Click(int step, bool up) {
    const std::optional<int> limit = limitVolts();
    if (!limit)
        return;
    const std::optional<int> next = ui::stepDetectorVolts(*limit, step, up, std::nullopt);
    if (!next)
        return;
    HVctrl->setText(QString::number(*next) + QLatin1Char(' '));
    if (acquisitionThread) {
        acquisitionThread->hvLimitRequest.store(*next / 5);
        acquisitionThread->post(engine::setHvLimit);
    }
    if (!up)
        lowerDetectorHv(*next);
}

void TForm4::hvlonClick() {
    if (const std::optional<int> limit = limitVolts())
        lowerDetectorHv(*limit);
    if (acquisitionThread) {
        acquisitionThread->hvLimitEnabledRequest.store(hvlon->isChecked() ? 1 : 0);
        acquisitionThread->post(engine::setHvLimitEnabled);
    }
}

void TForm4::shintsClick() {
    if (hooks.applyHints)
        hooks.applyHints(shints->isChecked());
}

void TForm4::acoarsesClick() {
    if (!acquisitionThread)
        return;
    acquisitionThread->autoCoarseRequest.store(acoarses->isChecked() ? 1 : 0);
    acquisitionThread->post(engine::setAutoCoarse);
    acquisitionThread->calibrateThenScan.store(false);
}
