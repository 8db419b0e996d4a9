// Arithmetic of the year chart and of the monthly graph window.
#include <gtest/gtest.h>

#include "framework/cp932.h"
#include "month/month_graph_calc.h"
#include "views/graph_calc.h"

namespace g = velmo::graph;
namespace mg = velmo::month_graph;

TEST(YearChartGeometry, GridLinesAndPositionsFollowTheSteps) {
    // v = 0: a line every 12 pixels from 17 while above 323; the lowest is 317.
    const std::vector<int> lines = g::grid_lines(0);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines.front(), 17);
    EXPECT_EQ(lines.back(), 317);
    // v = 15: step 17*15/26 + 12 = 21, lines below 17*15 + 323 = 578.
    EXPECT_EQ(g::grid_step(15), 21);
    EXPECT_EQ(g::grid_lines(15).back(), 5 + 27 * 21);

    EXPECT_EQ(g::separator_x(0, 1), 97);
    EXPECT_EQ(g::separator_x(3, 11), 3 * 12 + 495 + 52);
    EXPECT_EQ(g::bar_left(0, 0), 59);
    EXPECT_EQ(g::bar_left(4, 2), 4 * 3 + 90 + 2 + 59);

    // f = 44/31 in single precision: 10 * 1.419... = 14, 31 * f = 44 stays inside the slot.
    EXPECT_EQ(g::date_x(0, 1, 10), 67);
    EXPECT_EQ(g::date_x(0, 1, 31), 97);
    EXPECT_EQ(g::date_x(0, 2, 1), 99);
    // With h = 2 the slot is 47 wide: f = 46/31.
    EXPECT_EQ(g::date_x(2, 3, 15), 2 * 47 + 55 + 22);
}

TEST(YearChartGeometry, ClickedMonthIsBoundedToTheYear) {
    EXPECT_EQ(g::clicked_month(0, 0), 1);
    EXPECT_EQ(g::clicked_month(0, 52), 1);
    EXPECT_EQ(g::clicked_month(0, 60), 1);
    EXPECT_EQ(g::clicked_month(0, 97), 2);
    EXPECT_EQ(g::clicked_month(0, 591), 12);
    EXPECT_EQ(g::clicked_month(0, 640), 12);  // the right-hand labels
    EXPECT_EQ(g::clicked_month(10, 62), 1);
    EXPECT_EQ(g::clicked_month(10, 7 + 55 * 5), 5);
}

TEST(YearChartScale, StepsOfFiveThousandWidenForLargeRanges) {
    // +12000 and -7000: three steps up, two down, 5000 a step.
    g::YearScale s = g::monthly_scale(12000, -7000);
    EXPECT_EQ(s.unit, 5000);
    EXPECT_EQ(s.up, 3);
    EXPECT_EQ(s.down, 2);
    // Nothing but losses, nothing but wins, nothing at all.
    s = g::monthly_scale(0, -4999);
    EXPECT_EQ(s.up, 0);
    EXPECT_EQ(s.down, 1);
    s = g::monthly_scale(0, 0);
    EXPECT_EQ(s.unit, 5000);
    EXPECT_EQ(s.up + s.down, 0);
    // 100000 up, 50000 down: a = 11, b = 21, w = 2 -> 15000 a step.
    s = g::monthly_scale(100000, -50000);
    EXPECT_EQ(s.unit, 15000);
    EXPECT_EQ(s.up, 7);
    EXPECT_EQ(s.down, 4);
    // The running total fits 16 steps before widening: 32 steps give w = 2.
    s = g::total_scale(155000, 0);
    EXPECT_EQ(s.unit, 15000);
    EXPECT_EQ(s.up, 11);
    EXPECT_EQ(g::total_scale(74999, 0).unit, 5000);
    EXPECT_EQ(g::total_scale(75000, 0).unit, 10000);
}

TEST(YearChartScale, BarStepsAndLineSteps) {
    // 5000 yen in 12 pixels: 416 yen a pixel.
    EXPECT_EQ(g::bar_steps(12000, 5000, 12), 29);  // 28 pixels and one empty step
    EXPECT_EQ(g::bar_steps(0, 5000, 12), 1);
    EXPECT_EQ(g::bar_steps(-7000, 5000, 12), -16);
    EXPECT_EQ(g::bar_steps(-100, 5000, 12), 1);  // under a pixel: a label and no bar, like 0
    EXPECT_EQ(g::total_pixels(-7000, 5000, 12), -16);
    // Halves round away from zero.
    EXPECT_EQ(g::line_step_y(10, 1, 1, 2), 11);
    EXPECT_EQ(g::line_step_y(10, 1, -1, 2), 9);
    EXPECT_EQ(g::line_step_y(10, 1, 1, 3), 10);
    EXPECT_EQ(g::line_step_y(10, 15, -28, 15), -18);
    EXPECT_EQ(g::line_step_y(10, 0, 5, 0), 15);  // an empty segment cannot divide by zero
}

TEST(YearChartScale, CalloutBoxFlipsLeftNearTheRightEdge) {
    g::Callout c = g::callout_box(0, 100, 50, 60, 9);
    EXPECT_EQ(c.box, QRect(QPoint(100, 35), QPoint(162, 46)));
    EXPECT_EQ(c.text_x, 102);
    EXPECT_EQ(c.text_y, 36);
    c = g::callout_box(0, 540, 50, 60, 9);  // 540 + 60 > 589
    EXPECT_EQ(c.box, QRect(QPoint(477, 35), QPoint(539, 46)));
    EXPECT_EQ(c.text_x, 479);
}

