// The arithmetic of the monthly, weekday, per-value and per-hall tables.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <vector>

#include "ledger/ledger_model.h"
#include "ledger/number_text.h"
#include "views/ledger_figures.h"
#include "views/summary_calc.h"
#include "views/summary_grid.h"

using namespace velmo;

namespace {

std::string packed(long long investment, long long payout) {
    std::string a = std::to_string(investment), b = std::to_string(payout);
    return std::string(1, static_cast<char>(a.size())) + a + std::string(1, static_cast<char>(b.size())) + b;
}

// A ledger row by balance: investment 10000 and payout 10000 + balance.
struct Row {
    std::string date;
    long long balance;
    std::string key;
};

// The rows point into their source rows, so both live together.
struct Rows {
    explicit Rows(std::vector<Row> in) : src(std::move(in)) {
        for (const Row& r : src) {
            SummaryRow s;
            s.date = r.date;
            s.month = date_text_month(r.date);
            s.day = date_text_day(r.date);
            s.amounts = {10000, 10000 + r.balance};
            s.mark = r.balance > 0 ? 1 : (r.balance < 0 ? -1 : 0);
            s.key = r.key;
            s.key_number = numbers.emplace(r.key, static_cast<std::uint32_t>(numbers.size())).first->second;
            rows.push_back(s);
        }
    }
    Rows(const Rows&) = delete;
    operator std::span<const SummaryRow>() const { return rows; }
    std::vector<Row> src;
    std::vector<SummaryRow> rows;
    std::map<std::string, std::uint32_t> numbers;  // keys numbered in order of appearance
};

}  // namespace

