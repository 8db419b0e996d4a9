// The 収支分析 window the way a player uses it: opened from the menu, following
// entries, corrections, deletions and another year, filtered by hall and
// machine, hidden and shown again, its verdicts, tables and range.
#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "analysis/analysis_calc.h"
#include "analysis/analysis_window.h"
#include "analysis/distribution_chart.h"
#include "bench/ledger_gen.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "tests/analysis/test_records.h"
#include "tests/support/app_fixture.h"
#include "views/palette.h"
#include "tests/support/figures_check.h"

namespace velmo::testing {
namespace {

using analysis::AnalysisWindow;

// Sums made from the open ledger's texts alone.
struct Sums {
    int visits = 0;
    long long investment = 0;
    long long payout = 0;
};

class AnalysisWindowTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->graph_animate = false;
        for (const int year : {2003, 2004}) {
            bench::LedgerShape shape;
            shape.records = year == 2004 ? 60 : 45;
            shape.machines = 3;
            shape.halls = 4;
            shape.seed = static_cast<unsigned>(year);
            write_bytes(QStringLiteral("vq%1.vqd").arg(year), encode_ledger(bench::generated_ledger(std::to_string(year), shape)));
        }
        load(path(QStringLiteral("vq2004.vqd")));
    }

    AnalysisWindow* open_window() {
        const QList<QAction*> items = form1->N1->actions();
        EXPECT_EQ(items.back()->text(), u("分析..."));
        items.back()->trigger();
        return form1->findChild<AnalysisWindow*>();
    }

    // keep(record, investment, payout): whether the record counts and with what amounts.
    template <typename Keep>
    Sums sums(Keep keep) const {
        Sums s;
        const LedgerImage image = snapshot(form1->ledger_view());
        for (const LedgerRecord& r : image.records) {
            long long investment = 0, payout = 0;
            if (!keep(r, investment, payout)) continue;
            ++s.visits;
            s.investment += investment;
            s.payout += payout;
        }
        return s;
    }
    Sums all_sums() const {
        return sums([](const LedgerRecord& r, long long& i, long long& p) {
            const DayTotals t = day_totals_texts(r.totals);
            i = std::stoll(t.investment);
            p = std::stoll(t.payout);
            return true;
        });
    }

    // The window shows the figures of the whole open year.
    void expect_current(AnalysisWindow* w, const char* after) {
        SCOPED_TRACE(after);
        const Sums s = all_sums();
        EXPECT_EQ(s.visits, form1->ledger_view().record_count());
        const analysis::Overview& o = w->figures().overview;
        EXPECT_EQ(o.visits, s.visits);
        EXPECT_EQ(o.investment, s.investment);
        EXPECT_EQ(o.payout, s.payout);
        EXPECT_EQ(w->overview_text(u("来店数")), QString::number(s.visits) + u("回"));
        EXPECT_EQ(w->overview_text(u("収支")), QString::fromStdString(analysis::yen_text(s.payout - s.investment)));
        // Every figure the window shows alone is --analyze's figure of the same name, with the
        // window's separators and units.
        std::map<QString, QString> printed;
        for (const std::string& line : analysis::overview_lines(o)) {
            const QString l = QString::fromStdString(line);
            printed[l.section(QLatin1Char('\t'), 0, 0)] = l.section(QLatin1Char('\t'), 1);
        }
        for (const char* name : {"来店数", "遊技日数", "投資", "回収", "収支", "回収率", "平均", "中央値", "標準偏差",
                                 "最長連勝", "最長連敗", "現在のドローダウン"}) {
            QString shown = w->overview_text(u(name));
            shown.remove(QLatin1Char(',')).remove(QRegularExpression(u("[回日%]$")));
            EXPECT_EQ(shown, printed.at(u(name))) << name;
        }
    }


    // Picks the item of box with text as a player would.
    static void pick(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        Q_EMIT box->activated(i);
    }
};

