// The win/loss/draw text of every summary table.
#include <gtest/gtest.h>

#include <limits>

#include "framework/cp932.h"
#include "views/win_rate.h"

namespace velmo {
namespace {

QString rate(int w, int l, int d) { return from_cp932(format_win_rate(w, l, d)); }

TEST(WinRate, AllForms) {
    EXPECT_EQ(rate(3, 2, 0), QString::fromUtf8("3勝2敗 60％"));
    EXPECT_EQ(rate(3, 2, 1), QString::fromUtf8("3勝2敗1分 60％"));
    EXPECT_EQ(rate(0, 4, 0), QString::fromUtf8("0勝4敗 0％"));
    EXPECT_EQ(rate(0, 0, 2), QString::fromUtf8("0勝0敗2分 0％"));
    EXPECT_EQ(rate(0, 0, 0), QString::fromUtf8("0勝0敗"));
    EXPECT_EQ(rate(5, 0, 0), QString::fromUtf8("5勝0敗 100％"));
}

TEST(WinRate, TruncatesAndLeavesDrawsOutOfTheRate) {
    EXPECT_EQ(rate(2, 1, 0), QString::fromUtf8("2勝1敗 66％"));
    EXPECT_EQ(rate(1, 2, 7), QString::fromUtf8("1勝2敗7分 33％"));
    EXPECT_EQ(rate(12, 11, 0), QString::fromUtf8("12勝11敗 52％"));
}

TEST(WinRate, HugeCountsDoNotOverflow) {
    constexpr int kMax = std::numeric_limits<int>::max();
    EXPECT_EQ(rate(kMax, kMax, 0),
              QString::fromUtf8("2147483647勝2147483647敗 50％"));
}

}  // namespace
}  // namespace velmo
