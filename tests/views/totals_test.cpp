// The totals pass: running totals, result classes, highs and lows, extremes, caption.
#include <gtest/gtest.h>

#include <limits>

#include "framework/cp932.h"
#include "views/totals.h"

namespace velmo {
namespace {

using Marks = std::vector<std::int8_t>;

TEST(Totals, LosingStartKeepsPeakAtZeroAndMarksTheLow) {
    const Totals t = compute_totals({-3000, 1000});
    EXPECT_EQ(t.running, (std::vector<int>{-3000, -2000}));
    EXPECT_EQ(t.marks, (Marks{-2, 1}));
    EXPECT_EQ(t.peak_total, 0);
    EXPECT_EQ(t.trough_total, -3000);
    EXPECT_EQ(t.year_total, -2000);
    EXPECT_EQ(t.best_balance, 1000);
    EXPECT_EQ(t.worst_balance, -3000);
    EXPECT_EQ(from_cp932(total_caption(t.year_total)), QString::fromUtf8("ＴＯＴＡＬ -2000"));
}

TEST(Totals, ZeroBalanceNeverMakesAHighOrLow) {
    // A zero right after a new high or low repeats the total; it is neither.
    const Totals t = compute_totals({1000, 0, -3000, 0, 0});
    EXPECT_EQ(t.running, (std::vector<int>{1000, 1000, -2000, -2000, -2000}));
    EXPECT_EQ(t.marks, (Marks{2, 0, -2, 0, 0}));
    // A run of zeros from the start stays at 0 with no high or low.
    const Totals zeros = compute_totals({0, 0});
    EXPECT_EQ(zeros.marks, (Marks{0, 0}));
    EXPECT_EQ(zeros.peak_total, 0);
    EXPECT_EQ(zeros.trough_total, 0);
}

TEST(Totals, HighsAreStrictAndExtremesKeepTheirSign) {
    // Back to the previous peak is not a new high; the tie for the best win is kept.
    const Totals t = compute_totals({5000, -5000, 5000, 5000, -200});
    EXPECT_EQ(t.running, (std::vector<int>{5000, 0, 5000, 10000, 9800}));
    EXPECT_EQ(t.marks, (Marks{2, -1, 1, 2, -1}));
    EXPECT_EQ(t.best_balance, 5000);
    EXPECT_EQ(t.worst_balance, -5000);
    EXPECT_EQ(t.peak_total, 10000);
    EXPECT_EQ(t.trough_total, 0);

    const Totals losses = compute_totals({-100, -50});
    EXPECT_EQ(losses.best_balance, 0);
    EXPECT_EQ(losses.marks, (Marks{-2, -2}));
    const Totals wins = compute_totals({100, 50});
    EXPECT_EQ(wins.worst_balance, 0);
    EXPECT_EQ(wins.trough_total, 0);
}

TEST(Totals, EmptyLedgerAndRunningTotalAtTheIntegerLimits) {
    const Totals empty = compute_totals({});
    EXPECT_TRUE(empty.running.empty());
    EXPECT_EQ(from_cp932(total_caption(empty.year_total)), QString::fromUtf8("ＴＯＴＡＬ ±0"));

    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const Totals high = compute_totals({kMax, 5, -10});
    EXPECT_EQ(high.running, (std::vector<int>{kMax, kMax, kMax - 10}));
    const Totals low = compute_totals({kMin, -1});
    EXPECT_EQ(low.running, (std::vector<int>{kMin, kMin}));
}

TEST(Totals, CaptionSigns) {
    EXPECT_EQ(from_cp932(total_caption(12000)), QString::fromUtf8("ＴＯＴＡＬ ＋12000"));
    EXPECT_EQ(from_cp932(total_caption(-3500)), QString::fromUtf8("ＴＯＴＡＬ -3500"));
    EXPECT_EQ(from_cp932(total_caption(0)), QString::fromUtf8("ＴＯＴＡＬ ±0"));
}

TEST(Totals, BalanceCellsAreReadStrictly) {
    EXPECT_EQ(parse_balance("12000"), 12000);
    EXPECT_EQ(parse_balance("-3500"), -3500);
    EXPECT_EQ(parse_balance("0"), 0);
    for (const char* bad : {"", "-", "+5", " 5", "5 ", "1a", "--1", "2147483648", "-2147483649"})
        EXPECT_EQ(parse_balance(bad), std::nullopt) << bad;
    EXPECT_EQ(parse_balance("-2147483648"), std::numeric_limits<int>::min());
}

}  // namespace
}  // namespace velmo
