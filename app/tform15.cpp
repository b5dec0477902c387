#include "app/tform15.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"

#include "version.h"

#include <QLabel>
#include <QPushButton>

TForm15::TForm15(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), Label1(nullptr),
      Label2(nullptr), Label3(nullptr), BitBtn1(nullptr) {
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QLatin1String(zavo::kApplicationTitle));
    setFixedSize(380, 150);
    const QStringList lines = {
        QStringLiteral("For help with the program and the apparatus"),
        QStringLiteral("write to support@zavo-lab.example"),
        QStringLiteral("or call +1 555 0100 (working days, 8:00 - 16:00)."),
    };
    QLabel** labels[] = {&Label1, &Label2, &Label3};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(lines[i], this);
        ui::setBold(label, true);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(10, 16 + i * 24, width() - 20, 20);
        *labels[i] = label;
    }
    BitBtn1 = new QPushButton(ui::glyph(ui::Glyph::ok), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry((width() - 90) / 2, 106, 90, 28);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}
