#pragma once
// Arithmetic of the lifetime tables: the per-year table with its lifetime sums,
// the ten best and worst play records and months, and the texts of the totals.
// Tables are handled as their data rows (grid row 1 is element 0), each row
// holding every column of its grid as CP932 text.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

using TableRow = std::vector<std::string>;

inline constexpr std::size_t kYearColumns = 6;    // year, investment, payout, balance, running, win rate
inline constexpr std::size_t kRecordColumns = 7;  // rank, date, hall, machines, investment, payout, balance
inline constexpr std::size_t kMonthColumns = 6;   // rank, month, investment, payout, balance, win rate
inline constexpr std::size_t kRanks = 10;

// Wins, losses and draws read from a win-rate text such as "3勝2敗1分 60％":
// the digits before 勝, the digits between 勝 and 敗, and, unless a space follows
// 敗, the digits before 分. Missing parts count 0; a count is at most 999999999.
struct WinLossDraw {
    std::int64_t wins = 0;
    std::int64_t losses = 0;
    std::int64_t draws = 0;
};
WinLossDraw parse_win_rate(std::string_view text);

// "12勝8敗 60％", "12勝8敗3分 60％"; with no wins and losses "0勝0敗" + draws + "分 0％".
std::string lifetime_win_text(const WinLossDraw& counts);
// "生涯収支 " + "＋" (positive) or "±" (zero) + the sum; a negative sum brings its "-".
std::string lifetime_balance_text(std::int64_t sum);

// Sums of the per-year rows. Additions saturate instead of overflowing, so a
// damaged file cannot make them wrap.
struct LifetimeSums {
    std::int64_t investment = 0;
    std::int64_t payout = 0;
    std::int64_t balance = 0;
    WinLossDraw counts;
};
// The sums of columns 1, 2 and 3 and of the win-rate counts of column 5; with
// write_running, column 4 of every row becomes the running sum of column 3.
LifetimeSums sum_years(std::vector<TableRow>& rows, bool write_running);

// The per-year row of the open year from the monthly TOTAL row's investment,
// payout, year balance and win-rate texts.
TableRow year_row(const std::string& year_text, const std::string& investment, const std::string& payout,
                  const std::string& balance, const std::string& win_rate);

// Puts the year's row in the table, ascending by year: it replaces the row
// whose first four characters equal the year, else goes before the first row
// of a later year, else at the end. Returns the index it took.
std::size_t place_year_row(std::vector<TableRow>& rows, const std::string& year_text, TableRow row);
// Removes the year's row; false when there was none.
bool remove_year_row(std::vector<TableRow>& rows, const std::string& year_text);

// ---- Rankings ----

// A play record of the open ledger as the rankings read it: views into the
// texts, which must outlive it.
struct RecordTexts {
    std::string_view date;        // date text of the year list
    std::string_view hall;
    std::string_view machines;
    std::string_view day_totals;  // packed investment and payout sums
    std::string_view balance;
};
// A month of the monthly summary: its label and columns 1, 2, 3 and 5.
struct MonthTexts {
    std::string label;
    std::string investment;
    std::string payout;
    std::string balance;
    std::string win_rate;
};

struct Rankings {
    std::vector<TableRow> best_records;
    std::vector<TableRow> worst_records;
    std::vector<TableRow> best_months;
    std::vector<TableRow> worst_months;
};

// Removes the entries whose column 1 starts with the year.
void remove_year_entries(std::vector<TableRow>& ranks, const std::string& year_text);
// Enters an entry of the given value: in a best table before the first entry
// whose value (column value_col) is not greater, in a worst table before the
// first whose value is not smaller; the table keeps ten entries. False when
// the entry did not reach the ten.
bool enter_ranking(std::vector<TableRow>& ranks, TableRow entry, std::size_t value_col, bool best,
                   std::int64_t value);

TableRow record_entry(const std::string& year_text, const RecordTexts& record);
TableRow month_entry(const std::string& year_text, const MonthTexts& month);

// Replaces the open year's entries by those of its records (in ledger order) and
// months (January on, as far as the monthly summary is filled). Balances of 0
// enter no table. A record is given by its balance figure (as cell_number reads
// its balance text); record_at(i) gives the texts of record i, asked only for a
// record that reaches the ten.
void update_rankings(Rankings& rankings, const std::string& year_text, std::span<const std::int64_t> balances,
                     const std::function<RecordTexts(std::size_t)>& record_at, std::span<const MonthTexts> months);

}  // namespace velmo
