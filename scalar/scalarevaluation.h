// The panel under the scalar chart: the lines of the series' evaluation (scalar::evaluateTable),
// the same lines the exports write. A long evaluation (many filters) scrolls within the panel.
#pragma once

#include <QScrollArea>
#include <QStringList>

class QLabel;

class ScalarEvaluation : public QScrollArea {
    Q_OBJECT
public:
    explicit ScalarEvaluation(QWidget* parent = nullptr);
    void showLines(const QStringList& lines);
    // The lines shown, one a line.
    QString text() const;

private:
    QLabel* lines_;
};
