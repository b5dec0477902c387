// The scalar-mode window's controls, texts, hints and places.
#include "scalar/tform13.h"

#include "scalar/filterlist.h"
#include "scalar/resultstable.h"
#include "scalar/scalarchart.h"
#include "scalar/scalarevaluation.h"
#include "widgets/controls.h"
#include "widgets/glyphs.h"
#include "widgets/spinbutton.h"

#include "records/decimaltext.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kTop = 40; // controls of the settings strip; their captions above
constexpr int kControlHeight = 25;

QLabel* makeNamedReadout(QWidget* parent, const char* name, QRect place, bool bold) {
    QLabel* readout = ui::makeReadout(parent);
    readout->setObjectName(QLatin1String(name));
    ui::setBold(readout, bold);
    readout->setGeometry(place);
    return readout;
}

SpinButton* makeSpin(QWidget* parent, const char* name, int tag, int x) {
    auto* button = new SpinButton(tag, parent);
    button->setObjectName(QLatin1String(name));
    button->move(x, kTop);
    return button;
}

// A caption of one or two lines above a control of the strip.
void caption(QWidget* parent, const QString& top, const QString& bottom, int x) {
    if (bottom.isEmpty()) {
        ui::makeLabel(parent, top, x, kTop - 18);
        return;
    }
    ui::makeLabel(parent, top, x, kTop - 34);
    ui::makeLabel(parent, bottom, x, kTop - 18);
}

QComboBox* makeSelector(QWidget* parent, const char* name, const QStringList& items, int x, int width) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    box->setGeometry(x, kTop, width, kControlHeight);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                        ui::Glyph glyph, QRect place) {
    auto* button = new QPushButton(ui::glyph(glyph), text, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

} // namespace

TForm13::TForm13(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("ZAVO DRIVER SCALAR MODE"));
    beep = &QApplication::beep;
    createSettingControls();
    createResultControls();
    connectHandlers();
    // Resizable down to what a 1920 x 1080 screen at 200 % leaves (960 x 540 less a title bar).
    setMinimumSize(kSmallestSize);
    resize(kDesignSize);
}

void TForm13::fitToScreen(const QRect& area) {
    // The frame is unknown until the window is shown: room kept for a title bar and borders.
    const bool frameKnown = frameGeometry() != geometry();
    const int frame = frameKnown ? frameGeometry().height() - height() : 40;
    resize(kDesignSize.boundedTo(QSize(area.width(), area.height() - frame)).expandedTo(kSmallestSize));
    const QPoint at = frameGeometry().topLeft();
    const int left =
        std::clamp(at.x(), area.left(), std::max(area.left(), area.left() + area.width() - width()));
    const int top =
        std::clamp(at.y(), area.top(), std::max(area.top(), area.top() + area.height() - height() - frame));
    move(left, top);
    layOut();
}

void TForm13::showEvent(QShowEvent* event) {
    if (const QScreen* shownOn = screen())
        fitToScreen(shownOn->availableGeometry());
    QDialog::showEvent(event);
}

