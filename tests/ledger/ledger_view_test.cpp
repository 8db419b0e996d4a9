// The read-only view of the open ledger: what it shows after each kind of change,
// the figures made from it, and when it says that the ledger changed.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <tuple>

#include "bench/ledger_gen.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_view.h"
#include "framework/cp932.h"
#include "print/report_paint.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

std::vector<std::string> texts_of(const LedgerRecord& r) {
    return {r.date, r.extra, r.hall, r.machines, r.detail, r.totals, r.balance, r.comment};
}

class LedgerViewTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        bench::LedgerShape shape;
        shape.records = 40;
        write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(bench::generated_ledger("2004", shape)));
        form1->graph_animate = false;
        QObject::connect(&form1->ledger_view(), &LedgerView::changed, [this] {
            ++changes;
            // The monthly table shows the change before anyone hears of it.
            long long sum = 0;
            for (int r = 1; r <= form1->ledger_view().record_count(); ++r)
                sum += std::stoll(form1->ledger_view().record(r).balance);
            total_in_step = form1->StringGrid2->cell(4, 13) == std::to_string(sum);
        });
        load(path(QStringLiteral("vq2004.vqd")));
    }

    // The view shows what a save would write, and its figures are the kept ones.
    void expect_view_is_the_file(const char* after) {
        SCOPED_TRACE(after);
        const LedgerImage shown = snapshot(form1->ledger_view());
        DecodedLedger file;
        decode_ledger(encode_ledger(form1->ledger_image()), file);
        const HeldLedger held = held_ledger(file);
        ASSERT_EQ(shown.records.size(), held.records.size());
        for (std::size_t i = 0; i < held.records.size(); ++i)
            ASSERT_EQ(texts_of(shown.records[i]), texts_of(held.records[i])) << "record " << i + 1;
        EXPECT_EQ(shown.extra.has_value(), file.extra.has_value());
        // The monthly texts the records window and the printout read are the table's.
        const MonthlyTexts monthly = form1->monthly_texts();
        for (int r = 1; r <= TForm1::kMonthlyTotalRow; ++r)
            for (int c = 1; c <= 5; ++c)
                EXPECT_EQ(monthly[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)],
                          form1->StringGrid2->cell(c, r)) << "row " << r << " column " << c;
        const ReportData report = form1->report_data();
        ASSERT_EQ(report.rows.size(), static_cast<std::size_t>(form1->rec_count));
        for (int r = 1; r <= form1->rec_count; ++r)
            EXPECT_EQ(report.rows[static_cast<std::size_t>(r - 1)].total,
                      from_cp932(form1->StringGrid1->cell(form1->total_col, r))) << "running total " << r;
        const RecordFigures figures = figures_of(shown.records);
        const auto kept = form1->ledger_figures(true).rows();
        ASSERT_EQ(figures.rows.size(), kept.size());
        // The month sums and record figures the view gives are those of its records.
        LedgerView::MonthBalances months{};
        for (const RowFigures& r : figures.rows)
            if (r.month >= 1 && r.month <= 12) months[r.month] += r.balance;
        EXPECT_EQ(form1->ledger_view().month_balances(), months);
        for (std::size_t i = 0; i < figures.rows.size(); ++i) {
            const LedgerView::RecordAmounts a = form1->ledger_view().amounts(static_cast<int>(i) + 1);
            EXPECT_EQ(std::tuple(a.month, a.balance, a.investment),
                      std::tuple(int{figures.rows[i].month}, std::int64_t{figures.rows[i].balance},
                                 std::int64_t{figures.rows[i].investment}))
                << "record " << i + 1;
        }
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(figures.rows[i].balance, kept[i].balance);
            EXPECT_EQ(figures.rows[i].investment, kept[i].investment);
            EXPECT_EQ(figures.rows[i].payout, kept[i].payout);
            EXPECT_EQ(figures.rows[i].month * 100 + figures.rows[i].day, kept[i].month * 100 + kept[i].day);
            ASSERT_EQ(figures.rows[i].machine_count, kept[i].machine_count);
            for (int m = 0; m < kept[i].machine_count; ++m)
                EXPECT_EQ(figures.names.name(figures.rows[i].machines[m].name),
                          form1->ledger_figures(true).names().name(kept[i].machines[m].name));
        }
    }

    int changes = 0;
    bool total_in_step = false;
};

TEST_F(LedgerViewTest, ShowsWhatASaveWritesAfterEveryKindOfChange) {
    EXPECT_EQ(changes, 1);
    expect_view_is_the_file("load");
    enter_in_march(5, "ホールA", "海物語", "10000", "25000");
    expect_view_is_the_file("entry");
    EXPECT_EQ(form1->ledger_view().record_count(), 41);
    form1->StringGrid1->set_row(3);
    form1->correction();
    form2->ComboBox1->setEditText(u("ホールB"));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    expect_view_is_the_file("correction");
    EXPECT_EQ(form1->ledger_view().record(3).hall, sj("ホールB"));
    form1->StringGrid1->set_row(7);
    dialogs.answers = {true};
    form1->Delete1Click();
    expect_view_is_the_file("deletion");
    LedgerImage two = snapshot(form1->ledger_view());
    two.records.resize(2);
    write_bytes(QStringLiteral("in.csv"), export_csv(two));
    dialogs.files = {path(QStringLiteral("in.csv"))};
    dialogs.answers = {true};
    const int before = form1->rec_count;
    form1->csv_import_command();
    EXPECT_EQ(form1->rec_count, before + 2) << dialogs.texts().back().toStdString();
    expect_view_is_the_file("CSV import");
    dialogs.answers = {true};
    form7->Button6Click();  // the extra column goes
    EXPECT_FALSE(form1->ledger_view().extra_column().has_value());
    expect_view_is_the_file("extra column deleted");
    EXPECT_EQ(changes, 6);
}

TEST_F(LedgerViewTest, SaysOnceAfterTheWindowsAreCurrentAndNotForAnUntouchedCorrection) {
    changes = 0;
    enter_in_march(6, "ホールA", "海物語", "1000", "0");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(total_in_step) << form1->StringGrid2->cell(4, 13);
    const std::uint64_t revision = form1->ledger_view().revision();
    form1->StringGrid1->set_row(2);
    form1->correction();
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(form1->ledger_view().revision(), revision) << "a correction that changed nothing";
    form1->StringGrid1->set_row(2);
    dialogs.answers = {true};
    form1->Delete1Click();
    EXPECT_EQ(changes, 3);
    EXPECT_GT(form1->ledger_view().revision(), revision);
}

}  // namespace
}  // namespace velmo::testing
