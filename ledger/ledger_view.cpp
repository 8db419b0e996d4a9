#include "ledger/ledger_view.h"

namespace velmo {

LedgerImage snapshot(const LedgerView& view) {
    LedgerImage image;
    image.year = view.year_text();
    image.extra = view.extra_column();
    const int count = view.record_count();
    image.records.reserve(static_cast<std::size_t>(std::max(0, count)));
    for (int row = 1; row <= count; ++row) image.records.push_back(view.record(row));
    return image;
}

}  // namespace velmo
