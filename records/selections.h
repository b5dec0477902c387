// The apparatus's selector positions by name: the rotary radiator and the filter. A record and the
// scalar-mode readings store the position's index; windows, exports and the printed page show these.
#pragma once

#include <QString>
#include <QStringList>

namespace records {

// Index 0 is "N/A" (no radiator), then V, Cr, Mn, Fe, Co, Ni, Cu, Zn.
const QStringList& radiatorItems();
// Index 0 is "none", then V, Cr, Mn, Fe, Co, Ni, Cu, Zn.
const QStringList& filterItems();
// The item of a stored index; the number itself for an index no selector has.
QString selectionName(const QStringList& items, int index);

} // namespace records
