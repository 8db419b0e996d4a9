// The records as the analysis reads them: filters, play days, tables, several
// years, and the names the command line takes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "analysis/analysis_slice.h"
#include "framework/cp932.h"
#include "tests/analysis/test_records.h"

using namespace velmo;
using namespace velmo::analysis;

namespace {

using velmo::testing::Play;

LedgerRecord record(int month, int day, const char* hall, std::vector<Play> plays, const char* extra = "") {
    return velmo::testing::play_record(month, day, hall, plays, extra);
}

// March 2004: the 1st is a Monday. Two visits on the 1st (one play day), the
// machine 海 in records with one, two and three machines.
std::vector<LedgerRecord> march() {
    return {
        record(3, 1, "A店", {{"海", 10000, 25000}}, "朝"),
        record(3, 1, "B店", {{"海", 5000, 0}, {"北斗", 3000, 9000}}, "夜"),
        record(3, 6, "A店", {{"北斗", 20000, 4000}}, "朝"),
        record(3, 8, "B店", {{"花", 1000, 1000}, {"海", 2000, 7000}, {"海", 1000, 0}}, "朝"),
        record(4, 5, "A店", {{"花", 8000, 3000}}, "夜"),
        record(4, 12, "C店", {{"北斗", 6000, 6000}}),
    };
}

struct Expected {
    int visits;
    int play_days;
    std::int64_t investment;
    std::int64_t payout;
};

std::uint32_t number_of(const std::vector<std::string>& names, const char* utf8) {
    return *name_number(names, cp932_literal(utf8));
}

Filter make_filter(std::optional<std::uint32_t> hall = {}, std::optional<std::uint32_t> machine = {},
                   std::optional<std::uint32_t> extra = {}, int weekday = 0, int first_month = 1, int last_month = 12) {
    Filter f;
    f.hall = hall;
    f.machine = machine;
    f.extra = extra;
    f.weekday = weekday;
    f.first_month = first_month;
    f.last_month = last_month;
    return f;
}

}  // namespace

