// The evaluation of the scalar series under the chart, chosen by the independent variable: the
// counter's plateau (detector HV), attenuation (filter thickness), dead time (tube current) or
// Moseley's law (radiator or filter). The lines are pure text so that exports can carry them too.
#pragma once

#include "scalar/export/scalartable.h"
#include "scalar/scalarplot.h"

#include <QLabel>
#include <QStringList>

namespace scalar {

// The lines of the evaluation of the data rows of `table` against `variable`; each rate's
// uncertainty is that of `countingSeconds` of counting. `anodeZ` gives the radiation's energy when
// no radiator is declared. A series that cannot be evaluated gives one line saying why.
QStringList evaluationLines(const ScalarTable& table, Variable variable, double countingSeconds,
                            int anodeZ = 29);

} // namespace scalar

class ScalarEvaluation : public QLabel {
    Q_OBJECT
public:
    explicit ScalarEvaluation(QWidget* parent = nullptr);
    void showLines(const QStringList& lines);
};
