// The per-attribute table: its sums from the machine entries, its place in the
// refresh order, and its painter read back from an offscreen image.
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include "framework/string_grid.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"
#include "views/attribute_summary.h"
#include "views/ledger_figures.h"
#include "views/machine_summary.h"

namespace velmo::testing {
namespace {

std::string detail(std::vector<MachineEntry> machines) { return pack_machine_detail(machines); }

// The machines of the records as the attribute table takes them: summed by name.
std::vector<Group> machines_of(const std::vector<std::string>& packed) {
    NameNumbers names;
    std::vector<RowFigures> records(packed.size());
    for (std::size_t i = 0; i < packed.size(); ++i) read_machine_figures(packed[i], names, records[i]);
    return collect_machine_groups(records, names, SIZE_MAX);
}

TEST(AttributeSums, EveryEntryCountsTowardEachAttributeOfItsMachine) {
    const std::vector<std::string> machines{"M", "N", "M"};
    const std::vector<std::uint16_t> masks{0b101, 0b100, 0b010};  // the second M is never used
    const std::vector<std::string> rows{
        detail({{"M", "10000", "15000"}}),                      // win for attributes 1 and 3
        detail({{"N", "3000", "1000"}, {"Q", "500", "9000"}}),  // loss for 3; Q is not registered
        detail({{"M", "2000", "2000"}, {"M", "", "700"}}),      // a draw, and a win with no investment
    };
    const auto lines = summarize_attributes(machines_of(rows), machines, masks);

    EXPECT_EQ(lines[0].investment, 12000);
    EXPECT_EQ(lines[0].payout, 17700);
    EXPECT_EQ(lines[0].counts.wins, 2);
    EXPECT_EQ(lines[0].counts.losses, 0);
    EXPECT_EQ(lines[0].counts.draws, 1);
    EXPECT_EQ(lines[1].counts.total(), 0);  // only the unused second M has attribute 2
    EXPECT_EQ(lines[2].investment, 15000);
    EXPECT_EQ(lines[2].payout, 18700);
    EXPECT_EQ(lines[2].counts.losses, 1);
    for (int i = 3; i < 16; ++i) EXPECT_EQ(lines[static_cast<std::size_t>(i)].counts.total(), 0) << i;

    // A mask list shorter than the machine list gives the rest no attributes.
    const auto short_masks = summarize_attributes(machines_of(rows), machines, std::vector<std::uint16_t>{});
    for (const auto& l : short_masks) EXPECT_EQ(l.counts.total(), 0);
}

TEST(AttributeSums, RowTextsOfNamedAndUnnamedAttributes) {
    SummaryLine none;
    EXPECT_EQ(attribute_row_texts(sj("甘デジ"), none),
              (std::array<std::string, 5>{sj("甘デジ"), "0", "0", "0", sj("0勝0敗")}));
    SummaryLine some;
    some.investment = 3000;
    some.payout = 1000;
    some.counts = {1, 2, 0};
    EXPECT_EQ(attribute_row_texts("A", some), (std::array<std::string, 5>{"A", "3000", "1000", "-2000", sj("1勝2敗 33％")}));
    EXPECT_EQ(attribute_row_texts("", some), (std::array<std::string, 5>{}));
}

class AttributeTab : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // Machines A (attributes 1 and 3) and B (attribute 3), attributes 1 and 3 named.
        form3->ListBox2->addItem(QStringLiteral("A"));
        form3->ListBox2->addItem(QStringLiteral("B"));
        form1->attr_mask = {0b101, 0b100};
        form3->edit(3)->setText(u("海"));
        form3->edit(5)->setText(QStringLiteral("five"));
    }
    void add(const char* date, std::vector<MachineEntry> machines) {
        long long bet = 0, pay = 0;
        for (const auto& m : machines) {
            bet += std::stoll(m.investment);
            pay += std::stoll(m.payout);
        }
        append_record({date, "H", "M", bet, pay, pack_machine_detail(machines), "", ""});
    }
    const std::string& cell(int c, int r) { return form1->StringGrid10->cell(c, r); }
};

