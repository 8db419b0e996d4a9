#pragma once
// Checks that figures kept beside the grids equal a fresh reading of the cells.
#include "views/ledger_figures.h"

class TForm1;

namespace velmo::testing {

// Brings kept in step with the grids, then compares every figure of it with
// figures read afresh from the same cells (names compared by their texts).
void expect_same_figures(LedgerFigures& kept, const StringGrid& list, int balance_col, const StringGrid& hidden,
                         int rec_count);
// Numbers of a key column (after a sync of kept with list): equal numbers for
// exactly the records with equal texts, each number below the count.
void expect_keys_in_step(LedgerFigures& kept, const StringGrid& list, int col);
// The same for the figures the main window keeps of its ledger, its hall column included.
void expect_figures_in_step(TForm1& form1);

// Adds the amounts of the record's entries of machine name, read from its texts;
// false when the record holds no such entry.
bool add_machine_amounts(const LedgerRecord& record, const std::string& name, long long& investment, long long& payout);

}  // namespace velmo::testing
