// The player's budget: its amounts and texts, its registry record, the dialog,
// the notices along a user's entries, the status panel and the charts' line.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "analysis/analysis_window.h"
#include "budget/budget.h"
#include "budget/budget_dialog.h"
#include "budget/budget_line.h"
#include "budget/budget_monitor.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "ledger/registry_file.h"
#include "month/month_graph_calc.h"
#include "tests/support/app_fixture.h"
#include "views/graph_calc.h"
#include "views/graph_canvas.h"
#include "views/graph_draw.h"

using namespace velmo::testing;
namespace budget = velmo::budget;

namespace {

TEST(BudgetAmounts, TypedAmountsAndTexts) {
    const std::pair<const char*, std::optional<std::int64_t>> typed[] = {
        {"30000", 30000}, {" 30,000 ", 30000}, {"￥30,000", 30000}, {"30，000円", 30000}, {"３００００", 30000},
        {"", 0}, {"0", 0}, {"99,999,999", 99'999'999}, {"100000000", std::nullopt}, {"-5", std::nullopt},
        {"3万", std::nullopt}, {"abc", std::nullopt}, {",5", std::nullopt}, {"5,", std::nullopt}, {"円", std::nullopt},
        {"10,0000", std::nullopt}, {"1,,2", std::nullopt}, {"▲5,000", std::nullopt}};
    for (const auto& [text, want] : typed) EXPECT_EQ(budget::read_amount(u(text)), want) << text;

    EXPECT_EQ(budget::month_notice(3, 30000, -45000), u("3月の損失が予算（30,000円）を超えました（現在 -45,000円）"));
    EXPECT_EQ(budget::visit_notice(20000, 52000), u("1回の投資が上限（20,000円）を超えています（52,000円）"));
    EXPECT_EQ(budget::status_text(30000, -18000), u("予算残り 12,000円"));
    EXPECT_EQ(budget::status_text(30000, -30000), u("予算残り 0円"));
    EXPECT_EQ(budget::status_text(30000, -45000), u("予算超過 -15,000円"));
    EXPECT_EQ(velmo::yen_qtext(-1234567890123), u("-1,234,567,890,123"));
}

TEST(BudgetAmounts, MonthsCrossOnlyWhenTheyWereUnder) {
    budget::MonthSums before{}, after{};
    before[3] = -30000;  // exactly the budget: not over
    after[3] = -30001;
    before[4] = -40000;  // already over
    after[4] = -50000;
    after[5] = -90000;   // over, but no record of the commit is in May
    const int months[] = {3, 4};
    EXPECT_EQ(budget::newly_over(30000, before, after, months), std::vector<int>{3});
    EXPECT_TRUE(budget::newly_over(0, before, after, months).empty()) << "no budget";
    // Sums beyond 32 bits; January and December count, a month outside the year does not.
    const budget::RecordFigure big[] = {{6, -2'000'000'000, 0}, {6, -2'000'000'000, 0}, {13, -1, 0}, {0, -1, 0},
                                        {1, -5, 0},           {12, -7, 0}};
    const budget::MonthSums sums = budget::month_sums(big);
    EXPECT_EQ(sums[6], -4'000'000'000LL);
    EXPECT_EQ(sums[1], -5);
    EXPECT_EQ(sums[12], -7);
    EXPECT_EQ(sums[0], 0);
}

TEST(BudgetAmounts, AVisitIsOverTheLimitOnlyBeyondIt) {
    const struct {
        std::int64_t per_visit, investment;
        bool told;
    } table[] = {{20000, 19999, false}, {20000, 20000, false}, {20000, 20001, true}, {0, 90000, false}};
    for (const auto& row : table) {
        const budget::Notices n = budget::notices_for({0, row.per_visit}, {}, {}, {{3, 0, row.investment}}, {u("3/2")});
        EXPECT_EQ(!n.visit.isEmpty(), row.told) << row.per_visit << " " << row.investment;
        EXPECT_TRUE(n.month.isEmpty());
    }
}

TEST(BudgetRegistry, RecordBeforeTheEndByteOnlyWhenSet) {
    budget::register_registry_record();
    velmo::Registry reg;
    reg.halls = {"A"};
    reg.machines = {"M"};
    const std::string without = velmo::encode_registry(reg);
    reg.settings.set(budget::Budget{30000, 20000});
    const std::string with = velmo::encode_registry(reg);
    const std::string record("\x40\x08\x00\x00\x75\x30\x00\x00\x4E\x20", 10);
    EXPECT_EQ(with, without.substr(0, without.size() - 1) + record + "\xFF");
    // Read back and written again the same; a reader that skips the record's type
    // (read here as one of a type it does not know) finds the same lists and steps.
    const velmo::Registry back = velmo::decode_registry(with);
    EXPECT_EQ(back.settings.get<budget::Budget>(), (budget::Budget{30000, 20000}));
    EXPECT_EQ(velmo::encode_registry(back), with);
    // Read as a type no codec reads, the record is no budget and is written back
    // as it was, so that a version without the budget keeps it.
    std::string unknown = with;
    unknown[without.size() - 1] = '\x41';
    const velmo::Registry skipped = velmo::decode_registry(unknown);
    EXPECT_EQ(skipped.settings.get<budget::Budget>(), budget::Budget{});
    EXPECT_EQ(velmo::encode_registry(skipped), unknown);
    // Hostile amounts: out of range taken as the bounds; another length is no budget.
    EXPECT_EQ(budget::decode_record(std::string("\xFF\xFF\xFF\xFF\x7F\xFF\xFF\xFF", 8)),
              (budget::Budget{0, budget::kMaxAmount}));
    EXPECT_EQ(budget::decode_record(std::string("\0\0\0\1", 4)), std::nullopt);
}

class BudgetUse : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
    }
    const budget::Budget& setting() const { return form1->player_settings().get<budget::Budget>(); }
    QAction* action() { return form1->findChild<QAction*>(QStringLiteral("budget_action")); }
    // Opens 予算の設定 from the menu, types the amounts and presses OK; a bad amount
    // leaves the dialog open, and it is then cancelled.
    void set_budget(const char* monthly, const char* visit) {
        QTimer::singleShot(0, form1.get(), [=, this] {
            auto* dialog = qobject_cast<budget::BudgetDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), u("予算の設定"));
            dialog->monthly_edit->setText(QString::fromLatin1(monthly));
            dialog->visit_edit->setText(QString::fromLatin1(visit));
            dialog->accept();
            if (dialog->isVisible()) {
                bad_selected = dialog->monthly_edit->selectedText() == dialog->monthly_edit->text() ||
                               dialog->visit_edit->selectedText() == dialog->visit_edit->text();
                dialog->reject();
            }
        });
        action()->trigger();
    }
    // The notices shown after the commit that just happened.
    std::vector<QString> notices() {
        QCoreApplication::processEvents();
        std::vector<QString> texts = dialogs.texts();
        dialogs.shown.clear();
        return texts;
    }
    QString panel() {
        auto* p = form1->findChild<velmo::StatusBar*>(QStringLiteral("budget_panel"));
        return p && p->isVisibleTo(form1.get()) ? p->panel_text(0) : QStringLiteral("(hidden)");
    }
    bool bad_selected = false;
};

