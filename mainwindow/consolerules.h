// The main window's rules that need no widget: arm-button targets and refusals, fitting the window
// to the screen and the places of the bottom bar's buttons.
#pragma once

#include <QRect>
#include <QSize>

#include <array>
#include <optional>

namespace console {

// Angle units per step of the angular-resolution list's entries "0.5 deg", "0.2 deg", "0.1 deg",
// "0.05 deg".
inline constexpr std::array<int, 4> kAngularSteps = {10, 4, 2, 1};
// The list entry of an angular step, or -1 for a step the list does not offer.
int angularStepEntry(int step);

// The arm as the buttons see it, in angle units: p = armAngle + effectiveOffset, o =
// effectiveOffset, and the physical limits armMin and armMax. Because armAngle already holds the
// offset once, p - 2 o is the position the apparatus reported.
struct Arm {
    int p = 0;
    int o = 0;
    int low = 0;
    int high = 0;
};

// The move target (effective form) of a single step down (`sleft`) or up (`sright`), or empty when
// the arm already stands at that limit.
std::optional<int> stepDownTarget(const Arm& arm);
std::optional<int> stepUpTarget(const Arm& arm);
// The target of a continuous move while `ssleft` / `ssright` is held: the limit itself.
std::optional<int> holdDownTarget(const Arm& arm);
std::optional<int> holdUpTarget(const Arm& arm);
// Whether releasing the continuous button must stop the arm: not when it stands at the limit.
bool releaseDownStops(const Arm& arm);
bool releaseUpStops(const Arm& arm);

// A window (frame rectangle) fitted to a screen: a window taller than the screen takes the screen's
// height, and a window whose bottom edge lies below the screen is centred vertically; the same for
// the width and the left edge. Halves truncate toward zero.
QRect fitToScreen(const QRect& window, const QRect& screen);

// The buttons at the right of the bottom bar: "Save", "Load", "Close" and the print button spread
// after "SM", "Setup" and "Exit" at the right edge, the gap a shared on both sides.
struct BarWidths {
    int smLeft = 0;
    int sm = 0;
    int save = 0;
    int load = 0;
    int close = 0;
    int print = 0;
    int setup = 0;
    int exit = 0;
};
struct BarLefts {
    int save = 0;
    int load = 0;
    int close = 0;
    int print = 0;
    int setup = 0;
    int exit = 0;
};
BarLefts bottomBarLefts(int panelWidth, const BarWidths& widths, int rightMargin);
// The gap a never falls below: a narrower bar would lay "Save" over "SM" and "Exit" over "Setup".
inline constexpr int kMinBarGap = 8;
// The narrowest bar whose buttons keep that gap; the window is not allowed narrower.
int bottomBarMinWidth(const BarWidths& widths, int rightMargin);

} // namespace console
