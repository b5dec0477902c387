#include "records/decimaltext.h"

namespace records {

QString decimalText(double value, int decimals, const QLocale& locale) {
    QLocale plain(locale);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', decimals);
}

} // namespace records