TEST_F(BudgetUse, NoticesAlongAMonthOfEntriesCorrectionsAndDeletion) {
    const std::string registry_before = encode_registry(velmo::registry_from_windows());
    set_budget("30,000", "20000");
    EXPECT_EQ(setting(), (budget::Budget{30000, 20000}));
    EXPECT_TRUE(form1->player_settings().unsaved());

    enter_in_march(2, "A", "M", "25000", "5000");  // March -20,000; 25,000 put in
    EXPECT_EQ(notices(), std::vector<QString>{u("1回の投資が上限（20,000円）を超えています（25,000円）")});
    EXPECT_EQ(panel(), u("予算残り 10,000円"));
    enter_in_march(3, "A", "M", "15000", "0");  // March -35,000: crossed
    EXPECT_EQ(notices(), std::vector<QString>{u("3月の損失が予算（30,000円）を超えました（現在 -35,000円）")});
    EXPECT_EQ(panel(), u("予算超過 -5,000円"));
    // The analysis overview: the same figure for the last month of its slice.
    form1->findChild<QAction*>(QStringLiteral("analysis_action"))->trigger();
    auto* analysis = form1->findChild<velmo::analysis::AnalysisWindow*>();
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(analysis->overview_text(u("予算")), u("予算超過 -5,000円"));
    analysis->close();
    enter_in_march(4, "A", "M", "5000", "0");  // still over: told once only
    EXPECT_TRUE(notices().empty());

    // A correction brings March back under the budget, the next one over it again.
    form1->StringGrid1->set_row(3);
    form1->correction();
    form2->StringGrid1->set_row(1);
    form2->sgClick();
    form2->Edit2->setFocus();
    form2->Edit2->selectAll();
    QTest::keyClicks(form2->Edit2, QStringLiteral("10000"));  // 3/4 now +5,000: March -30,000
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(notices().empty());
    EXPECT_EQ(panel(), u("予算残り 0円"));
    enter_in_march(5, "A", "M", "1000", "0");
    EXPECT_EQ(notices(), std::vector<QString>{u("3月の損失が予算（30,000円）を超えました（現在 -31,000円）")});

    // A deletion or a load tells nothing, whatever it does to the month.
    form1->StringGrid1->set_row(4);
    dialogs.answers = {true};
    form1->Delete1Click();
    dialogs.answers = {true};
    form1->save_ledger();
    load(form1->file_name);
    EXPECT_EQ(notices(), (std::vector<QString>{u("削除しますか？"), u("収支を保存しますか？")})) << "only the questions asked";

    // The budget kept with the registry comes back on the next start.
    ASSERT_TRUE(velmo::save_registry_file());
    EXPECT_FALSE(form1->player_settings().unsaved());
    form1->player_settings().set(budget::Budget{});
    velmo::read_registry();
    EXPECT_EQ(setting(), (budget::Budget{30000, 20000}));

    // Set to 0: no notices, no panel, and the registry as it was before.
    set_budget("0", "0");
    enter_in_march(6, "A", "M", "90000", "0");
    EXPECT_TRUE(notices().empty());
    EXPECT_EQ(panel(), QStringLiteral("(hidden)"));
    EXPECT_EQ(encode_registry(velmo::registry_from_windows()), registry_before);
}

