#include "app/tform14.h"

#include "widgets/controls.h"

#include <algorithm>

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

TForm14::TForm14(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), Label1(nullptr), ProgressBar1(nullptr),
      Button1(nullptr), Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("Form14"));
    setFixedSize(320, 110);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(0, 0, width(), height());

    Label1 = new QLabel(QStringLiteral("Waiting for data, please wait ...."), panel);
    ui::setBold(Label1, true);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(8, 10, width() - 16, 20);

    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(16, 40, width() - 32, 18);

    Button1 = new QPushButton(QStringLiteral("Abort"), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((width() - 90) / 2, 70, 90, 28);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TForm14::Button1Click);

    Timer1->setInterval(kTickMs);
    connect(Timer1, &QTimer::timeout, this, &TForm14::Timer1Timer);
}

void TForm14::placeOver(const QWidget* owner) {
    ui::centreOver(this, owner);
}

void TForm14::Timer1Timer() {
    if (ProgressBar1->value() < ProgressBar1->maximum())
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void TForm14::Button1Click() {
    if (onAbort)
        onAbort();
}

int TForm14::waitOver(const QWidget* owner, int ticks) {
    placeOver(owner);
    // A maximum of 0 would turn the bar into Qt's busy animation.
    ProgressBar1->setMaximum(std::max(ticks, 1));
    ProgressBar1->setValue(0);
    return exec();
}

void TForm14::endWait(int result) {
    ui::endModal(this, result);
}

void TForm14::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Timer1->start();
}

void TForm14::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}
