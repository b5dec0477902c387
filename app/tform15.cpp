#include "app/tform15.h"

#include "widgets/controls.h"
#include "widgets/glyphs.h"

#include "version.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

TForm15::TForm15(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), Label1(nullptr),
      Label2(nullptr), Label3(nullptr), GuideButton(nullptr), BitBtn1(nullptr) {
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QLatin1String(zavo::kApplicationTitle));
    setFixedSize(380, 210);
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
    // The guide to the classic experiments; its button opens it with the desktop's viewer
    // (xdg-open), so it is offered only where the guide is installed and a desktop is present.
    const QString guide = QLatin1String(zavo::kGuidePath);
    auto* guideLabel = new QLabel(QStringLiteral("The guide to the experiments: %1").arg(guide), this);
    guideLabel->setWordWrap(true);
    guideLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    guideLabel->setAlignment(Qt::AlignCenter);
    guideLabel->setGeometry(10, 90, width() - 20, 36);
    GuideButton = new QPushButton(QStringLiteral("Open the guide"), this);
    GuideButton->setObjectName(QStringLiteral("GuideButton"));
    GuideButton->setGeometry((width() - 140) / 2, 130, 140, 28);
    const bool desktop = QGuiApplication::platformName() == QLatin1String("xcb") ||
                         QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    GuideButton->setEnabled(desktop && QFileInfo::exists(guide));
    connect(GuideButton, &QPushButton::clicked, this,
            [guide] { QDesktopServices::openUrl(QUrl::fromLocalFile(guide)); });
    BitBtn1 = new QPushButton(ui::glyph(ui::Glyph::ok), QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry((width() - 90) / 2, 168, 90, 28);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}
