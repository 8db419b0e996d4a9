// A ledger whose record markers are out of order (a damaged or foreign file):
// every record read is shown with its running total and survives a save.
#include <QLabel>
#include <gtest/gtest.h>

#include "ledger/ledger_codec.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

void put_short(std::string& out, std::uint8_t tag, const std::string& text) {
    out += '\xFF';
    out += static_cast<char>(tag);
    out += static_cast<char>(text.size());
    out += text;
}

std::string record(int number, const std::string& date, const std::string& hall, const std::string& balance) {
    std::string out = "\xFF\xFF";
    out += static_cast<char>(number >> 8);
    out += static_cast<char>(number & 0xFF);
    put_short(out, kTagDate, date);
    put_short(out, kTagHall, hall);
    put_short(out, kTagMachines, "M");
    put_short(out, kTagBalance, balance);
    return out;
}

class RecordOrder : public AppFixture {};

TEST_F(RecordOrder, MarkersOneThreeTwoKeepAllThreeRecordsThroughASave) {
    std::string bytes = std::string("vq2004200000") + "0" + std::string("\x00\x03", 2);
    bytes += record(1, " 1/5", "A", "100");
    bytes += record(3, " 3/1", "C", "300");
    bytes += record(2, " 2/1", "B", "-50");
    bytes += '\0';
    write_bytes(QStringLiteral("mixed.vqd"), bytes);
    load(path(QStringLiteral("mixed.vqd")));

    TForm1& f = *form1;
    EXPECT_EQ(f.rec_count, 3);
    EXPECT_EQ(f.StringGrid1->cell(f.hall_col, 3), "C");
    EXPECT_EQ(f.StringGrid1->cell(f.total_col, 2), "50");
    EXPECT_EQ(f.StringGrid1->cell(f.total_col, 3), "350");
    EXPECT_EQ(f.StaticText1->text(), u("ＴＯＴＡＬ ＋350"));

    f.dirty = 1;
    dialogs.answers = {true};
    f.save_ledger();
    DecodedLedger saved;
    ASSERT_EQ(decode_ledger(read_bytes(QStringLiteral("mixed.vqd")), saved), DecodeResult::Ok);
    EXPECT_EQ(saved.stored_count, 3);
    EXPECT_EQ(saved.last_record, 3);
    std::vector<std::pair<int, std::string>> halls;
    for (const LedgerField& field : saved.fields)
        if (field.tag == kTagHall) halls.emplace_back(field.record, field.text);
    EXPECT_EQ(halls, (std::vector<std::pair<int, std::string>>{{1, "A"}, {2, "B"}, {3, "C"}}));
}

}  // namespace
}  // namespace velmo::testing
