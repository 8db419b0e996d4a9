// The ledger file: exact bytes, round trips through the windows, and what the
// loader does with missing, foreign and damaged files.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QCalendarWidget>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "bench/ledger_gen.h"

#include "ledger/record_fields.h"
#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

std::string hex_bytes(std::string_view s) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Puts one play record into row `row` of the windows, as the entry dialog leaves it.
void put_record(TForm1& f, int row, const std::string& date, const std::string& hall,
                const std::vector<MachineEntry>& machines, const std::string& comment) {
    std::string names;
    long long bet = 0, pay = 0;
    for (const auto& m : machines) {
        if (!names.empty()) names += sj("、");
        names += m.name;
        bet += cell_number(m.investment);
        pay += cell_number(m.payout);
    }
    if (f.StringGrid1->row_count() <= row) f.StringGrid1->set_row_count(row + 8);
    if (f.StringGrid5->row_count() <= row) f.StringGrid5->set_row_count(row + 1);
    f.StringGrid1->set_cell(0, row, date);
    f.StringGrid1->set_cell(f.hall_col, row, hall);
    f.StringGrid1->set_cell(f.machine_col, row, names);
    f.StringGrid1->set_cell(f.balance_col, row, std::to_string(pay - bet));
    f.StringGrid5->set_cell(0, row, pack_machine_detail(machines));
    f.StringGrid5->set_cell(1, row, pack_day_totals({std::to_string(bet), std::to_string(pay)}));
    f.StringGrid5->set_cell(2, row, comment);
    f.rec_count = std::max(f.rec_count, row);
}

using LedgerFile = AppFixture;

TEST_F(LedgerFile, OneRecordOf2004StartsWithTheKnownBytes) {
    form1->year_text = "2004";
    form1->file_name = path(QStringLiteral("vq2004.vqd"));
    put_record(*form1, 1, " 3/15", "A", {{"M", "1000", "3000"}}, "");
    form1->recompute_totals();
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();

    ASSERT_EQ(dialogs.texts(), std::vector<QString>{u("収支を保存しますか？")});
    EXPECT_EQ(form1->dirty, 0);
    const std::string bytes = read_bytes(QStringLiteral("vq2004.vqd"));
    EXPECT_EQ(hex_bytes(bytes.substr(0, 27)),
              "76 71 32 30 30 34 32 30 30 30 30 30 30 00 01 FF FF 00 01 FF 00 05 20 33 2F 31 35");
    // The rest of the record in its fixed order, the row mark of a new high, then the end byte.
    std::string rest = bytes.substr(27);
    std::string expected = std::string("\xFF\x01\x01", 3) + "A" + std::string("\xFF\x02\x01", 3) + "M" +
                           std::string("\xFF\x06\x00\x0D", 4) + pack_machine_detail({{"M", "1000", "3000"}}) +
                           std::string("\xFF\x07\x0A", 3) + pack_day_totals({"1000", "3000"}) +
                           std::string("\xFF\x08\x04", 3) + "2000" + std::string("\xFF\x10\x00\x00", 4) +
                           std::string("\xFF\x20", 2) + std::string(1, '\x02') +
                           std::string(1, '\0');
    EXPECT_EQ(hex_bytes(rest), hex_bytes(expected));
}

TEST_F(LedgerFile, EmptyLedgerWritesHeaderCountAttributesAndEndByte) {
    LedgerImage image;
    image.year = "2010";
    EXPECT_EQ(hex_bytes(encode_ledger(image)), "76 71 32 30 31 30 32 30 30 30 30 30 30 00 00 00");
    image.attributes.push_back({3, {"a", "1", "2", "x"}});
    EXPECT_EQ(hex_bytes(encode_ledger(image)),
              "76 71 32 30 31 30 32 30 30 30 30 30 30 00 00 FF 30 03 01 61 01 31 01 32 01 78 00");
}

