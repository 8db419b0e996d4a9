#pragma once
// Arithmetic of the monthly graph window: the play days of one month, their
// extremes, the scale, the caption and the day under the mouse.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace velmo::month_graph {

// A year-list row as the chart reads it.
struct Row {
    std::string date;  // column 0
    std::int64_t balance = 0;
};

// A run of consecutive rows with equal date text in the chosen month.
struct PlayDay {
    int first_row = 0;  // ledger rows, 1-based
    int last_row = 0;
    int day = 0;
    std::int64_t balance = 0;  // sum of the rows' balances
};
// rows[0] is ledger row 1.
std::vector<PlayDay> play_days(const std::vector<Row>& rows, int month);

struct Extremes {
    std::int64_t top = 0;     // max(highest day balance, highest running balance), at least 0
    std::int64_t bottom = 0;  // min(lowest day balance, lowest running balance), at most 0
    int peak_row = 0;         // last row of the earliest day reaching the highest running balance; 0 none
};
Extremes scan(const std::vector<PlayDay>& days);

struct Scale {
    int up = 0;    // grid steps above zero
    int down = 0;  // grid steps below zero (labels run -down .. up)
    std::int64_t step = 2000;  // yen per grid step (10 pixels)
    int y0 = 13;   // y of the zero line
    std::int64_t yen_per_pixel() const { return step / 10; }
};
Scale scale(std::int64_t top, std::int64_t bottom);

// The x of day d's bar and line point.
inline int day_left(int d) { return 10 * d + 37; }
inline int day_point(int d) { return 10 * d + 40; }

// The day under x, 0 when x is left of day 1 or right of day 31.
int hint_day(int x);

// "月間収支グラフ   3月TOTAL +12000": investment empty means the month has no data.
QString caption(int month, const std::string& investment_text, const std::string& balance_text);

// The hint for a day: date text, " ", "+" for a gain, the sum.
QString day_hint(const std::string& date_text, std::int64_t sum);

}  // namespace velmo::month_graph
