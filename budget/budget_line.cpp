#include "budget/budget_line.h"

#include <QtMath>

#include <algorithm>
#include <iterator>

#include "budget/budget.h"
#include "framework/draw.h"
#include "ledger/player_settings.h"

namespace velmo::budget {

namespace {

constexpr int kDash = 6;  // pixels drawn, then as many left out
constexpr int kLabelHeight = 11;

bool touches_nothing(const QImage& image, const QRect& device_box) {
    if (!image.rect().contains(device_box)) return false;
    const QRgb free[] = {QColor(Qt::white).rgb(), button_face_color().rgb(), chart_color::kGrid.rgb()};
    for (int y = device_box.top(); y <= device_box.bottom(); ++y)
        for (int x = device_box.left(); x <= device_box.right(); ++x)
            if (std::find(std::begin(free), std::end(free), image.pixel(x, y)) == std::end(free)) return false;
    return true;
}

QPoint label_place(const QImage& image, qreal ratio, QSize label, int left, int right, int top, int bottom, int y) {
    const auto device_box = [&](QPoint at) {
        return QRect(qFloor(at.x() * ratio), qFloor(at.y() * ratio), qCeil(label.width() * ratio),
                     qCeil(label.height() * ratio));
    };
    // Over the line, else under it, from its left end rightwards.
    for (const int row : {y - label.height(), y + 2}) {
        if (row < top || row + label.height() > bottom) continue;
        for (int x = left + 2; x + label.width() <= right; x += 2)
            if (touches_nothing(image, device_box({x, row}))) return {x, row};
    }
    return {left + 2, y - kLabelHeight - 1 >= top ? y - kLabelHeight - 1 : y + 2};
}

}  // namespace

void draw_budget_line(GraphCanvas& c, int left, int right, int top, int bottom, int y, bool label) {
    if (y < top || y >= bottom) return;
    const QColor pen = c.pen();
    const QFont font = c.font();
    const QPoint at = c.pen_pos();
    c.set_pen(chart_color::kRed);
    for (int x = left; x < right; x += 2 * kDash) {
        c.move_to(x, y);
        c.line_to(std::min(x + kDash, right), y);
    }
    if (label) {
        // The label where it touches no other text, bar or line of the chart.
        c.set_font(ui_font(kLabelHeight));
        const QString text = QStringLiteral("予算");
        const QPoint place = label_place(c.image(), c.image().devicePixelRatio(), QSize(c.text_width(text), kLabelHeight + 1),
                                         left, right, top, bottom, y);
        c.set_text_color(chart_color::kRed);
        c.text_out(place.x(), place.y(), text);
        c.set_text_color(Qt::black);
        c.set_font(font);
    }
    c.set_pen(pen);
    c.move_to(at.x(), at.y());
}

ChartOverlay line_overlay(const PlayerSettings& settings) {
    return [&settings](GraphCanvas& c, const BalancePlot& plot) {
        const std::int64_t monthly = settings.get<Budget>().monthly;
        if (monthly > 0)
            draw_budget_line(c, plot.left, plot.right, plot.top, plot.bottom, plot.loss_y(monthly), plot.finished);
    };
}

}  // namespace velmo::budget
