// Tool-tip hints switched on or off per window. A window whose hints are off shows no tool tips
// for any control on it; the controls keep their texts, so switching back on restores them.
#pragma once

class QWidget;

namespace ui {

void setHintsShown(QWidget* window, bool shown);
// True unless setHintsShown(window, false) was called last for the widget's window.
bool hintsShown(const QWidget* widget);

} // namespace ui
