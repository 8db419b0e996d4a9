#include "ledger/placement.h"

#include <cstddef>

namespace velmo {

int last_row_not_later(const RowDates& dates, int month, int day) {
    int r = static_cast<int>(dates.size());
    while (r > 0) {
        const auto [m, d] = dates[static_cast<std::size_t>(r - 1)];
        if (m < month || (m == month && d <= day)) break;
        --r;
    }
    return r;
}

int corrected_row(const RowDates& dates, int edit_row, int month, int day) {
    const auto [old_m, old_d] = dates[static_cast<std::size_t>(edit_row - 1)];
    if (old_m == month && old_d == day) return edit_row;
    const int r = last_row_not_later(dates, month, day);
    if (r > edit_row) return r;
    if (r < edit_row) return r + 1;
    return edit_row;
}

}  // namespace velmo
