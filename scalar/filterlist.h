// The owner-drawn filter list `fs`: each item is a square swatch of its filter's colour, as wide as
// the item is high, then the item's text, on the list's own background with the text in the inverse
// of that colour; the highlighted item's text is bold.
#pragma once

#include <QStyledItemDelegate>

class QComboBox;

class FilterItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

namespace scalar {

// Draws the items of `box` as above; the closed box shows the chosen filter's swatch too.
void drawFilterItems(QComboBox* box);

} // namespace scalar
