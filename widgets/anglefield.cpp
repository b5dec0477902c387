#include "widgets/anglefield.h"

#include "widgets/controls.h"
#include "widgets/spinbutton.h"
#include "widgets/steprules.h"
#include "widgets/typedentry.h"

#include <QLabel>

namespace ui {

QString hundredthsText(int hundredths) {
    return QString::asprintf("%.2f ", hundredths / 100.0);
}

QString angleUnitsText(int units) {
    return QString::asprintf("%.2f ", units / 20.0);
}

std::optional<int> readoutHundredths(const QString& text) {
    return readoutScaled(text, 100);
}

std::optional<int> readoutAngleUnits(const QString& text) {
    return readoutScaled(text, 20);
}

void stepAngleReadout(QLabel* readout, int tag, bool up, std::pair<int, int> bounds) {
    const std::optional<int> value = readoutHundredths(readout->text());
    if (!value)
        return;
    const std::optional<int> next = stepWithin(*value, tag, up, bounds.first, bounds.second);
    if (next)
        readout->setText(hundredthsText(*next));
}

AngleField makeAngleField(QWidget* parent, int x, int y, int width, AngleBounds bounds) {
    AngleField field;
    field.readout = makeReadout(parent);
    field.readout->setGeometry(x, y, width, 25);
    constexpr std::array<int, 3> tags = {500, 50, 5};
    for (std::size_t i = 0; i < tags.size(); ++i) {
        auto* button = new SpinButton(tags[i], parent);
        button->move(x + width + 2 + static_cast<int>(i) * 22, y);
        QLabel* readout = field.readout;
        QObject::connect(button, &SpinButton::upClick, parent,
                         [=] { stepAngleReadout(readout, button->tag(), true, bounds()); });
        QObject::connect(button, &SpinButton::downClick, parent,
                         [=] { stepAngleReadout(readout, button->tag(), false, bounds()); });
        field.buttons[i] = button;
    }
    // A typed angle snaps to the finest arrow's 0.05 degree and is held to the same bounds.
    QLabel* readout = field.readout;
    SpinButton* finest = field.buttons.back();
    makeTypeable(readout, {[bounds](const QString& text) {
                               const auto [lo, hi] = bounds();
                               return typedValue(text, 100, 5, lo, hi);
                           },
                           [readout](int hundredths) { readout->setText(hundredthsText(hundredths)); },
                           [finest] { return finest->isEnabled(); }});
    return field;
}

} // namespace ui
