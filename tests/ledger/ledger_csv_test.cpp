// The CSV form of the ledger on plain values: quoting, reading lines back,
// the encodings a file may have, and the checks an import makes.
#include <gtest/gtest.h>

#include "entry/entry_rules.h"
#include "framework/cp932.h"
#include "ledger/amount_text.h"
#include "ledger/ledger_csv.h"
#include "ledger/record_fields.h"
#include "play/play_csv.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
const char* const kHeader = "記録番号,日付,曜日,ホール名,機種,投資,回収,収支,コメント";

// A record as the entry dialog builds it.
LedgerRecord record(int month, int day, const std::string& hall, const std::vector<MachineEntry>& machines,
                    const std::string& comment = "", const std::string& extra = "") {
    const RecordCells c = build_record(machines, month, day);
    return {c.date, extra, hall, c.machines, c.detail, c.totals, std::to_string(c.balance), comment, 0};
}

std::string utf8(const char* text) { return text; }

CsvImportTarget target_2004(int rec_count = 0) {
    CsvImportTarget t;
    t.year = "2004";
    t.rec_count = rec_count;
    return t;
}

std::vector<QString> reasons(const CsvImport& r) {
    std::vector<QString> out;
    for (const CsvProblem& p : r.problems) out.push_back(QString::number(p.line) + QStringLiteral(": ") + p.reason);
    return out;
}

// The lines of a UTF-8 text as the import's reader gives them.
std::vector<CsvRow> parse_csv(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    CsvLineReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), CsvEncoding::Utf8);
    std::vector<CsvRow> rows;
    for (CsvRow row; reader.next(row);) rows.push_back(row);
    return rows;
}

bool decode_csv_text(std::string_view bytes, QString& text, CsvEncoding& encoding) {
    std::string_view body;
    if (!csv_encoding(bytes, body, encoding)) return false;
    text = encoding == CsvEncoding::Cp932 ? from_cp932(body)
                                          : QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
    return true;
}

TEST(LedgerCsv, FieldsAreQuotedOnlyWhenTheyMustAndReadBackUnchanged) {
    EXPECT_EQ(csv_field(u("海物語")), u("海物語"));
    EXPECT_EQ(csv_field(u("a,b")), u("\"a,b\""));
    EXPECT_EQ(csv_field(u("say \"hi\"")), u("\"say \"\"hi\"\"\""));
    EXPECT_EQ(csv_field(u("1\r\n2")), u("\"1\r\n2\""));
    EXPECT_EQ(csv_field(u("1\n2")), u("\"1\n2\""));

    const std::vector<QString> tricky = {u(""), u("a,b"), u("\"q\""), u("x\r\ny"), u("z\nw"), u(" lead"), u("")};
    QString line;
    for (std::size_t i = 0; i < tricky.size(); ++i) line += (i ? u(",") : QString()) + csv_field(tricky[i]);
    const std::vector<CsvRow> rows = parse_csv(line + u("\r\nnext,row"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields, tricky);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[1].fields, (std::vector<QString>{u("next"), u("row")}));
    EXPECT_EQ(rows[1].number, 2);  // rows, not physical lines: the quoted breaks stay inside row 1
}

