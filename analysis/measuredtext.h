// A measured value as text, "8.0478 ± 0.0004": the one form the windows, the printed page and the
// command line show a fitted number in.
#pragma once

#include "analysis/measured.h"

#include <QString>

namespace analysis {

// The decimal places for `m`: at least `decimals`, and more (up to three) where its uncertainty
// would otherwise round to zero, so the first significant digit of the uncertainty always shows
// ("± 0.000" would claim an exact value).
int shownDecimals(const Measured& m, int decimals);

// "value ± sigma" with shownDecimals places ('.' as the decimal point); the value alone when its
// uncertainty is unknown; "----" when no value was found.
QString measuredText(const Measured& m, int decimals);

} // namespace analysis
