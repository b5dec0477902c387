// The panel under the scalar chart: the lines of the series' evaluation (scalar::evaluateTable),
// the same lines the exports write.
#pragma once

#include <QLabel>
#include <QStringList>

class ScalarEvaluation : public QLabel {
    Q_OBJECT
public:
    explicit ScalarEvaluation(QWidget* parent = nullptr);
    void showLines(const QStringList& lines);
};
