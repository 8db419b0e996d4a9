#pragma once
// Arithmetic of the year chart on the graph tab: its geometry for the window's
// enlargement steps h (width) and v (height), the two scales, bar heights,
// the running-total line's steps and the peak callout's box. No windows here.
#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

namespace velmo::graph {

// ---- Geometry (pixels of the chart image) ----
inline int slot_width(int h) { return h + 45; }
inline int plot_left(int h) { return h + 52; }
inline int plot_right(int h) { return 13 * h + 592; }   // exclusive
inline int plot_bottom(int v) { return 17 * v + 325; }  // exclusive
inline int plot_top() { return 5; }
// Separator i (1..11) between months i and i + 1.
inline int separator_x(int h, int i) { return h * (i + 1) + 45 * i + 52; }
// Distance between the horizontal grid lines.
inline int grid_step(int v) { return 17 * v / 26 + 12; }
// The y of every horizontal grid line, top down; the last is the lowest.
std::vector<int> grid_lines(int v);
// Left edge of the bar of month index k (0..11); the bar runs to bar_left + 33.
inline int bar_left(int h, int k) { return h * (k + 1) + 45 * k + h / 2 + 59; }
// The x of a date on the running-total line.
int date_x(int h, int month, int day);
// The month clicked at x (1..12).
int clicked_month(int h, int click_x);
// Number of animation ticks at most.
inline int tick_limit(int h) { return 13 * h + 540; }
// Size of the chart image.
inline int image_width(int h) { return 14 * h + 642; }
inline int image_height(int v) { return 18 * v + 346; }

// ---- Scales ----
// A scale of `up` steps above zero and `down` below, `unit` yen a step.
struct YearScale {
    int unit = 5000;
    int up = 0;
    int down = 0;
};
// Steps of 5000 yen, widened so that at most about `fit` steps are used:
// 14 for the monthly bars, 16 for the running total.
YearScale year_scale(std::int64_t largest, std::int64_t smallest, int fit);
inline YearScale monthly_scale(std::int64_t mx, std::int64_t mn) { return year_scale(mx, mn, 14); }
inline YearScale total_scale(std::int64_t peak, std::int64_t trough) { return year_scale(peak, trough, 16); }

// Pixels a bar grows (ticks of the animation): balance div (unit div s), and one
// empty extra step when that is 0 or more.
int bar_steps(std::int64_t balance, int unit, int s);
// Height in pixels of an amount on the running-total scale (amount div (unit div s)).
int total_pixels(std::int64_t amount, int unit, int s);

// y0 + k * (dy / L) in single precision, rounded to nearest, halves away from zero.
int line_step_y(int y0, int k, int dy, int length);

// ---- Peak callout ----
struct Callout {
    QRect box;   // frame rectangle, right and bottom exclusive
    int text_x;  // left edge of the text
    int text_y;  // top of the text
};
// The box for a text of width w at target point (x1, y1), font height - 2 = lh.
Callout callout_box(int h, int x1, int y1, int w, int lh);

// ---- Data ----
// One point of the running-total line: the last row of a date.
struct TotalPoint {
    int row = 0;    // ledger row
    int x = 0;      // date_x of its date
    std::int64_t total = 0;
    bool peak = false;  // the peak row, callout drawn here
};
// The rows 1..rec_count (dates and running totals, in ledger order) reduced to
// one point per date. peak_row is the last row marked as a new high (0 none);
// a peak that is not the last row of its date gets no callout.
struct LedgerPoint {
    std::string date;
    std::int64_t total = 0;
};
std::vector<TotalPoint> total_points(int h, const std::vector<LedgerPoint>& rows, int peak_row);

}  // namespace velmo::graph