TEST(LedgerCsv, RowsAreNumberedAsASpreadsheetShowsThemAndBadQuotesAreReported) {
    // Blank rows and rows of empty cells are skipped but counted; LF and CR end rows too.
    const std::vector<CsvRow> rows = parse_csv(u("a\n\n,,\rb,\"c\"x,d\r\ne,\"open"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[1].number, 4);
    EXPECT_EQ(rows[1].error, u("引用符（\"）で囲んだ値の後に文字があります"));
    EXPECT_EQ(rows[2].number, 5);
    EXPECT_EQ(rows[2].error, u("引用符（\"）が閉じていません"));
    EXPECT_TRUE(parse_csv(QString()).empty());
}

TEST(LedgerCsv, EncodingIsFoundFromTheBytes) {
    QString text;
    CsvEncoding enc{};
    ASSERT_TRUE(decode_csv_text(kBom + utf8("ホール"), text, enc));
    EXPECT_EQ(enc, CsvEncoding::Utf8Bom);
    EXPECT_EQ(text, u("ホール"));
    ASSERT_TRUE(decode_csv_text(utf8("ホール"), text, enc));
    EXPECT_EQ(enc, CsvEncoding::Utf8);
    ASSERT_TRUE(decode_csv_text(sj("ホール①髙"), text, enc));
    EXPECT_EQ(enc, CsvEncoding::Cp932);
    EXPECT_EQ(text, u("ホール①髙"));
    // Neither UTF-8 nor CP932; and a UTF-8 mark before bytes that are not UTF-8.
    EXPECT_FALSE(decode_csv_text(std::string("a,\x82,\xFF\xFF"), text, enc));
    EXPECT_FALSE(decode_csv_text(kBom + sj("ホール"), text, enc));
}

TEST(LedgerCsv, ExportWritesOneLinePerMachineWithCommentAndExtraOnTheFirst) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{sj("天気"), "42", 6, 0, 4, {}};
    image.records.push_back(record(3, 15, sj("ホールＡ"), {{sj("海"), "1000", "3000"}, {"B,2", "500", "0"}},
                                   sj("よく出た\r\n\"当たり\""), sj("晴")));
    LedgerRecord bare;  // a record without machine entries still has its line
    bare.date = "12/31";
    bare.hall = "H";
    bare.balance = "-7";
    image.records.push_back(bare);

    const std::string expected = kBom + kHeader + utf8(",天気\r\n") +
                                 utf8("1,2004-03-15,月,ホールＡ,海,1000,3000,2000,\"よく出た\r\n\"\"当たり\"\"\",晴\r\n") +
                                 utf8("1,2004-03-15,月,ホールＡ,\"B,2\",500,0,-500,,\r\n") +
                                 utf8("2,2004-12-31,金,H,,,,-7,,\r\n");
    EXPECT_EQ(export_csv(image), expected);

    // Texts a spreadsheet would take as formulas get an apostrophe; amounts stay numbers,
    // and the import takes off exactly the apostrophe the export put on.
    image.extra = ExtraColumnBlock{sj("天気"), "42", 6, 0, 4, {}};
    image.records = {record(3, 15, "=HYPERLINK(\"http://x\",\"y\")",
                            {{"=2*3", "5000", "0"}, {"+1", "0", "0"}, {"-x", "0", "0"}, {"@A1", "0", "0"},
                             {"'=1", "0", "0"}, {"''-", "0", "0"}, {"'a", "0", "0"}, {"a=b", "0", "0"}},
                            "\t=cmd|' /C calc'!A0", "=A1"),
                     record(3, 16, "-", {{"M", "0", "0"}}, "\r\nx")};
    const std::string hyperlink = ",\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",";
    EXPECT_EQ(export_csv(image),
              kBom + kHeader + utf8(",天気\r\n") +
                  utf8("1,2004-03-15,月") + hyperlink + "'=2*3,5000,0,-5000,'\t=cmd|' /C calc'!A0,'=A1\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "'+1,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "'-x,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "'@A1,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "''=1,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "'''-,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "'a,0,0,0,,\r\n" +
                  utf8("1,2004-03-15,月") + hyperlink + "a=b,0,0,0,,\r\n" +
                  utf8("2,2004-03-16,火,'-,M,0,0,0,\"'\r\nx\",\r\n"));
    CsvImportTarget back = target_2004();
    back.has_extra = true;
    back.extra_name = sj("天気");
    const CsvImport again = read_csv_import(export_csv(image), back);
    ASSERT_EQ(reasons(again), std::vector<QString>{});
    EXPECT_EQ(encode_ledger({"2004", image.extra, again.records, {}}), encode_ledger(image));
    image.extra.reset();

    // A date the year lacks is written as it is stored, without a weekday.
    image.records = {record(2, 29, "H", {{"M", "1", "2"}})};
    image.year = "2005";
    image.extra.reset();
    EXPECT_EQ(export_csv(image), kBom + kHeader + utf8("\r\n1, 2/29,,H,M,1,2,1,\r\n"));
}

