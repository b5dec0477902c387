// The one rule for decimal numbers that the windows show and read back (region grids, the filter
// thickness, the scalar readings) and that the text exports write: the system's decimal notation,
// so a German or French system writes "10,00" everywhere and reads back what it wrote.
#pragma once

#include <QLocale>
#include <QString>

namespace records {

// `value` with `decimals` digits after the locale's decimal separator, without group separators.
QString decimalText(double value, int decimals, const QLocale& locale = QLocale());

} // namespace records