TEST_F(LedgerFile, RoundTripKeepsEveryCellAndPackedField) {
    form1->year_text = "2005";
    const QString file = path(QStringLiteral("round.vqd"));
    form1->file_name = file;
    put_record(*form1, 1, " 1/5", sj("ホールＡ"), {{sj("海物語"), "10000", "2500"}, {"X", "0", "0"}}, sj("一行目\r\n二行目"));
    put_record(*form1, 2, " 1/5", sj("ホールＢ"), {{"Y", "3000", "12000"}}, "");
    put_record(*form1, 3, "12/25", "", {{"Z", "500", "500"}}, std::string(2000, 'c'));
    form1->StringGrid10->set_cell(1, 2, sj("甘デジ"));
    form1->StringGrid10->set_cell(2, 2, "4000");
    form1->StringGrid10->set_cell(3, 2, "9000");
    form1->StringGrid10->set_cell(5, 2, "1");
    form1->recompute_totals();
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();
    const std::string first = read_bytes(QStringLiteral("round.vqd"));

    // Remember the cells, clear, reload.
    std::vector<std::vector<std::string>> before;
    for (int r = 1; r <= 3; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < 6; ++c) row.push_back(form1->StringGrid1->cell(c, r));
        for (int c = 0; c < 3; ++c) row.push_back(form1->StringGrid5->cell(c, r));
        before.push_back(row);
    }
    form1->year_text = "1999";
    load(file);
    EXPECT_EQ(form1->year_text, "2005");
    EXPECT_EQ(form1->rec_count, 3);
    EXPECT_EQ(form1->StringGrid1->row_count(), 18);
    EXPECT_EQ(form1->StringGrid5->row_count(), 4);
    for (int r = 1; r <= 3; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < 6; ++c) row.push_back(form1->StringGrid1->cell(c, r));
        for (int c = 0; c < 3; ++c) row.push_back(form1->StringGrid5->cell(c, r));
        EXPECT_EQ(row, before[static_cast<size_t>(r - 1)]) << "row " << r;
    }
    EXPECT_EQ(form1->StringGrid10->cell(1, 2), sj("甘デジ"));
    EXPECT_EQ(form1->StringGrid10->cell(4, 2), "5000");  // payout minus investment, recomputed
    EXPECT_EQ(form1->StringGrid10->cell(5, 2), "1");
    EXPECT_EQ(form1->windowTitle(), u("Velmorant  --2005年収支--"));
    EXPECT_EQ(form1->dirty, 0);
    // Saving again writes the very same bytes.
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();
    EXPECT_EQ(read_bytes(QStringLiteral("round.vqd")), first);
}

