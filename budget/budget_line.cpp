#include "budget/budget_line.h"

#include <algorithm>

#include "budget/budget.h"
#include "framework/draw.h"
#include "ledger/player_settings.h"

namespace velmo::budget {

namespace {

constexpr int kDash = 6;  // pixels drawn, then as many left out
constexpr int kLabelHeight = 11;

}  // namespace

void draw_budget_line(GraphCanvas& c, int left, int right, int top, int bottom, int y) {
    if (y < top || y >= bottom) return;
    const QColor pen = c.pen();
    const QFont font = c.font();
    const QPoint at = c.pen_pos();
    c.set_pen(chart_color::kRed);
    for (int x = left; x < right; x += 2 * kDash) {
        c.move_to(x, y);
        c.line_to(std::min(x + kDash, right), y);
    }
    // The label over the line, or under it where the plot leaves no room above.
    c.set_font(ui_font(kLabelHeight));
    c.set_text_color(chart_color::kRed);
    const int label_y = y - kLabelHeight - 1 >= top ? y - kLabelHeight - 1 : y + 2;
    c.text_out(left + 2, label_y, QStringLiteral("予算"));
    c.set_text_color(Qt::black);
    c.set_font(font);
    c.set_pen(pen);
    c.move_to(at.x(), at.y());
}

ChartOverlay line_overlay(const PlayerSettings& settings) {
    return [&settings](GraphCanvas& c, const BalancePlot& plot) {
        const std::int64_t monthly = settings.get<Budget>().monthly;
        if (monthly > 0) draw_budget_line(c, plot.left, plot.right, plot.top, plot.bottom, plot.loss_y(monthly));
    };
}

}  // namespace velmo::budget
