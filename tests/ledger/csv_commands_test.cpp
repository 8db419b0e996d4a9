// The CSV commands of the File menu and of the command line: a year goes out and
// comes back byte for byte, another reader finds the same cells, and a bad file
// changes nothing.
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>

#include "entry/entry_rules.h"
#include "framework/cp932.h"
#include "framework/instance_lock.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_model.h"
#include "tests/support/app_fixture.h"
#include "tests/support/private_program.h"

namespace velmo::testing {
namespace {

LedgerRecord record(int month, int day, const std::string& hall, const std::vector<MachineEntry>& machines,
                    const std::string& comment = "", const std::string& extra = "") {
    const RecordCells c = build_record(machines, month, day);
    return {c.date, extra, hall, c.machines, c.detail, c.totals, std::to_string(c.balance), comment, 0};
}

// A year as the entry dialog leaves it: up to nine machines, commas, quotes, line
// breaks, full-width, NEC and IBM characters, texts at their byte limits, an extra
// column, and texts a spreadsheet would take as formulas.
LedgerImage generated_year() {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{sj("天気,\"気分\""), "56", 3, 1, 1, {sj("晴"), sj("雨")}};
    std::string wide_hall = "x";
    for (int i = 0; i < 63; ++i) wide_hall += sj("全");  // 127 bytes
    const std::vector<std::string> halls = {sj("ホール,Ａ"), sj("\"大当\"館"), sj("髙﨑パーラー①"), "",
                                            sj("ｽﾛｯﾄ館 ㈱"), wide_hall, "=HYPERLINK(\"http://x\",\"y\")", "'=1+1"};
    const std::vector<std::string> names = {sj("海物語"), sj("北斗,拳"), sj("\"花\"の慶次"), sj("ⅰⅱⅲ№∵"),
                                            sj("凜々 纊"), "M", "=2*3", "-x", "@A1", "+1", sj("ロングネーム機種名称その")};
    std::string long_comment;
    for (int i = 0; i < 1000; ++i) long_comment += sj("長");  // 2000 bytes
    const std::vector<std::string> comments = {"", sj("よく出た"), sj("一行目\r\n二行目"), sj("改行\nLF, \"引用\""),
                                               long_comment, sj("\r\n,\"\r\n"),
                                               "\t=cmd|' /C calc'!A0"};
    const std::vector<std::string> extras = {"", sj("晴"), sj("雨,のち\"曇\""), "=A1"};
    unsigned seed = 13;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int k = 0; k < 80; ++k) {
        const int month = 1 + k * 12 / 80;
        const int day = 1 + static_cast<int>(next(28));
        std::vector<MachineEntry> machines;
        const unsigned count = k == 7 ? 9 : 1 + next(4);
        for (unsigned m = 0; m < count; ++m) {
            const std::string& name = k == 7 ? names.back() : names[next(static_cast<unsigned>(names.size()))];
            machines.push_back({name, std::to_string(next(5) * 1000), std::to_string(next(3) * 2500)});
        }
        if (k == 9) machines = {{"MAX", std::to_string(INT_MAX), "0"}};
        image.records.push_back(record(month, day, halls[next(static_cast<unsigned>(halls.size()))], machines,
                                       comments[next(static_cast<unsigned>(comments.size()))],
                                       extras[next(static_cast<unsigned>(extras.size()))]));
    }
    // In date order, records of one day in the order they were entered.
    std::stable_sort(image.records.begin(), image.records.end(), [](const LedgerRecord& a, const LedgerRecord& b) {
        return std::pair(date_text_month(a.date), date_text_day(a.date)) <
               std::pair(date_text_month(b.date), date_text_day(b.date));
    });
    return image;
}

class CsvCommands : public AppFixture {
protected:
    // Loads the image's file and saves it once, so that it holds the program's own bytes.
    std::string saved_ledger(const QString& name, const LedgerImage& image) {
        write_bytes(name, encode_ledger(image));
        load(path(name));
        form1->dirty = 1;
        dialogs.answers = {true};
        form1->save_ledger();
        dialogs.shown.clear();
        return read_bytes(name);
    }
    void import(const QString& name) {
        dialogs.files = {path(name)};
        form1->import_csv_action->trigger();
    }
};

TEST_F(CsvCommands, FileMenuHoldsTheExportsAndTheImportBetweenTheFileAndPrintingGroups) {
    std::vector<QString> texts;
    for (QAction* a : form1->File1->actions()) texts.push_back(a->isSeparator() ? QStringLiteral("-") : a->text());
    texts.resize(8);
    EXPECT_EQ(texts, (std::vector<QString>{u("開く"), u("新規作成"), u("-"), u("CSVファイルに書き出し..."),
                                           u("CSVファイルから読み込み..."), u("Excelファイルに書き出し..."), u("-"),
                                           u("印刷設定")}));
}

TEST_F(CsvCommands, AYearGoesOutAndComesBackIntoAnEmptyLedgerByteForByte) {
    // Comments with their line breaks as the entry dialog stores them (an import stores CR LF).
    LedgerImage year = generated_year();
    for (LedgerRecord& r : year.records) {
        std::string crlf;
        for (std::size_t i = 0; i < r.comment.size(); ++i) {
            if (r.comment[i] == '\n' && (i == 0 || r.comment[i - 1] != '\r')) crlf += '\r';
            crlf += r.comment[i];
        }
        r.comment = crlf;
    }
    const std::string original = saved_ledger(QStringLiteral("vq2004.vqd"), year);
    ASSERT_EQ(form1->rec_count, 80);

    dialogs.save_files = {path(QStringLiteral("out.csv"))};
    form1->export_csv_action->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(dialogs.shown[0].text, u("CSVファイル|*.csv"));
    EXPECT_EQ(dialogs.shown[0].caption, path(QStringLiteral("vq2004.csv")));  // beside the ledger
    EXPECT_EQ(dialogs.shown[1].text, u("80 件の記録を書き出しました"));
    EXPECT_EQ(read_bytes(QStringLiteral("out.csv")), export_csv(year));
    // The ledger itself is never the file written.
    dialogs.shown.clear();
    dialogs.save_files = {path(QStringLiteral("vq2004.vqd"))};
    form1->export_csv_action->trigger();
    EXPECT_EQ(dialogs.texts().back(), u("開いている収支ファイルには書き出せません"));
    EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), original);

    LedgerImage empty = year;
    empty.records.clear();
    const std::string empty_bytes = encode_ledger(empty);
    write_bytes(QStringLiteral("new.vqd"), empty_bytes);
    load(path(QStringLiteral("new.vqd")));
    dialogs.shown.clear();
    dialogs.answers = {true};
    import(QStringLiteral("out.csv"));
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{u("CSVファイル|*.csv"),
                                                     u("80 件の記録を追加します。よろしいですか？")}));
    EXPECT_EQ(form1->rec_count, 80);
    EXPECT_EQ(form1->StringGrid1->row_count(), 88);  // as after loading 80 records
    EXPECT_EQ(form1->StringGrid5->row_count(), 81);
    EXPECT_EQ(form1->dirty & 1, 1);
    EXPECT_EQ(read_bytes(QStringLiteral("new.vqd")), empty_bytes);  // nothing saved yet

    dialogs.answers = {true};
    form1->save_ledger();
    EXPECT_EQ(read_bytes(QStringLiteral("new.vqd")), original);
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(CsvCommands, AnotherCsvReaderFindsTheCellsTheTextsAndTheLineBreaks) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{sj("天気"), "42", 6, 0, 4, {}};
    image.records = {record(3, 15, sj("ホール,Ａ"), {{sj("海物語①"), "1000", "3000"}, {sj("\"髙\""), "500", "0"}},
                            sj("一行目\r\n二行目, \"引用\""), sj("晴")),
                     record(12, 31, "H", {{"M", "0", "0"}})};
    saved_ledger(QStringLiteral("p.vqd"), image);
    dialogs.save_files = {path(QStringLiteral("p.csv"))};
    form1->export_csv_action->trigger();

    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(VELMO_TEST_DATA "/csv_cells.py"), path(QStringLiteral("p.csv"))});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    std::vector<QStringList> cells;
    for (const auto& row : rows) cells.push_back(row.toVariant().toStringList());
    const std::vector<QStringList> expected = {
        {u("記録番号"), u("日付"), u("曜日"), u("ホール名"), u("機種"), u("投資"), u("回収"), u("収支"), u("コメント"), u("天気")},
        {u("1"), u("2004-03-15"), u("月"), u("ホール,Ａ"), u("海物語①"), u("1000"), u("3000"), u("2000"),
         u("一行目\r\n二行目, \"引用\""), u("晴")},
        {u("1"), u("2004-03-15"), u("月"), u("ホール,Ａ"), u("\"髙\""), u("500"), u("0"), u("-500"), u(""), u("")},
        {u("2"), u("2004-12-31"), u("金"), u("H"), u("M"), u("0"), u("0"), u("0"), u(""), u("")},
    };
    EXPECT_EQ(cells, expected);
}

