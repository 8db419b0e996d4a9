// The figures kept beside the grids: the cell stamps they rest on, and that they
// always equal a fresh reading of the cells, whatever wrote them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/string_grid.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"
#include "tests/support/figures_check.h"
#include "views/ledger_figures.h"

namespace velmo::testing {
namespace {

TEST(CellStamps, EveryWriteGivesANewStampAndMovesKeepNone) {
    StringGrid g;
    g.set_col_count(3);
    g.set_row_count(4);
    EXPECT_EQ(g.cell_stamp(1, 1), 0u);  // never written
    g.set_cell(1, 1, "a");
    const auto first = g.cell_stamp(1, 1);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(g.column_stamp(1), first);
    EXPECT_LT(g.column_stamp(2), first);  // the grid's last change of shape
    g.set_cell(1, 1, "a");  // the same text written again is still a write
    EXPECT_GT(g.cell_stamp(1, 1), first);
    g.change_cell(1, 1, "a");  // but not when only changed texts are written
    EXPECT_EQ(g.column_stamp(1), g.cell_stamp(1, 1));
    const auto kept_text = g.cell_stamp(1, 1);
    g.change_cell(1, 1, "a");
    EXPECT_EQ(g.cell_stamp(1, 1), kept_text);

    StringGrid other;
    other.set_cell(0, 0, "x");
    EXPECT_GT(other.cell_stamp(0, 0), g.cell_stamp(1, 1));  // stamps are shared by all grids

    g.set_cell(2, 2, "b");
    const auto before_move = g.cell_stamp(2, 2);
    g.move_rows(1, 2, 1);  // row 2 goes to 3, row 1 to 2
    EXPECT_EQ(g.cell(2, 3), "b");
    EXPECT_GT(g.cell_stamp(2, 3), before_move);
    g.move_column(1, 2, 0, 3);
    EXPECT_EQ(g.cell(2, 2), "a");
    EXPECT_GT(g.cell_stamp(2, 2), before_move);

    // Cells that stay keep their stamps through a new layout; new cells have none;
    // every column counts as changed.
    const auto kept = g.cell_stamp(2, 2);
    const auto column = g.column_stamp(0);
    g.set_col_count(5);
    EXPECT_EQ(g.cell_stamp(2, 2), kept);
    EXPECT_EQ(g.cell_stamp(4, 2), 0u);
    EXPECT_GT(g.column_stamp(0), column);
    EXPECT_EQ(g.column_stamp(4), g.column_stamp(0));
    g.set_row_count(2);
    g.set_row_count(4);
    EXPECT_EQ(g.cell(2, 3), "");
    EXPECT_EQ(g.cell_stamp(2, 3), 0u);
    EXPECT_EQ(g.cell_stamp(9, 9), 0u);  // outside the grid
}

// A year list with a balance in column 4 and a hidden grid as the program keeps them.
struct Grids {
    StringGrid list;
    StringGrid hidden;
    Grids() {
        list.set_col_count(6);
        list.set_row_count(6);
        hidden.set_col_count(3);
        hidden.set_row_count(6);
    }
    void put(int row, const std::string& balance, std::vector<MachineEntry> machines, const std::string& inv,
             const std::string& pay) {
        list.set_cell(4, row, balance);
        hidden.set_cell(0, row, pack_machine_detail(machines));
        hidden.set_cell(1, row, pack_day_totals({inv, pay}));
    }
};

TEST(KeptFigures, FollowEveryWriteOfTheCellsTheyComeFrom) {
    Grids g;
    g.put(1, "-1000", {{"A", "1000", "0"}}, "1000", "0");
    g.put(2, "2500", {{"B", "500", "3000"}, {"A", "", "0"}}, "500", "3000");
    g.put(3, "99999999999", {{"C", "x", "-7"}}, "", "12");  // beyond 32 bits, unreadable, negative
    LedgerFigures kept;
    kept.sync(g.list, 4, g.hidden, 3);
    kept.sync_machines();
    g.list.set_cell(2, 1, "Hall");
    g.list.set_cell(2, 3, "Hall");
    expect_same_figures(kept, g.list, 4, g.hidden, 3);
    expect_keys_in_step(kept, g.list, 2);
    ASSERT_EQ(kept.rows().size(), 3u);
    EXPECT_EQ(kept.rows()[2].balance, 2147483647);
    EXPECT_EQ(kept.rows()[1].machine_count, 2);
    EXPECT_EQ(kept.names().name(kept.rows()[1].machines[1].name), "A");
    EXPECT_EQ(kept.rows()[1].machines[1].name, kept.rows()[0].machines[0].name);  // one number per name

    // Each way a cell changes: a write, moved rows, a cleared row, a moved column,
    // a shrunk and grown grid, the same text written again, another balance column.
    g.put(2, "-300", {{"D", "300", "0"}}, "300", "0");
    expect_same_figures(kept, g.list, 4, g.hidden, 3);
    g.list.move_rows(1, 3, 1);
    g.hidden.move_rows(1, 3, 1);
    expect_same_figures(kept, g.list, 4, g.hidden, 4);
    expect_keys_in_step(kept, g.list, 2);
    g.list.clear_row(2);
    g.hidden.clear_row(2);
    expect_same_figures(kept, g.list, 4, g.hidden, 4);
    g.hidden.move_column(0, 1, 0, 5);  // machines and day sums trade places: both read again
    expect_same_figures(kept, g.list, 4, g.hidden, 4);
    g.list.set_row_count(3);
    g.hidden.set_row_count(3);
    expect_same_figures(kept, g.list, 4, g.hidden, 4);  // never past the list
    g.list.set_row_count(6);
    g.hidden.set_row_count(6);
    expect_same_figures(kept, g.list, 4, g.hidden, 5);
    expect_keys_in_step(kept, g.list, 2);
    g.list.set_cell(2, 5, "Hall");
    g.list.set_cell(3, 4, "Hall");
    expect_same_figures(kept, g.list, 4, g.hidden, 5);
    expect_keys_in_step(kept, g.list, 2);
    expect_keys_in_step(kept, g.list, 3);
    expect_keys_in_step(kept, g.list, 1);  // a third column takes the place of one of the two
    expect_keys_in_step(kept, g.list, 2);
    g.put(1, "7", {}, "", "");
    expect_same_figures(kept, g.list, 4, g.hidden, 2);
    g.list.set_cell(3, 1, "12");
    expect_same_figures(kept, g.list, 3, g.hidden, 2);
    expect_same_figures(kept, g.list, 4, g.hidden, -1);
    EXPECT_TRUE(kept.rows().empty());

    // Another pair of grids with the same texts gives the same figures.
    Grids h;
    h.put(1, "5", {{"A", "1", "2"}}, "1", "2");
    expect_same_figures(kept, h.list, 4, h.hidden, 1);
}

TEST(KeptFigures, TheBalanceOfAHallSumsTheRecordsOfExactlyItsText) {
    Grids g;
    const char* halls[] = {"A", "A ", "A", "B", "A"};
    const int balances[] = {1000, 50, -300, 7, 2147483647};
    for (int r = 1; r <= 5; ++r) {
        g.list.set_cell(2, r, halls[r - 1]);
        g.list.set_cell(4, r, std::to_string(balances[r - 1]));
    }
    LedgerFigures kept;
    kept.sync(g.list, 4, g.hidden, 5);
    const auto keys = kept.keys(2);
    EXPECT_EQ(key_balance(keys.numbers, kept.rows(), 0), 1000 - 300 + 2147483647LL);  // no 32-bit overflow
    EXPECT_EQ(key_balance(keys.numbers, kept.rows(), 1), 50);
    EXPECT_EQ(key_balance(keys.numbers, kept.rows(), 3), 7);
    EXPECT_EQ(key_balance(keys.numbers, kept.rows(), 5), 0);  // past the records
    g.list.set_cell(2, 2, "A");
    kept.sync(g.list, 4, g.hidden, 5);
    EXPECT_EQ(key_balance(kept.keys(2).numbers, kept.rows(), 1), 1000 + 50 - 300 + 2147483647LL);
}

TEST(KeptFigures, ARecordHoldsNineMachinesAtMost) {
    Grids g;
    std::vector<MachineEntry> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({"m" + std::to_string(i), "1", "2"});
    std::string packed = pack_machine_detail(ten);
    packed[0] = 10;  // a damaged count
    g.hidden.set_cell(0, 1, packed);
    LedgerFigures kept;
    kept.sync(g.list, 4, g.hidden, 1);
    kept.sync_machines();
    ASSERT_EQ(kept.rows().size(), 1u);
    EXPECT_EQ(kept.rows()[0].machine_count, 9);
    EXPECT_EQ(kept.names().name(kept.rows()[0].machines[8].name), "m8");
}

}  // namespace
}  // namespace velmo::testing
