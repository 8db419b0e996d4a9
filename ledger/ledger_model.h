#pragma once
// Small pieces of the year ledger's data: the date text of a row and the
// packed per-row fields of the hidden grid.
#include <QDate>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

// " 1/5", " 1/15", "10/3", "12/25": the month in two characters with a space for
// a leading zero, "/", the day without a leading zero.
std::string make_date_text(int month, int day);
// The month (characters 1-2) and day (characters 4-5) of a date text; 0 when unreadable.
int date_text_month(std::string_view text);
int date_text_day(std::string_view text);

// Today's month and day in the ledger's year; a day that year lacks (29 February
// in a common year) becomes the last day of that month.
QDate calendar_date_in_year(const std::string& year_text, const QDate& today);

// A whole number as the program writes it into cells: an optional '-' and
// digits. nullopt for anything else, and beyond 64 bits.
std::optional<std::int64_t> parse_number(std::string_view text);
// The largest figure a cell counts as. Amounts are 32-bit figures; a cell of a
// foreign file may hold any digits, and such a figure counts as the bound of its
// sign, so that sums of all the figures of a ledger never leave 64 bits.
inline constexpr std::int64_t kCellFigureMax = 2147483647;
// The figure of a cell: parse_number limited to -kCellFigureMax - 1 ..
// kCellFigureMax (longer digit strings too), 0 for text that is not a number.
std::int64_t cell_number(std::string_view text);
// The year text of a new ledger from what the user typed: a whole number from
// 1 to 9999 in half-width digits, written with four digits ("800" -> "0800");
// nullopt for anything else, since the ledger file holds exactly four.
std::optional<std::string> ledger_year_text(std::string_view typed);
// The ledger's year from its text; 0 when it is not a number.
int year_text_value(std::string_view text);

}  // namespace velmo
