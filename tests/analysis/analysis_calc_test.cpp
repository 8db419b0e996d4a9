// The arithmetic of the analysis, on plain visits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_calc.h"

using namespace velmo::analysis;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

Visit visit(int day, std::string_view hall, std::int64_t investment, std::int64_t payout) {
    return Visit{Date{2024, 1, day}, hall, payout - investment, investment, payout};
}

// Visits on consecutive days by balance, each with an investment of 10000.
std::vector<Visit> by_balance(const std::vector<std::int64_t>& balances) {
    std::vector<Visit> visits;
    for (std::size_t i = 0; i < balances.size(); ++i)
        visits.push_back(visit(static_cast<int>(i) + 1, "A店", 10000, 10000 + balances[i]));
    return visits;
}

// Ten visits of January 2024 on nine play days: wins and losses in runs, a
// draw between losses, a fall from a peak in the middle and a small one at the end.
std::vector<Visit> hand_case() {
    return {visit(5, "A店", 3000, 5000),    visit(6, "B店", 10000, 15000), visit(8, "A店", 20000, 12000),
            visit(12, "C店", 8000, 5000),   visit(13, "C店", 4000, 4000),  visit(13, "B店", 6000, 5000),
            visit(20, "A店", 15000, 27000), visit(21, "B店", 9000, 13000), visit(27, "A店", 2000, 5000),
            visit(28, "C店", 7000, 6000)};
}

// The first m >= n whose interval half width falls below |mean|, found one by one.
std::int64_t needed_one_by_one(int n, double mean, double s) {
    for (int m = n;; ++m)
        if (t_quantile_975(m - 1) * s / std::sqrt(m) < std::fabs(mean)) return m - n;
}

}  // namespace

TEST(AnalysisT, QuantilesMatchThePublishedTable) {
    const struct {
        int df;
        double t;
    } table[] = {{1, 12.706}, {2, 4.303}, {3, 3.182}, {5, 2.571}, {10, 2.228}, {20, 2.086},
                 {30, 2.042}, {60, 2.000}, {120, 1.980}, {100000, 1.960}, {100000000, 1.960}};
    for (const auto& row : table) EXPECT_NEAR(t_quantile_975(row.df), row.t, 0.0005) << "df " << row.df;
    // Falling with the degrees of freedom toward the normal limit.
    for (int df = 1; df < 400; ++df) EXPECT_GT(t_quantile_975(df), t_quantile_975(df + 1)) << df;
    EXPECT_GT(t_quantile_975(1000000), 1.959964);
}

TEST(AnalysisOverview, HandCaseGivesEveryFigure) {
    const std::vector<Visit> visits = hand_case();  // balances 2000 5000 -8000 -3000 0 -1000 12000 4000 3000 -1000
    const Overview o = compute_overview(visits, 9);
    // The counts and amounts are read from the lines below; here what the lines round or leave out.
    EXPECT_EQ(payout_rate_tenths(o.investment, o.payout), 1155);  // 115.476 %
    EXPECT_DOUBLE_EQ(*o.mean, 1300);
    EXPECT_DOUBLE_EQ(*o.median, 1000);
    EXPECT_NEAR(*o.deviation, 5334.3749, 0.001);
    EXPECT_NEAR(o.interval->lower, -2515.98, 0.01);
    EXPECT_NEAR(o.interval->upper, 5115.98, 0.01);
    EXPECT_EQ(o.visits_needed, needed_one_by_one(10, 1300, *o.deviation));  // by hand: m = 68 at t(67) 1.996
    EXPECT_EQ(o.largest_win->date, (Date{2024, 1, 20}));
    EXPECT_EQ(o.largest_loss->hall, "A店");
    EXPECT_EQ(running_totals(visits), (std::vector<std::int64_t>{2000, 7000, -1000, -4000, -4000, -5000, 7000,
                                                                 11000, 14000, 13000}));
    EXPECT_EQ(o.max_drawdown.peak, (Date{2024, 1, 6}));
    EXPECT_EQ(o.max_drawdown.trough, (Date{2024, 1, 13}));

    const std::vector<std::string> expected = {
        "来店数\t10",        "遊技日数\t9",       "投資\t84000",         "回収\t97000",
        "収支\t13000",       "回収率\t115.5",     "勝\t5",               "敗\t4",
        "分\t1",             "平均\t1300",        "中央値\t1000",        "標準偏差\t5334",
        "信頼区間下限\t-2516", "信頼区間上限\t5116", "判定\t未確定",
        "必要来店数\t58", "最大勝ち\t12000", "最大負け\t-8000",
        "最長連勝\t3",       "最長連敗\t2",  // the draw on the 13th ends the run of losses
        "最大ドローダウン\t12000", "現在のドローダウン\t1000"};
    EXPECT_EQ(overview_lines(o), expected);
}

