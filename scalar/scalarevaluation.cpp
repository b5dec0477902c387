#include "scalar/scalarevaluation.h"

ScalarEvaluation::ScalarEvaluation(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("evaluation"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setFrameShape(QFrame::StyledPanel);
}

void ScalarEvaluation::showLines(const QStringList& lines) {
    setText(lines.join(QLatin1Char('\n')));
}
