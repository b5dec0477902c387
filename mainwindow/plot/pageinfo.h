// The lines under the printed page's title: when the page was printed, the record's file, the
// settings the scan was measured with (step, counting time, detector voltage, tube current, radiator,
// filter) and those it is evaluated for (crystal, anode). The print dialog and the command line print
// the same lines.
#pragma once

#include "analysis/evaloptions.h"

#include <QDateTime>
#include <QStringList>

class trecdata;

namespace printing {

QStringList pageInfoLines(const trecdata& record, const analysis::EvalOptions& evaluation,
                          const QDateTime& printed);

} // namespace printing