TEST_F(AnalysisWindowTest, OpensFromTheMenuAndFollowsEveryChange) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->windowTitle(), u("収支分析"));
    EXPECT_EQ(w->size(), QSize(680, 520));
    EXPECT_TRUE(form1->isEnabled()) << "the window is not modal";
    expect_current(w, "opened");
    EXPECT_EQ(w->chart->data().running.size(), static_cast<std::size_t>(form1->ledger_view().record_count()));
    const int computed = w->computations();

    enter_in_march(5, "新しい店", "海物語", "10000", "25000");
    expect_current(w, "entry");
    EXPECT_GE(w->hall_box->findText(u("新しい店")), 1);
    form1->StringGrid1->set_row(3);
    form1->correction();
    form2->ComboBox1->setEditText(u("直した店"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    expect_current(w, "correction");
    pick(w->hall_box, u("直した店"));
    EXPECT_EQ(w->figures().overview.visits, 1);
    pick(w->hall_box, u("すべて"));
    form1->StringGrid1->set_row(7);
    dialogs.answers = {true};
    form1->Delete1Click();
    expect_current(w, "deletion");
    EXPECT_EQ(w->computations(), computed + 5) << "once per change and once per filter";

    // Using the window changed nothing of the ledger.
    const std::string saved_after_edits = encode_ledger(form1->ledger_image());
    const auto dirty = form1->dirty;
    for (const int range : {1, 0}) pick(w->range_box, w->range_box->itemText(range));
    pick(w->machine_box, w->machine_box->itemText(1));
    w->pages->setCurrentIndex(2);
    w->grab();
    EXPECT_EQ(encode_ledger(form1->ledger_image()), saved_after_edits);
    EXPECT_EQ(form1->dirty, dirty);
    pick(w->machine_box, u("すべて"));

    load(path(QStringLiteral("vq2003.vqd")));
    expect_current(w, "another year");
    EXPECT_EQ(w->note_label->text(), u("対象: 2003年"));
}

TEST_F(AnalysisWindowTest, HiddenItComputesNothingAndCatchesUpWhenShown) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    w->hide();
    const int computed = w->computations();
    enter_in_march(9, "ホールA", "海物語", "3000", "0");
    form1->StringGrid1->set_row(2);
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(w->computations(), computed);
    open_window();
    EXPECT_EQ(w->computations(), computed + 1);
    expect_current(w, "shown again");
    // Shown again without a change: nothing to compute.
    w->hide();
    w->show();
    EXPECT_EQ(w->computations(), computed + 1);
}

TEST_F(AnalysisWindowTest, FiltersByHallAndMachineOnRecordsWithSeveralMachines) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    const LedgerImage image = snapshot(form1->ledger_view());
    const std::string hall = image.records[0].hall;
    const std::string machine = unpack_machine_detail(image.records[0].detail)[1].name;
    const auto machine_amounts = [&](const LedgerRecord& r, long long& i, long long& p) {
        return add_machine_amounts(r, machine, i, p);
    };
    const struct {
        const char* what;
        QString hall;
        QString machine;
        std::function<bool(const LedgerRecord&, long long&, long long&)> keep;
    } table[] = {
        {"machine", u("すべて"), from_cp932(machine), machine_amounts},
        {"hall and machine", from_cp932(hall), from_cp932(machine),
         [&](const LedgerRecord& r, long long& i, long long& p) { return r.hall == hall && machine_amounts(r, i, p); }},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        pick(w->hall_box, row.hall);
        pick(w->machine_box, row.machine);
        const Sums s = sums(row.keep);
        ASSERT_GT(s.visits, 0);
        const analysis::Overview& o = w->figures().overview;
        EXPECT_EQ(std::tuple(o.visits, o.investment, o.payout), std::tuple(s.visits, s.investment, s.payout));
        // The hall table holds the visits of the slice; under a machine filter the
        // machine table has that machine's row alone.
        const auto* by_machine = w->tables[static_cast<std::size_t>(analysis::TableKey::Machine)];
        if (row.machine != u("すべて")) {
            ASSERT_EQ(by_machine->rowCount(), 1);
            EXPECT_EQ(by_machine->item(0, 0)->text(), row.machine);
            EXPECT_EQ(by_machine->item(0, 2)->text(), QString::number(s.visits));
        } else {
            EXPECT_GT(by_machine->rowCount(), 1);
        }
    }
}