TEST(AnalysisSlice, FiltersTakeWholeRecordsAndAMachineOnlyItsAmounts) {
    const std::vector<LedgerRecord> records = march();
    const YearRecords year{2004, records};
    const AnalysisLedger ledger = analysis_ledger({&year, 1});
    const auto hall = [&](const char* n) { return number_of(ledger.halls, n); };
    const auto machine = [&](const char* n) { return number_of(ledger.machines, n); };
    const struct {
        const char* what;
        Filter filter;
        Expected expected;
    } table[] = {
        {"everything", {}, {6, 5, 56000, 55000}},
        {"hall A", make_filter(hall("A店")), {3, 3, 38000, 32000}},
        {"hall B: both visits, the 1st a play day of its own", make_filter(hall("B店")), {2, 2, 12000, 17000}},
        // 海 twice in one record counts once, with both entries.
        {"machine 海", make_filter({}, machine("海")), {3, 2, 18000, 32000}},
        {"machine 北斗 at hall B", make_filter(hall("B店"), machine("北斗")), {1, 1, 3000, 9000}},
        {"Mondays", make_filter({}, {}, {}, 2), {5, 4, 36000, 51000}},
        {"Saturdays", make_filter({}, {}, {}, 7), {1, 1, 20000, 4000}},
        {"April", make_filter({}, {}, {}, 0, 4, 4), {2, 2, 14000, 9000}},
        {"extra 朝", make_filter({}, {}, number_of(ledger.extras, "朝")), {3, 3, 34000, 37000}},
        {"a machine no record of the slice holds", make_filter(hall("C店"), machine("海")), {0, 0, 0, 0}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const Slice slice = slice_of(ledger, row.filter);
        std::int64_t investment = 0, payout = 0;
        for (const Visit& v : slice.visits) {
            investment += v.investment;
            payout += v.payout;
            EXPECT_EQ(v.balance, v.payout - v.investment);
        }
        EXPECT_EQ(std::tuple(static_cast<int>(slice.visits.size()), slice.play_days, investment, payout),
                  std::tuple(row.expected.visits, row.expected.play_days, row.expected.investment, row.expected.payout));
    }
}

TEST(AnalysisSlice, TablesByEveryKey) {
    const std::vector<LedgerRecord> records = march();
    const YearRecords year{2004, records};
    const AnalysisLedger ledger = analysis_ledger({&year, 1});
    const auto row_of = [](const std::vector<TableRow>& rows, std::uint32_t key) {
        for (const TableRow& r : rows)
            if (r.key == key) return std::tuple(r.visits, r.investment, r.payout);
        return std::tuple(0, std::int64_t{0}, std::int64_t{0});
    };
    const std::uint32_t umi = number_of(ledger.machines, "海");
    const std::uint32_t hokuto = number_of(ledger.machines, "北斗");
    const struct {
        const char* what;
        Filter filter;
        TableKey key;
        std::uint32_t row_key;
        std::tuple<int, std::int64_t, std::int64_t> expected;
        std::size_t rows;
    } table[] = {
        {"March", {}, TableKey::Month, 3, {4, 42000, 46000}, 2},
        {"Monday", {}, TableKey::Weekday, 2, {5, 36000, 51000}, 2},
        {"hall B", {}, TableKey::Hall, number_of(ledger.halls, "B店"), {2, 12000, 17000}, 3},
        // Every machine of a record counts a visit with its own amounts.
        {"machine 海", {}, TableKey::Machine, umi, {3, 18000, 32000}, 3},
        {"machine 北斗", {}, TableKey::Machine, hokuto, {3, 29000, 19000}, 3},
        // Under a machine filter only that machine has a row.
        {"machine 海 filtered", make_filter({}, umi), TableKey::Machine, umi, {3, 18000, 32000}, 1},
        {"hall B under the 海 filter", make_filter({}, umi), TableKey::Hall, number_of(ledger.halls, "B店"), {2, 8000, 7000}, 2},
        {"extra 夜", {}, TableKey::Extra, number_of(ledger.extras, "夜"), {2, 16000, 12000}, 3},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        const Slice slice = slice_of(ledger, row.filter);
        const std::vector<TableRow> rows = table_rows(ledger, slice, row.filter, row.key);
        EXPECT_EQ(row_of(rows, row.row_key), row.expected);
        EXPECT_EQ(rows.size(), row.rows);
        for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].key, rows[i].key);
        for (const TableRow& r : rows) EXPECT_TRUE(r.few());
    }
    // The figures of a slice hold every table, and the overview of its visits.
    const Figures all = compute_figures(ledger, {});
    EXPECT_EQ(all.overview.visits, 6);
    EXPECT_EQ(all.overview.play_days, 5);
    EXPECT_EQ(all.running.back(), -1000);
    EXPECT_EQ(all.tables[static_cast<std::size_t>(TableKey::Weekday)].size(), 2u);
}

TEST(AnalysisSlice, ExtraValuesOfAYearWithAnotherColumnCountNowhere) {
    // 2003 kept another column (its 朝 means something else); its records still
    // count as visits, but under no extra value.
    const std::vector<LedgerRecord> other = {record(5, 1, "A店", {{"海", 4000, 0}}, "朝"),
                                             record(5, 2, "A店", {{"海", 2000, 0}}, "雨")};
    const std::vector<LedgerRecord> open = march();
    const YearRecords years[] = {{2003, other, false}, {2004, open}};
    const AnalysisLedger ledger = analysis_ledger(years);
    EXPECT_EQ(ledger.extras.size(), 3u);  // 朝, 夜 and the empty value of 2004; no 雨
    EXPECT_FALSE(name_number(ledger.extras, cp932_literal("雨")));
    const std::uint32_t morning = number_of(ledger.extras, "朝");
    EXPECT_EQ(slice_of(ledger, make_filter({}, {}, morning)).visits.size(), 3u);
    EXPECT_EQ(slice_of(ledger, {}).visits.size(), 8u);
    std::vector<TableRow> rows = table_rows(ledger, slice_of(ledger, {}), {}, TableKey::Extra);
    int visits = 0;
    for (const TableRow& r : rows) visits += r.visits;
    EXPECT_EQ(visits, 6);
}