TEST_F(LedgerFile, ExtraColumnAtIndexThreeMovesTheRolesAndComesBack) {
    LedgerImage image;
    image.year = "2006";
    image.extra = ExtraColumnBlock{sj("台番"), "20", 3, 2, 1, {"A1", "B2"}};
    image.records.push_back({" 2/1", "A1", "H", "M", pack_machine_detail({{"M", "100", "0"}}),
                             pack_day_totals({"100", "0"}), "-100", "", -2});
    write_bytes(QStringLiteral("x.vqd"), encode_ledger(image));
    load(path(QStringLiteral("x.vqd")));

    EXPECT_EQ(form1->has_extra, 1);
    EXPECT_EQ(form1->StringGrid1->col_count(), 7);
    EXPECT_EQ(form1->hall_col, 2);
    EXPECT_EQ(form1->machine_col, 4);
    EXPECT_EQ(form1->balance_col, 5);
    EXPECT_EQ(form1->total_col, 6);
    EXPECT_EQ(form1->extra_col, 3);
    EXPECT_EQ(form1->StringGrid1->cell(3, 0), sj("台番"));
    EXPECT_EQ(form1->StringGrid1->cell(3, 1), "A1");
    EXPECT_EQ(form1->StringGrid1->cell(4, 1), "M");
    EXPECT_EQ(form1->StringGrid1->cell(4, 0), sj(" プレイ機種"));
    EXPECT_EQ(form7->extra_width, 14);  // a typed width of 20 is one step of 14
    EXPECT_EQ(form1->StringGrid1->col_width(3), 14);
    EXPECT_EQ(form7->extra_align, 2);
    EXPECT_EQ(form7->extra_pos_index, 1);
    EXPECT_TRUE(form7->CheckBox1->isChecked());
    EXPECT_EQ(form7->ComboBox2->count(), 2);
    EXPECT_EQ(form2->ComboBox3->count(), 2);
    EXPECT_EQ(form1->StringGrid6->cell(0, 2), "B2");
    EXPECT_EQ(form1->StringGrid6->cell(1, 0), sj("台番"));
    EXPECT_FALSE(form1->StringGrid6->isHidden());
    EXPECT_EQ(form1->PageControl1->tabText(2), u("曜日収支、台番"));
    EXPECT_EQ(form1->IncomeTuika->text(), u("項目訂正"));

    // Saved again it holds the same block, with the width as it now stands.
    form1->file_name = path(QStringLiteral("y.vqd"));
    form1->dirty = 1;
    dialogs.answers = {true};
    form1->save_ledger();
    image.extra->width_text = "14";
    EXPECT_EQ(hex_bytes(read_bytes(QStringLiteral("y.vqd"))), hex_bytes(encode_ledger(image)));

    // A ledger without an extra column puts everything back.
    LedgerImage plain;
    plain.year = "2006";
    write_bytes(QStringLiteral("p.vqd"), encode_ledger(plain));
    load(path(QStringLiteral("p.vqd")));
    EXPECT_EQ(form1->has_extra, 0);
    EXPECT_EQ(form1->StringGrid1->col_count(), 6);
    EXPECT_EQ(form1->balance_col, 4);
    EXPECT_EQ(form2->ComboBox3->count(), 0);
    EXPECT_EQ(form1->StringGrid6->cell(0, 1), "");
    EXPECT_TRUE(form1->StringGrid6->isHidden());
    EXPECT_EQ(form1->PageControl1->tabText(2), u("曜日収支"));
    EXPECT_EQ(form1->IncomeTuika->text(), u("項目追加"));
}

// A stream written by hand: records out of order, an empty machines field, a stored
// count that disagrees with the records.
std::string record_stream(int stored_count, const std::vector<std::pair<int, std::string>>& records) {
    std::string s = std::string("vq2004200000") + "0";
    s.push_back(static_cast<char>(stored_count >> 8));
    s.push_back(static_cast<char>(stored_count & 0xFF));
    for (const auto& [number, date] : records) {
        s += std::string("\xFF\xFF", 2);
        s.push_back(static_cast<char>(number >> 8));
        s.push_back(static_cast<char>(number & 0xFF));
        s += std::string("\xFF\x00", 2);
        s.push_back(static_cast<char>(date.size()));
        s += date;
        s += std::string("\xFF\x02\x00", 3);
        s += std::string("\xFF\x08\x03", 3) + "100";
    }
    s.push_back('\0');
    return s;
}

TEST_F(LedgerFile, RecordsArePlacedByTheirNumbersAndTheCountOnlySizesTheGrids) {
    write_bytes(QStringLiteral("a.vqd"), record_stream(40, {{2, " 5/2"}, {1, " 5/1"}, {3, " 5/3"}}));
    load(path(QStringLiteral("a.vqd")));
    EXPECT_EQ(form1->rec_count, 3);
    EXPECT_EQ(form1->StringGrid1->cell(0, 1), " 5/1");
    EXPECT_EQ(form1->StringGrid1->cell(0, 2), " 5/2");
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 2), " ");  // empty machines field
    EXPECT_EQ(form1->StringGrid1->row_count(), 48);
    EXPECT_EQ(form1->StringGrid5->row_count(), 41);
    EXPECT_EQ(form1->StringGrid1->cell(form1->total_col, 3), "300");

    // rec_count is the highest record number read, whatever the order of the markers.
    write_bytes(QStringLiteral("b.vqd"), record_stream(1, {{3, " 6/3"}, {1, " 6/1"}}));
    load(path(QStringLiteral("b.vqd")));
    EXPECT_EQ(form1->rec_count, 3);
    EXPECT_EQ(form1->StringGrid1->cell(0, 3), " 6/3");  // the grid grew to hold it
    EXPECT_EQ(form1->StringGrid1->row_count(), 18);
}

