#pragma once
// The arithmetic of the entry dialog: which keys an amount edit takes, what an
// amount text is worth, the machines grid's amount cells, and the cells of a
// committed play record.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "ledger/ledger_codec.h"
#include "ledger/packed_fields.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"

namespace velmo {


// Keys an amount edit accepts: digits of both keyboards, editing and moving keys.
bool is_amount_key(int virtual_key);

// Whether a released key is refused in an amount edit: one that types a character
// other than a digit (ASCII or full-width). Keys that move, select or edit type
// none, nor do keys pressed with Ctrl, Alt or Meta (copy, cut, paste, undo, select
// all: shortcut); a key that arrives without its text falls back to its code.
bool refuses_amount_key(int virtual_key, const QString& text, bool shortcut);

// Pasted text read as if typed into an amount edit: full-width digits become ASCII
// digits, the thousands separators (, and ，) and surrounding blanks go; nullopt
// when anything else is left.
std::optional<QString> pasted_amount(const QString& text);

// An amount text: empty is 0; otherwise a whole number that fits 32 bits, or nullopt.
std::optional<long long> amount_value(std::string_view text);

// The machines grid's amount cells: investment and payout of rows 1..9 (index 0 = row 1).
struct MachineAmounts {
    std::array<std::string, kMachinesPerRecord> investment;
    std::array<std::string, kMachinesPerRecord> payout;
};

// Cells 2..4 of the edited row r and of the totals row after the row's amounts
// became investment and payout. A row whose two amounts are 0 is emptied.
struct AmountUpdate {
    std::array<std::string, 3> row;
    std::array<std::string, 3> totals;
};
AmountUpdate update_amounts(MachineAmounts amounts, int r, long long investment, long long payout);

// "      合    計", shown in the totals row once an amount was typed.
const std::string& totals_label();



// The parts of a record the user changed while correcting it. The machines part
// covers the machines text, the balance, machine_detail and day_totals.
struct RecordEdits {
    bool date = true;
    bool hall = true;
    bool machines = true;
    bool extra = true;
    bool comment = true;
};

// The row a correction writes: what the user changed comes from the dialog,
// everything else keeps its stored bytes.
LedgerRecord corrected_record(const LedgerRecord& entered, const LedgerRecord& stored, const RecordEdits& edits);

// True when the record's investment sum, payout sum and balance all fit the
// signed 32 bits every view computes with; a record that does not is refused.
bool record_amounts_fit(const RecordCells& record);

// The notice for a record whose sums do not fit.
const QString& amounts_too_large_text();

}  // namespace velmo
