#include "records/records_paint.h"

#include <algorithm>

#include "ledger/ledger_model.h"
#include "views/palette.h"

namespace velmo {

QColor year_cell_fill(int col, std::string_view year, std::string_view balance, std::string_view running) {
    if (year.empty()) return palette::neutral();
    const std::int64_t v = cell_number(col <= 3 ? balance : running);
    if (v > 0) return palette::win();
    if (v < 0) return palette::loss();
    return palette::neutral();
}

QColor rank_cell_fill(int tag, int rank, bool has_entry) {
    if (!has_entry) return palette::neutral();
    rank = std::clamp(rank, 1, 10);
    if (tag == 1 || tag == 3) return QColor(174 + 5 * rank, 210 + 3 * rank, 255);
    return QColor(255, 186 + 4 * rank, 206 + 3 * rank);
}

}  // namespace velmo