TEST_F(AttributeTab, RecomputedAfterAChangeButTakenAsStoredAfterALoad) {
    add(" 1/5", {{"A", "10000", "15000"}, {"B", "4000", "1000"}});
    form1->recompute_totals();
    form1->refresh_after_load();  // a load keeps the table the file held
    EXPECT_TRUE(cell(1, 1).empty());

    form1->refresh_after_change();
    EXPECT_EQ(cell(1, 1), sj("海"));
    EXPECT_EQ(cell(2, 1), "10000");
    EXPECT_EQ(cell(3, 1), "15000");
    EXPECT_EQ(cell(4, 1), "5000");
    EXPECT_EQ(cell(5, 1), sj("1勝0敗 100％"));
    EXPECT_EQ(cell(4, 3), "2000");
    EXPECT_EQ(cell(5, 3), sj("1勝1敗 50％"));
    for (int c = 1; c <= 5; ++c) EXPECT_TRUE(cell(c, 2).empty()) << c;  // no name: empty row
    EXPECT_EQ(cell(0, 2), "2");

    // Registry changes show only after the next change of the ledger.
    form3->ListBox2->setCurrentRow(1);
    form3->check_box(1)->click();
    ASSERT_EQ(form1->attr_mask[1], 0b101);
    EXPECT_EQ(cell(2, 1), "10000");
    form3->edit(3)->clear();
    EXPECT_EQ(cell(1, 1), sj("海"));
    form1->refresh_after_change();
    for (int c = 1; c <= 5; ++c) EXPECT_TRUE(cell(c, 1).empty()) << c;
    EXPECT_EQ(cell(2, 3), "14000");
}

TEST_F(AttributeTab, HeadersAndPainting) {
    EXPECT_EQ(cell(1, 0), sj(" 機種属性"));
    EXPECT_EQ(cell(5, 0), sj("勝　率 "));
    EXPECT_TRUE(cell(0, 0).empty());
    form3->edit(6)->setText(QStringLiteral("four"));  // attribute 4: named, no entries
    add(" 1/5", {{"A", "10000", "15000"}});  // attribute 1 +5000
    add(" 1/6", {{"B", "9000", "1000"}});    // attribute 3 adds both: 19000 in, 16000 out
    form1->refresh_after_change();
    ASSERT_EQ(cell(4, 3), "-3000");
    ASSERT_EQ(cell(4, 4), "0");

    StringGrid* g = form1->StringGrid10;
    const QImage img = g->render_image();
    auto at = [&](int c, int r) {
        const QRect rect = g->cell_rect(c, r);
        return img.pixel(rect.left() + 2, rect.top() + 2);
    };
    EXPECT_EQ(at(2, 1), qRgb(224, 240, 255));  // win
    EXPECT_EQ(at(4, 1), qRgb(174, 210, 255));  // the balance column in the strong colour
    EXPECT_EQ(at(5, 1), qRgb(224, 240, 255));
    EXPECT_EQ(at(3, 3), qRgb(255, 226, 236));  // loss
    EXPECT_EQ(at(4, 3), qRgb(255, 186, 206));
    EXPECT_EQ(at(2, 4), qRgb(255, 252, 249));  // named without entries: neutral
    EXPECT_EQ(at(4, 4), qRgb(255, 252, 249));
    EXPECT_EQ(at(2, 2), qRgb(255, 255, 255));  // unnamed: white
    EXPECT_EQ(at(5, 16), qRgb(255, 255, 255));
    // Column 0 is shaded as a header on every row: the third pixel row of an 18-pixel header is grey 228.
    EXPECT_EQ(at(0, 1), qRgb(228, 228, 228));
    EXPECT_EQ(at(0, 2), qRgb(228, 228, 228));
    EXPECT_EQ(at(3, 0), qRgb(228, 228, 228));

    // The number of an unnamed attribute is drawn in its shaded cell; a white cell has no text.
    auto has_ink = [&](int c, int r) {
        const QRect rect = g->cell_rect(c, r);
        for (int y = rect.top(); y < rect.bottom(); ++y)
            for (int x = rect.left(); x < rect.right(); ++x)
                if (qRed(img.pixel(x, y)) < 100) return true;
        return false;
    };
    EXPECT_TRUE(has_ink(0, 2));
    EXPECT_TRUE(has_ink(0, 16));
    EXPECT_FALSE(has_ink(2, 2));
    EXPECT_TRUE(has_ink(4, 3));  // "-3000"
}

}  // namespace
}  // namespace velmo::testing
