// The machine tab: sums per machine entry, ranking, the 200-machine bound, the
// scale and its labels, the computation when the tab is chosen, and its painter.
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

#include <string>
#include <string_view>
#include <vector>

#include "framework/string_grid.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"
#include "views/ledger_figures.h"
#include "views/machine_summary.h"

using namespace velmo::testing;

namespace {

struct Play {
    std::string name;
    int investment;
    int payout;
};

std::string detail(const std::vector<Play>& plays) {
    std::vector<velmo::MachineEntry> entries;
    for (const Play& p : plays) entries.push_back({p.name, std::to_string(p.investment), std::to_string(p.payout)});
    return velmo::pack_machine_detail(entries);
}

const velmo::Group* find(const std::vector<velmo::Group>& groups, const std::string& key) {
    for (const auto& g : groups)
        if (g.key == key) return &g;
    return nullptr;
}

std::vector<velmo::Group> collect(const std::vector<std::string>& packed, std::size_t limit = velmo::kMaxMachineRows) {
    velmo::NameNumbers names;
    std::vector<velmo::RowFigures> records(packed.size());
    for (std::size_t i = 0; i < packed.size(); ++i) velmo::read_machine_figures(packed[i], names, records[i]);
    return velmo::collect_machine_groups(records, names, limit);
}

TEST(MachineGroups, EachEntryCountsByItsOwnAmounts) {
    const std::string hokuto = sj(u8"北斗");
    std::vector<velmo::MachineEntry> empty_payout{{"J", "3000", ""}};
    const auto groups = collect({
        detail({{hokuto, 1000, 5000}, {"B", 2000, 1000}}),  // one record: a win and a loss
        detail({{"B", 500, 500}, {"B", 1000, 3000}}),        // the same machine twice: a draw and a win
        velmo::pack_machine_detail(empty_payout),              // empty payout: 0
    });
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].key, hokuto);  // order of first appearance
    EXPECT_EQ(groups[0].line.balance(), 4000);
    EXPECT_EQ(groups[0].line.counts.wins, 1);
    EXPECT_EQ(groups[0].line.counts.total(), 1);
    const velmo::Group& b = groups[1];
    EXPECT_EQ(b.line.investment, 3500);
    EXPECT_EQ(b.line.payout, 4500);
    EXPECT_EQ(b.line.counts.wins, 1);
    EXPECT_EQ(b.line.counts.losses, 1);
    EXPECT_EQ(b.line.counts.draws, 1);
    EXPECT_EQ(groups[2].line.payout, 0);
    EXPECT_EQ(groups[2].line.balance(), -3000);
    EXPECT_EQ(groups[2].line.counts.losses, 1);
}

TEST(MachineGroups, ReadingStopsAtTheEntryThatBringsTheLastMachine) {
    std::vector<std::string> rows;
    int next = 0;
    for (int r = 0; r < 22; ++r) {  // 198 distinct machines
        std::vector<Play> plays;
        for (int k = 0; k < 9; ++k) plays.push_back({"m" + std::to_string(next++), 1000, 2000});
        rows.push_back(detail(plays));
    }
    // The 200th machine arrives second in this record; the rest of it and the next record are not read.
    rows.push_back(detail({{"m198", 1000, 2000}, {"m199", 1000, 2000}, {"m0", 5000, 0}, {"late", 1, 1}}));
    rows.push_back(detail({{"m1", 5000, 0}}));
    const auto groups = collect(rows);
    ASSERT_EQ(groups.size(), 200u);
    EXPECT_EQ(groups.back().key, "m199");
    EXPECT_EQ(groups.back().line.counts.wins, 1);  // the entry that brought it is counted
    EXPECT_EQ(find(groups, "m0")->line.investment, 1000);
    EXPECT_EQ(find(groups, "m1")->line.investment, 1000);
    EXPECT_EQ(find(groups, "late"), nullptr);

    EXPECT_EQ(collect(rows, 3).size(), 3u);
    EXPECT_TRUE(collect(rows, 0).empty());
}

TEST(MachineGroups, DamagedValuesGiveWhatCanBeRead) {
    std::string full = detail({{"A", 1000, 3000}, {"B", 2000, 0}});
    std::string cut = full.substr(0, full.size() - 3);  // B's payout field is missing: B is not read
    std::string lying = full;
    lying[0] = static_cast<char>(200);  // more machines claimed than present
    const auto groups = collect({cut, lying, std::string(), std::string(1, '\0')});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].line.investment, 2000);
    EXPECT_EQ(groups[0].line.payout, 6000);
    EXPECT_EQ(groups[1].line.investment, 2000);
    EXPECT_EQ(groups[1].line.counts.total(), 1);
}

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

