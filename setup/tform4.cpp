#include "setup/tform4.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"
#include "widgets/messages.h"
#include "widgets/spinbutton.h"
#include "widgets/steprules.h"

#include "engine/profilefile.h"
#include "engine/trs.h"
#include "records/trecdata.h"

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
    QPushButton* button = ui::makeButton(parent, name, QIcon(), caption, place);
    button->setToolTip(hint);
    return button;
}

// An angle read-out with its three spin buttons (5.00, 0.50 and 0.05 degree) at the given height of
// a group box; the buttons are stored and named.
QLabel* placeAngleField(QWidget* box, int y, ui::AngleBounds bounds,
                        const std::array<SpinButton**, 3>& buttons, const std::array<const char*, 3>& names) {
    const ui::AngleField field = ui::makeAngleField(box, 130, y, 80, std::move(bounds));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        field.buttons[i]->setObjectName(QLatin1String(names[i]));
        *buttons[i] = field.buttons[i];
    }
    return field.readout;
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
    peakat =
        placeAngleField(offsetBox, 24, &armRangeHundredths, {&SpinButton17, &SpinButton16, &SpinButton15},
                        {"SpinButton17", "SpinButton16", "SpinButton15"});
    ui::makeLabel(offsetBox, QStringLiteral("Peak expected at"), 12, 62);
    peakpos = placeAngleField(offsetBox, 58, &armRangeHundredths, {&SpinButton3, &SpinButton2, &SpinButton1},
                              {"SpinButton3", "SpinButton2", "SpinButton1"});
    BitBtn4 = makeButton(offsetBox, "BitBtn4", QStringLiteral("Set offset"),
                         QStringLiteral("Sets peak position to a given angle"), {300, 22, 150, 29});
    BitBtn2 = makeButton(offsetBox, "BitBtn2", QStringLiteral("Discard offset"),
                         QStringLiteral("Sets peak position to a given angle"), {300, 56, 150, 29});

    auto* armBox = new QGroupBox(QStringLiteral("Arm position"), this);
    armBox->setGeometry(8, 110, 464, 62);
    Newarmpos = placeAngleField(armBox, 24, &scanRangeHundredths, {&SpinButton6, &SpinButton5, &SpinButton4},
                                {"SpinButton6", "SpinButton5", "SpinButton4"});
    BitBtn3 = makeButton(armBox, "BitBtn3", QStringLiteral("Set arm pos."),
                         QStringLiteral("Set arm angle to a given value"), {12, 22, 110, 29});
    BitBtn9 = makeButton(armBox, "BitBtn9", QStringLiteral("Coarse angle calibration"),
                         QStringLiteral("Locate arm position."), {300, 22, 150, 29});

    auto* rangeBox = new QGroupBox(QStringLiteral("Physical arm range"), this);
    rangeBox->setGeometry(8, 178, 464, 96);
    ui::makeLabel(rangeBox, QStringLiteral("Start"), 12, 28);
    loangl = placeAngleField(
        rangeBox, 24,
        [this] {
            const std::optional<int> high = ui::readoutHundredths(hiangl->text());
            return std::pair{0, high.value_or(kTopAngleHundredths) - kMinRangeHundredths};
        },
        {&SpinButton9, &SpinButton8, &SpinButton7}, {"SpinButton9", "SpinButton8", "SpinButton7"});
    ui::makeLabel(rangeBox, QStringLiteral("End"), 12, 62);
    hiangl = placeAngleField(rangeBox, 58,
                             [this] {
                                 const std::optional<int> low = ui::readoutHundredths(loangl->text());
                                 return std::pair{low.value_or(0) + kMinRangeHundredths, kTopAngleHundredths};
                             },
                             {&SpinButton12, &SpinButton11, &SpinButton10},
                             {"SpinButton12", "SpinButton11", "SpinButton10"});
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

    evaluation = new QPushButton(QStringLiteral("Evaluation..."), this);
    evaluation->setObjectName(QStringLiteral("evaluation"));
    evaluation->setToolTip(QStringLiteral("Crystal, anode and the other settings of the evaluation"));
    evaluation->setGeometry(246, 346, 110, 29);
    evaluation->setAutoDefault(false);

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
    connect(evaluation, &QPushButton::clicked, this, [this] {
        if (hooks.editEvaluation)
            hooks.editEvaluation();
    });
    connect(hvlon, &QCheckBox::clicked, this, &TForm4::hvlonClick);
    connect(shints, &QCheckBox::clicked, this, &TForm4::shintsClick);
    connect(acoarses, &QCheckBox::clicked, this, &TForm4::acoarsesClick);
    ui::connectSpinGroup({SpinButton13, SpinButton14}, this,
                         [this](int step, bool up) { SpinButton14Click(step, up); });
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
    acquisitionThread->requestOffset(offset);
    if (hooks.offsetApplied)
        hooks.offsetApplied(offset);
}

