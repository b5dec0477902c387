#include "widgets/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ui {
namespace {

constexpr int kSize = 16;

void arrowHead(QPainter& p, double tipX, bool right, const QColor& colour) {
    const double back = right ? tipX - 5 : tipX + 5;
    const QPolygonF head({QPointF(tipX, 8), QPointF(back, 3), QPointF(back, 13)});
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void drawGlyph(QPainter& p, Glyph kind) {
    const QColor ink(40, 40, 40);
    const QColor arm(0, 90, 160);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case Glyph::record:
        p.setPen(QPen(QColor(120, 0, 0), 1));
        p.setBrush(QColor(220, 0, 0));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    case Glyph::pause:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case Glyph::stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(4, 4, 8, 8));
        break;
    case Glyph::fastDown:
        arrowHead(p, 2, false, arm);
        arrowHead(p, 8, false, arm);
        break;
    case Glyph::stepDown:
        arrowHead(p, 5, false, arm);
        break;
    case Glyph::stepUp:
        arrowHead(p, 11, true, arm);
        break;
    case Glyph::fastUp:
        arrowHead(p, 8, true, arm);
        arrowHead(p, 14, true, arm);
        break;
    case Glyph::highVoltage: {
        const QPolygonF flash(
            {QPointF(10, 1), QPointF(4, 9), QPointF(8, 9), QPointF(6, 15), QPointF(12, 6), QPointF(8, 6)});
        p.setPen(QPen(QColor(120, 80, 0), 1));
        p.setBrush(QColor(255, 200, 0));
        p.drawPolygon(flash);
        break;
    }
    case Glyph::speaker: {
        p.setPen(QPen(ink, 1));
        p.setBrush(ink);
        p.drawPolygon(QPolygonF(
            {QPointF(2, 6), QPointF(5, 6), QPointF(9, 2), QPointF(9, 14), QPointF(5, 10), QPointF(2, 10)}));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 5, 5, 6), -60 * 16, 120 * 16);
        p.drawArc(QRectF(8, 3, 8, 10), -60 * 16, 120 * 16);
        break;
    }
    case Glyph::reset:
        p.setPen(QPen(QColor(0, 110, 0), 2));
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 270 * 16);
        arrowHead(p, 13, true, QColor(0, 110, 0));
        break;
    case Glyph::save:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2.5, 6, 4));
        p.drawRect(QRectF(4.5, 9, 7, 4.5));
        break;
    case Glyph::load:
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4), QPointF(6, 4), QPointF(7, 5.5), QPointF(13.5, 5.5),
                                 QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    case Glyph::close:
        p.setPen(QPen(QColor(190, 0, 0), 2.2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::print:
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case Glyph::setup:
        p.setPen(QPen(QColor(90, 90, 90), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 12), QPointF(10, 6));
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.drawArc(QRectF(8, 2, 6, 6), -45 * 16, 270 * 16);
        break;
    case Glyph::exit:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        arrowHead(p, 15, true, QColor(0, 110, 0));
        p.setPen(QPen(QColor(0, 110, 0), 2));
        p.drawLine(QPointF(7, 8), QPointF(11, 8));
        break;
    case Glyph::help: {
        p.setPen(QPen(QColor(0, 70, 160), 1.5));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::ok:
        p.setPen(QPen(QColor(0, 130, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(7, 12), QPointF(13, 4)}));
        break;
    }
}

} // namespace

QIcon glyph(Glyph kind) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGlyph(painter, kind);
    painter.end();
    return QIcon(pixmap);
}

} // namespace ui
