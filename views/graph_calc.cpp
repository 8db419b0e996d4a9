#include "views/graph_calc.h"

#include <algorithm>
#include <cmath>

#include "ledger/ledger_model.h"

namespace velmo::graph {

std::vector<int> grid_lines(int v) {
    std::vector<int> ys;
    const int s = grid_step(v);
    for (int y = 5 + s; y < 17 * v + 323; y += s) ys.push_back(y);
    return ys;
}

int date_x(int h, int month, int day) {
    const float f = static_cast<float>(h + 44) / 31.0f;
    return (month - 1) * (h + 45) + h + 53 + static_cast<int>(static_cast<float>(day) * f);
}

int clicked_month(int h, int click_x) {
    if (click_x <= h + 52) return 1;
    return std::clamp((click_x - 7) / (h + 45), 1, 12);
}

YearScale year_scale(std::int64_t largest, std::int64_t smallest, int fit) {
    const std::int64_t a = smallest < 0 ? smallest / -5000 + 1 : 0;
    const std::int64_t b = largest > 0 ? largest / 5000 + 1 : 0;
    const std::int64_t w = (a + b) / fit;
    YearScale s;
    s.unit = static_cast<int>(std::min<std::int64_t>(5000 * (w + 1), 2000000000));
    s.up = static_cast<int>((b + w) / (w + 1));
    s.down = static_cast<int>((a + w) / (w + 1));
    return s;
}

int bar_steps(std::int64_t balance, int unit, int s) {
    const int per_pixel = std::max(1, unit / s);
    int p = static_cast<int>(balance / per_pixel);
    if (p >= 0) ++p;
    return p;
}

int total_pixels(std::int64_t amount, int unit, int s) {
    return static_cast<int>(amount / std::max(1, unit / s));
}

int line_step_y(int y0, int k, int dy, int length) {
    if (length == 0) return y0 + dy;
    const float q = static_cast<float>(k) * (static_cast<float>(dy) / static_cast<float>(length));
    return y0 + static_cast<int>(std::lround(q));
}

Callout callout_box(int h, int x1, int y1, int w, int lh) {
    Callout c;
    c.text_y = y1 - lh - 5;
    if (x1 + w > 13 * h + 589) {
        const int left = x1 - w - 3;
        c.box = QRect(QPoint(left, y1 - lh - 6), QPoint(x1 - 1, y1 - 4));
        c.text_x = x1 - w - 1;
    } else {
        c.box = QRect(QPoint(x1, y1 - lh - 6), QPoint(x1 + w + 2, y1 - 4));
        c.text_x = x1 + 2;
    }
    return c;
}

std::vector<TotalPoint> total_points(int h, const std::vector<LedgerPoint>& rows, int peak_row) {
    std::vector<TotalPoint> points;
    const int n = static_cast<int>(rows.size());
    for (int i = 0; i < n; ++i) {
        if (i + 1 < n && rows[static_cast<size_t>(i + 1)].date == rows[static_cast<size_t>(i)].date) continue;
        const LedgerPoint& p = rows[static_cast<size_t>(i)];
        TotalPoint t;
        t.row = i + 1;
        t.x = date_x(h, date_text_month(p.date), date_text_day(p.date));
        t.total = p.total;
        t.peak = t.row == peak_row;
        points.push_back(t);
    }
    return points;
}

}  // namespace velmo::graph
