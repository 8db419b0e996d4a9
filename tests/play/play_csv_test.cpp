// Play data in the CSV file: the columns a year with play data writes, what an
// import takes from the program's own files and from players' sheets, and what
// it refuses, each line and field named.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/cp932.h"
#include "ledger/ledger_csv.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"
#include "ledger/settings_parts.h"
#include "play/play_csv.h"
#include "play/play_settings.h"

// Readable QString values in test failures (as tests/support/app_fixture.h prints them).
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace velmo::play {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const char* const kPlayHeader =
    "記録番号,日付,曜日,ホール名,機種,投資,回収,収支,コメント,開始,終了,種別,貸玉料金,交換率,現金投資,持ち玉投資,"
    "貯玉引出,終了玉,貯玉預入,回転数,大当たり,RB,出玉";

class PlayCsv : public ::testing::Test {
protected:
    void SetUp() override { register_csv_columns(); }
    void TearDown() override { register_csv_columns(); }  // the program's columns for every later test
};

LedgerRecord record(int month, int day, const std::string& hall, const std::vector<MachineEntry>& machines,
                    const RecordPlayData& data = {}) {
    const RecordCells c = build_record(machines, month, day);
    LedgerRecord r{c.date, "", hall, c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0};
    if (!data.empty()) write_play_data(r.extensions, data);
    return r;
}

// A visit of two machines: pachinko at a 4円 28玉 hall, cash in and 2,500 balls into the store,
// and slots at 20円 5.6枚 (560 medals: 10,000円), 22:30 to 01:15.
LedgerRecord two_machine_visit() {
    RecordPlayData d;
    d.time = {22 * 60 + 30, 75};
    MachineData& p = d.machines[0];
    p.kind = Kind::Pachinko;
    p.lending_price = 400;
    p.exchange_rate = 280;
    p.cash = 10000;
    p.end_pieces = 2500;
    p.store_in = 2500;
    p.spins = 350;
    p.hits = 2;
    p.paid = 1200;
    MachineData& s = d.machines[1];
    s.kind = Kind::Slot;
    s.lending_price = 2000;
    s.exchange_rate = 56;
    s.cash = 5000;
    s.end_pieces = 560;
    s.hits = 1;
    s.rb = 2;
    return record(3, 5, cp932_literal("ホールA"), {{"P", "10000", "8929"}, {"S", "5000", "10000"}}, d);
}

LedgerImage year(std::vector<LedgerRecord> records) {
    LedgerImage image;
    image.year = "2004";
    image.records = std::move(records);
    return image;
}

CsvImportTarget target_2004() {
    CsvImportTarget t;
    t.year = "2004";
    return t;
}

std::vector<QString> reasons(const CsvImport& r) {
    std::vector<QString> out;
    for (const CsvProblem& p : r.problems) out.push_back(QString::number(p.line) + QStringLiteral(": ") + p.reason);
    return out;
}

TEST_F(PlayCsv, YearWithPlayDataWritesItsColumnsAndOneWithoutWritesTheSameBytesAsWithoutThem) {
    const LedgerImage plain = year({record(3, 1, "H", {{"M", "1000", "0"}})});
    const std::string with_columns = export_csv(plain);
    set_csv_columns(std::nullopt);
    EXPECT_EQ(export_csv(plain), with_columns);

    register_csv_columns();
    LedgerImage played = year({record(3, 1, "H", {{"M", "1000", "0"}}), two_machine_visit()});
    played.records.push_back(record(3, 6, "H", {}));  // a record without machines: its one line
    EXPECT_EQ(export_csv(played),
              kBom + kPlayHeader + "\r\n" +
                  "1,2004-03-01,月,H,M,1000,0,-1000,,,,,,,,,,,,,,,\r\n"
                  "2,2004-03-05,金,ホールA,P,10000,8929,-1071,,22:30,01:15,パチンコ,4,28,10000,,,2500,2500,350,2,,1200\r\n"
                  "2,2004-03-05,金,ホールA,S,5000,10000,5000,,22:30,01:15,スロット,20,5.6,5000,,,560,,,1,2,\r\n"
                  "3,2004-03-06,土,H,,,,0,,,,,,,,,,,,,,,\r\n");
}

TEST_F(PlayCsv, ExportedYearReadsBackWithTheSamePlayData) {
    RecordPlayData held;
    held.machines[0] = {Kind::Pachinko, 50, 2000, 2000, 3000, 1000, 4000, std::nullopt, 800, 3, std::nullopt, 2000};
    const LedgerImage image = year({two_machine_visit(), record(3, 7, cp932_literal("ホールA"), {{"M", "3500", "2000"}}, held)});
    const CsvImport back = read_csv_import(export_csv(image), [] {
        CsvImportTarget t = target_2004();
        PlaySettings settings;
        set_store_start(settings, {cp932_literal("ホールA"), Kind::Pachinko, 50}, 1000);
        static SettingsParts parts;
        parts.set(settings);
        t.settings = &parts;
        return t;
    }());
    ASSERT_EQ(reasons(back), std::vector<QString>{});
    ASSERT_EQ(back.records.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(read_play_data(back.records[i]), read_play_data(image.records[i])) << i;
        EXPECT_EQ(back.records[i].detail, image.records[i].detail) << i;
    }
}

TEST_F(PlayCsv, PlayersSheetGivesSomeColumnsInFullWidthAndAmountsComeFromPieces) {
    // No record numbers, no time, counts with separators and units, a kind written short.
    const std::string sheet =
        "日付,ホール名,機種,投資,回収,回転数,出玉,種別,交換率,現金投資,終了玉\r\n"
        "2004/3/5,A,海,１０，０００,,\"１，２００\",\"３，０００玉\",Ｐ,２８玉,１０，０００円,２５００\r\n"
        "2004/3/5,A,山,500,0,90,,,,,\r\n";
    const CsvImport r = read_csv_import(sheet, target_2004());
    ASSERT_EQ(reasons(r), std::vector<QString>{});
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_TRUE(r.ignored_columns.empty());
    const RecordPlayData d = read_play_data(r.records[0]);
    EXPECT_EQ(d.machines[0].spins, 1200);
    EXPECT_EQ(d.machines[0].paid, 3000);
    EXPECT_EQ(d.machines[0].kind, Kind::Pachinko);
    EXPECT_EQ(d.machines[0].exchange_rate, 280);
    EXPECT_EQ(d.machines[1].spins, 90);
    // 回収 was left empty: 2,500 balls at 28玉 are 8,928.57円.
    const std::vector<MachineEntry> m = unpack_machine_detail(r.records[0].detail);
    EXPECT_EQ(m[0].investment, "10000");
    EXPECT_EQ(m[0].payout, "8929");
    EXPECT_EQ(r.records[0].balance, std::to_string(8929 - 10000 - 500));

    // A sheet of pieces alone needs no 投資 or 回収 column; without the pieces' column it does.
    const CsvImport pieces = read_csv_import("日付,ホール名,機種,交換率,持ち玉投資,終了玉\r\n2004/3/5,A,海,28,280,560\r\n",
                                             target_2004());
    ASSERT_EQ(reasons(pieces), std::vector<QString>{});
    EXPECT_EQ(unpack_machine_detail(pieces.records.at(0).detail).at(0).investment, "1000");
    EXPECT_EQ(pieces.records[0].balance, "1000");
    EXPECT_EQ(reasons(read_csv_import("日付,ホール名,機種,交換率,持ち玉投資\r\n2004/3/5,A,海,28,280\r\n", target_2004())),
              std::vector<QString>{u("1: 列「回収」がありません")});
}

TEST_F(PlayCsv, FaultyPlayDataIsRefusedNamingLineAndField) {
    const std::string head = "日付,ホール名,機種,投資,回収,開始,終了,種別,貸玉料金,交換率,現金投資,持ち玉投資,貯玉引出,終了玉,貯玉預入,回転数\r\n";
    const struct {
        const char* lines;
        const char* reason;
    } cases[] = {
        {"2004/3/5,A,M,0,0,25:00,,,,,,,,,,\r\n", "2: 開始が時刻（10:00 の形）ではありません"},
        {"2004/3/5,A,M,0,0,10:00,9時,,,,,,,,,\r\n", "2: 終了が時刻（10:00 の形）ではありません"},
        {"2004/3/5,A,M,0,0,10:00,,,,,,,,,,\r\n2004/3/5,A,N,0,0,11:00,,,,,,,,,,\r\n", "3: 同じ記録の行で開始が違います"},
        {"2004/3/5,A,M,0,0,,,アレパチ,,,,,,,,\r\n", "2: 種別がパチンコかスロットではありません"},
        {"2004/3/5,A,M,0,0,,,,-4,,,,,,,\r\n", "2: 貸玉料金が読めません（4、0.5 の形）"},
        {"2004/3/5,A,M,0,0,,,,,5.55,,,,,,\r\n", "2: 交換率が読めません（28、5.6 の形）"},
        {"2004/3/5,A,M,0,0,,,,,,,,,,,-5\r\n", "2: 回転数が0以上の整数ではありません"},
        {"2004/3/5,A,M,0,0,,,,,,,1.5,,,,\r\n", "2: 持ち玉投資が0以上の整数ではありません"},
        {"2004/3/5,A,M,,,,,P,4,,,,,100,200,\r\n", "2: 貯玉預入が終了玉より多くなっています"},
        {"2004/3/5,A,M,,,,,P,4,28,,100,200,,,\r\n", "2: 貯玉引出が持ち玉投資より多くなっています"},
        {"2004/3/5,A,M,,,,,,,28,,,,100,100,\r\n", "2: 貯玉を使うには種別と貸玉料金が必要です"},
        {"2004/3/5,A,M,,,,,P,4,28,,100,100,,,\r\n", "2: 貯玉引出が貯玉残高（0）より多くなっています"},
        {"2004/3/5,A,,,,,,,,,,,,,,100\r\n", "2: 機種名が記入されていません"},
        // Amounts given beside pieces must be theirs: 1,000 cash and 280 balls at 28玉 are 2,000円.
        {"2004/3/5,A,M,1999,0,,,P,4,28,1000,280,,,,\r\n", "2: 投資が実戦データから計算した額（2000）と合いません"},
        {"2004/3/5,A,M,0,1000,,,P,4,28,,,,281,,\r\n", "2: 回収が実戦データから計算した額（1004）と合いません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const CsvImport r = read_csv_import(head + c.lines, target_2004());
        EXPECT_EQ(reasons(r), std::vector<QString>{QString::fromUtf8(c.reason)});
        EXPECT_TRUE(r.records.empty());
    }
    // The same amounts written as the pieces give them are taken.
    const CsvImport right = read_csv_import(head + "2004/3/5,A,M,\"2,000\",1004,,,P,4,28,1000,280,,281,,\r\n", target_2004());
    EXPECT_EQ(reasons(right), std::vector<QString>{});
}

TEST_F(PlayCsv, StoreWithdrawalsCountEarlierVisitsInDateOrder) {
    // The file's own rows count in date order, with the ledger's records and the starting balance.
    const std::string head = "日付,ホール名,機種,投資,回収,種別,貸玉料金,交換率,持ち玉投資,貯玉引出,終了玉,貯玉預入\r\n";
    const std::string deposit = "2004/3/10,A,M,,,P,4,28,,,1000,1000\r\n";   // +1,000 on the 10th
    const std::string withdraw = "2004/3/12,A,M,,,P,4,28,1500,1500,,\r\n";  // −1,500 on the 12th
    const std::string early = "2004/3/8,A,M,,,P,4,28,1500,1500,,\r\n";     // −1,500 on the 8th
    const LedgerRecord earlier_deposit = [] {
        RecordPlayData d;
        MachineData& m = d.machines[0];
        m.kind = Kind::Pachinko;
        m.lending_price = 400;
        m.exchange_rate = 280;
        m.end_pieces = m.store_in = 300;
        return record(3, 9, "A", {{"M", "0", "1071"}}, d);
    }();
    PlaySettings settings;
    set_store_start(settings, {"A", Kind::Pachinko, 400}, 200);
    SettingsParts parts;
    parts.set(settings);
    const std::vector<LedgerRecord> ledger = {earlier_deposit};
    CsvImportTarget t = target_2004();
    t.settings = &parts;
    t.records = ledger;
    t.rec_count = 1;
    const struct {
        std::string rows;
        std::vector<QString> reasons;
    } cases[] = {
        // 200 + 300 + 1,000 before the 12th: 1,500 may go out, even when the deposit's row comes later.
        {deposit + withdraw, {}},
        {withdraw + deposit, {}},
        // On the 8th only 200 are there; the ledger's deposit of the 9th comes after.
        {early, {u("2: 貯玉引出が貯玉残高（200）より多くなっています")}},
        // Two withdrawals of 1,500: the second finds 0.
        {deposit + withdraw + "2004/3/12,A,N,,,P,4,28,1,1,,\r\n", {u("4: 貯玉引出が貯玉残高（0）より多くなっています")}},
        // Another lending price is another store.
        {deposit + "2004/3/12,A,M,,,P,1,100,1500,1500,,\r\n", {u("3: 貯玉引出が貯玉残高（0）より多くなっています")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        const CsvImport r = read_csv_import(head + c.rows, t);
        EXPECT_EQ(reasons(r), c.reasons);
        EXPECT_EQ(r.records.empty(), !c.reasons.empty());
    }
}

}  // namespace
}  // namespace velmo::play
