// Arithmetic of the lifetime tables.
#include <gtest/gtest.h>

#include <deque>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"
#include "records/lifetime_calc.h"

using namespace velmo;

namespace {

std::string sj(const char8_t* s) { return cp932_literal(s); }

std::string totals(const std::string& investment, const std::string& payout) {
    return std::string(1, static_cast<char>(investment.size())) + investment +
           std::string(1, static_cast<char>(payout.size())) + payout;
}

// The texts a record's views point into, kept for the whole test program.
const std::string& keep(std::string text) {
    static std::deque<std::string> texts;
    return texts.emplace_back(std::move(text));
}

RecordTexts rec(const char* date, int investment, int payout, const char* hall = "H") {
    return RecordTexts{keep(date), keep(hall), "M", keep(totals(std::to_string(investment), std::to_string(payout))),
                       keep(std::to_string(payout - investment))};
}

// The rankings of a year whose records' texts are all at hand, their balances read from them.
void update_rankings(Rankings& rankings, const std::string& year_text, std::span<const RecordTexts> records,
                     std::span<const MonthTexts> months) {
    std::vector<std::int64_t> balances;
    for (const RecordTexts& r : records) balances.push_back(cell_number(r.balance));
    velmo::update_rankings(rankings, year_text, balances, [&](std::size_t i) { return records[i]; }, months);
}

std::vector<std::string> column(const std::vector<TableRow>& rows, std::size_t c) {
    std::vector<std::string> out;
    for (const TableRow& r : rows) out.push_back(r.at(c));
    return out;
}

}  // namespace

TEST(LifetimeText, WinRateCountsAreReadFromTheText) {
    auto p = [](const char8_t* s) { return parse_win_rate(sj(s)); };
    WinLossDraw c = p(u8"12勝8敗3分 60％");
    EXPECT_EQ(c.wins, 12);
    EXPECT_EQ(c.losses, 8);
    EXPECT_EQ(c.draws, 3);
    c = p(u8"3勝2敗 60％");  // a space right after 敗: no draws
    EXPECT_EQ(c.draws, 0);
    EXPECT_EQ(c.losses, 2);
    c = p(u8"0勝0敗2分 0％");
    EXPECT_EQ(c.draws, 2);
    c = p(u8"0勝0敗");
    EXPECT_EQ(c.wins + c.losses + c.draws, 0);
    c = p(u8"");
    EXPECT_EQ(c.wins + c.losses + c.draws, 0);
    c = p(u8"99999999999999999999勝1敗");  // damaged: held to nine digits
    EXPECT_EQ(c.wins, 999999999);
}

TEST(LifetimeText, WinLossAndBalanceCaptions) {
    EXPECT_EQ(lifetime_win_text({12, 8, 3}), sj(u8"12勝8敗3分 60％"));
    EXPECT_EQ(lifetime_win_text({2, 1, 0}), sj(u8"2勝1敗 66％"));
    EXPECT_EQ(lifetime_win_text({0, 0, 0}), sj(u8"0勝0敗0分 0％"));
    EXPECT_EQ(lifetime_win_text({0, 0, 4}), sj(u8"0勝0敗4分 0％"));
    EXPECT_EQ(lifetime_win_text({0, 3, 0}), sj(u8"0勝3敗 0％"));
    EXPECT_EQ(lifetime_balance_text(1500), sj(u8"生涯収支 ＋1500"));
    EXPECT_EQ(lifetime_balance_text(0), sj(u8"生涯収支 ±0"));
    EXPECT_EQ(lifetime_balance_text(-700), sj(u8"生涯収支 -700"));
}