TEST_F(CsvCommands, ImportedRecordsArePlacedByDateOnlyAfterYesAndNothingIsSaved) {
    LedgerImage image;
    image.year = "2004";
    image.records = {record(1, 5, "a", {{"M", "100", "0"}}), record(3, 1, "b", {{"M", "0", "300"}})};
    const std::string before = saved_ledger(QStringLiteral("l.vqd"), image);
    write_bytes(QStringLiteral("in.csv"), sj("記録番号,日付,ホール名,機種,投資,回収,コメント\r\n"
                                             "1,2004-03-01,new1,N,0,50,\r\n"
                                             "2,2004-01-01,new2,N,10,0,新年\r\n"));
    const std::string untouched = encode_ledger(form1->ledger_image());
    dialogs.answers = {false};
    import(QStringLiteral("in.csv"));
    EXPECT_EQ(dialogs.texts().back(), u("2 件の記録を追加します。よろしいですか？"));
    EXPECT_EQ(encode_ledger(form1->ledger_image()), untouched);
    EXPECT_EQ(form1->dirty, 0);

    dialogs.answers = {true};
    import(QStringLiteral("in.csv"));
    ASSERT_EQ(form1->rec_count, 4);
    std::vector<std::string> halls;
    for (int r = 1; r <= 4; ++r) halls.push_back(form1->StringGrid1->cell(form1->hall_col, r));
    EXPECT_EQ(halls, (std::vector<std::string>{"new2", "a", "b", "new1"}));
    EXPECT_EQ(form1->StringGrid1->row(), 1);  // the earliest record added
    EXPECT_EQ(form1->Memo1->toPlainText(), u("新年"));
    EXPECT_EQ(form1->StaticText1->text(), u("ＴＯＴＡＬ ＋240"));
    EXPECT_EQ(form1->dirty & 1, 1);
    EXPECT_EQ(read_bytes(QStringLiteral("l.vqd")), before);
}