TEST(LedgerCsv, ImportTakesColumnsInAnyOrderAndEveryEncodingAndDateForm) {
    CsvImportTarget t = target_2004();
    t.has_extra = true;
    t.extra_name = sj("天気");
    // CP932, columns shuffled, 曜日 and 収支 left out, slashes in dates, later lines leaving shared cells empty.
    const std::string file = sj(
        "コメント,天気,機種,回収,投資,日付,記録番号,ホール名\r\n"
        "\"一行目\n二行目\",雨,海,3000,1000,2004/3/5,7,ホールＡ\r\n"
        ",,山,,,,7,\r\n"
        ",,川,0,20, 2004-12-01 ,2,B\r\n");
    const CsvImport r = read_csv_import(file, t);
    ASSERT_EQ(reasons(r), std::vector<QString>{});
    ASSERT_EQ(r.records.size(), 2u);
    // The comment's line break is stored as the entry dialog stores it.
    LedgerRecord first = record(3, 5, sj("ホールＡ"), {{sj("海"), "1000", "3000"}, {sj("山"), "0", "0"}},
                                sj("一行目\r\n二行目"), sj("雨"));
    EXPECT_EQ(r.records[0].date, " 3/5");
    EXPECT_EQ(encode_ledger({"2004", std::nullopt, {r.records[0]}, {}}),
              encode_ledger({"2004", std::nullopt, {first}, {}}));
    EXPECT_EQ(r.records[0].extra, sj("雨"));
    EXPECT_EQ(r.records[1].date, "12/1");
    EXPECT_EQ(r.records[1].balance, "-20");
    EXPECT_EQ(r.records[1].extra, "");
}

TEST(LedgerCsv, AnExtraColumnNamedLikeAColumnOfItsOwnComesBackInItsPlace) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{sj(" コメント "), "14", 2, 0, 0, {}};
    image.records = {record(5, 5, "H", {{"M", "1", "2"}}, sj("本当のコメント"), sj("追加の値"))};
    CsvImportTarget t = target_2004();
    t.has_extra = true;
    t.extra_name = image.extra->name;
    const CsvImport r = read_csv_import(export_csv(image), t);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].comment, sj("本当のコメント"));
    EXPECT_EQ(r.records[0].extra, sj("追加の値"));
}

TEST(LedgerCsv, ImportRefusesTheWholeFileAndNamesTheLinesThatFail) {
    const std::string head = utf8(kHeader) + "\r\n";
    struct Case {
        std::string file;
        std::vector<const char*> expected;
        int rec_count = 0;
    };
    const std::string long_hall(128, 'h');
    const std::vector<Case> cases = {
        {"", {"0: ファイルが空です"}},
        {head, {"0: 読み込む記録がありません"}},
        {"a,\x82,\xFF\xFF\r\n", {"0: 文字コードを判別できません（UTF-8 か Shift_JIS で保存したファイルを選んでください）"}},
        {utf8("記録番号,日付,機種,投資,台番\r\n"), {"1: 列「回収」がありません"}},
        {utf8("記録番号,日付,機種,投資,回収,投資\r\n"), {"1: 列「投資」が2つ以上あります"}},
        {head + utf8("1,2004-03-15,,H,M,1,2,,\r\n1,2004-03-16,,H,N,1,2,,\r\n2,2004-02-30,,H,M,1,2,,\r\n"
                     "3,3-15,,H,M,1,2,,\r\n4,2003-03-15,,H,M,1,2,,\r\n"),
         {"3: 同じ記録番号の行で日付が違います", "4: 日付 2004-02-30 はありません",
          "5: 日付が読めません（2004-03-15 の形で書いてください）", "6: 日付が2004年ではありません"}},
        {head + utf8("1,2004-03-15,,") + long_hall + utf8(",M,1,2,,\r\n2,2004-03-15,,H,😀,1,2,,\r\n"
                                                           "3,2004-03-15,,\"H\nI\",M,1,2,,\r\n"),
         {"2: ホール名が127バイトを超えます（128バイト）", "3: 機種名の「😀」は記録できない文字です",
          "4: ホール名に改行があります"}},
        {head + utf8("1,2004-03-15,,H,M,2147483648,1,,\r\n2,2004-03-15,,H,M,-5,1.5,,\r\n"
                     "3,2004-03-15,,H,M,2147483647,0,,\r\n3,2004-03-15,,H,N,1,0,,\r\n"
                     "4,2004-03-15,,H,M,1,2,5,\r\n5,2004-03-15,,H,,1,,,\r\n"),
         {"2: 投資が大きすぎます（2147483647まで）", "3: 投資が0以上の整数（半角数字）ではありません",
          "3: 回収が0以上の整数（半角数字）ではありません", "5: 記録の投資の合計が2147483647を超えます",
          "6: 収支が 回収 − 投資 と合いません", "7: 機種名が記入されていません"}},
        {head + utf8("x,2004-03-15,,H,M,1,2,,\r\n1,2004-03-15,,H,M,1,2,,\r\n2,2004-03-15,,H,M,1,2,,\r\n"
                     "1,2004-03-15,,H,M,1,2,,\r\n2,2004-03-15,,G,M,1,2,,,extra\r\n"),
         {"2: 記録番号が1以上の整数ではありません",
          "5: 記録番号 1 の行が続いていません（1つの記録の行は続けて並べてください）",
          "6: 見出しのない列に値があります", "6: 同じ記録番号の行でホール名が違います"}},
        {head + "\"1\",2004-03-15,,H,M,1,2,,\"unclosed\r\n", {"2: 引用符（\"）が閉じていません"}},
        {head + utf8("1,2004-03-15,,H,,,,,\r\n2,2004-03-15,,H,M,1,2,,\r\n3,2004-03-15,,H,M,1,2,,\r\n"),
         {"2: 機種名が記入されていません", "4: 記録が1023件を超えます（この収支表には今 1021 件あります）"},
         1021},
    };
    for (const Case& c : cases) {
        const CsvImport r = read_csv_import(c.file, target_2004(c.rec_count));
        std::vector<QString> expected;
        for (const char* e : c.expected) expected.push_back(u(e));
        EXPECT_EQ(reasons(r), expected) << c.file;
        EXPECT_TRUE(r.records.empty());
    }
}