TEST_F(LedgerFile, MissingFileAsksAndStartsEmptyOrOpensAnotherFile) {
    form1->year_text = "2004";
    dialogs.answers = {true};
    load(path(QStringLiteral("none.vqd")));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("2004年の収支表を新規で作成します")});
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ ±0"));
    EXPECT_EQ(form1->file_name, path(QStringLiteral("none.vqd")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.vqd"))));  // nothing is written

    // No: the open dialog, with the ledger filter; the chosen file is loaded.
    write_bytes(QStringLiteral("other.vqd"), record_stream(1, {{1, " 7/7"}}));
    dialogs.shown.clear();
    dialogs.answers = {false};
    dialogs.files = {path(QStringLiteral("other.vqd"))};
    load(path(QStringLiteral("none.vqd")));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, QStringLiteral("open"));
    EXPECT_EQ(dialogs.shown[1].text, u("収支ﾌｧｲﾙ(*.vqd)|*.vqd"));
    EXPECT_EQ(form1->file_name, path(QStringLiteral("other.vqd")));
    EXPECT_EQ(form1->rec_count, 1);

    // No, then the dialog cancelled: an empty ledger; creating_new skips the question.
    dialogs.shown.clear();
    dialogs.answers = {false};
    dialogs.files = {std::nullopt};
    load(path(QStringLiteral("none.vqd")));
    EXPECT_EQ(form1->rec_count, 0);
    dialogs.shown.clear();
    form1->creating_new = 1;
    load(path(QStringLiteral("none.vqd")));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(form1->creating_new, 0);
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(LedgerFile, WrongFormatShowsTheMessageAndClosesTheWindow) {
    for (const std::string& bytes : {std::string("vx20042000000"), std::string("vq20043000000"), std::string("vq")}) {
        dialogs.shown.clear();
        form1->closed_by_format_error = false;
        write_bytes(QStringLiteral("bad.vqd"), bytes);
        load(path(QStringLiteral("bad.vqd")));
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("ファイル形式が違います")});
        EXPECT_TRUE(form1->closed_by_format_error);
        EXPECT_EQ(form1->dirty, 0);
    }
}

TEST_F(LedgerFile, FailedSaveKeepsTheOldFileAndSaysSo) {
    const QString file = path(QStringLiteral("keep.vqd"));
    write_bytes(QStringLiteral("keep.vqd"), record_stream(1, {{1, " 1/1"}}));
    const std::string old = read_bytes(QStringLiteral("keep.vqd"));
    load(file);
    put_record(*form1, 2, " 1/2", "H", {{"M", "1", "2"}}, "");
    form1->dirty = 1;
    set_write_fault(10);
    dialogs.answers = {true};
    form1->save_ledger();
    set_write_fault(std::nullopt);
    EXPECT_EQ(dialogs.shown.back().text, file + u(" に保存できませんでした（ディスクの空きが足りません）"));
    EXPECT_EQ(read_bytes(QStringLiteral("keep.vqd")), old);
    EXPECT_EQ(form1->dirty & 1, 1);  // still offered for saving
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no temporary left

    // No writes nothing and forgets the change.
    dialogs.answers = {false};
    form1->save_ledger();
    EXPECT_EQ(read_bytes(QStringLiteral("keep.vqd")), old);
    EXPECT_EQ(form1->dirty, 0);
}