TEST(AnalysisOverview, SmallSlicesLeaveFiguresUndefined) {
    const std::string dash = "—";
    // Empty: nothing but zero counts.
    std::vector<std::string> lines = overview_lines(compute_overview({}, 0));
    ASSERT_EQ(lines.size(), 22u);
    for (int i : {5, 9, 10, 11, 12, 13, 14, 15, 16, 17}) EXPECT_EQ(lines[i].substr(lines[i].find('\t') + 1), dash) << i;
    EXPECT_EQ(lines[20], "最大ドローダウン\t0");

    // One visit: mean and median, no spread, no verdict.
    const Overview one = compute_overview(by_balance({-4500}), 1);
    EXPECT_DOUBLE_EQ(*one.mean, -4500);
    EXPECT_DOUBLE_EQ(*one.median, -4500);
    EXPECT_FALSE(one.deviation || one.interval || one.verdict || one.visits_needed || one.largest_win);
    EXPECT_EQ(one.max_drawdown.amount, 4500);
    lines = overview_lines(one);
    for (int i : {11, 12, 13, 14, 15, 16}) EXPECT_EQ(lines[i].substr(lines[i].find('\t') + 1), dash) << i;
    EXPECT_EQ(lines[17], "最大負け\t-4500");

    // No investment: no payout rate, even with a payout.
    const Overview free = compute_overview(std::vector<Visit>{visit(3, "A店", 0, 3000)}, 1);
    EXPECT_FALSE(payout_rate_tenths(free.investment, free.payout));
    EXPECT_EQ(overview_lines(free)[5], "回収率\t" + dash);

    // All draws: an interval of width 0 around 0 stays undecided and needs no count.
    const Overview draws = compute_overview(by_balance({0, 0, 0}), 3);
    EXPECT_EQ(draws.draws, 3);
    EXPECT_EQ(draws.verdict, Verdict::Undecided);
    EXPECT_FALSE(draws.visits_needed);
    EXPECT_EQ(draws.longest_win_streak + draws.longest_loss_streak, 0);
    EXPECT_EQ(overview_lines(draws)[5], "回収率\t100.0");
    EXPECT_EQ(overview_lines(draws)[15], "必要来店数\t" + dash);
}

TEST(AnalysisOverview, MeanAndMedianRoundHalvesAwayFromZero) {
    for (const std::int64_t sign : {1, -1}) {
        const Overview o = compute_overview(by_balance({sign * 1000, sign * 1001}), 2);
        const std::vector<std::string> lines = overview_lines(o);
        EXPECT_EQ(lines[9], "平均\t" + std::to_string(sign * 1001));
        EXPECT_EQ(lines[10], "中央値\t" + std::to_string(sign * 1001));
    }
}

TEST(AnalysisOverview, SumsGoBeyond32Bits) {
    const std::vector<Visit> visits(3, visit(1, "A店", 2000000000, 3500000000));
    const Overview o = compute_overview(visits, 1);
    EXPECT_EQ(o.investment, 6000000000);
    EXPECT_EQ(o.payout, 10500000000);
    EXPECT_EQ(o.balance, 4500000000);
    EXPECT_EQ(running_totals(visits).back(), 4500000000);
    const std::vector<std::string> lines = overview_lines(o);
    EXPECT_EQ(lines[2], "投資\t6000000000");
    EXPECT_EQ(lines[5], "回収率\t175.0");
    EXPECT_EQ(lines[9], "平均\t1500000000");
    EXPECT_EQ(lines[13], "信頼区間上限\t1500000000");
}

TEST(AnalysisOverview, DrawdownFromTheStartOrFromAPeak) {
    const struct {
        std::vector<std::int64_t> balances;
        std::int64_t amount;
        std::optional<int> peak_day, trough_day;
        std::int64_t current;
    } table[] = {
        {{-3000, -2000, 1000}, 5000, std::nullopt, 2, 4000},   // never above the starting 0
        {{4000, -1000, 3000, -5000, -2000, 9000}, 7000, 3, 5, 0},  // peak 6000 on day 3
        {{1000, 2000, 500}, 0, std::nullopt, std::nullopt, 0},     // never fell
        {{2000, -2000, 2000, -3000}, 3000, 1, 4, 3000},  // the peak is the visit that first reached it
        {{5000, -3000, 2000, -2000}, 3000, 1, 2, 3000},  // two equal falls: the first trough
    };
    for (const auto& row : table) {
        const Drawdown d = compute_overview(by_balance(row.balances), 1).max_drawdown;
        EXPECT_EQ(d.amount, row.amount) << row.balances.size();
        const auto day = [](const std::optional<Date>& date) { return date ? std::optional(date->day) : std::nullopt; };
        EXPECT_EQ(day(d.peak), row.peak_day);
        EXPECT_EQ(day(d.trough), row.trough_day);
        EXPECT_EQ(compute_overview(by_balance(row.balances), 1).current_drawdown, row.current);
    }
}

