// The summary tables of the main window, filled from the year list's cells.
#include <QCheckBox>
#include <QLabel>
#include <QStyle>

#include "framework/string_grid.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"

using namespace velmo::testing;

namespace {

class SummaryWindow : public AppFixture {
protected:
    // Appends a play record the way the grids hold it.
    void add(const char* date, const std::string& hall, int investment, int payout, const std::string& extra = {}) {
        append_record({date, hall, "M", investment, payout, "", extra, ""});
    }
    void with_extra_column() {
        TForm1& f = *form1;
        f.has_extra = 1;
        f.StringGrid1->set_col_count(7);
        f.extra_col = 6;
    }
    void refresh() { form1->refresh_after_change(); }
    const std::string& cell(velmo::StringGrid* g, int c, int r) { return g->cell(c, r); }
};

TEST_F(SummaryWindow, MonthlyTableFillsMonthsUpToTheLastRecordAndTheTotalRow) {
    TForm1& f = *form1;
    add(" 3/4", "A", 10000, 15000);
    add(" 3/4", "B", 4000, 2000);  // same date: one won day of +3000
    add(" 5/9", "A", 8000, 4000);
    refresh();
    velmo::StringGrid* g = f.StringGrid2;
    for (int m : {1, 2, 4}) {
        EXPECT_EQ(cell(g, 1, m), "0") << m;
        EXPECT_EQ(cell(g, 3, m), "0") << m;
        EXPECT_EQ(cell(g, 5, m), sj(u8"0勝0敗")) << m;
    }
    EXPECT_EQ(cell(g, 4, 2), "0");
    EXPECT_EQ(cell(g, 1, 3), "14000");
    EXPECT_EQ(cell(g, 2, 3), "17000");
    EXPECT_EQ(cell(g, 3, 3), "3000");
    EXPECT_EQ(cell(g, 5, 3), sj(u8"1勝0敗 100％"));
    EXPECT_EQ(cell(g, 4, 4), "3000");
    EXPECT_EQ(cell(g, 4, 5), "-1000");
    for (int m = 6; m <= 12; ++m) EXPECT_TRUE(cell(g, 1, m).empty()) << m;
    EXPECT_EQ(cell(g, 1, 13), "22000");
    EXPECT_EQ(cell(g, 2, 13), "21000");
    EXPECT_TRUE(cell(g, 3, 13).empty());
    EXPECT_EQ(cell(g, 4, 13), "-1000");
    // The year's rate over play days, written by the weekday pass after the monthly one.
    EXPECT_EQ(cell(g, 5, 13), sj(u8"1勝1敗 50％"));
    EXPECT_EQ(f.Label4->text(), u("月間平均　-200"));

    // The monthly pass alone clears the TOTAL rate; only the refresh order restores it.
    f.compute_monthly();
    EXPECT_TRUE(cell(g, 5, 13).empty());
    f.compute_weekday();
    EXPECT_EQ(cell(g, 5, 13), sj(u8"1勝1敗 50％"));

    // An empty ledger blanks the table and the average's figure.
    f.rec_count = 0;
    refresh();
    for (int r = 1; r <= 13; ++r)
        for (int c = 1; c <= 5; ++c) EXPECT_TRUE(cell(g, c, r).empty()) << c << "," << r;
    EXPECT_EQ(f.Label4->text(), u("月間平均"));
    EXPECT_EQ(cell(g, 0, 12), sj(u8"１２月"));
}

// No figure of a ledger shown before stays on the monthly, hall and machine tabs
// once the ledger is empty: by deleting its only record, or by opening an empty one.
TEST_F(SummaryWindow, AnEmptyLedgerLeavesNoAverageAndNoScales) {
    TForm1& f = *form1;
    auto machine_labels = [&f] {
        QStringList texts;
        for (int n : {6, 7, 8, 14}) texts << f.label(n)->text();
        return texts;
    };
    auto expect_cleared = [&](const char* how) {
        EXPECT_EQ(f.Label4->text(), u("月間平均")) << how;
        for (int n = 10; n <= 13; ++n) EXPECT_EQ(f.label(n)->text(), QString()) << how << " Label" << n;
        EXPECT_EQ(f.label(9)->text(), u("0")) << how;
        EXPECT_EQ(f.hall_scale, 0) << how;
        f.PageControl1->setCurrentWidget(f.TabSheet5);
        EXPECT_EQ(machine_labels(), QStringList(4, QString())) << how;
        EXPECT_EQ(f.label(5)->text(), u("0")) << how;
        EXPECT_EQ(f.machine_scale, 0) << how;
        f.PageControl1->setCurrentWidget(f.TabSheet1);
    };
    velmo::LedgerImage full;
    full.year = "2004";
    full.records.push_back({" 3/4", "", "A", "M", velmo::pack_machine_detail({{"M", "1000", "7000"}}),
                            velmo::pack_day_totals({"1000", "7000"}), "6000", "", 0});
    write_bytes(QStringLiteral("full.vqd"), velmo::encode_ledger(full));
    velmo::LedgerImage empty;
    empty.year = "2004";
    write_bytes(QStringLiteral("empty.vqd"), velmo::encode_ledger(empty));

    load(path(QStringLiteral("full.vqd")));
    f.PageControl1->setCurrentWidget(f.TabSheet5);
    ASSERT_EQ(f.label(14)->text(), u("±20000"));
    f.PageControl1->setCurrentWidget(f.TabSheet1);
    ASSERT_EQ(f.Label4->text(), u("月間平均　2000"));
    ASSERT_EQ(f.label(13)->text(), u("±20000"));
    f.StringGrid1->set_row(1);
    dialogs.answers = {true};
    f.InComeDelete1Click();
    ASSERT_EQ(f.rec_count, 0);
    expect_cleared("after deleting the only record");

    load(path(QStringLiteral("full.vqd")));
    f.PageControl1->setCurrentWidget(f.TabSheet5);
    f.PageControl1->setCurrentWidget(f.TabSheet1);
    ASSERT_EQ(f.label(13)->text(), u("±20000"));
    f.dirty = 0;
    load(path(QStringLiteral("empty.vqd")));
    expect_cleared("after opening an empty ledger");
}

TEST_F(SummaryWindow, HeadersOfTheSummaryGrids) {
    TForm1& f = *form1;
    const std::string expected[4] = {sj(u8"投資総額 "), sj(u8"換金総額 "), sj(u8"収　支 "), sj(u8"勝　率 ")};
    EXPECT_EQ(cell(f.StringGrid2, 4, 0), sj(u8"合　計 "));
    EXPECT_EQ(cell(f.StringGrid2, 5, 0), expected[3]);
    EXPECT_EQ(cell(f.StringGrid2, 0, 1), sj(u8"１月"));
    EXPECT_EQ(cell(f.StringGrid2, 0, 13), "TOTAL");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cell(f.StringGrid2, 1 + i, 0), expected[i]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(cell(f.StringGrid3, 1 + i, 0), expected[i]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(cell(f.StringGrid4, 2 + i, 0), expected[i]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(cell(f.StringGrid6, 2 + i, 0), expected[i]);
    EXPECT_EQ(cell(f.StringGrid3, 0, 1), sj(u8"日　曜"));
    EXPECT_EQ(cell(f.StringGrid3, 0, 7), sj(u8"土　曜"));
    EXPECT_EQ(cell(f.StringGrid4, 1, 0), sj(u8" ホール名"));
    EXPECT_EQ(cell(f.StringGrid4, 0, 0), sj(u8"収支順"));
    EXPECT_TRUE(cell(f.StringGrid2, 1, 1).empty());
}

TEST_F(SummaryWindow, WeekdayTableCountsPlayDays) {
    TForm1& f = *form1;
    f.year_text = "2024";
    add(" 1/7", "A", 1000, 4000);  // Sunday +3000
    add(" 1/7", "B", 2000, 1000);  // Sunday -1000
    add(" 1/9", "A", 5000, 5000);  // Tuesday, drawn
    refresh();
    velmo::StringGrid* g = f.StringGrid3;
    EXPECT_EQ(cell(g, 1, 1), "3000");
    EXPECT_EQ(cell(g, 2, 1), "5000");
    EXPECT_EQ(cell(g, 3, 1), "2000");
    EXPECT_EQ(cell(g, 4, 1), sj(u8"1勝0敗 100％"));
    EXPECT_EQ(cell(g, 1, 2), "0");  // Monday: no play
    EXPECT_TRUE(cell(g, 4, 2).empty());
    EXPECT_EQ(cell(g, 4, 3), sj(u8"0勝0敗1分 0％"));
    EXPECT_EQ(cell(g, 1, 8), "8000");
    EXPECT_EQ(cell(g, 3, 8), "2000");
    EXPECT_EQ(cell(g, 4, 8), sj(u8"1勝0敗1分 100％"));
    EXPECT_EQ(cell(f.StringGrid2, 5, 13), cell(g, 4, 8));
}

TEST_F(SummaryWindow, ExtraTableOnlyWithAnExtraColumn) {
    TForm1& f = *form1;
    add(" 1/7", "A", 1000, 4000);
    refresh();
    EXPECT_FALSE(f.StringGrid6->isVisibleTo(f.TabSheet3));
    EXPECT_TRUE(cell(f.StringGrid6, 1, 1).empty());

    f.rec_count = 0;
    with_extra_column();
    add(" 1/1", "A", 1000, 1000, "");  // no value: left out
    for (int i = 0; i < 25; ++i) add(" 1/2", "A", 1000, 1000 + 100 * (i + 1), "v" + std::to_string(i));
    add(" 1/3", "A", 0, 90000, "v3");  // after the 20th value: not read
    add(" 1/3", "A", 100, 100, "same");
    refresh();
    EXPECT_TRUE(f.StringGrid6->isVisibleTo(f.TabSheet3));
    velmo::StringGrid* g = f.StringGrid6;
    EXPECT_EQ(cell(g, 1, 1), "v19");
    EXPECT_EQ(cell(g, 2, 1), "1000");
    EXPECT_EQ(cell(g, 3, 1), "3000");
    EXPECT_EQ(cell(g, 4, 1), "2000");
    EXPECT_EQ(cell(g, 5, 1), sj(u8"1勝0敗 100％"));
    EXPECT_EQ(cell(g, 1, 10), "v10");
    for (int r = 1; r <= 10; ++r) EXPECT_NE(cell(g, 1, r), "v3");

    // Fewer values than ranks: the rest is blank.
    f.rec_count = 0;
    add(" 1/1", "A", 100, 50, "x");
    add(" 1/2", "A", 100, 150, "y");
    refresh();
    EXPECT_EQ(cell(g, 1, 1), "y");
    EXPECT_EQ(cell(g, 1, 2), "x");
    EXPECT_EQ(cell(g, 5, 2), sj(u8"0勝1敗 0％"));
    for (int r = 3; r <= 10; ++r) EXPECT_TRUE(cell(g, 1, r).empty()) << r;
}

TEST_F(SummaryWindow, HallTableRanksAndScales) {
    TForm1& f = *form1;
    add(" 1/1", sj(u8"北口"), 10000, 33000);   // +23000
    add(" 1/2", sj(u8"駅前"), 50000, 9000);    // -41000
    add(" 1/3", sj(u8"本店"), 1000, 1000);
    add(" 1/3", sj(u8"本店"), 1000, 2000);     // two rows on one day: 1 win 1 draw
    refresh();
    velmo::StringGrid* g = f.StringGrid4;
    EXPECT_EQ(g->row_count(), 17);
    EXPECT_EQ(g->col_width(5), 153);
    EXPECT_EQ(cell(g, 1, 1), sj(u8"北口"));
    EXPECT_EQ(cell(g, 1, 2), sj(u8"本店"));
    EXPECT_EQ(cell(g, 5, 2), sj(u8"1勝0敗1分 100％"));
    EXPECT_EQ(cell(g, 4, 3), "-41000");
    EXPECT_TRUE(cell(g, 4, 4).empty());
    EXPECT_EQ(f.hall_scale, 60000);
    EXPECT_EQ(f.label(9)->text(), u("0"));
    EXPECT_EQ(f.label(10)->text(), u("±15000"));
    EXPECT_EQ(f.label(11)->text(), u("±30000"));
    EXPECT_EQ(f.label(12)->text(), u("±45000"));
    EXPECT_EQ(f.label(13)->text(), u("±60000"));

    // All at zero: no scale.
    f.rec_count = 0;
    add(" 2/1", "A", 100, 100);
    refresh();
    EXPECT_EQ(f.hall_scale, 0);
    EXPECT_EQ(f.label(13)->text(), u("±0"));
    EXPECT_TRUE(cell(g, 1, 2).empty());
}

TEST_F(SummaryWindow, HundredHallsAtMostAndTheScrollBarNarrowsTheLastColumn) {
    TForm1& f = *form1;
    for (int i = 0; i < 101; ++i) add(" 4/1", "hall" + std::to_string(i), 100, 100 + i);
    refresh();
    velmo::StringGrid* g = f.StringGrid4;
    EXPECT_EQ(g->row_count(), 101);
    EXPECT_EQ(cell(g, 1, 1), "hall99");
    EXPECT_EQ(cell(g, 1, 100), "hall0");
    const int sb = f.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(g->col_width(5), 153 - sb);
    // Again: narrowed once, not once per pass.
    refresh();
    EXPECT_EQ(g->col_width(5), 153 - sb);
    f.rec_count = 3;
    refresh();
    EXPECT_EQ(g->row_count(), 17);
    EXPECT_EQ(g->col_width(5), 153);
}

TEST_F(SummaryWindow, GraphCheckBoxAndWheel) {
    TForm1& f = *form1;
    EXPECT_TRUE(f.CheckBox1->isChecked());
    f.CheckBox1->click();  // unchecks and runs the handler
    for (int n = 9; n <= 13; ++n) EXPECT_FALSE(f.label(n)->isVisibleTo(f.TabSheet4)) << n;
    f.CheckBox1->click();
    for (int n = 9; n <= 13; ++n) EXPECT_TRUE(f.label(n)->isVisibleTo(f.TabSheet4)) << n;

    for (int i = 0; i < 40; ++i) add(" 4/1", "hall" + std::to_string(i), 100, 100 + i);
    refresh();
    velmo::StringGrid* g = f.StringGrid4;
    g->set_row(1);
    bool handled = false;
    f.StringGrid4MouseWheelDown(handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(g->row(), g->top_row() + 15);
    EXPECT_EQ(f.wheel_dir, 1);
    g->set_row(5);
    f.StringGrid4MouseWheelDown(handled);  // same direction: the row stays for the grid's own step
    EXPECT_EQ(g->row(), 5);
    f.StringGrid4MouseWheelUp(handled);
    EXPECT_EQ(g->row(), g->top_row());
    EXPECT_EQ(f.wheel_dir, 2);
}

}  // namespace