TEST_F(LedgerFile, RegistryIsSavedWhenMarkedWhateverTheAnswer) {
    const QString registry = path(QStringLiteral("velmo.lst"));
    form1->hsize_level = 3;
    form1->dirty = 2;  // only the registry changed: no question
    form1->save_ledger();
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(QFile::exists(registry));
    EXPECT_EQ(hex_bytes(read_bytes(QStringLiteral("velmo.lst"))), "20 02 00 00 14 01 03 16 01 00 FF");
    EXPECT_EQ(form1->dirty, 0);

    QFile::remove(registry);
    form1->file_name = path(QStringLiteral("no.vqd"));
    form1->dirty = 3;
    dialogs.answers = {false};
    form1->save_ledger();
    EXPECT_TRUE(QFile::exists(registry));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("no.vqd"))));
    EXPECT_EQ(form1->dirty, 0);
}

TEST_F(LedgerFile, DamagedFieldsAreBoundedSkippedOrCut) {
    std::string s = std::string("vq2004200000") + "0" + std::string("\x00\x02", 2);
    s += std::string("\xFF\x00\x04", 3) + "9/99";           // a field before any record: skipped
    s += std::string("\xFF\xFF\x04\x00", 4);                 // record 1024: skipped with its fields
    s += std::string("\xFF\x00\x04", 3) + "1/24";
    s += std::string("\xFF\xFF\x00\x01", 4);
    s += std::string("\xFF\x00\x04", 3) + " 1/1";
    s += std::string("\xFF\x10\x0B\xB8", 4) + std::string(3000, 'k');  // a 3000-byte comment
    s += std::string("\xFF\x55\x02", 3) + "zz";              // unknown tag, skipped as a short text
    s += std::string("\xFF\x01\xC8", 3) + std::string(200, 'h');  // a length byte above 127
    s += std::string("\xFF\x08\x02", 3) + "-5";
    s += std::string("\xFF\x30\x11\x01\x61\x01\x62\x01\x63\x01\x64", 11);  // attribute 17: ignored
    s.push_back('\0');
    write_bytes(QStringLiteral("d.vqd"), s);
    load(path(QStringLiteral("d.vqd")));
    EXPECT_EQ(form1->StringGrid1->cell(0, 0), sj("日付"));
    EXPECT_EQ(form1->rec_count, 1);
    EXPECT_EQ(form1->StringGrid1->cell(0, 1), " 1/1");
    EXPECT_EQ(form1->StringGrid5->cell(2, 1).size(), kLongTextMax);
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 1), std::string(200, 'h'));
    EXPECT_EQ(form1->StringGrid1->cell(form1->balance_col, 1), "-5");
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ -5"));

    // Cut anywhere, the file loads what came before the cut.
    for (size_t cut = 13; cut < s.size(); cut += 7) {
        write_bytes(QStringLiteral("cut.vqd"), s.substr(0, cut));
        load(path(QStringLiteral("cut.vqd")));
        EXPECT_LE(form1->rec_count, 1);
    }
}

