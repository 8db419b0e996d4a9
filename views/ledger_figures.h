#pragma once
// The figures of the ledger's records, read from the cells once and kept beside
// the grids: the date and balance of the year list, the day's investment and
// payout sums, each machine entry with its name numbered, the sums of the entries
// by name, and numbers for the texts of a key column (hall, extra value). The
// grids stay what counts: a cell is read again whenever its stamp differs from
// the one it was read at, so the figures cannot differ from the cells.
#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/packed_fields.h"
#include "views/name_index.h"
#include "views/summary_calc.h"

namespace velmo {

class StringGrid;

// Numbers texts in order of first reading; a number stays with its text.
class NameNumbers {
public:
    std::uint32_t number(std::string_view name);
    std::string_view name(std::uint32_t number) const { return texts_[number]; }
    std::size_t size() const { return texts_.size(); }

private:
    std::deque<std::string> texts_;  // a deque keeps its texts in place as it grows
    NameIndex index_;                // views into texts_
};

// One machine entry: its name's number and its amounts as cell_amount reads them.
struct MachineFigure {
    std::uint32_t name = 0;
    std::int32_t investment = 0;
    std::int32_t payout = 0;
};

struct RowFigures {
    std::uint8_t month = 0;       // the year list's date, as date_text_month and
    std::uint8_t day = 0;         // date_text_day read it
    std::int32_t balance = 0;     // the year list's balance cell, as cell_number reads it
    std::int32_t investment = 0;  // the day_totals sums
    std::int32_t payout = 0;
    std::uint8_t machine_count = 0;  // the machine entries, as of the last sync_machines
    std::array<MachineFigure, kMachinesPerRecord> machines{};
    std::span<const MachineFigure> machine_entries() const { return {machines.data(), machine_count}; }
};

// The machine entries of a packed machine_detail, as for_each_machine_entry reads
// them (a damaged value gives the entries read so far).
void read_machine_figures(std::string_view packed, NameNumbers& names, RowFigures& out);
// The day_totals sums of a packed value, as day_totals_texts reads them and
// cell_amount reads each (a damaged value gives what can be read, the rest 0).
void read_day_figures(std::string_view packed, RowFigures& out);

// The sum of the balances of the records whose key number is that of record
// index (element 0 is record 1): the records with exactly its text. 0 when
// index is past either.
std::int64_t key_balance(std::span<const std::uint32_t> keys, std::span<const RowFigures> records, std::size_t index);

// The balances of the first count records (at most records.size()), as the
// year list's totals pass reads them.
std::vector<int> balances_of(std::span<const RowFigures> records, std::size_t count);

// The figures of records read from elsewhere (another year's file), read as
// LedgerFigures reads the open year's cells: the same record gives the same figures.
struct RecordFigures {
    std::vector<RowFigures> rows;  // element 0 is the first record
    NameNumbers names;             // the machine names, numbered in order of reading
};
RecordFigures figures_of(std::span<const LedgerRecord> records);

class LedgerFigures {
public:
    // Brings the figures of the records 1..rec_count (never past the year list) in
    // step with the cells: the date and balance columns of the year list and
    // column 1 (day_totals) of the hidden grid.
    void sync(const StringGrid& list, int balance_col, const StringGrid& hidden, int rec_count);
    // Brings the machine entries (column 0 of the hidden grid, machine_detail) of
    // the records of the last sync in step as well; they are read only for the
    // tables that need them, so a load need not read them.
    void sync_machines();

    // The records' figures; element 0 is record 1.
    std::span<const RowFigures> rows() const { return {rows_.data(), count_}; }
    const NameNumbers& names() const { return names_; }
    // The machines the records hold, each with its entries summed, as of the
    // last sync_machines, in the order of their numbers.
    std::vector<Group> machines_played() const;

    // The texts of a column of the year list numbered, for the records of the last
    // sync: equal texts, equal numbers; each number is below count.
    struct KeyNumbers {
        std::span<const std::uint32_t> numbers;  // element 0 is record 1
        std::size_t count = 0;
    };
    KeyNumbers keys(int col);

private:
    struct Stamps {
        std::uint64_t date = 0;
        std::uint64_t balance = 0;
        std::uint64_t day = 0;
        std::uint64_t machines = 0;
        bool counted = false;  // the row's machine entries are in machine_sums_
    };
    // The column stamps of the cells read, as of the last sync.
    struct Seen {
        const StringGrid* list = nullptr;
        const StringGrid* hidden = nullptr;
        int balance_col = -1;
        std::size_t count = 0;
        std::uint64_t date = 0;
        std::uint64_t balance = 0;
        std::uint64_t day = 0;
    };
    struct SeenMachines {
        const StringGrid* hidden = nullptr;
        std::size_t count = 0;
        std::uint64_t column_stamp = 0;
    };
    struct KeyColumn {
        int col = -1;
        const StringGrid* list = nullptr;
        std::size_t count = 0;
        std::uint64_t column_stamp = 0;
        std::vector<std::uint64_t> stamps;
        std::vector<std::uint32_t> numbers;
        NameNumbers texts;
    };
    // Adds (sign 1) or takes away (sign -1) the machine entries of a record.
    void count_machines(const RowFigures& row, int sign);
    KeyColumn& key_column(int col);

    std::vector<RowFigures> rows_;
    std::vector<Stamps> stamps_;
    std::size_t count_ = 0;
    NameNumbers names_;
    std::vector<SummaryLine> machine_sums_;  // by name number; a name no record holds has an empty line
    Seen seen_;
    SeenMachines seen_machines_;
    std::array<KeyColumn, 2> keys_;  // the hall and the extra value columns
    std::size_t next_key_ = 0;        // the one to reuse for a third column
};

}  // namespace velmo