// What players' own sheets hold: amounts with separators, yen signs and full-width
// digits, columns of their own, no record numbers, dates in Japanese forms.
// The one reader of amounts the player types (the budget) or imports (the CSV):
// what it takes and what it refuses, with and without a sign.
TEST(LedgerCsv, OneAmountReaderForTypedAndImportedAmounts) {
    constexpr std::optional<std::int64_t> kRefused;
    const struct {
        const char* text;
        std::optional<std::int64_t> unsigned_value;  // AmountSign::None
        std::optional<std::int64_t> signed_value;    // AmountSign::Allowed
    } cases[] = {
        {"", 0, 0},
        {"  ", 0, 0},
        {"0", 0, 0},
        {"10000", 10000, 10000},
        {"10,000", 10000, 10000},
        {"1,234,567", 1234567, 1234567},
        {" ￥10,000 ", 10000, 10000},
        {"¥500", 500, 500},
        {"\\3,000", 3000, 3000},
        {"10,000円", 10000, 10000},
        {"１０，０００", 10000, 10000},
        {"-5,000", kRefused, -5000},
        {"−5,000", kRefused, -5000},
        {"－５，０００", kRefused, -5000},
        {"▲5,000", kRefused, -5000},
        {"△5,000", kRefused, -5000},
        {"(5,000)", kRefused, -5000},
        {"（5,000）", kRefused, -5000},
        {"-￥5,000", kRefused, -5000},
        {"￥-5,000", kRefused, -5000},
        {"(￥5,000)", kRefused, -5000},
        {"-0", kRefused, 0},
        {"10,0000", kRefused, kRefused},
        {"1,,2", kRefused, kRefused},
        {"1,00", kRefused, kRefused},
        {",100", kRefused, kRefused},
        {"100,", kRefused, kRefused},
        {"1234,567", kRefused, kRefused},
        {"1.5", kRefused, kRefused},
        {"3万", kRefused, kRefused},
        {"￥", kRefused, kRefused},
        {"円", kRefused, kRefused},
        {"1000円円", kRefused, kRefused},
        {"-", kRefused, kRefused},
        {"--5", kRefused, kRefused},
        {"-(5)", kRefused, kRefused},
        {"(-5)", kRefused, kRefused},
        {"(5", kRefused, kRefused},
        {"+5", kRefused, kRefused},
        {"99999999999999999999", kAmountBeyond, kAmountBeyond},
        {"-99999999999999999999", kRefused, -kAmountBeyond},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read_amount(u(c.text)), c.unsigned_value);
        EXPECT_EQ(read_amount(u(c.text), AmountSign::Allowed), c.signed_value);
    }
}

