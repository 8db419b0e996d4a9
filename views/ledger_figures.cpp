#include "views/ledger_figures.h"

#include <algorithm>

#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/number_text.h"
#include "ledger/packed_fields.h"
#include "ledger/record_fields.h"

namespace velmo {

namespace {

// Texts numbered before a table starts over: every record of a year holding nine
// different machine names, twice over (the texts of earlier ledgers of the
// session keep their numbers until then).
constexpr std::size_t kNamesBeforeRestart = 2 * kMaxRecordNumber * kMachinesPerRecord;

constexpr std::uint64_t kUnread = ~std::uint64_t{0};  // a stamp no cell has

// Figures held to the 32-bit bounds that cell_number and cell_amount keep.
std::int32_t figure(std::int64_t v) { return static_cast<std::int32_t>(v); }

}  // namespace

std::uint32_t NameNumbers::number(std::string_view name) {
    const std::size_t known = index_.find(name);
    if (known != NameIndex::npos) return static_cast<std::uint32_t>(known);
    texts_.emplace_back(name);
    return static_cast<std::uint32_t>(index_.insert(texts_.back()).first);
}

void read_machine_figures(std::string_view packed, NameNumbers& names, RowFigures& out) {
    out.machine_count = 0;
    for_each_machine_entry(packed, [&](const MachineEntryView& entry) {
        MachineFigure& m = out.machines[out.machine_count++];
        m.name = names.number(entry.name);
        m.investment = figure(cell_amount(entry.investment));
        m.payout = figure(cell_amount(entry.payout));
        return out.machine_count < kMachinesPerRecord;
    });
}

void read_day_figures(std::string_view packed, RowFigures& out) {
    const DayTotals sums = day_totals_texts(packed);
    out.investment = figure(cell_amount(sums.investment));
    out.payout = figure(cell_amount(sums.payout));
}

void LedgerFigures::count_machines(const RowFigures& row, int sign) {
    if (machine_sums_.size() < names_.size()) machine_sums_.resize(names_.size());
    for (const MachineFigure& m : row.machine_entries()) {
        SummaryLine& line = machine_sums_[m.name];
        line.investment += sign * std::int64_t{m.investment};
        line.payout += sign * std::int64_t{m.payout};
        WinCounts one;
        count_result(one, m.investment, m.payout);
        line.counts.wins += sign * one.wins;
        line.counts.losses += sign * one.losses;
        line.counts.draws += sign * one.draws;
    }
}

std::int64_t key_balance(std::span<const std::uint32_t> keys, std::span<const RowFigures> records, std::size_t index) {
    const std::size_t n = std::min(keys.size(), records.size());
    if (index >= n) return 0;
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (keys[i] == keys[index]) sum += records[i].balance;
    return sum;
}

std::vector<Group> LedgerFigures::machines_played() const {
    std::vector<Group> played;
    for (std::size_t n = 0; n < machine_sums_.size(); ++n)
        if (machine_sums_[n].counts.total() > 0)
            played.push_back(Group{std::string(names_.name(static_cast<std::uint32_t>(n))), machine_sums_[n]});
    return played;
}

std::vector<int> balances_of(std::span<const RowFigures> records, std::size_t count) {
    std::vector<int> balances;
    balances.reserve(std::min(count, records.size()));
    for (std::size_t i = 0; i < count && i < records.size(); ++i) balances.push_back(records[i].balance);
    return balances;
}

RecordFigures figures_of(std::span<const LedgerRecord> records) {
    RecordFigures out;
    out.rows.resize(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const LedgerRecord& rec = records[i];
        RowFigures& row = out.rows[i];
        row.month = static_cast<std::uint8_t>(date_text_month(rec.date));
        row.day = static_cast<std::uint8_t>(date_text_day(rec.date));
        row.balance = figure(cell_amount(rec.balance));
        read_day_figures(rec.totals, row);
        read_machine_figures(rec.detail, out.names, row);
    }
    return out;
}

void LedgerFigures::sync(const StringGrid& list, int balance_col, const StringGrid& hidden, int rec_count) {
    const auto count = static_cast<std::size_t>(std::clamp(rec_count, 0, std::max(0, list.row_count() - 1)));
    // A column none of whose cells was written since the last sync needs no look,
    // except in the records that were not read then.
    const bool same_grids = seen_.list == &list && seen_.hidden == &hidden;
    const bool dates = !same_grids || list.column_stamp(0) != seen_.date;
    const bool balances =
        !same_grids || balance_col != seen_.balance_col || list.column_stamp(balance_col) != seen_.balance;
    const bool days = !same_grids || hidden.column_stamp(1) != seen_.day;
    const std::size_t known = same_grids ? std::min(seen_.count, count) : 0;
    if (rows_.size() < count) {
        rows_.resize(count);
        stamps_.resize(count, Stamps{kUnread, kUnread, kUnread, kUnread, false});
    }
    const std::size_t first = dates || balances || days ? 0 : known;
    for (std::size_t i = first; i < count; ++i) {
        const bool all = i >= known;
        const int r = static_cast<int>(i) + 1;
        RowFigures& row = rows_[i];
        Stamps& s = stamps_[i];
        if (all || dates) {
            if (const std::uint64_t now = list.cell_stamp(0, r); now != s.date) {
                const std::string& date = list.cell(0, r);
                row.month = static_cast<std::uint8_t>(date_text_month(date));
                row.day = static_cast<std::uint8_t>(date_text_day(date));
                s.date = now;
            }
        }
        if (all || balances) {
            if (const std::uint64_t now = list.cell_stamp(balance_col, r); now != s.balance) {
                row.balance = figure(cell_amount(list.cell(balance_col, r)));
                s.balance = now;
            }
        }
        if (all || days) {
            if (const std::uint64_t now = hidden.cell_stamp(1, r); now != s.day) {
                read_day_figures(hidden.cell(1, r), row);
                s.day = now;
            }
        }
    }
    count_ = count;
    seen_ = Seen{&list, &hidden, balance_col, count, list.column_stamp(0), list.column_stamp(balance_col),
                 hidden.column_stamp(1)};
}

void LedgerFigures::sync_machines() {
    if (!seen_.hidden) return;
    if (names_.size() > kNamesBeforeRestart) {
        // Every record's entries are read again under new numbers.
        names_ = NameNumbers();
        machine_sums_.clear();
        for (Stamps& s : stamps_) {
            s.machines = kUnread;
            s.counted = false;
        }
        seen_machines_ = SeenMachines{};
    }
    const StringGrid& hidden = *seen_.hidden;
    const std::uint64_t column_stamp = hidden.column_stamp(0);
    const bool same = seen_machines_.hidden == &hidden && seen_machines_.column_stamp == column_stamp;
    const std::size_t known = same ? std::min(seen_machines_.count, count_) : 0;
    // Records past the end no longer count by name.
    for (std::size_t i = count_; i < rows_.size(); ++i) {
        if (!stamps_[i].counted) continue;
        count_machines(rows_[i], -1);
        stamps_[i].counted = false;
    }
    for (std::size_t i = known; i < count_; ++i) {
        RowFigures& row = rows_[i];
        Stamps& s = stamps_[i];
        if (const std::uint64_t now = hidden.cell_stamp(0, static_cast<int>(i) + 1); now != s.machines) {
            if (s.counted) count_machines(row, -1);
            read_machine_figures(hidden.cell(0, static_cast<int>(i) + 1), names_, row);
            s.machines = now;
            s.counted = false;
        }
        if (!s.counted) {
            count_machines(row, 1);
            s.counted = true;
        }
    }
    seen_machines_ = SeenMachines{&hidden, count_, column_stamp};
}

LedgerFigures::KeyColumn& LedgerFigures::key_column(int col) {
    for (KeyColumn& k : keys_)
        if (k.col == col) return k;
    KeyColumn& k = keys_[next_key_];
    next_key_ = (next_key_ + 1) % keys_.size();
    k = KeyColumn{};
    k.col = col;
    return k;
}

LedgerFigures::KeyNumbers LedgerFigures::keys(int col) {
    if (!seen_.list) return {};
    const StringGrid& list = *seen_.list;
    KeyColumn& k = key_column(col);
    if (k.texts.size() > kNamesBeforeRestart) {
        k = KeyColumn{};
        k.col = col;
    }
    const std::uint64_t column_stamp = list.column_stamp(col);
    const std::size_t known = k.list == &list && k.column_stamp == column_stamp ? std::min(k.count, count_) : 0;
    if (k.stamps.size() < count_) {
        k.stamps.resize(count_, kUnread);
        k.numbers.resize(count_, 0);
    }
    for (std::size_t i = known; i < count_; ++i) {
        const int r = static_cast<int>(i) + 1;
        if (const std::uint64_t now = list.cell_stamp(col, r); now != k.stamps[i]) {
            k.numbers[i] = k.texts.number(list.cell(col, r));
            k.stamps[i] = now;
        }
    }
    k.list = &list;
    k.count = count_;
    k.column_stamp = column_stamp;
    return {{k.numbers.data(), count_}, k.texts.size()};
}

}  // namespace velmo