class MachineTab : public AppFixture {
protected:
    // Appends a play record the way the grids hold it.
    void add(const char* date, const std::vector<Play>& plays) {
        long long inv = 0, pay = 0;
        for (const Play& p : plays) {
            inv += p.investment;
            pay += p.payout;
        }
        append_record({date, "H", "M", inv, pay, detail(plays), "", ""});
    }
    // The user chooses a tab.
    void show_tab(QWidget* page) { form1->PageControl1->setCurrentWidget(page); }
    void show_machines() {
        show_tab(form1->TabSheet1);
        show_tab(form1->TabSheet5);
    }
    const std::string& cell(int c, int r) { return form1->StringGrid7->cell(c, r); }
    QRgb probe(const QImage& img, int c, int r, int dx = 2, int dy = 2) {
        const QRect rc = form1->StringGrid7->cell_rect(c, r);
        return img.pixel(rc.left() + dx, rc.top() + dy);
    }
};

TEST_F(MachineTab, HeadersAndControlsAtStart) {
    TForm1& f = *form1;
    const char8_t* headers[6] = {u8"収支順", u8" プレイ機種", u8"投資総額 ", u8"換金総額 ", u8"収　支 ", u8"勝　率 "};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(cell(c, 0), sj(headers[c])) << c;
    EXPECT_EQ(f.StringGrid7->row_count(), 17);
    EXPECT_EQ(f.StringGrid7->col_width(2), 90);
    EXPECT_TRUE(f.CheckBox2->isChecked());
    EXPECT_EQ(f.CheckBox2->text(), u("グラフ表示"));
    EXPECT_EQ(f.label(5)->text(), u("0"));
}

TEST_F(MachineTab, ComputedWhenChosenAndOnlyWhenStale) {
    TForm1& f = *form1;
    add(" 1/5", {{"A", 1000, 5000}, {"B", 2000, 1000}});
    f.refresh_after_change();
    EXPECT_EQ(f.machine_summary_ok, 0);
    EXPECT_TRUE(cell(1, 1).empty());  // not part of the refresh sequence

    f.wheel_dir = 1;
    show_machines();
    EXPECT_EQ(f.wheel_dir, 0);
    EXPECT_EQ(f.machine_summary_ok, 1);
    EXPECT_EQ(cell(1, 1), "A");
    EXPECT_EQ(cell(2, 1), "1000");
    EXPECT_EQ(cell(3, 1), "5000");
    EXPECT_EQ(cell(4, 1), "4000");
    EXPECT_EQ(cell(5, 1), sj(u8"1勝0敗 100％"));
    EXPECT_EQ(cell(1, 2), "B");
    EXPECT_EQ(cell(5, 2), sj(u8"0勝1敗 0％"));
    EXPECT_TRUE(cell(1, 3).empty());

    // The cells change behind the table's back: choosing the tab again keeps the table.
    f.StringGrid5->set_cell(0, 1, detail({{"Z", 1, 2}}));
    show_machines();
    EXPECT_EQ(cell(1, 1), "A");
    // A change of the ledger marks it stale; the next visit computes it.
    show_tab(f.TabSheet1);
    add(" 1/6", {{"C", 0, 90000}});
    f.refresh_after_change();
    EXPECT_EQ(f.machine_summary_ok, 0);
    EXPECT_EQ(cell(1, 1), "A");
    show_tab(f.TabSheet5);
    EXPECT_EQ(cell(1, 1), "C");
    EXPECT_EQ(cell(1, 2), "Z");
    EXPECT_TRUE(cell(1, 3).empty());  // rows past the machines are blanked

    // Other tabs leave it alone.
    f.machine_summary_ok = 0;
    show_tab(f.TabSheet4);
    EXPECT_EQ(f.machine_summary_ok, 0);
}

TEST_F(MachineTab, ChangingTheLedgerWhileTheTabIsShownUpdatesIt) {
    TForm1& f = *form1;
    add(" 1/5", {{"A", 1000, 5000}});
    show_machines();
    add(" 1/6", {{"B", 0, 9000}});
    f.refresh_after_change();
    EXPECT_EQ(f.machine_summary_ok, 1);
    EXPECT_EQ(cell(1, 1), "B");
    EXPECT_EQ(cell(1, 2), "A");
}

