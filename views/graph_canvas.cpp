#include "views/graph_canvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "framework/draw.h"

namespace velmo {

void GraphCanvas::pixel(int x, int y, const QColor& color) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    image_.setPixelColor(x, y, color);
}

void GraphCanvas::line_to(int x, int y) {
    // Bresenham from the pen position; the end point itself is not drawn.
    int x0 = pos_.x(), y0 = pos_.y();
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    bool on = true;
    while (x0 != x || y0 != y) {
        if (on || !dotted_) pixel(x0, y0, pen_);
        on = !on;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    pos_ = QPoint(x, y);
}

void GraphCanvas::fill_rect(int left, int top, int right, int bottom, const QColor& color) {
    const QRect r = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(image_.rect());
    for (int yy = r.top(); yy <= r.bottom(); ++yy)
        for (int xx = r.left(); xx <= r.right(); ++xx) image_.setPixelColor(xx, yy, color);
}

void GraphCanvas::rectangle(int x1, int y1, int x2, int y2, const QColor& brush) {
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1) return;
    if (brush.isValid()) fill_rect(l, t, r, b, brush);
    fill_rect(l, t, r, t + 1, pen_);
    fill_rect(l, b - 1, r, b, pen_);
    fill_rect(l, t, l + 1, b, pen_);
    fill_rect(r - 1, t, r, b, pen_);
}

int GraphCanvas::text_width(const QString& text) const { return QFontMetrics(font_).horizontalAdvance(text); }

void GraphCanvas::text_out(int x, int y, const QString& text) {
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(text_color_);
    const QFontMetrics fm(font_);
    draw_text_in_rect(painter, QRect(x, y, fm.horizontalAdvance(text) + 2, fm.height()), text,
                      Qt::AlignLeft | Qt::AlignTop);
}

void GraphCanvas::polyline(const QColor& pen, std::initializer_list<QPoint> points) {
    set_pen(pen);
    auto it = points.begin();
    if (it == points.end()) return;
    move_to(it->x(), it->y());
    for (++it; it != points.end(); ++it) line_to(it->x(), it->y());
}

}  // namespace velmo