void TForm13::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void TForm13::layOut() {
    // Below its design height the left column is packed closer, two buttons a row.
    const bool compact = height() < kDesignSize.height();
    const int spacing = compact ? 23 : 27;
    mode->setGeometry(12, 80, 200, 28 + spacing * static_cast<int>(modeButtons->buttons().size()));
    for (QAbstractButton* item : modeButtons->buttons())
        item->setGeometry(10, 24 + spacing * modeButtons->id(item), 184, 24);
    const int below = mode->geometry().bottom() + 4;
    lc->setGeometry(20, below + 4, 190, 24);
    Button1->setGeometry(12, below + 30, 200, 34);
    const int rows = below + 72;
    if (compact) {
        BitBtn1->setGeometry(12, rows, 98, 29);
        BitBtn3->setGeometry(114, rows, 98, 29);
        BitBtn4->setGeometry(12, rows + 35, 98, 29);
        SpeedButton2->setGeometry(114, rows + 35, 98, 29);
    } else {
        BitBtn1->setGeometry(12, rows, 200, 29);
        BitBtn3->setGeometry(12, rows + 35, 200, 29);
        BitBtn4->setGeometry(12, rows + 80, 200, 29);
        SpeedButton2->setGeometry(12, rows + 115, 200, 29);
    }
    BitBtn7->setGeometry(12, height() - 41, 200, 29);
    // The table and the chart share what lies right of the column, in the design's proportion; the
    // evaluation panel runs under both, high enough for six lines.
    const int room = width() - 224 - 10 - 8;
    const int tableWidth = room * 392 / 768;
    const int panelHeight = evaluation->fontMetrics().lineSpacing() * 6 + 10;
    const int tableHeight = height() - 92 - panelHeight - 6;
    res->setGeometry(224, 80, tableWidth, tableHeight);
    wykr->setGeometry(224 + tableWidth + 8, 80, room - tableWidth, tableHeight);
    evaluation->setGeometry(224, 80 + tableHeight + 6, room + 8, panelHeight);
}

void TForm13::createSettingControls() {
    caption(this, QStringLiteral("Counting time [s]"), {}, 12);
    sfrq = makeNamedReadout(this, "sfrq", {12, kTop, 64, kControlHeight}, true);
    SpinButton3 = makeSpin(this, "SpinButton3", 100, 78);
    SpinButton2 = makeSpin(this, "SpinButton2", 10, 99);
    SpinButton1 = makeSpin(this, "SpinButton1", 1, 120);

    caption(this, QStringLiteral("Detector HV [V]"), {}, 160);
    HVctrl = makeNamedReadout(this, "HVctrl", {160, kTop, 64, kControlHeight}, true);
    SpinButton5 = makeSpin(this, "SpinButton5", 50, 226);
    SpinButton4 = makeSpin(this, "SpinButton4", 5, 247);
    HV = new SpeedButton(this);
    HV->setObjectName(QStringLiteral("HV"));
    HV->setCheckable(true);
    HV->setIcon(ui::glyph(ui::Glyph::highVoltage));
    HV->setToolTip(QStringLiteral("Detector HV on/off"));
    HV->setGeometry(272, kTop, kControlHeight, kControlHeight);

    caption(this, QStringLiteral("Rotary radiator"), QStringLiteral("selection"), 320);
    rrs = makeSelector(this, "rrs", scalar::radiatorItems(), 320, 90);
    caption(this, QStringLiteral("Filter"), QStringLiteral("selection"), 420);
    fs = makeSelector(this, "fs", scalar::filterItems(), 420, 90);
    scalar::drawFilterItems(fs);
    caption(this, QStringLiteral("Detector"), QStringLiteral("position"), 520);
    dp = makeSelector(this, "dp", scalar::positionItems(), 520, 100);
    caption(this, QStringLiteral("Filter"), QStringLiteral("thickness [mm]"), 630);
    ft = new QLineEdit(QStringLiteral("0"), this);
    ft->setObjectName(QStringLiteral("ft"));
    ft->setGeometry(630, kTop, 90, kControlHeight);
    ft->installEventFilter(this);
    caption(this, QStringLiteral("X-ray Tube"), QStringLiteral("Current:"), 740);
    CI = makeNamedReadout(this, "CI", {740, kTop, 100, kControlHeight}, false);
}