TEST_F(MachineTab, EqualBalancesListTheLaterMachineFirst) {
    add(" 1/5", {{"P", 1000, 3000}, {"Q", 1000, 1000}});
    add(" 1/6", {{"R", 1000, 3000}, {"S", 1000, 1000}});
    show_machines();
    EXPECT_EQ(cell(1, 1), "R");
    EXPECT_EQ(cell(1, 2), "P");
    EXPECT_EQ(cell(1, 3), "S");
    EXPECT_EQ(cell(1, 4), "Q");
}

TEST_F(MachineTab, ScaleAndItsLabels) {
    TForm1& f = *form1;
    add(" 1/5", {{"A", 10000, 33000}, {"B", 50000, 9000}});  // +23000 and -41000
    show_machines();
    EXPECT_EQ(f.machine_scale, 60000);
    EXPECT_EQ(f.label(5)->text(), u("0"));
    EXPECT_EQ(f.label(6)->text(), u("±15000"));
    EXPECT_EQ(f.label(7)->text(), u("±30000"));
    EXPECT_EQ(f.label(8)->text(), u("±45000"));
    EXPECT_EQ(f.label(14)->text(), u("±60000"));
    EXPECT_EQ(f.label(10)->text(), QString());  // the hall tab's labels are not touched

    // Exactly 20000: one step.
    f.rec_count = 0;
    add(" 2/1", {{"A", 0, 20000}});
    f.refresh_after_change();
    EXPECT_EQ(f.machine_scale, 20000);
    EXPECT_EQ(f.label(6)->text(), u("±5000"));

    // Everything even: no scale.
    f.rec_count = 0;
    add(" 2/1", {{"A", 100, 100}});
    f.refresh_after_change();
    EXPECT_EQ(f.machine_scale, 0);
    EXPECT_EQ(f.label(14)->text(), u("±0"));
}

