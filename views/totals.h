#pragma once
// The totals pass of the year list: running totals, the result class of each
// row, and the year's highs, lows and extremes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

struct Totals {
    std::vector<int> running;           // running total after each record
    std::vector<std::int8_t> marks;     // 0 even, 1 win, -1 loss, 2 new high, -2 new low
    int year_total = 0;
    int peak_total = 0;     // highest running total, starting from 0
    int trough_total = 0;   // lowest running total, starting from 0
    int best_balance = 0;   // largest positive balance, 0 when no record wins
    int worst_balance = 0;  // most negative balance, 0 when no record loses
};

// One pass over the balances of the records in list order. Running totals
// that would leave the 32-bit range stop at its limit instead of wrapping.
Totals compute_totals(const std::vector<int>& balances);

// A balance cell: optional '-' then decimal digits, nothing else, within the
// 32-bit range; nullopt for anything else.
std::optional<int> parse_balance(std::string_view text);

// "ＴＯＴＡＬ ＋12000", "ＴＯＴＡＬ -3500", "ＴＯＴＡＬ ±0" as CP932 bytes.
std::string total_caption(int year_total);

}  // namespace velmo
