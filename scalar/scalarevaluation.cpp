#include "scalar/scalarevaluation.h"

#include <QLabel>

ScalarEvaluation::ScalarEvaluation(QWidget* parent) : QScrollArea(parent), lines_(new QLabel) {
    setObjectName(QStringLiteral("evaluation"));
    setFrameShape(QFrame::StyledPanel);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lines_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lines_->setWordWrap(true);
    lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lines_->setTextFormat(Qt::PlainText);
    lines_->setContentsMargins(4, 2, 4, 2);
    setWidget(lines_);
}

void ScalarEvaluation::showLines(const QStringList& lines) {
    lines_->setText(lines.join(QLatin1Char('\n')));
}

QString ScalarEvaluation::text() const {
    return lines_->text();
}
