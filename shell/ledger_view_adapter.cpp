#include "shell/ledger_view_adapter.h"

#include <algorithm>

#include "framework/string_grid.h"
#include "shell/tform1.h"

namespace velmo {

YearWindowLedger::YearWindowLedger(TForm1& form) : LedgerView(&form), form_(form) {
    form_.on_ledger_changed = [this](const std::vector<int>& committed) {
        committed_ = committed;
        Q_EMIT changed();
        committed_.clear();
    };
    form_.on_ledger_settled = [this] { Q_EMIT settled(); };
}

bool YearWindowLedger::unsaved() const { return (form_.dirty & TForm1::kLedgerChanged) != 0; }

std::string YearWindowLedger::year_text() const { return form_.year_text; }

QString YearWindowLedger::file_name() const { return form_.file_name; }

int YearWindowLedger::record_count() const { return form_.rec_count; }

LedgerRecord YearWindowLedger::record(int row) const { return form_.record(row); }

std::optional<ExtraColumnBlock> YearWindowLedger::extra_column() const { return form_.extra_block(); }

LedgerView::RecordAmounts YearWindowLedger::amounts(int row) const {
    const auto rows = form_.ledger_figures().rows();
    if (row < 1 || static_cast<std::size_t>(row) > rows.size()) return {};
    const RowFigures& r = rows[static_cast<std::size_t>(row - 1)];
    return {r.month, r.balance, r.investment};
}

LedgerView::MonthBalances YearWindowLedger::month_balances() const {
    MonthBalances sums{};
    for (const RowFigures& r : form_.ledger_figures().rows())
        if (r.month >= 1 && r.month <= 12) sums[r.month] += r.balance;
    return sums;
}

std::uint64_t YearWindowLedger::revision() const {
    // Stamps only grow, so the latest write to a column holding record texts (the
    // running totals are figures of them) tells whether any record changed.
    std::uint64_t latest = 0;
    for (int c = 0; c < form_.StringGrid1->col_count(); ++c)
        if (c != form_.total_col) latest = std::max(latest, form_.StringGrid1->column_stamp(c));
    for (int c = 0; c < form_.StringGrid5->col_count(); ++c) latest = std::max(latest, form_.StringGrid5->column_stamp(c));
    return latest;
}

}  // namespace velmo