TEST(AnalysisSlice, RowsOfFewerThanTenVisitsAreMarkedFew) {
    std::vector<LedgerRecord> records;
    for (int i = 0; i < 10; ++i) {
        records.push_back(record(5, 1 + i, "十回", {{"海", 1000, 0}}));
        records.push_back(record(5, 1 + i, "九回", {{"海", 1000, 0}}));
    }
    records.pop_back();  // 九回 has one visit fewer
    const YearRecords year{2004, records};
    const AnalysisLedger ledger = analysis_ledger({&year, 1});
    const Slice slice = slice_of(ledger, {});
    const std::vector<TableRow> rows = table_rows(ledger, slice, {}, TableKey::Hall);
    ASSERT_EQ(rows.size(), 2u);
    for (const TableRow& r : rows) {
        const bool nine = r.key == number_of(ledger.halls, "九回");
        EXPECT_EQ(r.visits, nine ? 9 : 10);
        EXPECT_EQ(r.few(), nine) << r.visits;
    }
}

TEST(AnalysisSlice, NamesTheCommandLineTakes) {
    const struct {
        const char* text;
        int weekday;
    } weekdays[] = {{"日", 1}, {"月", 2}, {"水", 4}, {"土", 7}, {"月曜", 0}, {"", 0}, {"Mon", 0}};
    for (const auto& w : weekdays) EXPECT_EQ(weekday_of_name(w.text), w.weekday) << w.text;
    const struct {
        const char* text;
        std::optional<std::pair<int, int>> range;
    } months[] = {{"3-5", std::pair(3, 5)}, {"1-12", std::pair(1, 12)}, {"7", std::pair(7, 7)}, {"5-3", std::nullopt},
                  {"0-3", std::nullopt},     {"3-13", std::nullopt},     {"3-", std::nullopt},  {"a-b", std::nullopt},
                  {"", std::nullopt},        {"3--5", std::nullopt}};
    for (const auto& m : months) EXPECT_EQ(month_range(m.text), m.range) << m.text;
    EXPECT_EQ(year_text_value("2004"), 2004);
    EXPECT_EQ(year_text_value("20a4"), 0);
}

TEST(AnalysisSlice, DrawdownSpanMatchesTheOverviewsDates) {
    const std::vector<std::vector<std::int64_t>> cases = {
        {-3000, -2000, 1000}, {4000, -1000, 3000, -5000, -2000, 9000}, {1000, 2000, 500}, {2000, -2000, 2000, -3000}, {},
        // Two equal falls from one peak: the first trough is the one named.
        {5000, -3000, 2000, -2000},
        // The peak reached again without a gain: the first day at it is the peak.
        {5000, 0, -3000}};
    for (const auto& balances : cases) {
        SCOPED_TRACE(::testing::PrintToString(balances));
        std::vector<Visit> visits;
        for (std::size_t i = 0; i < balances.size(); ++i)
            visits.push_back(Visit{Date{2004, 5, static_cast<int>(i) + 1}, "", balances[i], 0, balances[i]});
        const Overview o = compute_overview(visits, 1);
        const DrawdownSpan span = max_drawdown_span(running_totals(visits));
        const auto day = [&](int index) { return index < 0 ? 0 : visits[static_cast<std::size_t>(index)].date.day; };
        EXPECT_EQ(day(span.peak), o.max_drawdown.peak ? o.max_drawdown.peak->day : 0);
        EXPECT_EQ(day(span.trough), o.max_drawdown.trough ? o.max_drawdown.trough->day : 0);
    }
}
