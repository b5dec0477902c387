#include "app/tform5.h"

#include "widgets/controls.h"

#include <QProgressBar>

#include <algorithm>
#include <cstdlib>

TForm5::TForm5(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ProgressBar1(new QProgressBar(this)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Exporting data to Excel"));
    setFixedSize(330, 60);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(16, 18, 298, 22);
}

void TForm5::stepIt() {
    if (ProgressBar1->value() < ProgressBar1->maximum())
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void TForm5::begin(const QWidget* owner, int maximum) {
    ProgressBar1->setRange(0, maximum);
    ProgressBar1->setValue(0);
    paintedPosition_ = 0;
    ui::centreOver(this, owner);
    show();
}

void TForm5::setPosition(int position) {
    const int clamped = std::clamp(position, ProgressBar1->minimum(), ProgressBar1->maximum());
    if (clamped == ProgressBar1->value())
        return;
    ProgressBar1->setValue(clamped);
    // The export runs on this thread, so the event loop does not paint the bar: paint it here, once
    // per hundredth of the range.
    const int range = std::max(1, ProgressBar1->maximum() - ProgressBar1->minimum());
    if (isVisible() && std::abs(clamped - paintedPosition_) * 100 >= range) {
        paintedPosition_ = clamped;
        ProgressBar1->repaint();
    }
}