TEST_F(AnalysisWindowTest, ExtraValueFilterAndAllYearsWithTheOpenYearAsInMemory) {
    write_bytes(QStringLiteral("vq2002.vqd"), "not a ledger");
    const std::string before_2003 = read_bytes(QStringLiteral("vq2003.vqd"));
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    // The extra column's values, as the ledger holds them.
    const std::string extra = snapshot(form1->ledger_view()).records[0].extra;
    EXPECT_FALSE(w->extra_box->isHidden());
    EXPECT_EQ(w->extra_label->text(), from_cp932(form1->ledger_view().extra_column()->name));
    pick(w->extra_box, from_cp932(extra));
    EXPECT_EQ(w->figures().overview.visits, sums([&](const LedgerRecord& r, long long&, long long&) {
                                                return r.extra == extra;
                                            }).visits);
    pick(w->extra_box, u("すべて"));

    enter_in_march(5, "ホールA", "海物語", "1000", "0");  // not saved
    pick(w->range_box, u("全年"));
    const int open_year = form1->ledger_view().record_count();
    EXPECT_EQ(w->figures().overview.visits, open_year + 45);
    EXPECT_EQ(w->figures().slice.visits.front().date.year, 2003);
    EXPECT_EQ(w->figures().slice.visits.back().date.year, 2004);
    EXPECT_EQ(w->note_label->text(), u("対象: 2003年、2004年　読めないため除いたファイル: vq2002.vqd"));
    EXPECT_EQ(read_bytes(QStringLiteral("vq2003.vqd")), before_2003);
    // The open year's changes show under 全年 too.
    form1->StringGrid1->set_row(2);
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(w->figures().overview.visits, open_year - 1 + 45);
    pick(w->range_box, u("この年"));
    expect_current(w, "back to this year");
}

TEST_F(AnalysisWindowTest, AllYearsCountExtraValuesOfColumnsOfTheOpenYearsNameOnly) {
    AnalysisWindow* w = open_window();
    ASSERT_NE(w, nullptr);
    const std::string value = snapshot(form1->ledger_view()).records[0].extra;
    const auto count_in = [&](const LedgerImage& image) {
        return std::count_if(image.records.begin(), image.records.end(),
                             [&](const LedgerRecord& r) { return r.extra == value; });
    };
    const LedgerImage open = snapshot(form1->ledger_view());
    bench::LedgerShape shape;  // vq2003.vqd as SetUp wrote it
    shape.records = 45;
    shape.machines = 3;
    shape.halls = 4;
    shape.seed = 2003;
    LedgerImage y2003 = bench::generated_ledger("2003", shape);
    ASSERT_GT(count_in(y2003), 0);
    pick(w->range_box, u("全年"));
    pick(w->extra_box, from_cp932(value));
    EXPECT_EQ(w->figures().overview.visits, count_in(open) + count_in(y2003));
    // 2003 under another column name: its values are not the open year's.
    y2003.extra->name = cp932_literal("天気");
    write_bytes(QStringLiteral("vq2003.vqd"), encode_ledger(y2003));
    pick(w->range_box, u("この年"));
    pick(w->range_box, u("全年"));
    pick(w->extra_box, from_cp932(value));
    EXPECT_EQ(w->figures().overview.visits, count_in(open));
    pick(w->extra_box, u("すべて"));
    EXPECT_EQ(w->figures().overview.visits, static_cast<int>(open.records.size()) + 45);
}