TEST(LifetimeYears, RowsStayInYearOrderWithRunningTotals) {
    std::vector<TableRow> rows;
    place_year_row(rows, "2004", year_row("2004", "100", "300", "200", sj(u8"1勝0敗 100％")));
    place_year_row(rows, "2006", year_row("2006", "500", "100", "-400", sj(u8"0勝2敗1分 0％")));
    // An earlier year goes to the top; the same year replaces its row.
    EXPECT_EQ(place_year_row(rows, "2001", year_row("2001", "10", "60", "50", sj(u8"1勝0敗 100％"))), 0u);
    EXPECT_EQ(place_year_row(rows, "2004", year_row("2004", "100", "1100", "1000", sj(u8"2勝0敗 100％"))), 1u);
    EXPECT_EQ(place_year_row(rows, "2005", year_row("2005", "0", "0", "0", sj(u8"0勝0敗"))), 2u);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(column(rows, 0), (std::vector<std::string>{sj(u8"2001年"), sj(u8"2004年"), sj(u8"2005年"), sj(u8"2006年")}));

    LifetimeSums s = sum_years(rows, true);
    EXPECT_EQ(column(rows, 4), (std::vector<std::string>{"50", "1050", "1050", "650"}));
    EXPECT_EQ(s.investment, 610);
    EXPECT_EQ(s.payout, 1260);
    EXPECT_EQ(s.balance, 650);
    EXPECT_EQ(s.counts.wins, 3);
    EXPECT_EQ(s.counts.losses, 2);
    EXPECT_EQ(s.counts.draws, 1);

    EXPECT_TRUE(remove_year_row(rows, "2004"));
    EXPECT_FALSE(remove_year_row(rows, "2004"));
    s = sum_years(rows, true);
    EXPECT_EQ(column(rows, 4), (std::vector<std::string>{"50", "50", "-350"}));
}

TEST(LifetimeYears, DamagedNumbersDoNotOverflowTheSums) {
    std::vector<TableRow> rows(3, TableRow{"x", "9223372036854775807", "-9223372036854775808", "9223372036854775807", "",
                                           sj(u8"999999999勝999999999敗")});
    const LifetimeSums s = sum_years(rows, true);
    // Each figure counts as the 32-bit bound of its sign; their sums are exact.
    EXPECT_EQ(s.investment, 3 * 2147483647LL);
    EXPECT_EQ(s.payout, 3 * -2147483648LL);
    EXPECT_EQ(s.counts.wins, 3 * 999999999LL);
    EXPECT_EQ(lifetime_win_text(s.counts).substr(0, 10), "2999999997");
}

TEST(LifetimeRankings, TiesAndTheTenEntryLimit) {
    std::vector<TableRow> best;
    for (int i = 0; i < 10; ++i) {
        TableRow e(kRecordColumns);
        e[1] = "2003/ 1/" + std::to_string(i + 1);
        e[6] = std::to_string(1000 * (10 - i));  // 10000 .. 1000
        best.push_back(e);
    }
    TableRow small(kRecordColumns);
    small[1] = "new";
    EXPECT_FALSE(enter_ranking(best, small, 6, true, 999));  // below all ten
    EXPECT_TRUE(enter_ranking(best, small, 6, true, 1000));  // ties the last: goes before it
    ASSERT_EQ(best.size(), 10u);
    EXPECT_EQ(best[9][1], "new");

    // Worst tables order by the most negative first.
    std::vector<TableRow> worst;
    int i = 0;
    for (int v : {-500, -3000, -1000, -3000}) {
        TableRow e(kRecordColumns);
        e[1] = std::to_string(v) + "#" + std::to_string(i++);
        e[6] = std::to_string(v);
        enter_ranking(worst, e, 6, false, v);
    }
    EXPECT_EQ(column(worst, 1), (std::vector<std::string>{"-3000#3", "-3000#1", "-1000#2", "-500#0"}));
}