TEST_F(BudgetUse, JanuaryAndDecemberCrossTheirBudgetLikeAnyMonth) {
    set_budget("30000", "0");
    for (const int month : {1, 12}) {
        SCOPED_TRACE(month);
        enter_on(month, 10, "A", "M", "40000", "0");
        EXPECT_EQ(notices(), std::vector<QString>{QString::number(month) +
                                                  u("月の損失が予算（30,000円）を超えました（現在 -40,000円）")});
        EXPECT_EQ(panel(), u("予算超過 -10,000円"));
    }
}

TEST_F(BudgetUse, BadAmountKeepsTheDialogOpenAndChangesNothing) {
    for (auto [monthly, visit] : {std::pair{"3万", "0"}, {"0", "-1"}, {"100000000", "0"}}) {
        bad_selected = false;
        set_budget(monthly, visit);
        EXPECT_TRUE(bad_selected) << monthly << " " << visit;
        ASSERT_EQ(dialogs.texts().size(), 1u);
        EXPECT_TRUE(dialogs.texts()[0].endsWith(u("までの円の整数で入力してください（0 で設定なし）")));
        dialogs.shown.clear();
    }
    EXPECT_EQ(setting(), budget::Budget{});
    EXPECT_FALSE(form1->player_settings().unsaved());
}

TEST_F(BudgetUse, ImportTellsEachCrossedMonthAndEachRecordOverTheLimitInOneBox) {
    enter_in_march(2, "A", "M", "10000", "0");
    set_budget("30000", "20000");
    write_bytes(QStringLiteral("in.csv"), sj("記録番号,日付,ホール名,機種,投資,回収\r\n"
                                             "1,2004-03-20,B,N,25000,0\r\n"
                                             "2,2004-04-01,B,N,40000,0\r\n"
                                             "3,2004-04-02,B,N,5000,9000\r\n"));
    dialogs.files = {path(QStringLiteral("in.csv"))};
    dialogs.answers = {true};
    form1->csv_import_command();
    ASSERT_EQ(form1->rec_count, 4);
    const std::vector<QString> shown = notices();
    ASSERT_EQ(shown.size(), 4u) << "the file, the question, then two notices";
    EXPECT_EQ(shown[2], u("3月の損失が予算（30,000円）を超えました（現在 -35,000円）\n"
                          "4月の損失が予算（30,000円）を超えました（現在 -36,000円）"));
    EXPECT_EQ(shown[3], u("3/20 1回の投資が上限（20,000円）を超えています（25,000円）\n"
                          "4/1 1回の投資が上限（20,000円）を超えています（40,000円）"));
}

// Red pixels of row y between x0 and x1.
int red_in_row(const QImage& image, int y, int x0, int x1) {
    int n = 0;
    for (int x = x0; x < x1; ++x) n += image.pixelColor(x, y) == QColor(255, 0, 0);
    return n;
}