TEST(LedgerCsv, ImportTakesWhatPlayersSheetsHold) {
    struct Amount {
        const char* cell;
        long long value;  // -1: refused
    };
    const Amount amounts[] = {
        {"\"10,000\"", 10000}, {"\"￥10,000\"", 10000}, {"\"¥1,234,567\"", 1234567}, {"\"10,000円\"", 10000},
        {"１０００", 1000},      {" 1，000 ", 1000},  {"\\500", 500},         {"\"1,00\"", -1},
        {"\"10,0000\"", -1},    {"1.5", -1},          {"-5", -1},              {"￥", -1},
        {"円", -1},              {"\",100\"", -1},     {"1000円円", -1},       {"\"1,,2\"", -1},
        {"▲500", -1},
    };
    const std::string head = utf8("日付,ホール名,機種,投資,回収\r\n");
    for (const Amount& a : amounts) {
        const CsvImport r = read_csv_import(head + utf8("2004-03-05,H,M,") + utf8(a.cell) + ",0\r\n", target_2004());
        SCOPED_TRACE(a.cell);
        if (a.value < 0) {
            ASSERT_EQ(reasons(r), std::vector<QString>{u("2: 投資が0以上の整数（半角数字）ではありません")});
        } else {
            ASSERT_EQ(r.records.size(), 1u) << reasons(r).front().toStdString();
            EXPECT_EQ(r.records[0].balance, std::to_string(-a.value));
        }
    }
    // The CP932 yen byte (a backslash) in a Shift_JIS file.
    EXPECT_EQ(read_csv_import(sj("日付,ホール名,機種,投資,回収\r\n2004/3/5,店,台,\"\\3,000\",0\r\n"), target_2004())
                  .records.at(0).balance, "-3000");

    // No record numbers: one date and hall make a visit, up to nine machines; dates in every form;
    // columns the ledger lacks (another ledger's extra column too) are named in the question; 出玉
    // is play data, which the program reads.
    play::register_csv_columns();
    std::string file = utf8("台番号,日付,ホール名,機種,投資,回収,出玉,天気\r\n");
    const char* dates[] = {"2004年3月5日", "3月5日", "3/5", "2004/03/05"};
    for (int i = 0; i < 11; ++i) file += utf8("123,") + utf8(dates[i % 4]) + ",H,M" + std::to_string(i) + ",1,0,4500,x\r\n";
    file += utf8("5,3/5,G,M,1,0,,\r\n5,3/5,H,M,1,0,,\r\n");
    const CsvImport r = read_csv_import(file, target_2004());
    ASSERT_EQ(reasons(r), std::vector<QString>{});
    std::vector<std::pair<std::string, std::size_t>> visits;
    for (const LedgerRecord& rec : r.records) {
        EXPECT_EQ(rec.date, " 3/5");
        visits.emplace_back(rec.hall, unpack_machine_detail(rec.detail).size());
    }
    EXPECT_EQ(visits, (std::vector<std::pair<std::string, std::size_t>>{{"H", 9}, {"H", 2}, {"G", 1}, {"H", 1}}));
    EXPECT_EQ(csv_import_question(r), u("次の列は読み込みません: 台番号, 天気\n4 件の記録を追加します。よろしいですか？"));

    // A 収支 column formatted as the amounts are, with a sign as sheets write it.
    const struct {
        const char* balance;
        bool taken;
    } balances[] = {
        {"\"-5,000\"", true}, {"\"−5,000\"", true}, {"\"▲5,000\"", true}, {"\"△5,000\"", true}, {"\"(5,000)\"", true},
        {"-5000", true},      {"\"5,000\"", false}, {"\"-5,00\"", false}, {"\"▲-5,000\"", false},
    };
    for (const auto& b : balances) {
        SCOPED_TRACE(b.balance);
        const std::string sheet = utf8("日付,ホール名,機種,投資,回収,収支\r\n2004/3/5,ホールA,機種X,\"10,000\",\"12,500\",\"2,500\"\r\n"
                                       "2004/3/5,ホールA,機種Y,\"10,000\",\"5,000\",") + utf8(b.balance) + "\r\n";
        const CsvImport read = read_csv_import(sheet, target_2004());
        if (b.taken) EXPECT_EQ(reasons(read), std::vector<QString>{});
        else EXPECT_EQ(reasons(read), std::vector<QString>{u("3: 収支が 回収 − 投資 と合いません")});
    }

    // Dates as a sheet holds them: a date cell with a time, full-width digits.
    const struct {
        const char* date;
        bool taken;
    } sheet_dates[] = {
        {"2004/3/5 0:00", true},    {"2004/3/5 12:30:00", true}, {"２００４/３/５", true},
        {"２００４／３／５", true}, {"2004-03-05 23:59", true},  {"3/5 0:00", true},
        {"2004/3/5 0", false},      {"2004/3/5 0:00 x", false},  {"2004/3/5x0:00", false},
    };
    for (const auto& d : sheet_dates) {
        SCOPED_TRACE(d.date);
        const CsvImport read = read_csv_import(utf8("日付,機種,投資,回収\r\n") + utf8(d.date) + ",M,1,0\r\n", target_2004());
        if (d.taken) {
            ASSERT_EQ(reasons(read), std::vector<QString>{});
            EXPECT_EQ(read.records.at(0).date, " 3/5");
        } else {
            EXPECT_EQ(reasons(read), std::vector<QString>{u("2: 日付が読めません（2004-03-15 の形で書いてください）")});
        }
    }
    // The example of the date message is in the ledger's year.
    CsvImportTarget year_2026 = target_2004();
    year_2026.year = "2026";
    EXPECT_EQ(reasons(read_csv_import(utf8("日付,機種,投資,回収\r\n3.5,M,1,0\r\n"), year_2026)),
              std::vector<QString>{u("2: 日付が読めません（2026-03-15 の形で書いてください）")});

    // Without 記録番号, a line leaving date and hall empty continues the visit above, nine machines at most.
    std::string continued = utf8("日付,ホール名,機種,投資,回収\r\n2004/3/5,H,M0,1,0\r\n");
    for (int i = 1; i < 9; ++i) continued += utf8(",,M") + std::to_string(i) + ",1,0\r\n";
    continued += utf8("2004/3/6,G,N,1,0\r\n,,N2,1,0\r\n");
    const CsvImport visits_read = read_csv_import(continued, target_2004());
    ASSERT_EQ(reasons(visits_read), std::vector<QString>{});
    ASSERT_EQ(visits_read.records.size(), 2u);
    EXPECT_EQ(unpack_machine_detail(visits_read.records[0].detail).size(), 9u);
    EXPECT_EQ(visits_read.records[1].hall, "G");
    EXPECT_EQ(unpack_machine_detail(visits_read.records[1].detail).size(), 2u);
    continued.insert(continued.find(utf8("2004/3/6")), ",,M9,1,0\r\n");  // a tenth machine has no date of its own
    EXPECT_EQ(reasons(read_csv_import(continued, target_2004())),
              std::vector<QString>{u("11: 日付が読めません（2004-03-15 の形で書いてください）")});
    EXPECT_EQ(reasons(read_csv_import(utf8("日付,ホール名,機種,投資,回収\r\n2004/3/5,H,M,1,0\r\n,G,N,1,0\r\n"), target_2004())),
              std::vector<QString>{u("3: 日付が読めません（2004-03-15 の形で書いてください）")});
}

