#include "views/graph_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/draw.h"

namespace velmo {

QImage chart_image(QSize size, qreal ratio) {
    if (!(ratio > 0)) ratio = 1;
    QImage image(qCeil(size.width() * ratio), qCeil(size.height() * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

int GraphCanvas::device(int v) const { return ratio_ == 1 ? v : qRound(v * ratio_); }

void GraphCanvas::fill_device(const QRect& r, const QColor& color) {
    const QRect clipped = r.intersected(image_.rect());
    for (int yy = clipped.top(); yy <= clipped.bottom(); ++yy)
        for (int xx = clipped.left(); xx <= clipped.right(); ++xx) image_.setPixelColor(xx, yy, color);
}

void GraphCanvas::pixel(int x, int y, const QColor& color) { fill_device(QRect(device(x), device(y), 1, 1), color); }

void GraphCanvas::line_to(int x, int y) { segment_to(x, y, false, false); }

void GraphCanvas::segment_to(int x, int y, bool turns_at_start, bool turns_at_end) {
    const QPoint from = pos_;
    pos_ = QPoint(x, y);
    if (from.x() == x || from.y() == y) {
        if (from == pos_) return;
        // Level or upright: the chart pixels from the start on, the end left out, each
        // over its whole length, at the anchor across. Going up or left, a turn at the
        // start takes the start pixel's anchor only and a turn at the end the end pixel
        // from its anchor on, so that the pieces meet anchor to anchor.
        const bool level = from.y() == y;
        const int a = level ? from.x() : from.y();
        const int b = level ? x : y;
        const int across = device(level ? y : x);
        const int step = a < b ? 1 : -1;
        int lo = device(a), hi = device(b) - 1;
        if (step < 0) {
            hi = turns_at_start ? device(a) : device(a + 1) - 1;
            lo = turns_at_end ? device(b) + 1 : device(b + 1);
        }
        const auto span = [&](int first, int last) {
            first = std::max(first, lo);
            last = std::min(last, hi);
            if (first > last) return;
            fill_device(level ? QRect(first, across, last - first + 1, 1) : QRect(across, first, 1, last - first + 1),
                        pen_);
        };
        int k = 0;
        for (int p = a; p != b; p += step, ++k)
            if (!dotted_ || k % 2 == 0) span(device(p), device(p + 1) - 1);
        if (!dotted_ || k % 2 == 0) span(device(b) + 1, device(b + 1) - 1);
        return;
    }
    // Slanted: Bresenham from anchor to anchor, the end itself left out; dotted, the
    // image pixels of every other chart pixel along the line.
    int x0 = device(from.x()), y0 = device(from.y());
    const int x1 = device(x), y1 = device(y);
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int n = 0; x0 != x1 || y0 != y1; ++n) {
        const int chart_step = static_cast<int>(std::floor(n / ratio_ + 1e-9));
        if (!dotted_ || chart_step % 2 == 0) fill_device(QRect(x0, y0, 1, 1), pen_);
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
}

void GraphCanvas::fill_rect(int left, int top, int right, int bottom, const QColor& color) {
    fill_device(QRect(QPoint(device(left), device(top)), QPoint(device(right) - 1, device(bottom) - 1)), color);
}

void GraphCanvas::rectangle(int x1, int y1, int x2, int y2, const QColor& brush) {
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1) return;
    if (brush.isValid()) fill_rect(l, t, r, b, brush);
    // The frame: the outermost image pixels of the area.
    const QRect area(QPoint(device(l), device(t)), QPoint(device(r) - 1, device(b) - 1));
    fill_device(QRect(area.left(), area.top(), area.width(), 1), pen_);
    fill_device(QRect(area.left(), area.bottom(), area.width(), 1), pen_);
    fill_device(QRect(area.left(), area.top(), 1, area.height()), pen_);
    fill_device(QRect(area.right(), area.top(), 1, area.height()), pen_);
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
    for (++it; it != points.end(); ++it)
        segment_to(it->x(), it->y(), it != points.begin() + 1, it + 1 != points.end());
}

}  // namespace velmo
