#pragma once
// Where a play record goes in the date-ordered year list.
#include <utility>
#include <vector>

namespace velmo {

// (month, day) of rows 1..n, index 0 holding row 1.
using RowDates = std::vector<std::pair<int, int>>;

// The last row r (0..n) whose date is not later than (month, day), scanning
// from the bottom: a new record goes to row r + 1, after every record of an
// earlier or equal date.
int last_row_not_later(const RowDates& dates, int month, int day);

// Row a corrected record ends in when row edit_row (1..n) takes the new date.
int corrected_row(const RowDates& dates, int edit_row, int month, int day);

}  // namespace velmo