// Record numbers beyond one byte: 256 and above take the high byte of the number.
TEST_F(LedgerFile, LedgersOfMoreThan255RecordsComeBackWhole) {
    const auto texts = [](const LedgerRecord& r) {
        return std::tie(r.date, r.extra, r.hall, r.machines, r.detail, r.totals, r.balance, r.comment);
    };
    for (const int count : {256, 300, kMaxRecordNumber}) {
        SCOPED_TRACE(count);
        bench::LedgerShape shape;
        shape.records = count;
        shape.machines = 2;
        LedgerImage image = bench::generated_ledger("2004", shape);
        ASSERT_TRUE(image.extra.has_value());
        image.extra->list.resize(10);  // the most preset values a ledger keeps
        ASSERT_EQ(image.records.size(), static_cast<size_t>(count));
        // Each record read back with its own texts, from the codec's bytes and from
        // what the windows save (with the marks they work out), and saved again the same.
        const auto expect_records = [&](const std::string& bytes) {
            DecodedLedger decoded;
            ASSERT_EQ(decode_ledger(bytes, decoded), DecodeResult::Ok);
            EXPECT_FALSE(decoded.damaged());
            EXPECT_EQ(decoded.stored_count, count);
            EXPECT_EQ(decoded.highest_record, count);
            const HeldLedger held = held_ledger(decoded);
            ASSERT_EQ(held.records.size(), image.records.size());
            for (size_t i = 0; i < held.records.size(); ++i)
                ASSERT_EQ(texts(held.records[i]), texts(image.records[i])) << "record " << i + 1;
        };
        const auto load_and_save = [&](const std::string& bytes) {
            write_bytes(QStringLiteral("big.vqd"), bytes);
            load(path(QStringLiteral("big.vqd")));
            EXPECT_EQ(form1->rec_count, count);
            EXPECT_EQ(form1->StringGrid1->cell(0, count), image.records.back().date);
            EXPECT_EQ(form1->StringGrid5->cell(0, 256), image.records[255].detail);
            form1->dirty = 1;
            dialogs.answers = {true};
            form1->save_ledger();
            return read_bytes(QStringLiteral("big.vqd"));
        };
        expect_records(encode_ledger(image));
        const std::string saved = load_and_save(encode_ledger(image));
        expect_records(saved);
        EXPECT_TRUE(load_and_save(saved) == saved);
    }
}

TEST_F(LedgerFile, RandomAndMutatedFilesNeverCrashTheReader) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{"E", "28", 6, 1, 4, {"a", "b"}};
    for (int i = 0; i < 30; ++i)
        image.records.push_back({make_date_text(1 + i % 12, 1 + i % 28), "x", "h", "m",
                                 pack_machine_detail({{"m", "10", "20"}}), pack_day_totals({"10", "20"}),
                                 "10", "c", 1});
    image.attributes.push_back({1, {"a", "1", "2", "3"}});
    const std::string good = encode_ledger(image);
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) bytes[13 + rng() % (bytes.size() - 13)] = static_cast<char>(rng());
        if (round % 3 == 0) bytes.resize(rng() % bytes.size());
        if (round % 10 == 0) {
            bytes = "vq20042";
            for (int i = 0; i < 400; ++i) bytes.push_back(static_cast<char>(rng()));
        }
        DecodedLedger decoded;
        decode_ledger(bytes, decoded);
        EXPECT_LE(decoded.last_record, kMaxRecordNumber);
        if (round % 10 == 0) {
            write_bytes(QStringLiteral("r.vqd"), bytes);
            dialogs.answers = {true};
            load(path(QStringLiteral("r.vqd")));
            EXPECT_LE(form1->rec_count, kMaxRecordNumber);
        }
    }
}

TEST(LedgerModel, CalendarDateFallsBackToALastDayTheYearHas) {
    EXPECT_EQ(calendar_date_in_year("2005", QDate(2004, 2, 29)), QDate(2005, 2, 28));
    EXPECT_EQ(calendar_date_in_year("2008", QDate(2004, 2, 29)), QDate(2008, 2, 29));
    EXPECT_EQ(calendar_date_in_year("2003", QDate(2026, 12, 7)), QDate(2003, 12, 7));
}

TEST(LedgerModel, DateTextsReadAndWrite) {
    EXPECT_EQ(make_date_text(1, 5), " 1/5");
    EXPECT_EQ(make_date_text(1, 15), " 1/15");
    EXPECT_EQ(make_date_text(10, 3), "10/3");
    EXPECT_EQ(make_date_text(12, 25), "12/25");
    EXPECT_EQ(date_text_month(" 1/15"), 1);
    EXPECT_EQ(date_text_day(" 1/15"), 15);
    EXPECT_EQ(date_text_month("12/5"), 12);
    EXPECT_EQ(date_text_day("12/5"), 5);
    EXPECT_EQ(date_text_month(""), 0);
}

}  // namespace
}  // namespace velmo::testing