TEST(AnalysisOverview, VerdictAndVisitsNeeded) {
    const struct {
        std::vector<std::int64_t> balances;
        Verdict verdict;
        const char* text;
    } table[] = {
        {{20000, 25000, 18000, 30000, 22000, 27000, 19000, 24000}, Verdict::Plus, "判定\tプラス"},
        {{-20000, -25000, -18000, -30000, -22000, -27000, -19000, -24000}, Verdict::Minus, "判定\tマイナス"},
        {{8000, -2000, 6000, -3000, 5000, 1000}, Verdict::Undecided, "判定\t未確定"},
        {{-8000, 2000, -6000, 3000, -5000, -1000}, Verdict::Undecided, "判定\t未確定"},
    };
    for (const auto& row : table) {
        const Overview o = compute_overview(by_balance(row.balances), 1);
        EXPECT_EQ(o.verdict, row.verdict) << row.text;
        EXPECT_EQ(overview_lines(o)[14], row.text);
        if (row.verdict != Verdict::Undecided) {
            EXPECT_FALSE(o.visits_needed);
            EXPECT_EQ(row.verdict == Verdict::Plus, o.interval->lower > 0);
            continue;
        }
        // Mean 2500 (or -2500) and deviation 4506: by hand m = 15 at t(14) 2.145.
        EXPECT_EQ(o.visits_needed, needed_one_by_one(o.visits, *o.mean, *o.deviation));
        EXPECT_EQ(overview_lines(o)[15], "必要来店数\t9");
    }
    // A mean lost in its spread needs more than 99,999 further visits.
    const Overview far = compute_overview(by_balance({30001, -30000, 20000, -20000}), 1);
    EXPECT_EQ(far.visits_needed, kVisitsNeededMore);
    EXPECT_EQ(overview_lines(far)[15], "必要来店数\t99999+");
    EXPECT_EQ(visits_needed(5, 1000, 10000), needed_one_by_one(5, 1000, 10000));  // about 380
}

TEST(AnalysisBins, RoundWidthsAlignedToTheirMultiples) {
    const struct {
        std::int64_t low, high, width, first, bins;
    } table[] = {
        {-12000, 15000, 1000, -12000, 28},
        {-20000, 15000, 2000, -20000, 18},
        {0, 3000, 1000, 0, 4},  // fewer than 10 bins even at 1,000: kept
        {-1, 0, 1000, -1000, 2},
        {-250000, 430000, 50000, -250000, 14},
        {-999, 2000000, 100000, -100000, 22},
    };
    for (const auto& row : table) {
        const Histogram h = balance_histogram(by_balance({row.high, row.low}));
        EXPECT_EQ(h.width, row.width) << row.low << ".." << row.high;
        ASSERT_EQ(static_cast<std::int64_t>(h.bins.size()), row.bins) << row.low << ".." << row.high;
        EXPECT_EQ(h.bins.front().lower, row.first);
        EXPECT_EQ(h.bins.front().count + h.bins.back().count, 2);
    }
    // Spans wider than 30,000 get 10 to 30 bins.
    for (std::int64_t span = 30000; span < 100000000000; span = span * 13 / 10)
        for (const std::int64_t low : {-span / 3, std::int64_t{0}, -span - 777}) {
            const std::int64_t w = bin_width(low, low + span);
            const auto floor_div = [w](std::int64_t v) { return v / w - (v % w < 0 ? 1 : 0); };
            const std::int64_t bins = floor_div(low + span) - floor_div(low) + 1;
            EXPECT_GE(bins, 10) << low << " " << span;
            EXPECT_LE(bins, 30) << low << " " << span;
        }
    EXPECT_LE(static_cast<int>(balance_histogram(by_balance({kMin + 20000, kMax - 20000})).bins.size()), 30);

    const Histogram h = balance_histogram(by_balance({-1000, -1, 0, 999, 1000, 2500}));
    std::vector<int> counts;
    for (const Bin& b : h.bins) counts.push_back(b.count);
    EXPECT_EQ(counts, (std::vector<int>{2, 2, 1, 1}));  // [-1000,0) [0,1000) [1000,2000) [2000,3000)
    EXPECT_TRUE(balance_histogram({}).bins.empty());
}

TEST(AnalysisText, PayoutRateAndYen) {
    const struct {
        std::int64_t investment, payout;
        const char* text;
    } rates[] = {
        {84000, 97000, "115.5"}, {2000, 2001, "100.1"},  // 100.05: a double reads 100.0499...
        {2000, 59, "3.0"},       {2000, 11, "0.6"},  {3, 2, "66.7"}, {1000, 0, "0.0"},
        {-2000, 1, "-0.1"},  // -0.05, away from zero
    };
    for (const auto& r : rates) EXPECT_EQ(payout_rate_text(r.investment, r.payout), r.text) << r.text;
    EXPECT_FALSE(payout_rate_text(0, 500));

    const struct {
        std::int64_t yen;
        const char* text;
    } yens[] = {{0, "0"},           {999, "999"},           {1000, "1,000"},   {-12345, "-12,345"},
                {1234567, "1,234,567"}, {-100000, "-100,000"}, {kMax, "9,223,372,036,854,775,807"},
                {kMin, "-9,223,372,036,854,775,808"}};
    for (const auto& y : yens) EXPECT_EQ(yen_text(y.yen), y.text);
}