// The label goes where it touches nothing drawn: right of a bar's figure over the
// line's left end, under the line where a bar and its figure fill the room above,
// and not at all while the bars are still to grow.
TEST(BudgetLine, TheLabelTouchesNoOtherTextOrBar) {
    const int left = 40, right = 360, top = 5, bottom = 200, y = 100;
    const struct {
        QRect taken;      // drawn before, in black
        bool label;
        int label_top;    // the rows the label's red is found in: label_top .. label_top + 11; -1 none
        int right_of;     // and only right of this column
    } cases[] = {
        {QRect(), true, y - 12, left},
        {QRect(left, y - 14, 60, 12), true, y - 12, left + 60},      // a figure over the line's left end
        {QRect(left, top, right - left, y - top), true, y + 2, left},  // a bar over the whole room above
        {QRect(), false, -1, left},
    };
    for (const auto& c : cases) {
        QImage image = velmo::chart_image(QSize(400, 220), 1);
        image.fill(Qt::white);
        velmo::GraphCanvas canvas(image);
        if (!c.taken.isNull()) canvas.fill_rect(c.taken.left(), c.taken.top(), c.taken.right() + 1, c.taken.bottom() + 1, Qt::black);
        budget::draw_budget_line(canvas, left, right, top, bottom, y, c.label);
        const auto reddish = [&](int row, int x0) {
            int n = 0;
            for (int x = x0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, row);
                n += p.red() > 200 && p.green() < 180 && p.blue() < 180;
            }
            return n;
        };
        int red_off_line = 0, red_in_place = 0;
        for (int row = 0; row < image.height(); ++row) {
            if (row == y) continue;
            red_off_line += reddish(row, 0);
            if (c.label_top >= 0 && row >= c.label_top - 1 && row <= c.label_top + 12) red_in_place += reddish(row, c.right_of);
        }
        for (int row = c.taken.top(); !c.taken.isNull() && row <= c.taken.bottom(); ++row)  // what was drawn stays
            for (int x = c.taken.left(); x <= c.taken.right(); ++x)
                ASSERT_EQ(image.pixelColor(x, row), QColor(Qt::black)) << x << "," << row;
        EXPECT_EQ(red_in_place, red_off_line) << c.label_top;  // all of the label's red is in its place
        if (c.label) EXPECT_GT(red_in_place, 10) << c.label_top;
        else EXPECT_EQ(red_off_line, 0);
    }
}

TEST_F(BudgetUse, ChartsDrawTheLineOnlyWhereTheScaleReaches) {
    for (auto [day, bet] : {std::pair{2, "40000"}, {9, "10000"}}) enter_in_march(day, "A", "M", bet, "0");
    notices();
    const auto year_chart = [&] {
        velmo::YearChartData data = form1->graph_data();
        QImage image = velmo::chart_image(QSize(velmo::graph::image_width(0), velmo::graph::image_height(0)), 1);
        velmo::YearChart chart(image, data);
        chart.draw_all();
        return std::pair{image, chart.zero_y() + velmo::graph::total_pixels(30000, chart.monthly().unit, 12)};
    };
    const auto month_chart = [&] {
        form6->image = velmo::chart_image(QSize(410, 255), 1);
        form6->image.fill(velmo::button_face_color());  // as the window clears it before drawing
        form6->draw_month_graph(3);
        return form6->image;
    };
    const auto [year_off, y] = year_chart();
    const QImage month_off = month_chart();
    set_budget("30000", "0");
    const auto [year_on, y_on] = year_chart();
    ASSERT_EQ(y, y_on);
    // Dashes of 6 pixels across the plot, on the row of -30,000, and nothing else but the label.
    const int left = velmo::graph::plot_left(0), right = velmo::graph::plot_right(0);
    EXPECT_NEAR(red_in_row(year_on, y, left, right) - red_in_row(year_off, y, left, right), (right - left) / 2, 6);
    for (int row = 0; row < year_on.height(); ++row) {
        if (row >= y - 12 && row <= y) continue;
        for (int x = 0; x < year_on.width(); ++x) ASSERT_EQ(year_on.pixel(x, row), year_off.pixel(x, row)) << x << "," << row;
    }
    // The month chart: -30,000 at 2,000 yen a 10-pixel step below its zero line.
    const QImage month_on = month_chart();
    const velmo::month_graph::Scale scale = velmo::month_graph::scale(0, -50000);
    const int month_y = scale.y0 + static_cast<int>(30000 / scale.yen_per_pixel());
    EXPECT_NEAR(red_in_row(month_on, month_y, 45, 363) - red_in_row(month_off, month_y, 45, 363), (363 - 45) / 2, 6);
    // A budget beyond the scale draws nothing: the scales stay as they are.
    set_budget("99999999", "0");
    EXPECT_EQ(year_chart().first, year_off);
    EXPECT_EQ(month_chart(), month_off);
}

}  // namespace
