// Data a later version keeps in the program's files: fields of tags this
// version does not read in the year ledger, and records of types it does not
// read in the name registry. Every path that reads, moves or writes a record
// carries them, so an older program never erases a newer one's data.
#include <QCalendarWidget>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

#include "analysis/year_files.h"
#include "budget/budget.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// One field as the file frames it: the lead byte, the tag, a length byte, the text.
std::string field(std::uint8_t tag, const std::string& text) {
    return bytes({0xFF, tag, static_cast<int>(text.size())}) + text;
}

TEST(LaterLedgerData, FieldsOfUnknownTagsAreKeptWithTheirRecord) {
    LedgerImage image;
    image.year = "2004";
    image.records.resize(2);
    image.records[0].date = " 1/5";
    image.records[0].machines = "M";
    image.records[1].date = " 1/6";
    image.records[1].machines = "M";
    const std::string plain = encode_ledger(image);
    // The fields of record 1 end before the marker of record 2.
    const std::size_t second = plain.find(bytes({0xFF, 0xFF, 0, 2}));
    ASSERT_NE(second, std::string::npos);
    const std::string head = plain.substr(0, second), tail = plain.substr(second);
    struct Case {
        const char* what;
        std::string file;
        std::vector<ExtensionField> kept;  // record 1's
        std::string written = {};          // empty: the file itself
        bool damaged = false;
    };
    const std::string longest(kExtensionTextMax, 'x');
    constexpr std::size_t kDateEnd = 15 + 4 + 3 + 4;
    ASSERT_EQ(plain.substr(kDateEnd - 7, 7), field(kTagDate, " 1/5"));
    const Case cases[] = {
        {"after the record's fields, in file order", head + field(0x40, "4.00") + field(0x03, "") + tail,
         {{0x40, "4.00"}, {0x03, ""}}, ""},
        {"the longest text a length byte holds", head + field(0x41, longest) + tail, {{0x41, longest}}, ""},
        {"a tag given twice: the last text, in the first place",
         head + field(0x40, "a") + field(0x41, "b") + field(0x40, "c") + tail, {{0x40, "c"}, {0x41, "b"}},
         head + field(0x40, "c") + field(0x41, "b") + tail},
        // The fields begin at byte 15 with record 1's marker, its date 4 bytes on.
        {"among the record's fields: written after them",
         plain.substr(0, kDateEnd) + field(0x40, "r") + plain.substr(kDateEnd, second - kDateEnd) + tail,
         {{0x40, "r"}}, head + field(0x40, "r") + tail},
        {"before any record: it belongs to none", plain.substr(0, 15) + field(0x40, "r") + plain.substr(15), {},
         plain},
        {"cut by the end of the file", head + field(0x40, "abc").substr(0, 4), {}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedLedger decoded;
        ASSERT_EQ(decode_ledger(c.file, decoded), DecodeResult::Ok);
        EXPECT_EQ(decoded.damaged(), c.damaged);
        HeldLedger held = held_ledger(decoded);
        ASSERT_FALSE(held.records.empty());
        EXPECT_EQ(held.records[0].extensions, c.kept);
        if (c.damaged) continue;
        ASSERT_EQ(held.records.size(), 2u);
        EXPECT_TRUE(held.records[1].extensions.empty());
        // The loader of other code gives the same records.
        DecodedLedger again;
        HeldLedger loaded;
        ASSERT_EQ(decode_held_ledger(c.file, again, loaded), DecodeResult::Ok);
        EXPECT_EQ(loaded.records[0].extensions, c.kept);
        LedgerImage out = image;
        out.records = held.records;
        EXPECT_EQ(encode_ledger(out), c.written.empty() ? c.file : c.written);
    }
}

// A year of four visits, each with a hall of its own and fields of later
// versions of its own (the last without any).
LedgerImage later_year() {
    LedgerImage image;
    image.year = "2004";
    const struct {
        const char* date;
        const char* hall;
        std::vector<ExtensionField> later;
    } visits[] = {
        {" 3/1", "H1", {{0x40, "rate 4.00"}, {0x42, std::string(200, 'h')}}},
        {" 3/10", "H2", {{0x41, "chodama 1200"}}},
        {" 3/20", "H3", {{0x40, ""}}},
        {" 3/25", "H4", {}},
    };
    for (const auto& v : visits) {
        LedgerRecord r;
        r.date = v.date;
        r.hall = v.hall;
        r.machines = "M";
        r.detail = pack_machine_detail({{"M", "10000", "12000"}});
        r.totals = pack_day_totals({"10000", "12000"});
        r.balance = "2000";
        r.comment = std::string("c ") + v.hall;
        r.extensions = v.later;
        r.mark = 2;  // each a new high of the running total, as the year list marks it
        image.records.push_back(std::move(r));
    }
    return image;
}

class LaterData : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        original = later_year();
        write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(original));
        load(path(QStringLiteral("vq2004.vqd")));
        dialogs.shown.clear();
    }
    // The year as saved now, its records by hall.
    std::map<std::string, LedgerRecord> saved_by_hall() {
        form1->dirty |= TForm1::kLedgerChanged;
        dialogs.answers = {true};
        EXPECT_TRUE(form1->save_ledger());
        DecodedLedger decoded;
        EXPECT_EQ(decode_ledger(read_bytes(QStringLiteral("vq2004.vqd")), decoded), DecodeResult::Ok);
        std::map<std::string, LedgerRecord> out;
        for (LedgerRecord& r : held_ledger(decoded).records) out[r.hall] = std::move(r);
        return out;
    }
    void expect_unchanged(const std::map<std::string, LedgerRecord>& saved, const std::string& hall) {
        SCOPED_TRACE(hall);
        for (const LedgerRecord& r : original.records) {
            if (r.hall != hall) continue;
            ASSERT_EQ(saved.count(hall), 1u);
            // The marks are the year list's own, set again after each change.
            LedgerRecord s = saved.at(hall);
            s.mark = r.mark;
            EXPECT_EQ(encode_ledger({"2004", std::nullopt, {s}, {}}), encode_ledger({"2004", std::nullopt, {r}, {}}));
        }
    }
    // A correction from the entry dialog: a new date and, when given, a new investment.
    void correct(int row, int day, const char* bet) {
        form1->StringGrid1->set_row(row);
        form1->correction();
        if (day) form2->MonthCalendar1()->setSelectedDate(QDate(2004, 3, day));
        if (bet) {
            form2->StringGrid1->set_row(1);
            form2->sgClick();
            form2->Edit1->setFocus();
            form2->Edit1->selectAll();
            QTest::keyClicks(form2->Edit1, QString::fromLatin1(bet));
        }
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
    }
    int row_of(const std::string& hall) const {
        for (int r = 1; r <= form1->rec_count; ++r)
            if (form1->StringGrid1->cell(form1->hall_col, r) == hall) return r;
        return 0;
    }
    LedgerImage original;
};