class AnalysisVerdicts : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->graph_animate = false;
        LedgerImage image;
        image.year = "2004";
        // A hall clearly won, one clearly lost, and three mixed visits.
        for (int i = 0; i < 12; ++i) {
            image.records.push_back(play_record(1 + i / 2, 3 + i % 2, "勝つ店", {{"海", 10000, 30000 + 1000 * (i % 4)}}));
            image.records.push_back(play_record(1 + i / 2, 10 + i % 2, "負ける店", {{"海", 30000, 5000 + 700 * (i % 3)}}));
        }
        for (int i = 0; i < 3; ++i)
            image.records.push_back(play_record(8, 1 + i, "たまの店", {{"北斗", 10000, i == 1 ? 4000 : 17000}}));
        const auto day = [](const LedgerRecord& r) { return date_text_month(r.date) * 100 + date_text_day(r.date); };
        std::stable_sort(image.records.begin(), image.records.end(),
                         [&](const LedgerRecord& a, const LedgerRecord& b) { return day(a) < day(b); });
        write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(image));
        load(path(QStringLiteral("vq2004.vqd")));
        form1->N1->actions().back()->trigger();
        w = form1->findChild<AnalysisWindow*>();
    }
    AnalysisWindow* w = nullptr;
};

TEST_F(AnalysisVerdicts, ClearlyWinningLosingAndTooFew) {
    ASSERT_NE(w, nullptr);
    const struct {
        const char* hall;
        const char* verdict;
        bool few;
    } table[] = {
        {"勝つ店", "プラスと言えます（95%）", false},
        {"負ける店", "マイナスと言えます（95%）", false},
        {"たまの店", "まだ偶然の範囲です\n同じ成績が続けば、あと約", true},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.hall);
        const int i = w->hall_box->findText(u(row.hall));
        ASSERT_GT(i, 0);
        w->hall_box->setCurrentIndex(i);
        Q_EMIT w->hall_box->activated(i);
        EXPECT_TRUE(w->verdict_label->text().startsWith(u(row.verdict))) << w->verdict_label->text().toStdString();
        // The hall's row in the hall table is marked when it rests on few visits.
        const auto* by_hall = w->tables[static_cast<std::size_t>(analysis::TableKey::Hall)];
        ASSERT_EQ(by_hall->rowCount(), 1);
        EXPECT_EQ(by_hall->item(0, 1)->text(), row.few ? u("少") : QString());
    }
    // Three visits with mean 2,667 and deviation 7,506: by the t table m = 33 is the
    // first count whose half width falls below the mean, 30 more.
    EXPECT_TRUE(w->verdict_label->text().endsWith(u("あと約30回で判定できます"))) << w->verdict_label->text().toStdString();
}

