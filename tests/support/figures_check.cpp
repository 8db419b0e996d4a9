#include "tests/support/figures_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ledger/record_fields.h"
#include "shell/tform1.h"

namespace velmo::testing {

namespace {

void expect_equal(const LedgerFigures& kept, const LedgerFigures& fresh) {
    ASSERT_EQ(kept.rows().size(), fresh.rows().size());
    for (std::size_t i = 0; i < kept.rows().size(); ++i) {
        const RowFigures& a = kept.rows()[i];
        const RowFigures& b = fresh.rows()[i];
        SCOPED_TRACE("record " + std::to_string(i + 1));
        EXPECT_EQ(a.balance, b.balance);
        EXPECT_EQ(a.investment, b.investment);
        EXPECT_EQ(a.payout, b.payout);
        ASSERT_EQ(a.machine_count, b.machine_count);
        for (int m = 0; m < a.machine_count; ++m) {
            EXPECT_EQ(kept.names().name(a.machines[m].name), fresh.names().name(b.machines[m].name)) << m;
            EXPECT_EQ(a.machines[m].investment, b.machines[m].investment) << m;
            EXPECT_EQ(a.machines[m].payout, b.machines[m].payout) << m;
        }
    }
    // The sums by name, kept as records come and go, equal the sums read afresh.
    const std::vector<Group> kept_sums = kept.machines_played();
    const std::vector<Group> fresh_sums = fresh.machines_played();
    std::map<std::string, SummaryLine> by_name;
    for (const Group& g : kept_sums) by_name[g.key] = g.line;
    ASSERT_EQ(by_name.size(), kept_sums.size());
    ASSERT_EQ(kept_sums.size(), fresh_sums.size());
    for (const Group& g : fresh_sums) {
        SCOPED_TRACE(g.key);
        ASSERT_EQ(by_name.count(g.key), 1u);
        const SummaryLine& k = by_name[g.key];
        EXPECT_EQ(k.investment, g.line.investment);
        EXPECT_EQ(k.payout, g.line.payout);
        EXPECT_EQ(k.counts.wins, g.line.counts.wins);
        EXPECT_EQ(k.counts.losses, g.line.counts.losses);
        EXPECT_EQ(k.counts.draws, g.line.counts.draws);
    }
}

}  // namespace

void expect_same_figures(LedgerFigures& kept, const StringGrid& list, int balance_col, const StringGrid& hidden,
                         int rec_count) {
    kept.sync(list, balance_col, hidden, rec_count);
    kept.sync_machines();
    LedgerFigures fresh;
    fresh.sync(list, balance_col, hidden, rec_count);
    fresh.sync_machines();
    expect_equal(kept, fresh);
}

void expect_keys_in_step(LedgerFigures& kept, const StringGrid& list, int col) {
    const LedgerFigures::KeyNumbers keys = kept.keys(col);
    ASSERT_EQ(keys.numbers.size(), kept.rows().size());
    for (std::size_t i = 0; i < keys.numbers.size(); ++i) {
        EXPECT_LT(keys.numbers[i], keys.count) << i;
        const std::string& text = list.cell(col, static_cast<int>(i) + 1);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_EQ(keys.numbers[i] == keys.numbers[j], text == list.cell(col, static_cast<int>(j) + 1))
                << "records " << j + 1 << " and " << i + 1;
    }
}

void expect_figures_in_step(TForm1& form1) {
    LedgerFigures& kept = form1.ledger_figures(true);
    expect_keys_in_step(kept, *form1.StringGrid1, form1.hall_col);
    LedgerFigures fresh;
    fresh.sync(*form1.StringGrid1, form1.balance_col, *form1.StringGrid5, form1.rec_count);
    fresh.sync_machines();
    EXPECT_EQ(fresh.rows().size(), static_cast<std::size_t>(form1.rec_count));
    expect_equal(kept, fresh);
}

bool add_machine_amounts(const LedgerRecord& record, const std::string& name, long long& investment, long long& payout) {
    bool held = false;
    for (const MachineEntry& m : unpack_machine_detail(record.detail)) {
        if (m.name != name) continue;
        held = true;
        investment += std::stoll(m.investment);
        payout += std::stoll(m.payout);
    }
    return held;
}

}  // namespace velmo::testing
