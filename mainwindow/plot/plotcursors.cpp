#include "mainwindow/plot/plotcursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace plot {

namespace {

constexpr int kCursorSize = 32;
constexpr int kGlassCentre = 12;
constexpr int kGlassRadius = 8;

// A double arrow across the glass, drawn along x; the caller rotates the painter for y.
void drawDoubleArrow(QPainter& painter) {
    painter.drawLine(-5, 0, 5, 0);
    QPainterPath heads;
    heads.moveTo(-6, 0);
    heads.lineTo(-3, -3);
    heads.lineTo(-3, 3);
    heads.closeSubpath();
    heads.moveTo(6, 0);
    heads.lineTo(3, -3);
    heads.lineTo(3, 3);
    heads.closeSubpath();
    painter.fillPath(heads, painter.pen().color());
}

void drawCursorImage(QPainter& painter, Qt::Orientation axis, const QColor& colour, qreal width) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(kGlassCentre, kGlassCentre), kGlassRadius, kGlassRadius);
    painter.setPen(QPen(colour, width + 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(18, 18), QPointF(27, 27));
    painter.save();
    painter.translate(kGlassCentre, kGlassCentre);
    if (axis == Qt::Vertical) {
        painter.rotate(90);
    }
    painter.setPen(QPen(colour, width));
    drawDoubleArrow(painter);
    painter.restore();
}

} // namespace

QCursor zoomCursor(Qt::Orientation axis) {
    QPixmap image(kCursorSize, kCursorSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A white outline under a black drawing keeps the cursor visible on any background.
    drawCursorImage(painter, axis, Qt::white, 3);
    drawCursorImage(painter, axis, Qt::black, 1);
    painter.end();
    return QCursor(image, kGlassCentre, kGlassCentre);
}

QIcon lineModeIcon() {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF points[] = {{1, 13}, {5, 6}, {9, 10}, {14, 2}};
    painter.setPen(QPen(Qt::darkGreen, 1.2));
    painter.drawPolyline(points, 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QPointF& point : points) {
        painter.drawEllipse(point, 1.5, 1.5);
    }
    painter.end();
    return QIcon(image);
}

} // namespace plot
