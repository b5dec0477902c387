// An angle read-out in degrees ("%.2f" and a blank) with three spin buttons that step it by 5.00,
// 0.50 and 0.05 degree (tags 500, 50, 5: hundredths of a degree) between bounds that the owner
// gives at the moment a button is pressed.
#pragma once

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>

class QLabel;
class QWidget;
class SpinButton;

namespace ui {

// Lower and upper bound in hundredths of a degree.
using AngleBounds = std::function<std::pair<int, int>()>;

struct AngleField {
    QLabel* readout = nullptr;
    std::array<SpinButton*, 3> buttons{}; // tags 500, 50, 5
};

// The read-out at (x, y), `width` pixels wide, the spin buttons right of it.
AngleField makeAngleField(QWidget* parent, int x, int y, int width, AngleBounds bounds);

// "%.2f " of an angle in hundredths of a degree, and of one in angle units (0.05 degree).
QString hundredthsText(int hundredths);
QString angleUnitsText(int units);
// An angle read-out in hundredths of a degree, or in angle units rounded to nearest (ties to even).
std::optional<int> readoutHundredths(const QString& text);
std::optional<int> readoutAngleUnits(const QString& text);

// One step of an angle read-out; nothing changes when it already stands at the bound.
void stepAngleReadout(QLabel* readout, int tag, bool up, std::pair<int, int> bounds);

} // namespace ui
