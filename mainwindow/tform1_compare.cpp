// Comparing records: any entries of the record list laid over the displayed one (a check per entry
// in the overlay button's menu), and the transmission of the displayed record over another entry
// as a new entry of the list.
#include "mainwindow/tform1.h"

#include "mainwindow/plot/scanplot.h"
#include "widgets/messages.h"

#include "engine/trs.h"
#include "records/transmission.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QMenu>
#include <QToolButton>

namespace {

// Item data of a `lista` entry: true while the entry is laid over the displayed one.
constexpr int kOverlaidRole = Qt::UserRole + 1;

QToolButton* makeMenuButton(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setFixedSize(25, 22);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(new QMenu(button));
    return button;
}

} // namespace

void TForm1::createCompareButtons() {
    overlays = makeMenuButton(Panel3, "overlays", QStringLiteral("+"),
                              QStringLiteral("Show other records together with this one"));
    ratio = makeMenuButton(Panel3, "ratio", QStringLiteral("\u00f7"),
                           QStringLiteral("Transmission: this record divided by another"));
    connect(overlays->menu(), &QMenu::aboutToShow, this, &TForm1::fillOverlayMenu);
    connect(ratio->menu(), &QMenu::aboutToShow, this, &TForm1::fillRatioMenu);
}

void TForm1::fillOverlayMenu() {
    QMenu* menu = overlays->menu();
    menu->clear();
    for (int entry = 0; entry < lista->count(); ++entry) {
        QAction* action = menu->addAction(lista->itemText(entry));
        action->setCheckable(true);
        action->setChecked(overlayShown(entry));
        // The displayed record is always shown.
        action->setEnabled(entry != displayedEntry && entryRecord(entry) != nullptr);
        connect(action, &QAction::toggled, this, [this, entry](bool on) { setOverlayShown(entry, on); });
    }
}

void TForm1::fillRatioMenu() {
    QMenu* menu = ratio->menu();
    menu->clear();
    for (int entry = 0; entry < lista->count(); ++entry) {
        QAction* action = menu->addAction(QStringLiteral("over ") + lista->itemText(entry));
        action->setEnabled(entry != displayedEntry && entryRecord(entry) != nullptr && displayedRecord_);
        connect(action, &QAction::triggered, this, [this, entry] { addTransmission(entry); });
    }
}

bool TForm1::overlayShown(int entry) const {
    return lista->itemData(entry, kOverlaidRole).toBool();
}

void TForm1::setOverlayShown(int entry, bool shown) {
    if (entry < 0 || entry >= lista->count())
        return;
    lista->setItemData(entry, shown, kOverlaidRole);
    refreshOverlays();
}

void TForm1::refreshOverlays() {
    std::vector<plot::Overlay> laid;
    for (int entry = 0; entry < lista->count(); ++entry) {
        const trecdata* record = entryRecord(entry);
        if (entry != displayedEntry && overlayShown(entry) && record && record != displayedRecord_)
            laid.push_back({record, lista->itemText(entry)});
    }
    plot->setOverlays(std::move(laid), lista->itemText(displayedEntry));
}

void TForm1::releaseLiveOverlay() {
    // The thread is about to free the live record: the next one is not laid over anything by itself.
    if (overlayShown(0)) {
        lista->setItemData(0, false, kOverlaidRole);
        refreshOverlays();
    }
}

int TForm1::addTransmission(int secondEntry) {
    const trecdata* second = entryRecord(secondEntry);
    if (!displayedRecord_ || !second || secondEntry == displayedEntry)
        return -1;
    QString error;
    std::unique_ptr<trecdata> made = records::makeTransmission(
        *displayedRecord_, lista->itemText(displayedEntry), *second, lista->itemText(secondEntry), &error);
    if (!made) {
        ui::showError(this, error);
        return -1;
    }
    const int entry = addLoadedRecord(std::move(made), QLatin1String(records::kTransmissionLabel));
    lista->setCurrentIndex(entry);
    listaChange();
    return entry;
}