// However large the file, the import keeps a bounded part of it: a line's fields
// and a field's bytes up to their limits, records up to the year's room, and the
// problems the message shows, counting the rest.
TEST(LedgerCsv, ImportKeepsWithinBoundsWhateverTheFile) {
    const std::string head = utf8(kHeader) + "\r\n";
    const std::string long_field = head + "1,2004-03-05,,\"" + std::string(CsvLineReader::kMaxFieldBytes + 1, 'h') + "\",M,1,2,,\r\n";
    EXPECT_EQ(reasons(read_csv_import(long_field, target_2004())),
              std::vector<QString>{u("2: 値が1048576バイトを超えます")});
    EXPECT_EQ(reasons(read_csv_import(head + std::string(100000, ',') + "x\r\n", target_2004())),
              std::vector<QString>{u("2: 列が4096を超えます")});
    EXPECT_TRUE(read_csv_import(head + "1,2004-03-05,,H,M,1,2,," + std::string(100000, ',') + "\r\n", target_2004())
                    .problems.empty());

    std::string many = head;
    for (int r = 1; r <= 1500; ++r) many += std::to_string(r) + ",2004-03-05,,H,M,1,2,,\r\n";
    const CsvImport full = read_csv_import(many, target_2004(3));
    EXPECT_EQ(reasons(full), std::vector<QString>{u("1022: 記録が1023件を超えます（この収支表には今 3 件あります）")});

    // Files larger than the pieces their encoding is checked in read as what they are.
    for (const bool shift_jis : {false, true}) {
        const auto text = [&](const char* t) { return shift_jis ? sj(t) : utf8(t); };
        std::string large = text("記録番号,日付,機種,投資,回収\r\n");
        for (int r = 1; large.size() < 3'000'000; ++r) large += std::to_string(r) + text(",2004-03-05,海物語ＸＹ,1,2\r\n");
        EXPECT_EQ(reasons(read_csv_import(large, target_2004())),
                  std::vector<QString>{u("1025: 記録が1023件を超えます（この収支表には今 0 件あります）")})
            << shift_jis;
    }

    std::string bad = head;
    for (int r = 1; r <= 500; ++r) bad += std::to_string(r) + ",2004-03-05,,H,M,x,2,,\r\n";
    const CsvImport refused = read_csv_import(bad, target_2004());
    EXPECT_EQ(refused.problems.size(), 20u);
    EXPECT_EQ(refused.problem_count, 500u);
    EXPECT_EQ(refused.problems.back().line, 21);
    EXPECT_TRUE(csv_problems_message(refused.problems, refused.problem_count).endsWith(u("\nほか 480 件")));
}