TEST_F(CsvCommands, ABadFileIsRefusedWithItsMessageAndTheLedgerStaysUntouched) {
    LedgerImage image;
    image.year = "2004";
    image.records = {record(1, 5, "a", {{"M", "100", "0"}}), record(3, 1, "b", {{"M", "0", "300"}})};
    saved_ledger(QStringLiteral("l.vqd"), image);
    const std::string untouched = encode_ledger(form1->ledger_image());

    const std::string head = sj("記録番号,日付,曜日,ホール名,機種,投資,回収,収支,コメント\r\n");
    std::string nine_plus_one, too_many;
    for (int i = 1; i <= 10; ++i) nine_plus_one += "1,2004-05-05,,H,M" + std::to_string(i) + ",1,1,,\r\n";
    for (int i = 1; i <= 1022; ++i) too_many += std::to_string(i) + ",2004-05-05,,H,M,1,1,,\r\n";
    struct Case {
        std::string bytes;
        const char* line;
    };
    const std::vector<Case> cases = {
        {head + "1,2003-05-05,,H,M,1,1,,\r\n", "2行目: 日付が2004年ではありません"},
        {head + "1,2004-05-05,,\x82\x2C,M,1,1,,\r\n", "文字コードを判別できません（UTF-8 か Shift_JIS で保存したファイルを選んでください）"},
        {sj("記録番号,日付,機種,回収\r\n1,2004-05-05,M,1\r\n"), "1行目: 列「投資」がありません"},
        {head + "1,2004-05-05,,H," + std::string(128, 'm') + ",1,1,,\r\n", "2行目: 機種名が127バイトを超えます（128バイト）"},
        {head + "1,2004-05-05,,H,M,99999999999,1,,\r\n", "2行目: 投資が大きすぎます（2147483647まで）"},
        {head + nine_plus_one, "11行目: 1つの記録の機種は9つまでです"},
        {head + too_many, "1023行目: 記録が1023件を超えます（この収支表には今 2 件あります）"},
        {"", "ファイルが空です"},
    };
    for (const Case& c : cases) {
        write_bytes(QStringLiteral("bad.csv"), c.bytes);
        dialogs.shown.clear();
        import(QStringLiteral("bad.csv"));
        ASSERT_EQ(dialogs.shown.size(), 2u) << c.line;
        EXPECT_EQ(dialogs.shown[1].kind, QStringLiteral("message"));
        EXPECT_EQ(dialogs.shown[1].text, u("CSVファイルを読み込めません。収支表は変更していません。\n") + u(c.line));
        EXPECT_EQ(encode_ledger(form1->ledger_image()), untouched) << c.line;
        EXPECT_EQ(form1->dirty, 0) << c.line;
    }
    EXPECT_EQ(dialogs.unexpected, 0);
}

