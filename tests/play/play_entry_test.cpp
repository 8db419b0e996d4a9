// Play data while a record is entered: which machine its data follows, which
// visits come before it, and what each machine may take out of the store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ledger/ledger_model.h"
#include "play/play_entry.h"

namespace velmo::play {
namespace {

MachineData with_cash(std::int64_t cash) {
    MachineData m;
    m.cash = cash;
    return m;
}

TEST(FollowMachines, DataGoesWithItsMachine) {
    struct Case {
        const char* what;
        std::vector<MachineSlot> slots;
        std::vector<std::string> names;
        std::vector<std::int64_t> cash;  // per row; 0: no data
    };
    const Case cases[] = {
        {"unchanged", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"a", "b", ""}, {1, 2, 0}},
        {"swapped", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"b", "a", ""}, {2, 1, 0}},
        {"moved down a row", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"", "a", "b"}, {0, 1, 2}},
        {"first taken out", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"", "b", ""}, {0, 2, 0}},
        {"renamed in place", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"c", "b"}, {1, 2}},
        {"renamed to a name that moved in", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"b", "c"}, {2, 0}},
        {"renamed, its old name now on another row", {{"a", with_cash(1)}, {"b", with_cash(2)}, {}}, {"c", "b", "a"},
         {0, 2, 1}},
        {"emptied and another named below", {{"a", with_cash(1)}}, {"", "c"}, {0, 0}},
        // Two machines of one name: a row that keeps the name keeps its own data.
        {"same name twice", {{"a", with_cash(1)}, {"a", with_cash(2)}}, {"a", "a"}, {1, 2}},
        {"same name twice, the first taken out", {{"a", with_cash(1)}, {"a", with_cash(2)}}, {"", "a"}, {0, 2}},
        {"same name twice, both moved", {{"a", with_cash(1)}, {"a", with_cash(2)}, {}}, {"", "b", "a", "a"}, {0, 0, 1, 2}},
        {"renamed to the name of a machine that stayed", {{"a", with_cash(1)}, {"b", with_cash(2)}}, {"a", "a"}, {1, 2}},
        {"renamed where the old name moved on", {{"a", with_cash(1)}, {"b", with_cash(2)}, {}}, {"a", "c", "b"}, {1, 0, 2}},
    };
    for (const Case& c : cases) {
        const std::vector<MachineSlot> rows = follow_machines(c.slots, c.names);
        ASSERT_EQ(rows.size(), c.names.size()) << c.what;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].name, c.names[r]) << c.what << " row " << r;
            EXPECT_EQ(rows[r].data.cash.value_or(0), c.cash[r]) << c.what << " row " << r;
        }
    }
}

TEST(FollowMachines, RecordDataTakesTheNamedRowsInOrder) {
    const std::vector<MachineSlot> rows = {{"", with_cash(9)}, {"a", with_cash(1)}, {"", {}}, {"b", with_cash(2)}};
    const RecordPlayData data = record_data(VisitTime{600, 90}, rows);
    EXPECT_EQ(data.time, (VisitTime{600, 90}));
    EXPECT_EQ(data.machines[0].cash, 1);
    EXPECT_EQ(data.machines[1].cash, 2);
    EXPECT_TRUE(data.machines[2].empty());
}

// A record of the open year with 貯玉 out and in at hall A, 4円 pachinko.
LedgerRecord visit(int month, int day, std::int64_t out, std::int64_t in) {
    RecordPlayData data;
    MachineData& m = data.machines[0];
    m.kind = Kind::Pachinko;
    m.lending_price = 400;
    m.exchange_rate = 280;
    m.held_in = m.store_out = out;
    m.end_pieces = m.store_in = in;
    LedgerRecord r;
    r.date = make_date_text(month, day);
    r.hall = "A";
    write_play_data(r.extensions, data);
    return r;
}

TEST(EntriesBefore, EarlierDaysAndTheSameDaysEarlierRows) {
    // Rows 1..4: 3/1 (+100), 3/5 (+20), 3/5 (+3), 3/9 (+4000); and one without play data.
    std::vector<LedgerRecord> year = {visit(3, 1, 0, 100), visit(3, 5, 0, 20), visit(3, 5, 0, 3), visit(3, 9, 0, 4000)};
    year.push_back(LedgerRecord{});
    year.back().date = make_date_text(3, 2);
    struct Case {
        int own, month, day;
        std::int64_t deposits;  // of the entries before
    };
    const Case cases[] = {
        {0, 3, 5, 123},     // a new record of 3/5 goes after both of that day
        {2, 3, 5, 100},     // row 2 comes after row 1 only
        {3, 3, 5, 120},     // row 3 after rows 1 and 2
        {2, 3, 9, 4103},    // row 2 moved to 3/9 goes after 3/9's row; itself never counts
        {0, 2, 28, 0},      // before everything
        {1, 12, 31, 4023},  // row 1 moved to the year's end
    };
    for (const Case& c : cases) {
        std::int64_t deposits = 0;
        for (const PlayEntry& e : entries_before(year, c.own, c.month, c.day))
            deposits += e.data.machines[0].store_in.value_or(0);
        EXPECT_EQ(deposits, c.deposits) << c.own << " " << c.month << "/" << c.day;
    }
}

TEST(MachineStoreBalances, EarlierMachinesOfTheVisitTakeFromTheSameStore) {
    PlaySettings settings;
    set_store_start(settings, {"A", Kind::Pachinko, 400}, 1000);
    set_store_start(settings, {"A", Kind::Slot, 2000}, 50);
    std::vector<PlayEntry> before;
    add_play_entries(std::vector<LedgerRecord>{visit(1, 3, 200, 500)}, before);  // 1000 - 200 + 500 = 1300

    RecordPlayData data;
    auto machine = [](Kind kind, std::int32_t price, std::int64_t out) {
        MachineData m;
        m.kind = kind;
        m.lending_price = price;
        m.held_in = m.store_out = out;
        return m;
    };
    data.machines[0] = machine(Kind::Pachinko, 400, 300);
    data.machines[1] = machine(Kind::Slot, 2000, 10);
    data.machines[2] = machine(Kind::Pachinko, 400, 600);
    data.machines[3] = machine(Kind::Pachinko, 100, 0);  // a store never used: nothing in it
    data.machines[4] = machine(Kind::None, 400, 5);       // names no store
    const auto balances = machine_store_balances("A", data, settings, before);
    ASSERT_EQ(balances.size(), data.machines.size());
    EXPECT_EQ(balances[0], 1300);
    EXPECT_EQ(balances[1], 50);
    EXPECT_EQ(balances[2], 1000);  // after the first machine's 300
    EXPECT_EQ(balances[3], 0);
    EXPECT_EQ(balances[4], std::nullopt);
    // Another hall's store is its own.
    EXPECT_EQ(machine_store_balances("B", data, settings, before)[0], 0);
}

TEST(Grouped, ThousandsSeparators) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {-12345, "-12,345"}, {99999999, "99,999,999"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(grouped(v), text);
}

}  // namespace
}  // namespace velmo::play
