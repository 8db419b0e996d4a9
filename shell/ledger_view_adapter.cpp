#include "shell/ledger_view_adapter.h"

#include <algorithm>

#include "entry/entry_rules.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/record_build.h"
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

bool YearWindowLedger::replace_machines(int row, const std::vector<MachineEntry>& machines,
                                        const std::vector<ExtensionField>& extensions) {
    if (row < 1 || row > form_.rec_count || machines.empty() || machines.size() > kMachinesPerRecord) return false;
    const LedgerRecord stored = form_.record(row);
    LedgerRecord rec = stored;
    if (pack_machine_detail(machines) != stored.detail) {
        // The machine fields as an entry of these machines writes them, on the record's own date.
        const RecordCells cells =
            build_record(machines, date_text_month(stored.date), date_text_day(stored.date));
        if (!record_amounts_fit(cells)) return false;
        rec.machines = cells.machines;
        rec.detail = cells.detail;
        rec.totals = cells.totals;
        rec.balance = std::to_string(cells.balance);
    }
    rec.extensions = extensions;
    if (pack_extensions(rec.extensions) == pack_extensions(stored.extensions) && rec.machines == stored.machines &&
        rec.detail == stored.detail && rec.totals == stored.totals && rec.balance == stored.balance)
        return true;  // committed unchanged: no byte and no mark moves
    form_.dirty |= TForm1::kLedgerChanged;
    form_.put_record(row, rec);
    form_.refresh_after_change({row});
    // The details below the year list show the record as it is now.
    if (form_.StringGrid1->row() == row && !(form_.view_flags & TForm1::kCalendarShown)) form_.StringGrid1Click();
    if (form_.view_flags & TForm1::kCalendarShown) form_.compute_calendar();
    return true;
}

}  // namespace velmo
