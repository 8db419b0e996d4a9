#include "month/calendar_calc.h"

#include "framework/runtime.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"

namespace velmo::calendar {

const std::array<std::array<std::uint8_t, 7>, 7> kCornerMask = {{
    {0, 0, 0, 0, 89, 127, 166},
    {0, 0, 89, 127, 191, 229, 255},
    {0, 89, 191, 229, 255, 255, 255},
    {0, 127, 229, 255, 255, 255, 255},
    {89, 191, 255, 255, 255, 255, 255},
    {127, 229, 255, 255, 255, 255, 255},
    {166, 255, 255, 255, 255, 255, 255},
}};

int first_weekday(int year, int month) {
    if (!is_valid_date(year, month, 1)) return 1;
    return day_of_week(year, month, 1);
}

MonthDays compute_month_days(const std::vector<LedgerDay>& rows, int year, int month, int selected_day) {
    MonthDays out;
    out.first_weekday = first_weekday(year, month);
    const int n = static_cast<int>(rows.size());
    auto date = [&](int r) -> const std::string& { return rows[static_cast<std::size_t>(r - 1)].date; };

    // The first row of the month; the rows are in date order.
    int r = 1;
    while (r <= n && date_text_month(date(r)) != month) ++r;

    for (int d = 1; d <= 31; ++d) {
        const auto i = static_cast<std::size_t>(d);
        const int row_day = r <= n && date_text_month(date(r)) == month ? date_text_day(date(r)) : 0;
        std::int64_t balance = 0;
        if (row_day == d) {
            // One play day: the run of rows carrying the same date text.
            out.flags[i] = static_cast<std::uint16_t>(r & kFirstRowMask);
            int count = 0;
            std::int64_t investment = 0;
            std::int64_t payout = 0;
            do {
                ++count;
                investment += rows[static_cast<std::size_t>(r - 1)].investment;
                payout += rows[static_cast<std::size_t>(r - 1)].payout;
                ++r;
            } while (r <= n && date(r - 1) == date(r));
            out.records[i] = count;
            out.investment[i] = investment;
            out.payout[i] = payout;
            balance = payout - investment;
        } else {
            out.flags[i] = 0;
            out.investment[i] = kNoRecords;
        }
        if (!is_valid_date(year, month, d)) {
            out.investment[i] = kNoSuchDay;
            continue;
        }
        if (balance > 0) out.flags[i] |= kDayWon;
        if (balance < 0) out.flags[i] |= kDayLost;
        if (d == selected_day) {
            out.flags[i] |= kDaySelected;
            out.selected_index = d - 1;
        }
    }
    return out;
}

int day_column(int w1, int index) { return (index + w1 - 1) % 7; }

QRect day_cell_rect(int w1, int index, int g, int v) {
    const int k = index + w1 - 1;
    const int x = (k % 7) * (g + 54);
    const int y = 16 + (k / 7) * (2 * v + 36);
    return QRect(x, y, g + 51, 2 * v + 33);
}

int day_at(int x, int y, int w1, int g, int v) {
    // Integer division truncates toward zero: the header band joins the first week row.
    return x / (g + 54) + 7 * ((y - 15) / (2 * v + 36)) - w1 + 2;
}

int weekday_label_left(int weekday, int g, int label_width) {
    return weekday * (g + 54) + (g + 54 - label_width) / 2;
}

int day_number_left(int x, int g, int day) { return day >= 10 ? x + g + 25 : x + g + 35; }

std::string day_balance_text(std::int64_t investment, std::int64_t payout) {
    if (investment == kNoRecords || investment == kNoSuchDay) return std::string();
    return std::to_string(payout - investment);
}

std::string calendar_month_text(int month, const std::string& month_balance) {
    return month_panel_text(month, month_balance.empty() ? std::string("0") : month_balance);
}

std::optional<std::string> hall_total_text(const StringGrid& halls, const std::string& hall) {
    for (int r = 1; r < halls.row_count() && !halls.cell(1, r).empty(); ++r) {
        if (halls.cell(1, r) != hall) continue;
        const std::string& total = halls.cell(4, r);
        return hall + " TOTAL " + (cell_number(total) > 0 ? "+" : "") + total;
    }
    return std::nullopt;
}

}  // namespace velmo::calendar
