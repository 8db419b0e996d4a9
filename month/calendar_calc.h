#pragma once
// The arithmetic of the month calendar: which ledger rows make each day, the
// day sums and flags, where each day cell sits in the picture and which day a
// click hits, and the texts the calendar shows.
#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmo {

class StringGrid;

namespace calendar {

// day_investment values of days without a sum.
constexpr std::int64_t kNoRecords = -1;   // the day has no play record
constexpr std::int64_t kNoSuchDay = -2;   // 29, 30 or 31 beyond the month's end

// day_flags bits.
constexpr std::uint16_t kFirstRowMask = 0x03FF;  // first year-list row of the day, 0 = none
constexpr std::uint16_t kDayWon = 0x2000;
constexpr std::uint16_t kDayLost = 0x4000;
constexpr std::uint16_t kDaySelected = 0x8000;

// One year-list row as the calendar reads it.
struct LedgerDay {
    std::string date;  // the date text of column 0
    std::int64_t investment = 0;
    std::int64_t payout = 0;
};

// The per-day arrays of one month, indexed by day 1..31 (index 0 unused).
struct MonthDays {
    std::array<std::int64_t, 32> investment{};
    std::array<std::int64_t, 32> payout{};
    std::array<std::uint16_t, 32> flags{};
    std::array<int, 32> records{};
    int first_weekday = 1;    // weekday of day 1, Sunday = 1 .. Saturday = 7
    int selected_index = -1;  // day - 1 of the selected day, -1 when it is not in this month
};

// The days of month in year from the year-list rows (rows[k] is ledger row k + 1,
// in date order). selected_day is the remembered day when the remembered month is
// this one, else 0. A year or month that makes no valid date gives a month
// without days.
MonthDays compute_month_days(const std::vector<LedgerDay>& rows, int year, int month, int selected_day);

// Weekday of the first of the month, Sunday = 1 .. Saturday = 7; 1 for an invalid month.
int first_weekday(int year, int month);

// The cell of day index i (day i + 1) for the weekday w1 of day 1, width step g
// and height step v: (G + 51) x (2V + 33) pixels with 3-pixel gaps below a
// 16-pixel header band.
QRect day_cell_rect(int w1, int index, int g, int v);
// Column of a day index, 0 = Sunday .. 6 = Saturday.
int day_column(int w1, int index);

// The day number at a point of the picture; may lie outside 1..31. A point in the
// header band counts as the first week row.
int day_at(int x, int y, int w1, int g, int v);

// Left edge of a weekday label of the given width, centred over its column.
int weekday_label_left(int weekday, int g, int label_width);

// Alpha of the top-left corner of a day cell, row by row from the top.
extern const std::array<std::array<std::uint8_t, 7>, 7> kCornerMask;

// Left edge of the first glyph of a day number, so that the number ends at x + G + 45.
int day_number_left(int x, int g, int day);

// The balance a day cell shows: empty without play records.
std::string day_balance_text(std::int64_t investment, std::int64_t payout);

// Status panel 1 of the calendar: month + "月TOTAL " and "0" for a month without
// a balance, else "+" for a positive balance and the balance text.
std::string calendar_month_text(int month, const std::string& month_balance);

// Status panel 2 from the per-hall summary: hall + " TOTAL " + "+" for a
// positive total + the total's text, from the first row of column 1 that
// equals hall (rows from 1 while column 1 is not empty); nullopt when none does.
std::optional<std::string> hall_total_text(const StringGrid& halls, const std::string& hall);

}  // namespace calendar
}  // namespace velmo
