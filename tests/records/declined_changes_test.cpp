// Changes the player declined to save never reach the lifetime records: the
// year's row and rankings stay as its saved ledger gives them.
#include <QLabel>
#include <gtest/gtest.h>

#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "records/records_codec.h"
#include "tests/support/app_fixture.h"

using namespace velmo::testing;

namespace {

class DeclinedChanges : public AppFixture {
protected:
    void change(const char* date, const char* hall, int investment, int payout) {
        append_record({date, hall, "M", investment, payout, "", "", ""});
        form1->refresh_after_change();
        form1->dirty |= 1;
    }
    // The texts of one column of a table in velmo.rcd, row by row.
    std::vector<std::string> file_column(int table, int col) const {
        velmo::DecodedRecords file;
        EXPECT_EQ(velmo::decode_records(read_bytes(QStringLiteral("velmo.rcd")), file), velmo::RecordsDecode::Ok);
        std::vector<std::string> out;
        for (const velmo::RecordCell& c : file.cells)
            if (c.table == table && c.col == col) {
                if (out.size() < static_cast<std::size_t>(c.row)) out.resize(static_cast<std::size_t>(c.row));
                out[static_cast<std::size_t>(c.row - 1)] = c.text;
            }
        return out;
    }
};

TEST_F(DeclinedChanges, ADeclinedYearKeepsTheRowOfItsSavedLedger) {
    // Year 2004, saved with one record of +1000.
    form1->year_text = "2004";
    dialogs.answers = {true};
    load(path(QStringLiteral("vq2004.vqd")));
    change(" 3/15", "Saved", 1000, 2000);
    dialogs.answers = {true};
    form1->save_ledger();
    const std::string file_2004 = read_bytes(QStringLiteral("vq2004.vqd"));

    velmo::LedgerImage other;
    other.year = "2005";
    other.records.push_back({" 1/9", "", "B1", "M", "", velmo::pack_day_totals({"0", "300"}), "300", "", 0});
    write_bytes(QStringLiteral("vq2005.vqd"), velmo::encode_ledger(other));

    // A change of 2004 (+9000) that the player declines when opening 2005.
    change(" 4/1", "Declined", 0, 9000);
    EXPECT_EQ(form5->StringGrid1->cell(3, 1), "10000");  // shown while it is open
    dialogs.answers = {false};
    dialogs.files = {path(QStringLiteral("vq2005.vqd"))};
    form1->Open1Click();
    ASSERT_EQ(form1->year_text, "2005");
    EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), file_2004);
    EXPECT_EQ(form5->StringGrid1->cell(3, 1), "1000");
    EXPECT_EQ(form5->StaticText1->text(), u("生涯収支 ＋1000"));

    // 2005 changed and saved: the record file has 2004 as its ledger says.
    change(" 2/2", "B2", 100, 50);
    dialogs.answers = {true};
    form1->save_ledger();
    EXPECT_EQ(file_column(0, 0), (std::vector<std::string>{sj(u8"2004年"), sj(u8"2005年")}));
    EXPECT_EQ(file_column(0, 3), (std::vector<std::string>{"1000", "250"}));
    EXPECT_EQ(file_column(0, 4), (std::vector<std::string>{"1000", "1250"}));
    EXPECT_EQ(file_column(1, 2), (std::vector<std::string>{"Saved", "B1"}));  // best records: no declined one
    EXPECT_EQ(file_column(2, 2), std::vector<std::string>{"B2"});
    EXPECT_EQ(form5->StaticText1->text(), u("生涯収支 ＋1250"));
    EXPECT_EQ(form5->Label4->text(), u("1250"));
}

}  // namespace