void TForm13::createResultControls() {
    mode = new QGroupBox(QStringLiteral("Independent variable"), this);
    mode->setObjectName(QStringLiteral("mode"));
    mode->setToolTip(QStringLiteral("Select column to display on the chart"));
    mode->setGeometry(12, 80, 200, 190);
    modeButtons = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(scalar::variableItems().size()); ++i) {
        auto* item = new QRadioButton(scalar::variableItems()[i], mode);
        item->setGeometry(10, 24 + 27 * i, 184, 24);
        modeButtons->addButton(item, i);
    }
    modeButtons->button(scalar::detectorHv)->setChecked(true);
    lc = new QCheckBox(QStringLiteral("Line chart"), this);
    lc->setObjectName(QStringLiteral("lc"));
    lc->setGeometry(20, 278, 190, 24);

    Button1 = makeButton(this, "Button1", QStringLiteral("Acquire data"), QStringLiteral("Start measurement"),
                         ui::Glyph::record, {12, 312, 200, 34});
    ui::setBold(Button1, true);
    BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("Delete row"), QStringLiteral("Delete one data row"),
                         ui::Glyph::close, {12, 360, 200, 29});
    BitBtn3 = makeButton(this, "BitBtn3", QStringLiteral("Delete all"),
                         QStringLiteral("Delete all data rows"), ui::Glyph::reset, {12, 395, 200, 29});
    BitBtn4 = makeButton(this, "BitBtn4", QStringLiteral("Save"), QStringLiteral("Saves data to a file"),
                         ui::Glyph::save, {12, 440, 200, 29});
    SpeedButton2 = makeButton(this, "SpeedButton2", QStringLiteral("Print chart"),
                              QStringLiteral("Print the chart"), ui::Glyph::print, {12, 475, 200, 29});
    BitBtn7 =
        makeButton(this, "BitBtn7", QStringLiteral("Exit"), QString(), ui::Glyph::exit, {12, 559, 200, 29});

    res = new QTableWidget(this);
    res->setObjectName(QStringLiteral("res"));
    scalar::setUpResultsTable(res);
    res->setGeometry(224, 80, 392, 508);

    wykr = new ScalarChart(this);
    wykr->setGeometry(624, 80, 376, 508);
    evaluation = new ScalarEvaluation(this);
}

void TForm13::connectHandlers() {
    ui::connectSpinGroup({SpinButton1, SpinButton2, SpinButton3}, this,
                         [this](int tag, bool up) { SpinButton3Click(tag, up); });
    ui::connectSpinGroup({SpinButton4, SpinButton5}, this,
                         [this](int tag, bool up) { SpinButton5Click(tag, up); });
    connect(HV, &SpeedButton::clicked, this, &TForm13::HVClick);
    connect(rrs, &QComboBox::activated, this, &TForm13::rrsChange);
    connect(fs, &QComboBox::activated, this, &TForm13::fsChange);
    connect(dp, &QComboBox::activated, this, &TForm13::dpChange);
    connect(ft, &QLineEdit::returnPressed, this, &TForm13::ftExit);
    connect(modeButtons, &QButtonGroup::idClicked, this, &TForm13::modeClick);
    connect(lc, &QCheckBox::clicked, this, &TForm13::lcClick);
    connect(Button1, &QPushButton::clicked, this, &TForm13::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm13::BitBtn1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm13::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm13::BitBtn4Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TForm13::SpeedButton2Click);
    connect(BitBtn7, &QPushButton::clicked, this, [this] { done(ui::mrOk); });
}

void TForm13::selectItem(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void TForm13::showCurrent(const QString& text) {
    if (CI->text() != text) {
        CI->setText(text);
    }
}

void TForm13::showDetectorVolts(const QString& text) {
    HVctrl->setText(text);
}

void TForm13::showCountingTime(int hundredths) {
    sfrq->setText(QString::asprintf("%0.1f ", hundredths / 100.0));
}

void TForm13::showSelections(int radiator, int filter, int position, double filterThickness) {
    selectItem(rrs, radiator);
    selectItem(fs, filter);
    selectItem(dp, position);
    // Written as the edit reads it back: in the system's decimal notation.
    ft->setText(records::decimalText(filterThickness, 1));
}

void TForm13::enableSelections(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(rrs), static_cast<QWidget*>(fs), static_cast<QWidget*>(dp),
                             static_cast<QWidget*>(ft)}) {
        control->setEnabled(enabled);
    }
}

void TForm13::enableHv(bool enabled) {
    HV->setEnabled(enabled);
}

void TForm13::showHvOn(bool on) {
    if (HV->isChecked() != on) {
        HV->setChecked(on);
    }
}

void TForm13::closeCancelled() {
    ui::endModal(this, ui::mrCancel);
}
