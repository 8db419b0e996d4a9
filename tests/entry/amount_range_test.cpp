// Records whose sums leave the 32-bit amounts are refused at commit; the dialog
// keeps everything typed.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>

#include "entry/entry_rules.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

class AmountRange : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start_empty_2004_ledger();
    }
    // Opens the dialog and types one machine per entry: name, investment, payout.
    void type_record(std::initializer_list<std::array<const char*, 3>> machines) {
        form1->SpeedButton1Click();
        form2->MonthCalendar1()->setSelectedDate(QDate(2004, 5, 5));
        int row = 1;
        for (const auto& m : machines) {
            form2->StringGrid1->set_row(row++);
            form2->sgClick();
            form2->ComboBox2->setEditText(QString::fromLatin1(m[0]));
            for (auto [edit, keys] : {std::pair{form2->Edit1, m[1]}, std::pair{form2->Edit2, m[2]}}) {
                edit->selectAll();
                QTest::keyClicks(edit, QString::fromLatin1(keys));
            }
        }
    }
    void commit() { QTest::mouseClick(form2->Button1, Qt::LeftButton); }
};

TEST_F(AmountRange, TwoBillionTwiceIsRefusedAndTheDialogKeepsTheRecord) {
    type_record({{"A", "2000000000", ""}, {"B", "2000000000", ""}});
    commit();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{amounts_too_large_text()});
    EXPECT_TRUE(form2->isVisible());
    EXPECT_FALSE(form1->isEnabled());
    EXPECT_EQ(form2->StringGrid1->cell(1, 2), "B");
    EXPECT_EQ(form2->StringGrid1->cell(2, 2), "2000000000");
    EXPECT_EQ(form2->StringGrid1->cell(2, 10), "4000000000");
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->dirty, 0);

    // Lowering one amount lets the same record in.
    dialogs.shown.clear();
    form2->StringGrid1->set_row(2);
    form2->sgClick();
    form2->Edit1->selectAll();
    QTest::keyClicks(form2->Edit1, QStringLiteral("5"));
    commit();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 1), "-2000000005");
}

TEST_F(AmountRange, SumsUpToTheLargest32BitNumberAreAccepted) {
    type_record({{"A", "", "2147483000"}, {"B", "", "648"}});  // payouts: one more than fits
    commit();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{amounts_too_large_text()});
    EXPECT_EQ(form1->rec_count, 0);
    form2->Button2Click();

    dialogs.shown.clear();
    type_record({{"A", "", "2147483000"}, {"B", "", "647"}});
    commit();
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 1), "2147483647");
    EXPECT_EQ(form1->StringGrid1->cell(form1->total_col, 1), "2147483647");

    type_record({{"A", "2147483000", ""}, {"B", "648", ""}});  // investments likewise
    commit();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{amounts_too_large_text()});
    EXPECT_EQ(form1->rec_count, 1);
}

TEST(AmountRangeRule, EachSumAndTheBalanceMustFit) {
    RecordCells r;
    r.investment = INT_MAX;
    r.balance = -static_cast<long long>(INT_MAX);
    EXPECT_TRUE(record_amounts_fit(r));
    r.investment = static_cast<long long>(INT_MAX) + 1;
    EXPECT_FALSE(record_amounts_fit(r));
    r = RecordCells{};
    r.payout = static_cast<long long>(INT_MAX) + 1;
    EXPECT_FALSE(record_amounts_fit(r));
    r = RecordCells{};
    r.balance = static_cast<long long>(INT_MIN) - 1;  // only amounts from a damaged file go below 0
    EXPECT_FALSE(record_amounts_fit(r));
    r.balance = INT_MIN;
    EXPECT_TRUE(record_amounts_fit(r));
}

}  // namespace
}  // namespace velmo::testing
