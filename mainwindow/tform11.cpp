#include "mainwindow/tform11.h"

#include "records/trecdata.h"
#include "widgets/controls.h"
#include "widgets/glyphs.h"
#include "widgets/messages.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr int kRowHeight = 18;
constexpr int kColumnWidths[] = {32, 64, 64};

QTableWidgetItem* fixedItem(const QString& text, const QBrush& background) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(background);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

TForm11::TForm11(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Regions of interest"));
    setFixedSize(213, 209);

    ranges = new QTableWidget(roi::kRows + 1, 3, this);
    ranges->setObjectName(QStringLiteral("ranges"));
    ranges->horizontalHeader()->hide();
    ranges->verticalHeader()->hide();
    ranges->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ranges->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ranges->setSelectionMode(QAbstractItemView::SingleSelection);
    ranges->setEditTriggers(QAbstractItemView::AllEditTriggers);
    const QBrush fixed = palette().button();
    const QStringList header = {QStringLiteral("No."), QStringLiteral("Start angle"),
                                QStringLiteral("End angle")};
    for (int column = 0; column < 3; ++column) {
        ranges->setColumnWidth(column, kColumnWidths[column]);
        ranges->setItem(0, column, fixedItem(header[column], fixed));
    }
    for (int row = 0; row <= roi::kRows; ++row) {
        ranges->setRowHeight(row, kRowHeight);
        if (row > 0) {
            ranges->setItem(row, 0, fixedItem(QString::number(row), fixed));
            for (int column = roi::kStartColumn; column <= roi::kEndColumn; ++column) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                ranges->setItem(row, column, item);
            }
        }
    }
    const int frame = 2 * ranges->frameWidth();
    ranges->setGeometry(22, 16, 32 + 64 + 64 + frame + 1, (roi::kRows + 1) * kRowHeight + frame + 1);

    BitBtn2 = ui::makeButton(this, "BitBtn2", ui::glyph(ui::Glyph::ok), QStringLiteral("Apply"),
                             {22, 160, 80, 29}, true);
    BitBtn3 = ui::makeButton(this, "BitBtn3", ui::glyph(ui::Glyph::close), QStringLiteral("Cancel"),
                             {111, 160, 80, 29});
    connect(BitBtn2, &QPushButton::clicked, this, &TForm11::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

QString TForm11::cellText(int row, int column) const {
    const QTableWidgetItem* item = ranges->item(row, column);
    return item ? item->text() : QString();
}

roi::GridTexts TForm11::rows() const {
    roi::GridTexts texts{};
    for (int row = 1; row <= roi::kRows; ++row) {
        texts[static_cast<std::size_t>(row - 1)] = {cellText(row, roi::kStartColumn),
                                                    cellText(row, roi::kEndColumn)};
    }
    return texts;
}

void TForm11::setRows(const roi::GridTexts& texts) {
    for (int row = 1; row <= roi::kRows; ++row) {
        const roi::RowTexts& text = texts[static_cast<std::size_t>(row - 1)];
        ranges->item(row, roi::kStartColumn)->setText(text.start);
        ranges->item(row, roi::kEndColumn)->setText(text.end);
    }
}

void TForm11::loadRegions(std::shared_ptr<trecdata> record) {
    record_ = std::move(record);
    setRows(record_ ? roi::gridTexts(*record_) : roi::GridTexts{});
    ranges->setCurrentCell(1, roi::kStartColumn);
}

void TForm11::done(int result) {
    QDialog::done(result);
    record_.reset();
}

int TForm11::validateCell(int column, int row) const {
    if (!record_) {
        return roi::kEmpty;
    }
    return roi::validateCell(cellText(row, column), record_->FirstAngle(), record_->LastAngle(), QLocale())
        .code;
}

void TForm11::BitBtn2Click() {
    if (!record_) {
        return;
    }
    // A cell still being edited counts with what it shows: leaving it commits the text.
    BitBtn2->setFocus(Qt::OtherFocusReason);
    const roi::ApplyResult result = roi::apply(rows(), *record_, QLocale(), [this] {
        return ui::askProceed(this, QString::fromLatin1(roi::kModifyQuestion));
    });
    if (result.error) {
        if (result.error->focusGrid) {
            ranges->setFocus();
        }
        ranges->setCurrentCell(result.error->row, result.error->column);
        ui::showError(this, result.error->message);
        return;
    }
    if (result.rewritten) {
        setRows(*result.rewritten);
    }
    if (result.outcome == roi::ApplyResult::Stored) {
        accept();
    }
}