TEST_F(AnalysisVerdicts, TablesSortByAHeaderClickAndCopyAsTabSeparatedText) {
    ASSERT_NE(w, nullptr);
    w->pages->setCurrentIndex(1);
    w->table_pages->setCurrentIndex(static_cast<int>(analysis::TableKey::Hall));
    auto* table = w->tables[static_cast<std::size_t>(analysis::TableKey::Hall)];
    ASSERT_EQ(table->rowCount(), 3);
    const int balance_column = 5;
    QHeaderView* header = table->horizontalHeader();
    QCoreApplication::processEvents();
    const QPoint at(header->sectionViewportPosition(balance_column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    const auto balances = [&] {
        std::vector<long long> out;
        for (int r = 0; r < table->rowCount(); ++r) out.push_back(table->item(r, balance_column)->data(Qt::UserRole).toLongLong());
        return out;
    };
    std::vector<long long> shown = balances();
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    shown = balances();
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
    EXPECT_EQ(table->item(0, 0)->text(), u("勝つ店"));
    EXPECT_EQ(table->item(0, balance_column)->text(), u("258,000"));
    EXPECT_EQ(table->item(2, balance_column)->foreground().color(), palette::loss_ink());

    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5) << "header, three rows and the end of the last line";
    EXPECT_EQ(lines[0], u("ホール\t少\t来店数\t投資\t回収\t収支\t回収率\t平均収支"));
    EXPECT_EQ(lines[1], u("勝つ店\t\t12\t120000\t378000\t258000\t315.0%\t21500"));
    EXPECT_EQ(lines[2].section(QLatin1Char('\t'), 0, 2), u("たまの店\t少\t3"));
}

// 回収率 sorts by the rate itself, not by its text read through the locale: under a
// decimal comma "100.9" read as a number would be 100, as "100.1" would.
TEST_F(AppFixture, AnalysisRatesSortByTheirValueUnderADecimalComma) {
    const DecimalCommaNumbers comma;
    ASSERT_TRUE(comma.active()) << kDecimalCommaLocale << " is missing: tests/test_deps.sh generates it";
    form1->graph_animate = false;
    LedgerImage image;
    image.year = "2004";
    image.records = {play_record(1, 5, "A店", {{"海", 10000, 10090}}), play_record(1, 6, "B店", {{"海", 10000, 10010}}),
                     play_record(1, 7, "C店", {{"海", 10000, 10050}}), play_record(1, 8, "D店", {{"海", 0, 500}})};
    write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(image));
    load(path(QStringLiteral("vq2004.vqd")));
    form1->N1->actions().back()->trigger();
    auto* w = form1->findChild<AnalysisWindow*>();
    ASSERT_NE(w, nullptr);
    w->pages->setCurrentIndex(1);
    w->table_pages->setCurrentIndex(static_cast<int>(analysis::TableKey::Hall));
    auto* table = w->tables[static_cast<std::size_t>(analysis::TableKey::Hall)];
    ASSERT_EQ(table->rowCount(), 4);
    const int rate_column = 6;
    QHeaderView* header = table->horizontalHeader();
    QCoreApplication::processEvents();
    const QPoint at(header->sectionViewportPosition(rate_column) + 5, header->height() / 2);
    const auto shown = [&] {
        QStringList out;
        for (int r = 0; r < table->rowCount(); ++r) out << table->item(r, rate_column)->text();
        return out.join(QLatin1Char(' '));
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(shown(), u("— 100.1% 100.5% 100.9%"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(shown(), u("100.9% 100.5% 100.1% —"));
}

// Ctrl+C quotes a name holding a tab, a quote or a line break, as spreadsheets
// read tab-separated text, so that the pasted columns stay in their places.
TEST_F(AppFixture, AnalysisCopyQuotesNamesThatHoldATabOrAQuote) {
    form1->graph_animate = false;
    LedgerImage image;
    image.year = "2004";
    image.records = {play_record(1, 5, "A\tB", {{"海", 1000, 3000}}), play_record(1, 6, "\"C\"店", {{"海", 2000, 0}}),
                     play_record(1, 7, "D店", {{"海", 1000, 1000}})};
    write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(image));
    load(path(QStringLiteral("vq2004.vqd")));
    form1->N1->actions().back()->trigger();
    auto* w = form1->findChild<AnalysisWindow*>();
    ASSERT_NE(w, nullptr);
    w->pages->setCurrentIndex(1);
    w->table_pages->setCurrentIndex(static_cast<int>(analysis::TableKey::Hall));
    auto* table = w->tables[static_cast<std::size_t>(analysis::TableKey::Hall)];
    ASSERT_EQ(table->rowCount(), 3);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5);
    lines.sort();
    EXPECT_EQ(lines[1].section(QLatin1Char('\t'), 0, 2), u("\"\"\"C\"\"店\"\t少\t1"));
    EXPECT_TRUE(lines[2].startsWith(u("\"A\tB\"\t少\t1\t1000\t"))) << lines[2].toStdString();
    EXPECT_EQ(lines[3].section(QLatin1Char('\t'), 0, 2), u("D店\t少\t1"));
}

}  // namespace
}  // namespace velmo::testing
