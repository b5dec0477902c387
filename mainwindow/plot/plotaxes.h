// The axes, their labels and the header line of the scan plot, painted on any QPainter in the
// pixel coordinates of the axes box (the curve area's top left corner at kCurveLeft, kCurveTop).
#pragma once

#include "mainwindow/plot/plotgeometry.h"

#include <QColor>
#include <QString>

#include <optional>
#include <vector>

class QFontMetrics;
class QPainter;
class trecdata;

namespace plot {

inline const QColor kBackground(0, 63, 0);
inline const QColor kLime(0, 255, 0);
inline const QColor kYellow(255, 255, 0);

// The sizes and view state the axes follow.
struct AxesGeometry {
    int clientWidth = 0;  // CW: visible width of the curve area
    int clientHeight = 0; // CH: visible height of the curve area
    int outerHeight = 0;  // H: outer height of the curve area, scroll bar included
    int boxWidth = 0;     // width of the axes box
    int scrollRangeX = 0;
    int scrollPosX = 0;
    int scrollRangeY = 0;
    int scrollPosY = 0;
    int zoomXLevel = 0;
    // A free horizontal zoom's scale (the mouse's zoom); none for the zoom levels.
    std::optional<Scale> freeScaleX;
    int pointSize = kAxisFontPointSize; // of the axis font, for the zoomed tick step
    // The printed variant: sizes are the curve area's outer ones, nothing is coloured (the painter's
    // pen draws everything), the curve area gets a frame and "[deg]" goes below the angle labels.
    bool print = false;
};

// One piece of the header line: a label (lime) or a value (yellow) at its x.
struct HeaderItem {
    int x = 0;
    QString text;
    bool isValue = false;
};
// "RANGE", the view's angular range, "DHV", the detector voltage, "XRTC", the tube current.
std::vector<HeaderItem> headerItems(const trecdata& record, const QFontMetrics& metrics);

// Pixels per angle unit of the axes' view.
Scale axesScale(const trecdata& record, const AxesGeometry& geometry);

// Draws both axes with ticks, labels and units, and the header, with the painter's current font; in
// the printed variant also the frame around the curve area.
void paintAxes(QPainter& painter, const trecdata& record, const AxesGeometry& geometry);

} // namespace plot
