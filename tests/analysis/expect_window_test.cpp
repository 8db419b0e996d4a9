// The 収支分析 window's expected values over tests/analysis/expect_ledger.h
// (figures worked by hand there): the overview's 仕事量, 期待時給 and 運, the
// tables' columns and the 期待値 page, following a correction of the play
// data, a deletion, and a change of the machine's numbers.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "analysis/analysis_window.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "play/expect_chart.h"
#include "play/play_record.h"
#include "tests/analysis/expect_ledger.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using analysis::AnalysisWindow;

class AnalysisExpectWindowTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->graph_animate = false;
        registry_to_windows(expect_registry());
        write_bytes(QStringLiteral("vq2024.vqd"), encode_ledger(expect_ledger()));
        load(path(QStringLiteral("vq2024.vqd")));
    }
    AnalysisWindow* open_window() {
        form1->N1->actions().back()->trigger();
        return form1->findChild<AnalysisWindow*>();
    }
    static bool page_shown(const AnalysisWindow* w) { return w->pages->isTabVisible(w->pages->indexOf(w->expect_chart)); }
    static void pick(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        Q_EMIT box->activated(i);
    }
    // 仕事量, 期待時給, 運, the sentence and the count as shown.
    static QStringList overview(const AnalysisWindow* w) {
        return {w->overview_text(u("仕事量")), w->overview_text(u("期待時給")), w->overview_text(u("運")),
                w->luck_label->isVisibleTo(w) ? w->luck_label->text() : QString(), w->counted_label->text()};
    }
    static QStringList expect_cells(const QTableWidget* t, int row) {
        QStringList cells;
        for (int c = 10; c < 14; ++c) cells << t->item(row, c)->text();
        return cells;
    }
    // The record's play data corrected as the 実戦データ dialog writes it: through the year window, as one change.
    void correct_play(int row, const play::RecordPlayData& data) {
        const LedgerRecord stored = form1->ledger_view().record(row);
        std::vector<ExtensionField> extensions = stored.extensions;
        play::write_play_data(extensions, data);
        auto* editor = dynamic_cast<LedgerEditor*>(&form1->ledger_view());
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(editor->replace_machines(row, play::with_play_amounts(unpack_machine_detail(stored.detail), data),
                                             extensions));
    }
};

TEST_F(AnalysisExpectWindowTest, OverviewTablesAndPageFollowCorrectionDeletionAndNumbers) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(page_shown(w));
    EXPECT_EQ(overview(w), (QStringList{u("1,071"), u("-982"), u("-10,714（偏り z = -0.71）"), u("ほぼ期待値どおりです"),
                                        u("仕事量はスペック登録済みの 2 件から")}));
    // By machine: ジャグラー has no numbers; 海物語's 時給 from 3/1 alone.
    const QTableWidget* machines = w->tables[static_cast<std::size_t>(analysis::TableKey::Machine)];
    ASSERT_EQ(machines->columnCount(), 14);
    EXPECT_EQ(machines->horizontalHeaderItem(10)->text(), u("平均回転率"));
    EXPECT_EQ(machines->horizontalHeaderItem(13)->text(), u("運"));
    // The names keep their width; the table scrolls.
    EXPECT_EQ(machines->horizontalHeader()->sectionResizeMode(0), QHeaderView::ResizeToContents);
    for (int r = 0; r < machines->rowCount(); ++r) {
        const bool numbered = machines->item(r, 0)->text() == u("海物語");
        EXPECT_EQ(expect_cells(machines, r), numbered ? (QStringList{u("38.1"), u("5.6"), u("1,071"), u("-10,714")})
                                                      : (QStringList{u("—"), u("—"), u("—"), u("—")}));
    }
    // The copy takes the tenths as shown and the amounts as plain numbers.
    const QString tsv = static_cast<const analysis::FiguresTable*>(machines)->tsv();
    EXPECT_TRUE(tsv.contains(u("\t38.1\t5.6\t1071\t-10714\r\n"))) << tsv.toStdString();
    // The page: one point per visit with an E, in date order.
    ASSERT_EQ(w->expect_chart->data().points.size(), 2u);
    EXPECT_EQ(w->expect_chart->data().dates, (std::vector<QString>{u("2024/3/1"), u("2024/5/2")}));
    EXPECT_NEAR(static_cast<double>(w->expect_chart->data().points[1].work), 1071.43, 0.01);
    const int computed = w->expect_computations();

    // 5/2 corrected to 600 spins: E = 4,500 v − 5,000 = 11,071.43; ΣE = 9,107.14.
    play::RecordPlayData third = play::read_play_data(form1->ledger_view().record(3));
    third.machines[0].spins = 600;
    correct_play(3, third);
    EXPECT_EQ(w->overview_text(u("仕事量")), u("9,107"));
    EXPECT_NEAR(static_cast<double>(w->expect_chart->data().points[1].work), 9107.14, 0.01);
    EXPECT_EQ(w->expect_computations(), computed + 1);

    // 3/1 deleted: 5/2 alone, without a time.
    form1->StringGrid1->set_row(1);
    dialogs.answers = {true};
    form1->Delete1Click();
    // 運 = −5,000 − 11,071.43; σ = 1,500 v √6 = 13,122.27; z = −1.22.
    EXPECT_EQ(overview(w), (QStringList{u("11,071"), u("—"), u("-16,071（偏り z = -1.22）"), u("期待値より下振れしています"),
                                        u("仕事量はスペック登録済みの 1 件から")}));
    ASSERT_EQ(w->expect_chart->data().points.size(), 1u);

    // 海物語's numbers changed to 3,000 balls a hit: E = 600 × 15 v − 5,000 = 27,142.86.
    const int before_numbers = w->expect_computations();
    form1->player_settings().set(expect_numbers(3000));
    EXPECT_EQ(w->overview_text(u("仕事量")), u("27,143"));
    EXPECT_EQ(w->expect_computations(), before_numbers + 1);
    EXPECT_NEAR(static_cast<double>(w->expect_chart->data().points[0].work), 27142.86, 0.01);

    // Numbers taken away: the window shows what it shows without them.
    form1->player_settings().set(play::MachineNumberTable{});
    EXPECT_FALSE(page_shown(w));
    EXPECT_FALSE(w->counted_label->isVisibleTo(w));
    EXPECT_EQ(machines->columnCount(), 10);
    EXPECT_EQ(machines->horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);
}

TEST_F(AnalysisExpectWindowTest, ASliceWithoutNumbersLooksAsBefore) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    const int computed = w->expect_computations();
    pick(w->machine_box, u("ジャグラー"));
    EXPECT_FALSE(page_shown(w));
    EXPECT_FALSE(w->counted_label->isVisibleTo(w));
    EXPECT_FALSE(w->luck_label->isVisibleTo(w));
    for (const char* name : {"仕事量", "期待時給", "運"}) {
        for (const QLabel* l : w->findChildren<QLabel*>())
            if (l->text() == u(name)) {
                EXPECT_FALSE(l->isVisibleTo(w)) << name;
            }
    }
    for (const analysis::FiguresTable* t : w->tables) EXPECT_EQ(t->columnCount(), 10);
    // A filter takes no expected value again: they were taken when the records were read.
    pick(w->machine_box, u("すべて"));
    EXPECT_TRUE(page_shown(w));
    EXPECT_EQ(w->expect_computations(), computed);
}

}  // namespace
}  // namespace velmo::testing
