#include "widgets/controls.h"

SpeedButton::SpeedButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void SpeedButton::nextCheckState() {
    if (isCheckable() && isChecked() && !allowAllUp_)
        return;
    QToolButton::nextCheckState();
}

namespace ui {

QLabel* makeReadout(QWidget* parent, const QString& text, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    label->setPalette(palette);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QIcon& icon, const QString& caption,
                        const QRect& place, bool isDefault) {
    auto* button = new QPushButton(icon, caption, parent);
    button->setObjectName(QLatin1String(name));
    if (isDefault)
        button->setDefault(true);
    else
        button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y, bool bold) {
    auto* label = new QLabel(text, parent);
    setBold(label, bold);
    label->adjustSize();
    label->move(x, y);
    return label;
}

void setBold(QWidget* widget, bool bold) {
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

void endModal(QDialog* window, int result) {
    if (window && window->isVisible())
        window->done(result);
}

void centreOver(QWidget* window, const QWidget* owner) {
    if (!owner)
        return;
    const QRect frame = owner->frameGeometry();
    window->move(frame.left() + (frame.width() - window->width()) / 2,
                 frame.top() + (frame.height() - window->height()) / 2);
}

} // namespace ui