TEST(YearChartData, OnePointPerDateAndThePeakOnlyOnTheLastRowOfItsDate) {
    std::vector<g::LedgerPoint> rows = {{" 1/5", 3000}, {" 1/5", 1000}, {" 2/9", 5000}, {"12/31", 2000}};
    // Peak on row 1, the first of two rows of 5 January: no callout anywhere.
    std::vector<g::TotalPoint> pts = g::total_points(0, rows, 1);
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].row, 2);
    EXPECT_EQ(pts[0].total, 1000);
    EXPECT_EQ(pts[0].x, g::date_x(0, 1, 5));
    for (const auto& p : pts) EXPECT_FALSE(p.peak);
    pts = g::total_points(0, rows, 3);
    EXPECT_TRUE(pts[1].peak);
    EXPECT_EQ(pts[2].x, g::date_x(0, 12, 31));
}

TEST(MonthGraph, PlayDaysSumRowsOfOneDateInTheChosenMonth) {
    std::vector<mg::Row> rows = {{" 2/28", 500}, {" 3/1", 1000}, {" 3/1", -3000}, {" 3/7", 4000}, {" 4/1", 1}};
    const std::vector<mg::PlayDay> days = mg::play_days(rows, 3);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].first_row, 2);
    EXPECT_EQ(days[0].last_row, 3);
    EXPECT_EQ(days[0].day, 1);
    EXPECT_EQ(days[0].balance, -2000);
    EXPECT_EQ(days[1].first_row, 4);
    EXPECT_EQ(days[1].balance, 4000);
    EXPECT_TRUE(mg::play_days(rows, 5).empty());
}

TEST(MonthGraph, ScanFindsExtremesAndTheEarliestPeak) {
    // -2000, +4000 (running 2000), -1000 (1000), +1000 (2000 again: the earlier day keeps the peak).
    std::vector<mg::PlayDay> days = {{1, 1, 1, -2000}, {2, 3, 5, 4000}, {4, 4, 6, -1000}, {5, 5, 9, 1000}};
    mg::Extremes e = mg::scan(days);
    EXPECT_EQ(e.top, 4000);
    EXPECT_EQ(e.bottom, -2000);
    EXPECT_EQ(e.peak_row, 3);
    // A running balance that never rises above 0 has no peak.
    e = mg::scan({{1, 1, 1, -500}, {2, 2, 2, 300}});
    EXPECT_EQ(e.peak_row, 0);
    EXPECT_EQ(e.top, 300);
    EXPECT_EQ(e.bottom, -500);
}

TEST(MonthGraph, ScaleRoundsUpToStepsOfTwoThousand) {
    mg::Scale s = mg::scale(1999, 0);
    EXPECT_EQ(s.up, 1);
    EXPECT_EQ(s.down, 0);
    EXPECT_EQ(s.step, 2000);
    EXPECT_EQ(s.y0, 23);
    s = mg::scale(2000, 0);
    EXPECT_EQ(s.up, 1);
    EXPECT_EQ(s.down, 0);
    s = mg::scale(2001, -1);
    EXPECT_EQ(s.up, 2);
    EXPECT_EQ(s.down, 1);
    s = mg::scale(60000, -40000);
    EXPECT_EQ(s.step, 6000);
    EXPECT_EQ(s.up, 10);
    EXPECT_EQ(s.down, 7);
    EXPECT_EQ(s.y0, 113);
    EXPECT_EQ(s.yen_per_pixel(), 600);
    // 31 and 34 steps become 11 and 12 of 6000 yen: 23 would not fit, one below zero is dropped.
    s = mg::scale(62000, -68000);
    EXPECT_EQ(s.step, 6000);
    EXPECT_EQ(s.up, 11);
    EXPECT_EQ(s.y0, 123);
    EXPECT_EQ(s.down, 11);
    s = mg::scale(0, 0);
    EXPECT_EQ(s.up + s.down, 0);
    EXPECT_EQ(s.y0, 13);
}

TEST(MonthGraph, HintDayCaptionAndHintText) {
    EXPECT_EQ(mg::hint_day(44), 0);
    EXPECT_EQ(mg::hint_day(45), 1);
    EXPECT_EQ(mg::hint_day(54), 1);
    EXPECT_EQ(mg::hint_day(55), 2);
    EXPECT_EQ(mg::hint_day(354), 31);
    EXPECT_EQ(mg::hint_day(355), 0);
    EXPECT_EQ(mg::caption(3, "10000", "12000"), QString::fromUtf8("月間収支グラフ   3月TOTAL +12000"));
    EXPECT_EQ(mg::caption(11, "10000", "-500"), QString::fromUtf8("月間収支グラフ   11月TOTAL -500"));
    EXPECT_EQ(mg::caption(4, "10000", "0"), QString::fromUtf8("月間収支グラフ   4月TOTAL 0"));
    EXPECT_EQ(mg::caption(5, "", ""), QString::fromUtf8("月間収支グラフ   5月TOTAL 0"));
    EXPECT_EQ(mg::day_hint(" 3/7", 4000), QStringLiteral(" 3/7 +4000"));
    EXPECT_EQ(mg::day_hint("10/12", -300), QStringLiteral("10/12 -300"));
    EXPECT_EQ(mg::day_hint("10/12", 0), QStringLiteral("10/12 0"));
}
