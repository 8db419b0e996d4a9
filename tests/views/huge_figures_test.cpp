// A ledger from elsewhere whose cells hold figures far beyond any amount the
// program writes: every view computes with them without overflowing (this runs
// under the sanitizers), each figure counting as the bound of its sign.
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "print/report_paint.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using HugeFigures = AppFixture;

constexpr const char* kMax64 = "9223372036854775807";
constexpr const char* kMin64 = "-9223372036854775808";
constexpr const char* kBeyond = "99999999999999999999999";

TEST(CellNumber, FiguresBeyondThirtyTwoBitsCountAsTheBoundOfTheirSign) {
    EXPECT_EQ(cell_number("2147483647"), 2147483647);
    EXPECT_EQ(cell_number("-2147483648"), -2147483648LL);
    EXPECT_EQ(cell_number("2147483648"), kCellFigureMax);
    EXPECT_EQ(cell_number(kMax64), kCellFigureMax);
    EXPECT_EQ(cell_number(kBeyond), kCellFigureMax);
    EXPECT_EQ(cell_number(kMin64), -kCellFigureMax - 1);
    EXPECT_EQ(cell_number(std::string("-") + kBeyond), -kCellFigureMax - 1);
    for (const char* not_a_number : {"", "-", "1e9", " 5", "+5", "--5", "99999999999999999999x"})
        EXPECT_EQ(cell_number(not_a_number), 0) << not_a_number;
}

TEST_F(HugeFigures, EveryViewComputesWithThemWithoutOverflow) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{"X", kBeyond, 6, 0, 4, {"a"}};
    const std::string detail = pack_machine_detail({{"M", kMax64, kMin64}, {"N", kBeyond, kMax64}});
    const std::string totals = pack_day_totals({kMin64, kMax64});
    for (const char* date : {" 4/1", " 4/1", " 4/2", " 5/9"})
        image.records.push_back({date, "a", "H", "M", detail, totals, kMax64, "", 0});
    image.records.push_back({" 6/1", "a", "H", "M", detail, totals, kMin64, "", 0});
    image.attributes.push_back({1, {"A", kMax64, kMin64, kBeyond}});
    write_bytes(QStringLiteral("huge.vqd"), encode_ledger(image));
    form3->ListBox2->addItem(QStringLiteral("M"));
    form3->ListBox2->addItem(QStringLiteral("N"));
    form1->attr_mask = {1, 1};
    form1->attr_mask_present = true;

    load(path(QStringLiteral("huge.vqd")));
    ASSERT_EQ(form1->rec_count, 5);
    // The running total is kept in 32 bits and stops at its bound.
    EXPECT_EQ(form1->StringGrid1->cell(form1->total_col, 4), "2147483647");
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ -1"));
    // Sums of figures are exact in 64 bits: four at the upper bound, one at the lower.
    form1->StringGrid1->select_row(1);
    form1->StringGrid1Click();
    EXPECT_EQ(form1->StatusBar1->panel_text(2), QStringLiteral("H TOTAL +6442450940"));
    EXPECT_EQ(form1->StringGrid10->cell(4, 1), "-4294967295");

    form1->compute_monthly();
    form1->compute_weekday();
    form1->compute_hall_summary();
    form1->compute_extra_summary();
    form1->compute_attribute_summary();
    form1->compute_machine_summary();
    form1->graph_animate = false;
    form1->PageControl1->setCurrentWidget(form1->TabSheet7);
    form1->draw_graph();
    for (int m = 4; m <= 6; ++m) form6->draw_month_graph(m);
    form5->update_year_table();
    form5->update_rankings();
    (void)form1->report_data();
    form1->PageControl1->setCurrentWidget(form1->TabSheet1);
    form1->StringGrid1->select_row(1);
    form1->pop_calenClick();
    EXPECT_EQ(form1->view_flags & 1, 1);
    form1->Button2Click();
    form1->Button2Click();
}

}  // namespace
}  // namespace velmo::testing