TEST_F(MachineTab, ManyMachinesScrollAndTheBoundHolds) {
    TForm1& f = *form1;
    int next = 0;
    for (int r = 0; r < 25; ++r) {  // 225 entries, all different machines
        std::vector<Play> plays;
        for (int k = 0; k < 9; ++k, ++next) plays.push_back({"m" + std::to_string(next), 1000, 1000 + next});
        add(" 3/1", plays);
    }
    show_machines();
    velmo::StringGrid* g = f.StringGrid7;
    EXPECT_EQ(g->row_count(), 201);
    EXPECT_EQ(cell(1, 1), "m199");
    EXPECT_EQ(cell(1, 200), "m0");
    const int sb = f.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(g->col_width(5), 153 - sb);
    f.refresh_after_change();  // recomputed while shown: narrowed once only
    EXPECT_EQ(g->col_width(5), 153 - sb);

    // Wheel: the first step down goes to the last visible row, the first up to the top row.
    g->set_row(1);
    bool handled = false;
    f.StringGrid7MouseWheelDown(handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(g->row(), g->top_row() + 15);
    EXPECT_EQ(f.wheel_dir, 1);
    g->set_row(7);
    f.StringGrid7MouseWheelDown(handled);
    EXPECT_EQ(g->row(), 7);
    f.StringGrid7MouseWheelUp(handled);
    EXPECT_EQ(g->row(), g->top_row());
    EXPECT_EQ(f.wheel_dir, 2);

    f.rec_count = 1;
    f.refresh_after_change();
    EXPECT_EQ(g->row_count(), 17);
    EXPECT_EQ(g->col_width(5), 153);
    EXPECT_EQ(cell(1, 9), "m0");  // first record's nine machines, best first
    EXPECT_TRUE(cell(1, 10).empty());
}

TEST_F(MachineTab, CheckBoxSwitchesLabelsAndBars) {
    TForm1& f = *form1;
    add(" 1/5", {{"A", 10000, 30000}, {"B", 9000, 2000}});  // +20000 and -7000
    show_machines();
    ASSERT_EQ(f.machine_scale, 20000);
    f.CheckBox2->click();
    ASSERT_FALSE(f.CheckBox2->isChecked());
    for (int n : {5, 6, 7, 8, 14}) EXPECT_FALSE(f.label(n)->isVisibleTo(f.TabSheet5)) << n;
    EXPECT_TRUE(f.label(9)->isVisibleTo(f.TabSheet4));  // the hall tab keeps its own
    const QImage off = f.StringGrid7->render_image();
    EXPECT_EQ(probe(off, 4, 1), rgb(174, 210, 255));  // balance column in the strong colours
    EXPECT_EQ(probe(off, 4, 2), rgb(255, 186, 206));
    EXPECT_EQ(probe(off, 2, 1, 4, 2), rgb(224, 240, 255));  // no bar
    f.CheckBox2->click();
    for (int n : {5, 6, 7, 8, 14}) EXPECT_TRUE(f.label(n)->isVisibleTo(f.TabSheet5)) << n;
    const QImage on = f.StringGrid7->render_image();
    EXPECT_EQ(probe(on, 4, 1, 2, 8), rgb(174, 210, 255));  // the bar's light fill
    EXPECT_EQ(probe(on, 4, 1, 2, 1), rgb(224, 240, 255));  // above the bar: the win background
}

TEST_F(MachineTab, BarPiecesAndEmptyRows) {
    TForm1& f = *form1;
    add(" 1/5", {{"A", 10000, 30000}, {"B", 9000, 2000}, {"C", 500, 500}});
    show_machines();
    velmo::StringGrid* g = f.StringGrid7;
    ASSERT_EQ(cell(1, 3), "B");
    const QImage img = g->render_image();
    // Row 3: the -7000 bar is 4 x 90 x 7000 / 20000 = 126 pixels: through column 2, ending 36 pixels into column 3.
    const QRect c3 = g->cell_rect(3, 3);
    const int end = c3.left() + 36, t = c3.top();
    EXPECT_EQ(img.pixel(end - 1, t + 8), rgb(255, 0, 0));
    EXPECT_EQ(img.pixel(end - 1, t + 2), rgb(255, 186, 206));  // rounded corner
    EXPECT_EQ(img.pixel(end - 2, t + 8), rgb(255, 144, 206));
    EXPECT_EQ(img.pixel(end - 3, t + 8), rgb(255, 186, 206));
    EXPECT_EQ(img.pixel(end, t + 8), rgb(255, 226, 236));
    const QRect c2 = g->cell_rect(2, 3);
    EXPECT_EQ(img.pixel(c2.left() + 4, c2.top() + 2), rgb(255, 0, 0));
    EXPECT_EQ(img.pixel(c2.left() + 4, c2.top() + 3), rgb(255, 144, 206));
    // Row 2: even, neutral and without a bar.
    EXPECT_EQ(probe(img, 2, 2), rgb(255, 252, 249));
    EXPECT_EQ(probe(img, 5, 2), rgb(255, 252, 249));
    // Row 4 has no machine: white cells, the rank column shaded.
    EXPECT_EQ(probe(img, 3, 4), rgb(255, 255, 255));
    EXPECT_NE(probe(img, 0, 4), rgb(255, 255, 255));
}

TEST_F(MachineTab, AFullFirstPageTakesTheFocusButNotFromAControlInUse) {
    TForm1& f = *form1;
    for (int i = 0; i < 16; ++i) add(" 1/5", {{"m" + std::to_string(i), 100, 100 + i}});
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

    // No control has the focus: the full grid takes it when it paints.
    show_machines();
    if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
    ASSERT_FALSE(f.StringGrid7->hasFocus());
    f.StringGrid7->repaint();
    EXPECT_TRUE(f.StringGrid7->hasFocus());

    // A click on "グラフ表示" toggles it even when the grid paints between press and release,
    // and the check box keeps the focus for the space bar.
    QTest::mousePress(f.CheckBox2, Qt::LeftButton, {}, QPoint(5, 9));
    f.StringGrid7->repaint();
    QTest::mouseRelease(f.CheckBox2, Qt::LeftButton, {}, QPoint(5, 9));
    EXPECT_FALSE(f.CheckBox2->isChecked());
    f.StringGrid7->repaint();
    EXPECT_TRUE(f.CheckBox2->hasFocus());
    QTest::keyClick(f.CheckBox2, Qt::Key_Space);
    f.StringGrid7->repaint();
    EXPECT_TRUE(f.CheckBox2->isChecked());
    EXPECT_TRUE(f.CheckBox2->hasFocus());

    // The height buttons take every click; each one makes the grid paint anew.
    const int before = f.vsize_level;
    for (int i = 0; i < 2; ++i) {
        QTest::mousePress(f.Button6, Qt::LeftButton, {}, QPoint(13, 9));
        f.StringGrid7->repaint();
        QTest::mouseRelease(f.Button6, Qt::LeftButton, {}, QPoint(13, 9));
        f.StringGrid7->repaint();
    }
    EXPECT_EQ(f.vsize_level, before + 2);
    EXPECT_TRUE(f.Button6->hasFocus());

    // Fifteen machines: no full page, the grid never takes the focus.
    f.rec_count = 15;
    f.refresh_after_change();
    show_machines();
    if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
    f.StringGrid7->repaint();
    EXPECT_FALSE(f.StringGrid7->hasFocus());
}

}  // namespace
