#pragma once
// Background colours of the lifetime tables.
#include <QColor>

#include <string_view>

namespace velmo {

// A per-year cell: neutral for an empty row; otherwise by the sign of the year's
// balance (columns 0-3) or of the running total (columns 4-5): zero neutral,
// positive win, negative loss.
QColor year_cell_fill(int col, std::string_view year, std::string_view balance, std::string_view running);

// A ranking cell of rank row k (1..10): neutral when the row holds no entry; a
// best table (Tag 1 and 3) shades from (179,213,255) at rank 1 to the win colour
// at rank 10, a worst table (Tag 2 and 4) from (255,190,209) to the loss colour.
QColor rank_cell_fill(int tag, int rank, bool has_entry);

}  // namespace velmo
