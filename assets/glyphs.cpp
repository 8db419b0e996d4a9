#include "assets/glyphs.h"

#include <QPainter>
#include <QPainterPath>

#include "framework/draw.h"

namespace velmo {

namespace {

QPixmap blank(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// A gaming ball: a silver disc with a highlight, the program's mark.
void paint_ball(QPainter& p, QRectF r) {
    QRadialGradient g(r.center() - QPointF(r.width() * 0.2, r.height() * 0.2), r.width() * 0.7);
    g.setColorAt(0.0, QColor(255, 255, 255));
    g.setColorAt(0.4, QColor(196, 200, 210));
    g.setColorAt(1.0, QColor(90, 96, 110));
    p.setPen(QPen(QColor(60, 64, 80), 1));
    p.setBrush(g);
    p.drawEllipse(r);
}

}  // namespace

QIcon app_icon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm = blank(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(10, 36, 106));
        p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
        paint_ball(p, QRectF(size * 0.18, size * 0.18, size * 0.64, size * 0.64));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap glyph_entry() {
    QPixmap pm = blank(25);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 2.5, 15, 20));
    p.setPen(QColor(150, 150, 150));
    for (int y = 7; y <= 19; y += 4) p.drawLine(QPointF(6, y), QPointF(16, y));
    p.setPen(QPen(QColor(200, 60, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 19), QPointF(22, 7));
    return pm;
}

QPixmap glyph_registry() {
    QPixmap pm = blank(25);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        QRectF r(3.5 + i * 2, 4.5 + i * 5, 17, 6);
        p.setPen(QColor(60, 80, 120));
        p.setBrush(i == 1 ? QColor(174, 210, 255) : QColor(224, 240, 255));
        p.drawRect(r);
    }
    return pm;
}

QPixmap glyph_open() {
    QPixmap pm = blank(25);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(120, 90, 20));
    p.setBrush(QColor(240, 200, 90));
    QPainterPath back;
    back.addRect(QRectF(2.5, 6.5, 18, 14));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(2.5, 20.5);
    front.lineTo(7.5, 11.5);
    front.lineTo(23.5, 11.5);
    front.lineTo(19.5, 20.5);
    front.closeSubpath();
    p.setBrush(QColor(255, 225, 130));
    p.drawPath(front);
    return pm;
}

}  // namespace velmo
