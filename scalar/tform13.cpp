#include "scalar/tform13.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"

#include "engine/trs.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QStringList kRadiators = {"N/A", "V", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn"};
const QStringList kFilters = {"none", "V", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn"};

QStringList detectorPositions() {
    QStringList items;
    for (int n = 13; n <= 30; ++n)
        items << QStringLiteral("E. S. %1").arg(n);
    return items;
}

QComboBox* makeSelector(QWidget* parent, const char* name, const QStringList& items, const QString& top,
                        const QString& bottom, int x) {
    ui::makeLabel(parent, top, x, 12);
    ui::makeLabel(parent, bottom, x, 28);
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    box->setGeometry(x, 48, 80, 24);
    return box;
}

void setCell(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table->setItem(row, column, item);
}

QString cellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

TForm13::TForm13(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("ZAVO DRIVER SCALAR MODE"));
    setFixedSize(720, 470);

    ui::makeLabel(this, QStringLiteral("Counting time [s]"), 12, 12);
    sfrq = ui::makeReadout(this);
    sfrq->setObjectName(QStringLiteral("sfrq"));
    ui::setBold(sfrq, true);
    sfrq->setGeometry(12, 32, 80, 25);
    ui::makeLabel(this, QStringLiteral("Detector HV [V]"), 12, 66);
    HVctrl = ui::makeReadout(this);
    HVctrl->setObjectName(QStringLiteral("HVctrl"));
    ui::setBold(HVctrl, true);
    HVctrl->setGeometry(12, 86, 80, 25);
    HV = new SpeedButton(this);
    HV->setObjectName(QStringLiteral("HV"));
    HV->setCheckable(true);
    HV->setIcon(ui::glyph(ui::Glyph::highVoltage));
    HV->setGeometry(100, 86, 25, 25);
    connect(HV, &SpeedButton::clicked, this, &TForm13::HVClick);

    rrs = makeSelector(this, "rrs", kRadiators, QStringLiteral("Rotary radiator"),
                       QStringLiteral("selection"), 160);
    fs = makeSelector(this, "fs", kFilters, QStringLiteral("Filter"), QStringLiteral("selection"), 250);
    dp = makeSelector(this, "dp", detectorPositions(), QStringLiteral("Detector"), QStringLiteral("position"),
                      340);
    ui::makeLabel(this, QStringLiteral("Filter"), 430, 12);
    ui::makeLabel(this, QStringLiteral("thickness [mm]"), 430, 28);
    ft = new QLineEdit(QStringLiteral("0"), this);
    ft->setObjectName(QStringLiteral("ft"));
    ft->setGeometry(430, 48, 80, 24);
    ui::makeLabel(this, QStringLiteral("X-ray Tube"), 540, 12);
    ui::makeLabel(this, QStringLiteral("Current:"), 540, 28);
    CI = ui::makeReadout(this);
    CI->setObjectName(QStringLiteral("CI"));
    CI->setGeometry(540, 48, 100, 25);

    res = new QTableWidget(kHeaderRows + 1, kColumns, this);
    res->setObjectName(QStringLiteral("res"));
    res->horizontalHeader()->hide();
    res->verticalHeader()->hide();
    res->setSelectionBehavior(QAbstractItemView::SelectRows);
    res->setSelectionMode(QAbstractItemView::SingleSelection);
    res->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[kColumns] = {20, 45, 27, 27, 27, 40, 40, 65};
    const char* top[kColumns] = {"No.", "DHV", "RRS", "FS", "DP", "FT", "XRTC", "Intensity"};
    const char* second[kColumns] = {"", "[V]", "", "", "", "[mm]", "[\u00b5A]", "[cps]"};
    for (int column = 0; column < kColumns; ++column) {
        res->setColumnWidth(column, widths[column] + 12);
        for (int row = 0; row < kHeaderRows; ++row) {
            auto* item = new QTableWidgetItem(QString::fromUtf8(row == 0 ? top[column] : second[column]));
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(palette().button());
            res->setItem(row, column, item);
        }
    }
    for (int row = 0; row < res->rowCount(); ++row)
        res->setRowHeight(row, 20);
    res->setGeometry(12, 126, 400, 300);

    BitBtn7 = new QPushButton(ui::glyph(ui::Glyph::exit), QStringLiteral("Exit"), this);
    BitBtn7->setObjectName(QStringLiteral("BitBtn7"));
    BitBtn7->setGeometry(600, 430, 108, 29);
    BitBtn7->setAutoDefault(false);
    connect(BitBtn7, &QPushButton::clicked, this, [this] { done(ui::mrOk); });
}

void TForm13::selectItem(QComboBox* box, int index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

int TForm13::resultCount() const {
    int count = 0;
    for (int row = kHeaderRows; row < res->rowCount(); ++row)
        count += cellText(res, row, 0).isEmpty() ? 0 : 1;
    return count;
}

int TForm13::addResultRow(double rate, int tubeCurrent) {
    int row = kHeaderRows;
    if (!cellText(res, row, 0).isEmpty()) {
        row = res->rowCount();
        res->setRowCount(row + 1);
        res->setRowHeight(row, 20);
    }
    setCell(res, row, 0, QString::number(row - 1));
    setCell(res, row, 1, HVctrl->text());
    setCell(res, row, 2, rrs->currentText());
    setCell(res, row, 3, fs->currentText());
    setCell(res, row, 4, dp->currentText());
    setCell(res, row, 5, ft->text());
    setCell(res, row, 6, QString::number(tubeCurrent));
    setCell(res, row, 7, QString::asprintf("%.2f", rate));
    res->selectRow(res->rowCount() - 1);
    return row;
}

void TForm13::HVClick() {
    if (acquisitionThread)
        acquisitionThread->requestHv(HV->isChecked());
}

void TForm13::showCurrent(const QString& text) {
    if (CI->text() != text)
        CI->setText(text);
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
    ft->setText(QString::asprintf("%.1f", filterThickness));
}

void TForm13::enableSelections(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(rrs), static_cast<QWidget*>(fs), static_cast<QWidget*>(dp),
                             static_cast<QWidget*>(ft)})
        control->setEnabled(enabled);
}

void TForm13::enableHv(bool enabled) {
    HV->setEnabled(enabled);
}

void TForm13::showHvOn(bool on) {
    if (HV->isChecked() != on)
        HV->setChecked(on);
}

void TForm13::closeCancelled() {
    ui::endModal(this, ui::mrCancel);
}
