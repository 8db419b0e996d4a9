// The 収支分析 window over a year with play data (tests/analysis/play_ledger.h,
// figures worked by hand): the overview's play lines, the tables' hours and
// 時給, and the 貯玉 page following a correction and a deletion.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysis_window.h"
#include "bench/ledger_gen.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "tests/analysis/play_ledger.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using analysis::AnalysisWindow;

class AnalysisPlayWindowTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->graph_animate = false;
        registry_to_windows(hand_play_registry());
        write_bytes(QStringLiteral("vq2024.vqd"), encode_ledger(hand_play_ledger()));
        load(path(QStringLiteral("vq2024.vqd")));
    }

    AnalysisWindow* open_window() {
        form1->N1->actions().back()->trigger();
        return form1->findChild<AnalysisWindow*>();
    }

    static QStringList rows_of(const QTableWidget* table) {
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c) cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    static bool stores_shown(const AnalysisWindow* w) { return w->pages->isTabVisible(w->pages->indexOf(w->stores_page)); }
    static void pick(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        Q_EMIT box->activated(i);
    }
};

TEST_F(AnalysisPlayWindowTest, OverviewAndTablesShowHoursAndHourlyPay) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    const struct {
        const char* name;
        const char* shown;
    } overview[] = {{"稼働時間", "7.5時間"}, {"時給", "286"}, {"交換差損", "3,214"}, {"持ち玉比率", "13.3%"}};
    for (const auto& row : overview) EXPECT_EQ(w->overview_text(u(row.name)), u(row.shown)) << row.name;

    // By hall: A's untimed visit of 4/10 counts in its sums, not in its hours.
    const QTableWidget* halls = w->tables[static_cast<std::size_t>(analysis::TableKey::Hall)];
    ASSERT_EQ(halls->columnCount(), 10);
    EXPECT_EQ(halls->horizontalHeaderItem(8)->text(), u("時間"));
    EXPECT_EQ(halls->horizontalHeaderItem(9)->text(), u("時給"));
    EXPECT_EQ(rows_of(halls), (QStringList{u("A|少|2|18,571|8,929|-9,642|48.1%|-4,821|4.5|-1,032"),
                                           u("B|少|2|23,000|26,786|3,786|116.5%|1,893|3.0|2,262")}));
    // By month: April's visit has no time.
    const QTableWidget* months = w->tables[static_cast<std::size_t>(analysis::TableKey::Month)];
    EXPECT_EQ(months->item(1, 8)->text(), u("—"));
    EXPECT_EQ(months->item(1, 9)->text(), u("—"));
    // The copy keeps hours as shown and 時給 as a plain number.
    const QStringList tsv = static_cast<const analysis::FiguresTable*>(halls)->tsv().split(QStringLiteral("\r\n"));
    EXPECT_TRUE(tsv[1].endsWith(u("\t4.5\t-1032"))) << tsv[1].toStdString();

    // A slice without play data looks as before.
    pick(w->first_month_box, u("4月"));
    pick(w->last_month_box, u("4月"));
    EXPECT_EQ(halls->columnCount(), 8);
    int play_captions = 0;
    for (const auto& row : overview) {
        for (const QLabel* l : w->findChildren<QLabel*>()) {
            if (l->text() != u(row.name)) continue;
            ++play_captions;
            EXPECT_FALSE(l->isVisible()) << row.name;
        }
    }
    EXPECT_EQ(play_captions, 4);
}

TEST_F(AnalysisPlayWindowTest, StoresFollowACorrectionAndADeletion) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(stores_shown(w));
    w->pages->setCurrentWidget(w->stores_page);
    // The registry lists B before A; C, which it does not list, comes last, without a rate or a visit.
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("B|スロット|20円|1,000枚|17,857"), u("A|パチンコ|0.5円|2,000玉|7,143"),
                                                    u("A|パチンコ|4円|2,500玉|8,929"), u("C|パチンコ|4円|300玉|—")}));
    // A month before any visit: the starting balances.
    pick(w->last_month_box, u("2月"));
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("A|パチンコ|0.5円|2,000玉|7,143"), u("A|パチンコ|4円|1,000玉|3,571"),
                                                    u("C|パチンコ|4円|300玉|—")}));
    pick(w->last_month_box, u("すべて"));
    pick(w->hall_box, u("B"));
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("B|スロット|20円|1,000枚|17,857")}));
    pick(w->hall_box, u("すべて"));

    // The visit of 3/1 was at B: its 1,000 out and 2,500 in are B's, valued at the visit's 28玉.
    form1->StringGrid1->set_row(1);
    form1->correction();
    form2->ComboBox1->setEditText(u("B"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("B|パチンコ|4円|1,500玉|5,357"), u("B|スロット|20円|1,000枚|17,857"),
                                                    u("A|パチンコ|0.5円|2,000玉|7,143"), u("A|パチンコ|4円|1,000玉|3,571"),
                                                    u("C|パチンコ|4円|300玉|—")}));
    // The slot visit deleted: its store goes with it.
    form1->StringGrid1->set_row(2);
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("B|パチンコ|4円|1,500玉|5,357"), u("A|パチンコ|0.5円|2,000玉|7,143"),
                                                    u("A|パチンコ|4円|1,000玉|3,571"), u("C|パチンコ|4円|300玉|—")}));
    EXPECT_EQ(w->overview_text(u("稼働時間")), u("4.5時間"));
    // Starting balances taken away in the rates dialog's place: the page follows the settings.
    form1->player_settings().set(play::PlaySettings{});
    EXPECT_EQ(rows_of(w->stores_table), (QStringList{u("B|パチンコ|4円|1,500玉|5,357")}));
}

TEST_F(AnalysisPlayWindowTest, AYearWithoutPlayDataHasNoStoresPage) {
    registry_to_windows(Registry{});
    bench::LedgerShape shape;
    shape.records = 30;
    write_bytes(QStringLiteral("vq2003.vqd"), encode_ledger(bench::generated_ledger("2003", shape)));
    load(path(QStringLiteral("vq2003.vqd")));
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(stores_shown(w));
    EXPECT_EQ(w->figures().play.records, 0);
    for (const analysis::FiguresTable* t : w->tables) EXPECT_EQ(t->columnCount(), 8);
}

}  // namespace
}  // namespace velmo::testing
