// Owner drawing of the filter list.
#include "scalar/filterlist.h"

#include "scalar/scalarplot.h"

#include <QComboBox>
#include <QPainter>
#include <QPixmap>

namespace {

QColor swatchColor(int row) {
    if (row < 0 || row >= static_cast<int>(scalar::filterColors.size())) {
        const auto& c = scalar::kUnknownFilterColor;
        return {c[0], c[1], c[2]};
    }
    const auto& c = scalar::filterColors[static_cast<std::size_t>(row)];
    return {c[0], c[1], c[2]};
}

} // namespace

void FilterItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QRect rect = option.rect;
    const QColor background = option.palette.color(QPalette::Base);
    painter->save();
    painter->fillRect(rect, background);
    painter->fillRect(QRect(rect.left(), rect.top(), rect.height(), rect.height()), swatchColor(index.row()));
    QFont font = option.font;
    font.setBold(option.state & QStyle::State_Selected);
    painter->setFont(font);
    painter->setPen(QColor::fromRgb(background.rgb() ^ 0x00FFFFFF));
    const QRect textRect = rect.adjusted(rect.height() + 1 + 2, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

namespace scalar {

void drawFilterItems(QComboBox* box) {
    box->setItemDelegate(new FilterItemDelegate(box));
    for (int i = 0; i < box->count(); ++i) {
        QPixmap swatch(12, 12);
        swatch.fill(swatchColor(i));
        box->setItemIcon(i, QIcon(swatch));
    }
}

} // namespace scalar
