// Item lists and cell reading of the scalar-mode results table.
#include "scalar/export/scalartable.h"

#include "records/selections.h"

namespace scalar {

const QStringList& radiatorItems() {
    return records::radiatorItems();
}

const QStringList& filterItems() {
    return records::filterItems();
}

const QStringList& positionItems() {
    static const QStringList items = [] {
        QStringList list;
        for (int n = 13; n <= 30; ++n) {
            list << QStringLiteral("E. S. %1").arg(n);
        }
        return list;
    }();
    return items;
}

ScalarCells headerRow(int row) {
    if (row == 0) {
        return {"No.", "DHV", "RRS", "FS", "DP", "FT", "XRTC", "Intensity"};
    }
    return {"", "[V]", "", "", "", "[mm]", QStringLiteral("[\u00b5A]"), "[cps]"};
}

bool isDataRow(const ScalarTable& table, std::size_t row) {
    return row >= kHeaderRows && row < table.rows.size() && !table.rows[row][colNumber].isEmpty();
}

QString withoutBlanks(const QString& text) {
    QString out = text;
    out.remove(QLatin1Char(' '));
    return out;
}

std::optional<double> cellNumber(const QString& text, const QLocale& locale) {
    const QString bare = withoutBlanks(text);
    bool ok = false;
    double value = locale.toDouble(bare, &ok);
    if (!ok) {
        value = QLocale::c().toDouble(bare, &ok);
    }
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace scalar