TEST(SummaryCells, PackedTotalsAreReadSafely) {
    RowFigures a;
    read_day_figures(packed(3000, 12500), a);
    EXPECT_EQ(a.investment, 3000);
    EXPECT_EQ(a.payout, 12500);
    // A length byte running past the end reads what is there; a missing field is 0.
    read_day_figures(std::string("\x04" "100", 4), a);
    EXPECT_EQ(a.investment, 100);
    EXPECT_EQ(a.payout, 0);
    read_day_figures("", a);
    EXPECT_EQ(a.investment, 0);
    EXPECT_EQ(cell_number("-41000"), -41000);
    EXPECT_EQ(cell_number("12x"), 0);
    EXPECT_EQ(cell_number(""), 0);
    // Only an optional minus and digits read; the widest numbers read whole or not at all.
    for (const char* bad : {"-", "+5", " 5", "5 ", "--5", "1-2", "\x82\x50"}) EXPECT_FALSE(parse_number(bad)) << bad;
    EXPECT_EQ(parse_number("-0"), 0);
    EXPECT_EQ(parse_number("000120"), 120);
    EXPECT_EQ(parse_number("999999999999999999"), 999999999999999999);     // 18 digits
    EXPECT_EQ(parse_number("-999999999999999999"), -999999999999999999);
    EXPECT_EQ(parse_number("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parse_number("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(parse_number("9223372036854775808"));
    EXPECT_FALSE(parse_number("99999999999999999999"));
    EXPECT_FALSE(parse_number("1234567890123456789x"));
    // The in-place reader of the summaries gives cell_number's figure for every length.
    for (const char* t : {"0", "-41000", "2147483647", "2147483648", "-2147483649", "999999999999999999",
                          "-999999999999999999", "9223372036854775807", "99999999999999999999", "12x", ""})
        EXPECT_EQ(cell_amount(t), cell_number(t)) << t;
}

TEST(SummaryMonthly, MonthsWithoutPlayUpToTheLastRecordAreFilled) {
    Rows rows({{" 3/4", 5000, ""}, {" 3/9", -2000, ""}, {" 5/1", -4000, ""}});
    MonthlySummary m = summarize_months(rows);
    ASSERT_EQ(m.months, 5);
    for (int month : {1, 2, 4}) {
        const SummaryLine& line = m.lines[static_cast<size_t>(month - 1)];
        EXPECT_EQ(line.investment, 0) << month;
        EXPECT_EQ(line.payout, 0) << month;
        EXPECT_EQ(line.counts.total(), 0) << month;
    }
    EXPECT_EQ(m.running[0], 0);
    EXPECT_EQ(m.lines[2].investment, 20000);
    EXPECT_EQ(m.lines[2].balance(), 3000);
    EXPECT_EQ(m.lines[2].counts.wins, 1);
    EXPECT_EQ(m.lines[2].counts.losses, 1);
    EXPECT_EQ(m.running[3], 3000);  // April keeps March's running total
    EXPECT_EQ(m.running[4], -1000);
    EXPECT_EQ(m.year_investment, 30000);
    EXPECT_EQ(m.year_payout, 29000);
    EXPECT_EQ(m.year_balance, -1000);
    EXPECT_EQ(m.average, -200);  // divided by 5 months, not by the 2 played
}

TEST(SummaryMonthly, RecordsOfOneDateAreOneDayAndTheAverageTruncatesTowardZero) {
    Rows rows({{" 1/6", 5000, ""}, {" 1/6", -2000, ""}, {" 3/2", -4000, ""}});
    MonthlySummary m = summarize_months(rows);
    EXPECT_EQ(m.lines[0].counts.wins, 1);
    EXPECT_EQ(m.lines[0].counts.losses, 0);
    EXPECT_EQ(m.lines[0].counts.draws, 0);
    EXPECT_EQ(m.months, 3);
    EXPECT_EQ(m.year_balance, -1000);
    EXPECT_EQ(m.average, -333);
}

TEST(SummaryMonthly, DamagedMonthNeverReachesPastDecember) {
    Rows rows({{" 2/1", 100, ""}, {"13/1", 900, ""}, {"12/1", 50, ""}});
    MonthlySummary m = summarize_months(rows);
    EXPECT_EQ(m.months, 2);
    EXPECT_EQ(m.year_balance, 100);
}

TEST(SummaryWeekday, ADayIsWonByItsSumAndInvalidDatesAreLeftOut) {
    // 7 January 2024 was a Sunday; 8 January a Monday.
    Rows rows({{" 1/7", 3000, ""}, {" 1/7", -1000, ""}, {" 1/8", -500, ""}, {" 2/30", 700, ""}});
    WeekdaySummary w = summarize_weekdays(rows, 2024);
    EXPECT_EQ(w.days[0].counts.wins, 1);
    EXPECT_EQ(w.days[0].counts.losses, 0);
    EXPECT_EQ(w.days[0].balance(), 2000);
    EXPECT_EQ(w.days[0].investment, 20000);
    EXPECT_EQ(w.days[1].counts.losses, 1);
    EXPECT_EQ(w.days[6].counts.total(), 0);
    EXPECT_EQ(w.total.counts.wins, 1);
    EXPECT_EQ(w.total.counts.losses, 1);
    EXPECT_EQ(w.total.balance(), 1500);
}

TEST(SummaryGroups, CountersAreWiderThanEightBits) {
    std::vector<Row> in;
    for (int i = 0; i < 300; ++i) in.push_back({" 1/1", 10, "A"});
    for (int i = 0; i < 257; ++i) in.push_back({" 1/2", -10, "A"});
    Rows rows(in);
    auto groups = collect_groups(rows, 100, false);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].line.counts.wins, 300);
    EXPECT_EQ(groups[0].line.counts.losses, 257);
    std::vector<Row> days;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 28; ++d) days.push_back({(m < 10 ? " " : "") + std::to_string(m) + "/" + std::to_string(d), 1, ""});
    Rows year(days);
    WeekdaySummary w = summarize_weekdays(year, 2023);
    EXPECT_EQ(w.total.counts.wins, 336);
}

TEST(SummaryGroups, ExtraValuesFirstTwentyOnlyAndEmptyValuesLeftOut) {
    std::vector<Row> in;
    in.push_back({" 1/1", 99999, ""});  // no value: not counted anywhere
    for (int i = 0; i < 25; ++i) in.push_back({" 1/2", (i + 1) * 100, "v" + std::to_string(i)});
    in.push_back({" 1/3", 50000, "v0"});  // after the 20th value: ignored
    Rows rows(in);
    auto groups = collect_groups(rows, 20, true);
    ASSERT_EQ(groups.size(), 20u);
    EXPECT_EQ(groups.front().key, "v0");
    EXPECT_EQ(groups.back().key, "v19");
    EXPECT_EQ(groups.front().line.balance(), 100);
    auto ranked = rank_groups(groups);
    EXPECT_EQ(ranked.front().key, "v19");
    EXPECT_EQ(ranked[9].key, "v10");
}