TEST(LedgerCsv, TenthMachineOfARecordIsRefused) {
    std::string file = utf8(kHeader) + "\r\n";
    for (int i = 1; i <= 10; ++i) file += "4,2004-01-02,,H,M" + std::to_string(i) + ",1,2,,\r\n";
    EXPECT_EQ(reasons(read_csv_import(file, target_2004())),
              std::vector<QString>{u("11: 1つの記録の機種は9つまでです")});
    file.resize(file.rfind("4,2004"));
    const CsvImport nine = read_csv_import(file, target_2004());
    ASSERT_EQ(nine.records.size(), 1u);
    EXPECT_EQ(unpack_machine_detail(nine.records[0].detail).size(), 9u);
}

TEST(LedgerCsv, MessageListsTheFirstTwentyProblems) {
    std::vector<CsvProblem> problems = {{0, u("ファイルが空です")}};
    EXPECT_EQ(csv_problems_message(problems),
              u("CSVファイルを読み込めません。収支表は変更していません。\nファイルが空です"));
    problems.clear();
    for (int line = 2; line <= 24; ++line) problems.push_back({line, u("理由")});
    const QString text = csv_problems_message(problems);
    EXPECT_TRUE(text.contains(u("\n21行目: 理由\nほか 3 件")));
    EXPECT_FALSE(text.contains(u("22行目")));
}

TEST(LedgerCsv, AddedRecordsGoAfterEveryRecordOfAnEarlierOrEqualDate) {
    const auto at = [](int m, int d, const std::string& hall) { return record(m, d, hall, {{"M", "0", "0"}}); };
    const MergedRecords merged =
        merge_in_date_order({at(1, 5, "a"), at(3, 1, "b"), at(3, 1, "c")}, {at(3, 1, "new1"), at(1, 1, "new2"), at(12, 31, "new3")});
    std::vector<std::string> halls;
    for (const LedgerRecord& r : merged.records) halls.push_back(r.hall);
    EXPECT_EQ(halls, (std::vector<std::string>{"new2", "a", "b", "c", "new1", "new3"}));
    EXPECT_EQ(merged.added_rows, (std::vector<int>{5, 1, 6}));
}

}  // namespace
}  // namespace velmo::testing