// The program run from the command line, as a script would run it.
class CommandLineExport : public CsvCommands {
protected:
    struct Run {
        int code = -1;
        std::string out;
        QString err;
    };
    Run run(const QStringList& args) { return run_program(QStringList{QStringLiteral("--export-csv")} + args); }
    Run run_program(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(program.path(), args);
        Run r;
        if (!p.waitForFinished(60000)) return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        const QByteArray out = p.readAllStandardOutput();
        r.out.assign(out.constData(), static_cast<std::size_t>(out.size()));
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    PrivateProgram program;  // its lock apart from every other test's
};

TEST_F(CommandLineExport, WritesTheSameFileWithoutDisplayWhileTheProgramRuns) {
    const LedgerImage year = generated_year();
    saved_ledger(QStringLiteral("vq2004.vqd"), year);
    dialogs.save_files = {path(QStringLiteral("gui.csv"))};
    form1->export_csv_action->trigger();
    const std::string gui = read_bytes(QStringLiteral("gui.csv"));

    // A running program holds the single-instance lock beside its user files; the export does not ask for it.
    InstanceLock lock;
    ASSERT_EQ(lock.acquire_in(program.folder(), QStringLiteral("velmo")).state, LockState::Acquired);

    Run to_file = run({path(QStringLiteral("vq2004.vqd")), path(QStringLiteral("cli.csv"))});
    EXPECT_EQ(to_file.code, 0) << to_file.err.toStdString();
    EXPECT_EQ(to_file.err, QString());
    EXPECT_EQ(read_bytes(QStringLiteral("cli.csv")), gui);
    Run to_stdout = run({path(QStringLiteral("vq2004.vqd"))});
    EXPECT_EQ(to_stdout.code, 0);
    EXPECT_EQ(to_stdout.out, gui);
}

TEST_F(CommandLineExport, FailsWithOneForAFileAndTwoForTheCommandLine) {
    write_bytes(QStringLiteral("foreign.vqd"), "not a ledger");
    write_bytes(QStringLiteral("ok.vqd"), encode_ledger(generated_year()));
    struct Case {
        QStringList args;
        int code;
        QString message;
    };
    const QString usage = u("（使い方: velmorant --export-csv 収支ファイル.vqd [書き出すファイル.csv]）\n");
    const QString ok_path = path(QStringLiteral("ok.vqd"));
    const std::vector<Case> cases = {
        {{}, 2, u("velmorant: 収支ファイルがありません") + usage},
        {{ok_path, QStringLiteral("--bogus")}, 2, u("velmorant: --bogus は使えないオプションです") + usage},
        {{QStringLiteral("--bogus"), ok_path}, 2, u("velmorant: --bogus は使えないオプションです") + usage},
        {{ok_path, QStringLiteral("a.csv"), QStringLiteral("b.csv")}, 2, u("velmorant: ファイルが多すぎます: b.csv") + usage},
        {{path(QStringLiteral("none.vqd"))}, 1, u("velmorant: ") + path(QStringLiteral("none.vqd")) + u(" を開けません\n")},
        {{QStringLiteral("--"), QStringLiteral("--none.vqd")}, 1, u("velmorant: --none.vqd を開けません\n")},
        {{path(QStringLiteral("foreign.vqd"))}, 1,
         u("velmorant: ") + path(QStringLiteral("foreign.vqd")) + u(" は収支ファイルではありません（ファイル形式が違います）\n")},
        {{ok_path, ok_path}, 1, u("velmorant: ") + ok_path + u(" は収支ファイルそのものです。別の名前を指定してください\n")},
        {{ok_path, path(QStringLiteral("no/such/dir.csv"))}, 1,
         u("velmorant: ") + path(QStringLiteral("no/such/dir.csv")) + u(" に書き出せません（保存先のフォルダーがありません）\n")},
    };
    const std::string ok = read_bytes(QStringLiteral("ok.vqd"));
    for (const Case& c : cases) {
        const Run r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.message.toStdString();
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(read_bytes(QStringLiteral("ok.vqd")), ok);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("--bogus"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("a.csv"))));
    // After "--" a name beginning with dashes is a file like any other.
    const Run dashed = run({QStringLiteral("--"), ok_path, QStringLiteral("--out.csv")});
    EXPECT_EQ(dashed.code, 0) << dashed.err.toStdString();
    EXPECT_EQ(read_bytes(QStringLiteral("--out.csv")), run({ok_path}).out);
}