TEST(SummaryGroups, EqualBalancesRankTheLaterFirstAppearanceFirst) {
    Rows rows({{" 1/1", 500, "A"}, {" 1/2", -300, "B"}, {" 1/3", 500, "C"}, {" 1/4", 800, "B"},
                           {" 1/5", 100, "D"}, {" 1/6", -100, "D"}});
    auto ranked = rank_groups(collect_groups(rows, 100, false));
    ASSERT_EQ(ranked.size(), 4u);
    EXPECT_EQ(ranked[0].line.balance(), 500);
    // A, B and C all have 500: C (latest first row) first, then B, then A.
    EXPECT_EQ(ranked[0].key, "C");
    EXPECT_EQ(ranked[1].key, "B");
    EXPECT_EQ(ranked[2].key, "A");
    EXPECT_EQ(ranked[3].key, "D");
    EXPECT_EQ(ranked[3].line.counts.wins, 1);
    EXPECT_EQ(ranked[3].line.counts.losses, 1);
}

TEST(SummaryGroups, HallsStopAtTheHundredthHall) {
    std::vector<Row> in;
    for (int i = 0; i < 101; ++i) in.push_back({" 2/1", 100, "hall" + std::to_string(i)});
    in.push_back({" 2/2", 100, "hall0"});
    Rows rows(in);
    auto groups = collect_groups(rows, 100, false);
    ASSERT_EQ(groups.size(), 100u);
    EXPECT_EQ(groups.back().key, "hall99");
    EXPECT_EQ(groups.front().line.counts.wins, 1);  // the row after the 100th hall is not read
    // An empty hall name is a hall of its own.
    Rows unnamed({{" 1/1", 1, ""}});
    EXPECT_EQ(collect_groups(unnamed, 100, false).size(), 1u);
}

TEST(SummaryBars, ScaleIsTheNextMultipleOfTwentyThousand) {
    EXPECT_EQ(bar_scale(23000, -41000), 60000);
    EXPECT_EQ(bar_scale(20000, 500), 20000);
    EXPECT_EQ(bar_scale(20001, 0), 40000);
    EXPECT_EQ(bar_scale(0, 0), 0);
    EXPECT_EQ(bar_scale(-1000, -5000), 20000);  // every hall lost
    EXPECT_EQ(bar_scale(-20000, -20000), 20000);
    EXPECT_EQ(scale_caption(15000), std::string("\x81\x7d" "15000"));  // "±" in CP932
}

TEST(SummaryBars, LengthIsComputedInSinglePrecisionAndTruncated) {
    EXPECT_EQ(bar_length(90, 20000, 20000), 360);
    EXPECT_EQ(bar_length(90, 60000, -41000), 246);
    EXPECT_EQ(bar_length(91, 60000, 41000), 248);  // 248.73 truncated
    // 360 / (20000 / 9000) is 162 exactly, but 161.99998 in single precision.
    EXPECT_EQ(bar_length(90, 20000, 9000), 161);
    EXPECT_EQ(bar_length(90, 60000, 1), 0);
    EXPECT_EQ(bar_length(90, 0, 500), 0);
    EXPECT_EQ(bar_length(90, 20000, 0), 0);
}

TEST(SummaryBars, PieceOfTheBarInEachCell) {
    // Columns 2..5 of widths 90, 90, 90, 150; a bar of 200 pixels.
    BarPiece p = bar_piece(200, 90, 90, 1000);
    EXPECT_TRUE(p.drawn);
    EXPECT_FALSE(p.end);
    EXPECT_EQ(p.right, 1000);
    p = bar_piece(200, 180, 90, 1091);
    EXPECT_FALSE(p.end);
    p = bar_piece(200, 270, 90, 1182);
    EXPECT_TRUE(p.drawn);
    EXPECT_TRUE(p.end);
    EXPECT_EQ(p.right, 1182 - 70);
    EXPECT_FALSE(bar_piece(200, 420, 150, 1333).drawn);
    // A bar ending exactly on a cell's right edge ends in that cell.
    p = bar_piece(180, 180, 90, 1091);
    EXPECT_TRUE(p.end);
    EXPECT_EQ(p.right, 1091);
    EXPECT_FALSE(bar_piece(0, 90, 90, 1000).drawn);
}
