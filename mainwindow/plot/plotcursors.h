// The plot's own mouse cursors and the glyph of the line/point toggle, drawn in code.
#pragma once

#include <QCursor>
#include <QIcon>

namespace plot {

// The zoom cursors: a magnifying glass with a double arrow along the axis it zooms ("ZOOMX" with
// Qt::Horizontal, "ZOOMY" with Qt::Vertical). The hot spot is the centre of the glass.
QCursor zoomCursor(Qt::Orientation axis);
// A small polyline with dots, for the button that switches joining lines on and off.
QIcon lineModeIcon();

} // namespace plot
