// The stepping rules of the windows' spin buttons, as pure functions. Every value is an integer in
// the unit of its read-out's last shown digit (tenths of a second, hundredths of a degree, volts),
// so repeated steps never drift.
#pragma once

#include <QString>

#include <optional>

namespace ui {

// Steps `value` by `step` up or down and clamps the result to lo..hi. A value that already equals
// the bound in the direction pressed stays as it is: the result is empty (nothing to change or
// post). Bounds that cross collapse onto the lower one.
std::optional<int> stepWithin(int value, int step, bool up, int lo, int hi);

// The detector high voltage in volts (0..1275, 255 steps of 5 V). Up: nothing at 1275; otherwise
// the step is added, the limit (volts) applies when given, and 1275 is the ceiling. Down: the step
// is subtracted down to 0 and always yields a value (0 V is posted again).
inline constexpr int kMaxDetectorVolts = 1275;
std::optional<int> stepDetectorVolts(int volts, int step, bool up, std::optional<int> limitVolts);

// Parses a read-out that holds a number followed by a blank ("1.0 ", "800 "): the first blank is
// removed, the rest must be a number. Empty when it is not.
std::optional<double> readoutNumber(const QString& text);
// readoutNumber() scaled by `factor` and rounded to the nearest integer, ties to even.
std::optional<int> readoutScaled(const QString& text, int factor);

// A typed value in the read-out's unit (`factor` units to the shown number, as readoutScaled):
// rounded to the nearest multiple of `step`, then clamped to lo..hi. Anything but a number (a
// decimal comma counts as a point) is refused: empty.
std::optional<int> typedValue(const QString& text, int factor, int step, int lo, int hi);

} // namespace ui
