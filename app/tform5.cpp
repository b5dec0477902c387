#include "app/tform5.h"

#include "widgets/controls.h"

#include <QProgressBar>

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
    ui::centreOver(this, owner);
    show();
}