// The exports take a damaged ledger as --analyze does: not at all, rather than the
// part of its year that could be read.
TEST_F(CommandLineExport, EveryModeRefusesADamagedLedger) {
    const std::string whole = encode_ledger(generated_year());
    write_bytes(QStringLiteral("cut.vqd"), whole.substr(0, whole.size() / 2));
    write_bytes(QStringLiteral("tail.vqd"), whole + "\x01");
    for (const QString& name : {QStringLiteral("cut.vqd"), QStringLiteral("tail.vqd")}) {
        const QString ledger = path(name);
        const QString out = path(QStringLiteral("out"));
        const QStringList modes[] = {
            {QStringLiteral("--export-csv"), ledger},
            {QStringLiteral("--export-csv"), ledger, out},
            {QStringLiteral("--export-xlsx"), ledger, out},
            {QStringLiteral("--analyze"), ledger},
        };
        for (const QStringList& args : modes) {
            SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
            QFile::remove(out);
            const Run r = run_program(args);
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err, u("velmorant: ") + ledger + u(" は壊れています（一部を読み込めません）\n"));
            EXPECT_TRUE(r.out.empty()) << r.out.size() << " bytes written to standard output";
            EXPECT_FALSE(QFileInfo::exists(out));
        }
    }
}

}  // namespace
}  // namespace velmo::testing