// The year window's loader takes a record's fields as the other loader does,
// also when a file gives a tag twice or a record's fields in two runs.
TEST_F(LaterData, TheYearWindowLoadsTheFieldsTheOtherLoaderReads) {
    LedgerImage image;
    image.year = "2004";
    image.records.resize(2);
    image.records[0].date = " 1/5";
    image.records[0].machines = "M";
    image.records[1].date = " 1/6";
    image.records[1].machines = "M";
    const std::string plain = encode_ledger(image);
    const std::size_t second = plain.find(bytes({0xFF, 0xFF, 0, 2}));
    ASSERT_NE(second, std::string::npos);
    const std::string head = plain.substr(0, second), tail = plain.substr(second);
    const struct {
        const char* what;
        std::string file;
        std::vector<ExtensionField> kept;
        std::vector<ExtensionField> second_kept = {};
    } cases[] = {
        {"in file order", head + field(0x40, "a") + field(0x03, "") + field(0x41, std::string(255, 'x')) + tail,
         {{0x40, "a"}, {0x03, ""}, {0x41, std::string(255, 'x')}}},
        {"a tag given twice", head + field(0x40, "a") + field(0x41, "b") + field(0x40, "c") + tail,
         {{0x40, "c"}, {0x41, "b"}}},
        {"one of the record's own fields between them: it ends their run",
         head + field(0x40, "a") + field(kTagHall, "H") + field(0x41, "b") + field(0x40, "c") + tail,
         {{0x40, "c"}, {0x41, "b"}}},
        {"two runs of the record's fields, another record's between them",
         head + field(0x40, "a") + field(0x41, "b") + bytes({0xFF, 0xFF, 0, 2}) + field(0x44, "e") +
             bytes({0xFF, 0xFF, 0, 1}) + field(0x40, "c") + field(0x43, "d") + tail,
         {{0x40, "c"}, {0x41, "b"}, {0x43, "d"}}, {{0x44, "e"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedLedger decoded;
        ASSERT_EQ(decode_ledger(c.file, decoded), DecodeResult::Ok);
        ASSERT_EQ(held_ledger(decoded).records[0].extensions, c.kept);
        ASSERT_EQ(held_ledger(decoded).records[1].extensions, c.second_kept);
        write_bytes(QStringLiteral("vq2004.vqd"), c.file);
        load(path(QStringLiteral("vq2004.vqd")));
        ASSERT_EQ(form1->ledger_view().record_count(), 2);
        EXPECT_EQ(form1->ledger_view().record(1).extensions, c.kept);
        EXPECT_EQ(form1->ledger_view().record(2).extensions, c.second_kept);
        EXPECT_EQ(form1->ledger_view().record(1).hall, held_ledger(decoded).records[0].hall);
    }
}

TEST_F(LaterData, EveryEditOfTheYearKeepsEachRecordsFields) {
    // Saved as loaded: the same bytes.
    form1->dirty |= TForm1::kLedgerChanged;
    dialogs.answers = {true};
    ASSERT_TRUE(form1->save_ledger());
    EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), encode_ledger(original));

    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> unchanged;  // halls whose records are as loaded
    };
    const Step steps[] = {
        {"an entry placed before three records", [&] { enter_in_march(5, "N1", "M", "1000", "0"); },
         {"H1", "H2", "H3", "H4"}},
        {"a correction of a record's amounts", [&] { correct(row_of("H2"), 0, "9000"); }, {"H1", "H3", "H4"}},
        {"a correction that moves a record past others", [&] { correct(row_of("H1"), 22, nullptr); },
         {"H3", "H4"}},
        {"a deletion before others", [&] {
             form1->StringGrid1->set_row(row_of("N1"));
             dialogs.answers = {true};
             form1->Delete1Click();
         }, {"H3", "H4"}},
        {"an import placed among the records", [&] {
             write_bytes(QStringLiteral("in.csv"), "日付,ホール名,機種,投資,回収\r\n2004-03-02,N2,M,100,0\r\n"
                                                   "2004-03-21,N3,M,100,0\r\n");
             dialogs.files = {path(QStringLiteral("in.csv"))};
             dialogs.answers = {true};
             form1->csv_import_command();
         }, {"H3", "H4"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const std::map<std::string, LedgerRecord> saved = saved_by_hall();
        for (const std::string& hall : step.unchanged) expect_unchanged(saved, hall);
        // Corrected records keep their fields; the added ones have none.
        for (const auto& [hall, r] : saved) {
            std::vector<ExtensionField> want;
            for (const LedgerRecord& o : original.records)
                if (o.hall == hall) want = o.extensions;
            EXPECT_EQ(r.extensions, want) << hall;
        }
    }
    const std::map<std::string, LedgerRecord> last = saved_by_hall();
    EXPECT_EQ(last.at("H1").date, " 3/22");
    EXPECT_EQ(last.count("N1"), 0u);
    EXPECT_EQ(last.at("H2").totals, pack_day_totals({"9000", "12000"}));
    ASSERT_EQ(last.count("N3"), 1u);

    // What code beyond the windows reads: the open year and another year's file.
    EXPECT_EQ(form1->ledger_view().record(row_of("H1")).extensions, original.records[0].extensions);
    write_bytes(QStringLiteral("vq2003.vqd"), encode_ledger(original));
    const analysis::YearFileRead other = analysis::read_year_file(path(QStringLiteral("vq2003.vqd")));
    ASSERT_EQ(other.fault, analysis::YearFileFault::None);
    ASSERT_EQ(other.file.records.size(), original.records.size());
    for (std::size_t i = 0; i < original.records.size(); ++i)
        EXPECT_EQ(other.file.records[i].extensions, original.records[i].extensions) << i;
}

TEST_F(LaterData, RegistryRecordsOfUnknownTypesSurviveEveryWrite) {
    budget::register_registry_record();
    Registry reg;
    reg.halls = {"H1", std::string(54, 'h')};
    reg.machines = {"M"};
    reg.masks = std::vector<std::uint16_t>{1};
    reg.hsize_level = 0;
    reg.vsize_level = 0;
    // Longer than a name is kept; records of one type kept in file order, as the
    // data of the budget's type that its codec does not read.
    reg.unread = {{0x41, std::string(80, 'r')}, {0x05, ""}, {0x41, "second"}, {0x40, "ABCD"}};
    const std::string file = encode_registry(reg);
    const std::string tail = std::string("\x41\x50", 2) + std::string(80, 'r') + std::string("\x05\x00", 2) +
                             "\x41\x06second" + "\x40\x04" "ABCD" "\xFF";
    ASSERT_GT(file.size(), tail.size());
    ASSERT_EQ(file.substr(file.size() - tail.size()), tail);
    const QString lst = registry_path();
    write_bytes(QStringLiteral("velmo.lst"), file);
    ASSERT_EQ(path(QStringLiteral("velmo.lst")), lst);
    read_registry();
    EXPECT_FALSE(form1->registry_damaged);

    struct Step {
        const char* what;
        std::function<void()> act;
        std::string want;
    };
    Registry with_budget = reg;
    with_budget.settings.set(budget::Budget{30000, 0});
    Registry wider = reg;
    wider.hsize_level = 1;
    Registry more_halls = reg;
    more_halls.halls.push_back("H3");
    const Step steps[] = {
        {"written as read", [] {}, file},
        {"a budget set: its record before them", [&] { form1->player_settings().set(budget::Budget{30000, 0}); },
         encode_registry(with_budget)},
        {"the budget off again", [&] { form1->player_settings().set(budget::Budget{}); }, file},
        {"a wider window", [&] { form1->hsize_level = 1; }, encode_registry(wider)},
        {"a hall added in the registry dialog", [&] {
             form1->hsize_level = 0;
             form3->ListBox1->addItem(QStringLiteral("H3"));
             write_registry();
         }, encode_registry(more_halls)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ASSERT_TRUE(save_registry_file());
        EXPECT_EQ(read_bytes(QStringLiteral("velmo.lst")), step.want);
        // And read again as the next start reads it.
        read_registry();
    }
}

}  // namespace
}  // namespace velmo::testing
