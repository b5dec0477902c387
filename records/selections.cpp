#include "records/selections.h"

namespace records {

const QStringList& radiatorItems() {
    static const QStringList items = {"N/A", "V", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn"};
    return items;
}

const QStringList& filterItems() {
    static const QStringList items = {"none", "V", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn"};
    return items;
}

QString selectionName(const QStringList& items, int index) {
    return index >= 0 && index < items.size() ? items[index] : QString::number(index);
}

} // namespace records