TEST(LifetimeRankings, TheOpenYearIsReplacedAndRanksAboveEqualOtherYears) {
    Rankings r;
    // Another year already holds a win of 5000 and a month of 5000.
    const std::vector<RecordTexts> old_records{rec(" 7/1", 1000, 6000, "Old")};
    const std::vector<MonthTexts> old_months{{sj(u8"７月"), "1000", "6000", "5000", sj(u8"1勝0敗 100％")}};
    update_rankings(r, "2003", old_records, old_months);

    std::vector<RecordTexts> records{rec(" 3/1", 1000, 6000, "A"), rec(" 3/2", 2000, 2000), rec(" 3/9", 500, 5500, "B"),
                                     rec(" 4/1", 3000, 1000)};
    std::vector<MonthTexts> months{{sj(u8"１月"), "0", "0", "0", sj(u8"0勝0敗")},
                                   {sj(u8"２月"), "0", "0", "0", sj(u8"0勝0敗")},
                                   {sj(u8"３月"), "3500", "13500", "10000", sj(u8"2勝0敗1分 100％")},
                                   {sj(u8"４月"), "3000", "1000", "-2000", sj(u8"0勝1敗 0％")}};
    update_rankings(r, "2004", records, months);
    update_rankings(r, "2004", records, months);  // every change re-enters the year: nothing doubles

    // Equal wins of 5000: the later record of the open year first, then the earlier, then the old year's.
    ASSERT_EQ(r.best_records.size(), 3u);
    EXPECT_EQ(column(r.best_records, 1), (std::vector<std::string>{"2004/ 3/9", "2004/ 3/1", "2003/ 7/1"}));
    EXPECT_EQ(r.best_records[0][2], "B");
    EXPECT_EQ(r.best_records[0][4], "500");
    EXPECT_EQ(r.best_records[0][5], "5500");
    EXPECT_EQ(r.best_records[0][6], "5000");
    ASSERT_EQ(r.worst_records.size(), 1u);  // the zero-balance record enters neither table
    EXPECT_EQ(r.worst_records[0][6], "-2000");

    ASSERT_EQ(r.best_months.size(), 2u);  // months with balance 0 enter no table
    EXPECT_EQ(r.best_months[0][1], sj(u8"2004年３月"));
    EXPECT_EQ(r.best_months[0][5], sj(u8"2勝0敗1分 100％"));
    EXPECT_EQ(r.best_months[1][1], sj(u8"2003年７月"));
    ASSERT_EQ(r.worst_months.size(), 1u);
    EXPECT_EQ(r.worst_months[0][4], "-2000");

    // The open year loses its last record: its entries leave, the others stay.
    update_rankings(r, "2004", {}, {});
    EXPECT_EQ(column(r.best_records, 1), (std::vector<std::string>{"2003/ 7/1"}));
    EXPECT_TRUE(r.worst_records.empty());
    EXPECT_EQ(r.best_months.size(), 1u);
}

TEST(LifetimeRankings, AWholeYearRanksAsItsRecordsEnteredOneByOne) {
    // Another year's entries fill part of the tables; the open year's records
    // then come in ledger order, many of equal balances.
    Rankings batch;
    const std::vector<RecordTexts> old_records{rec(" 1/5", 1000, 9000, "Old"), rec(" 2/5", 9000, 1000, "Old"),
                                               rec(" 3/5", 1000, 4000, "Old")};
    update_rankings(batch, "2003", old_records, {});
    Rankings single = batch;

    std::vector<RecordTexts> records;
    unsigned seed = 7;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int payout = static_cast<int>((seed >> 16) % 13) * 1000;  // 0 .. 12000, often equal
        records.push_back(rec((" 5/" + std::to_string(i % 28 + 1)).c_str(), 6000, payout, "New"));
    }
    update_rankings(batch, "2004", records, {});

    for (const RecordTexts& r : records) {
        const std::int64_t b = std::stoll(std::string(r.balance));
        if (b != 0) enter_ranking(b > 0 ? single.best_records : single.worst_records, record_entry("2004", r), 6, b > 0, b);
    }
    EXPECT_EQ(batch.best_records, single.best_records);
    EXPECT_EQ(batch.worst_records, single.worst_records);
    ASSERT_EQ(batch.best_records.size(), kRanks);
    EXPECT_EQ(batch.best_records[0][6], "8000");  // the old year's 8000 stays first
    EXPECT_EQ(batch.best_records[0][1], "2003/ 1/5");
}

TEST(LifetimeRankings, ATableReadOutOfOrderTakesTheRecordsAsOneByOne) {
    // Ten entries of another year in no order, as a damaged records file may hold them.
    Rankings batch;
    for (int v : {9000, 500, 8000, 700, 6000, 9500, 300, 4000, 2000, 100}) {
        TableRow row(kRecordColumns);
        row[1] = "2003/ 1/1";
        row[6] = std::to_string(v);
        batch.best_records.push_back(row);
        row[6] = std::to_string(-v);
        batch.worst_records.push_back(row);
    }
    Rankings single = batch;
    std::vector<RecordTexts> records;
    for (int payout : {1000, 600, 12000, 200, 150, 400, 10000}) records.push_back(rec(" 6/1", 0, payout));
    for (int investment : {1000, 600, 12000, 200, 150}) records.push_back(rec(" 6/2", investment, 0));
    update_rankings(batch, "2004", records, {});
    for (const RecordTexts& r : records) {
        const std::int64_t b = std::stoll(std::string(r.balance));
        enter_ranking(b > 0 ? single.best_records : single.worst_records, record_entry("2004", r), 6, b > 0, b);
    }
    EXPECT_EQ(batch.best_records, single.best_records);
    EXPECT_EQ(batch.worst_records, single.worst_records);
    EXPECT_EQ(column(batch.best_records, 6)[4], "600");  // before the 500 it beats, though 300 and 100 were below
}