void TForm4::BitBtn4Click() {
    const std::optional<int> found = ui::readoutHundredths(peakat->text());
    const std::optional<int> expected = ui::readoutHundredths(peakpos->text());
    if (!found || !expected)
        return;
    const int shift = static_cast<int>(std::nearbyint((*expected - *found) / 5.0));
    const int offset = threadConfig().effectiveOffset() + shift;
    // An offset the apparatus's block cannot hold would make the block invalid at the next
    // connection, and the arm range and HV limit would be reset with it.
    if (!zavo::DeviceConfig::offsetInRange(offset)) {
        ui::showError(this,
                      QStringLiteral("The offset of %1 deg lies outside the range the apparatus accepts "
                                     "(%2 to %3 deg). Nothing was sent.")
                          .arg(offset / 20.0, 0, 'f', 2)
                          .arg(-zavo::DeviceConfig::kMaxOffset / 20.0, 0, 'f', 2)
                          .arg(zavo::DeviceConfig::kMaxOffset / 20.0, 0, 'f', 2));
        return;
    }
    postOffset(offset);
}

void TForm4::BitBtn2Click() {
    postOffset(0);
}

void TForm4::BitBtn3Click() {
    const std::optional<int> position = ui::readoutAngleUnits(Newarmpos->text());
    if (!acquisitionThread || !position)
        return;
    acquisitionThread->requestArmPosition(*position);
}

void TForm4::BitBtn5Click() {
    const std::optional<int> low = ui::readoutAngleUnits(loangl->text());
    const std::optional<int> high = ui::readoutAngleUnits(hiangl->text());
    if (!acquisitionThread || !low || !high)
        return;
    acquisitionThread->requestArmRange(*low, *high);
}

void TForm4::BitBtn9Click() {
    if (acquisitionThread)
        acquisitionThread->requestCoarseCalibration();
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
    if (acquisitionThread)
        acquisitionThread->requestDetectorHv(limit / 5);
}

void TForm4::SpinButton14Click(int step, bool up) {
    const std::optional<int> limit = limitVolts();
    if (!limit)
        return;
    const std::optional<int> next = ui::stepDetectorVolts(*limit, step, up, std::nullopt);
    if (!next)
        return;
    HVctrl->setText(QString::number(*next) + QLatin1Char(' '));
    if (acquisitionThread)
        acquisitionThread->requestHvLimit(*next / 5);
    if (!up)
        lowerDetectorHv(*next);
}

void TForm4::hvlonClick() {
    if (const std::optional<int> limit = limitVolts())
        lowerDetectorHv(*limit);
    if (acquisitionThread)
        acquisitionThread->requestHvLimitEnabled(hvlon->isChecked());
}

void TForm4::shintsClick() {
    if (hooks.applyHints)
        hooks.applyHints(shints->isChecked());
}

void TForm4::acoarsesClick() {
    if (!acquisitionThread)
        return;
    acquisitionThread->requestAutoCoarse(acoarses->isChecked());
}

void TForm4::showHvLimit(int limit, bool enabled) {
    HVctrl->setText(QString::number(limit * 5) + QLatin1Char(' '));
    hvlon->setChecked(enabled);
}

void TForm4::showHintsOption(bool shown) {
    shints->setChecked(shown);
}

void TForm4::closeCancelled() {
    ui::endModal(this, ui::mrCancel);
}
