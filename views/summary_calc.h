#pragma once
// Arithmetic of the summary tables: monthly, weekday, per-hall and per-value
// groups, the bar scale and the geometry of a bar piece. Everything here works
// on plain values read from the ledger rows, so it can be checked without windows.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {


// Investment and payout of a play record or a play day.
struct Amounts {
    std::int64_t investment = 0;
    std::int64_t payout = 0;
};

// ---- Counting ----

struct WinCounts {
    int wins = 0;
    int losses = 0;
    int draws = 0;
    int total() const { return wins + losses + draws; }
};

// Counts one result by its amounts: a win when the payout is larger, a loss
// when it is smaller, a draw when they are equal.
inline void count_result(WinCounts& counts, std::int64_t investment, std::int64_t payout) {
    if (investment < payout) ++counts.wins;
    else if (investment > payout) ++counts.losses;
    else ++counts.draws;
}

// Whether a ledger row belongs to the play day of the row before it: the same
// date text. Texts of a different month or day differ, so those are compared first.
inline bool same_play_day(int month, int day, std::string_view date, int prev_month, int prev_day,
                          std::string_view prev_date) {
    return month == prev_month && day == prev_day && date == prev_date;
}

// One ledger row as the summaries see it.
struct SummaryRow {
    std::string_view date;  // column 0 of the year list
    int month = 0;          // of the date, as date_text_month and date_text_day read it
    int day = 0;
    Amounts amounts;        // from day_totals
    int mark = 0;           // row_mark: > 0 win, < 0 loss, 0 draw
    std::string_view key;   // hall name or extra value, for the grouped tables
    std::uint32_t key_number = 0;  // equal keys, equal numbers (0 for every row without keys)
};

// Sums and counts of one line of a summary table.
struct SummaryLine {
    std::int64_t investment = 0;
    std::int64_t payout = 0;
    WinCounts counts;
    std::int64_t balance() const { return payout - investment; }
};


// ---- Monthly table ----

struct MonthlySummary {
    int months = 0;  // months filled: January up to the month of the last record
    std::array<SummaryLine, 12> lines{};
    std::array<std::int64_t, 12> running{};  // running balance after each month
    std::int64_t year_investment = 0;
    std::int64_t year_payout = 0;
    std::int64_t year_balance = 0;
    std::int64_t average = 0;  // year balance / months, truncated toward zero
};

// Sums the ledger (in date order) month by month. A play day is a run of rows
// with the same date text; it is won, lost or drawn by its summed amounts.
// A row whose month is outside 1..12 ends the reading, as the end of the ledger does.
MonthlySummary summarize_months(std::span<const SummaryRow> rows);

// The texts of the monthly table by row (0: January .. 11: December, 12: the
// year's TOTAL) and column (0: investment, 1: payout, 2: balance, 3: running
// balance, 4: win rate): the months January up to the last filled; the TOTAL
// row with the year's investment, payout and balance (under the running
// balance) and the win rate of year_play_days. Empty where the table is empty.
using MonthlyTexts = std::array<std::array<std::string, 5>, 13>;
MonthlyTexts monthly_texts(const MonthlySummary& months, const WinCounts& year_play_days);

// The label of a month in the monthly table: "１月" .. "１２月".
const std::string& month_label(int month);

// ---- Weekday table ----

struct WeekdaySummary {
    std::array<SummaryLine, 7> days{};  // Sunday .. Saturday
    SummaryLine total;
};

// Sums the play days by weekday in the given year. Days whose date is not a
// real date are left out.
WeekdaySummary summarize_weekdays(std::span<const SummaryRow> rows, int year);

// ---- Grouped and ranked tables (halls, extra values) ----

struct Group {
    std::string key;
    SummaryLine line;
};

// Groups the rows by key (told apart by their key numbers) in order of first
// appearance, counting each row by its mark. Reading stops after the row that brought the limit-th key. With
// skip_empty, rows with an empty key are left out.
std::vector<Group> collect_groups(std::span<const SummaryRow> rows, std::size_t limit, bool skip_empty);

// Halls the hall table sums at most.
inline constexpr std::size_t kMaxHallRows = 100;

// Best balance first; of equal balances the group that appeared later first.
std::vector<Group> rank_groups(std::vector<Group> groups);

// ---- Bars of the hall table ----

// Full scale of the bars: 20000 times the number of 20000-steps needed for the
// larger of the best balance and the size of the worst. 0 when both are 0.
std::int64_t bar_scale(std::int64_t best, std::int64_t worst);

// Caption of a scale label: "±" and the decimal value.
std::string scale_caption(std::int64_t value);

// Length of a balance bar in pixels: 4 x width of the first bar column x |value| / scale,
// computed in single precision and truncated. 0 for value 0 or scale <= 0.
int bar_length(int first_width, std::int64_t scale, std::int64_t value);

// The part of a bar that falls in one cell.
struct BarPiece {
    bool drawn = false;  // false: the bar ends before this cell
    bool end = false;    // the bar ends inside this cell
    int right = 0;       // exclusive right edge of the piece
};

// length: bar length; covered: sum of the widths of the bar columns up to and
// including this one; cell_width; cell_right: exclusive right edge of the cell.
BarPiece bar_piece(int length, int covered, int cell_width, int cell_right);

// ---- Ranked tables (halls, machines) ----
// Columns: 0 rank, 1 name, 2 investment, 3 payout, 4 balance, 5 win rate.

inline constexpr int kRankedShownRows = 16;  // ranks that fit without scrolling

// Row count of a ranked grid for n groups: 17 up to 16 groups, else n + 1.
int ranked_row_count(std::size_t groups);

// The captions of the four scale labels: the quarter values of the full scale.
std::array<std::string, 4> scale_captions(std::int64_t scale);

}  // namespace velmo
