// Typing a value into a spin-button group's read-out: a click on the read-out opens a line editor over
// it; Return takes the typed number under the group's own rule (snapped to its step, clamped to its
// bounds), Escape or leaving the editor keeps the old value. A typed text that is no number is
// refused with a beep and the old value stays. The read-out itself stays the plain text it was.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace ui {

struct TypedEntry {
    // The value (in the read-out's unit) the typed text gives, or empty to refuse it.
    std::function<std::optional<int>(const QString& text)> parse;
    // Takes an accepted value: shows it and posts it as the group's arrows would.
    std::function<void(int value)> accept;
    // Whether typing is possible now (the group's arrows are enabled).
    std::function<bool()> enabled;
};

// Makes the read-out typeable.
void makeTypeable(QLabel* readout, TypedEntry entry);
// The editor open over a read-out, or null.
QLineEdit* typedEditor(const QLabel* readout);

} // namespace ui
