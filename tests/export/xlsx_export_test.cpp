// The year's workbook as another program reads it (openpyxl): the ledger's lines
// equal the CSV export's, cells keep their types and formats, the summary sheets
// equal the year window's tables, and bad command lines are refused.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "bench/ledger_gen.h"
#include "export/workbook_tables.h"
#include "export/xlsx_export.h"
#include "framework/cp932.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_model.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

const QString kAmount = QStringLiteral("#,##0;[Red]-#,##0");

struct Outcome {
    int code = -1;
    QString err;
    QByteArray out;
};

// The program without a display, under the given locale (LC_ALL) when one is given.
Outcome run_program(const QStringList& args, const QString& dir, const char* locale = nullptr) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    if (locale) env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(VELMO_EXE), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError()), p.readAllStandardOutput()};
}

// Debian's own interpreter, the one python3-openpyxl installs for (a python3
// earlier on the PATH may lack it).
QJsonDocument python(const char* script, const QString& file) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELMO_TEST_DATA "/") + QString::fromLatin1(script), file});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput());
}

// The sheets of a workbook by name, in order.
struct Book {
    QStringList names;
    std::map<QString, QJsonObject> sheets;
    QJsonArray rows(const QString& sheet) const { return sheets.at(sheet)[QStringLiteral("rows")].toArray(); }
};

Book read_book(const QString& file) {
    Book b;
    for (const auto& s : python("xlsx_cells.py", file).array()) {
        b.names << s[QStringLiteral("name")].toString();
        b.sheets[b.names.back()] = s.toObject();
    }
    return b;
}

// A cell as [type, value, number format].
QString type_of(const QJsonValue& c) { return c[0].toString(); }
QString value_of(const QJsonValue& c) { return c[1].toString(); }
QString format_of(const QJsonValue& c) { return c[2].toString(); }

// A year with texts a spreadsheet would otherwise read as a formula, a number and a date.
LedgerImage typed_texts_year() {
    bench::LedgerShape shape;
    shape.records = 150;
    shape.machines = 3;
    shape.halls = 7;
    LedgerImage image = bench::generated_ledger("2024", shape);
    const RecordCells c = build_record({{"0123", "0", "500"}, {"4-6", "3000", "1000"}}, 1, 1);
    image.records.insert(image.records.begin(),
                         LedgerRecord{c.date, "0123", "=1+2", c.machines, c.detail, c.totals, std::to_string(c.balance),
                                      "4-6\r\n" + sj("二行目"), 0});
    const RecordCells f = build_record({{"-x", "0", "0"}, {"+1", "0", "0"}, {"@A1", "0", "0"}}, 1, 1);
    image.records.insert(image.records.begin() + 1,
                         LedgerRecord{f.date, "=A1", "=HYPERLINK(\"http://x\",\"y\")", f.machines, f.detail, f.totals,
                                      std::to_string(f.balance), "=cmd|' /C calc'!A0", 0});
    return image;
}

class XlsxExport : public AppFixture {
protected:
    QString write_ledger(const LedgerImage& image) {
        write_bytes(QStringLiteral("vq2024.vqd"), encode_ledger(image));
        return path(QStringLiteral("vq2024.vqd"));
    }
};

TEST_F(XlsxExport, CommandLineWritesTheCsvLinesAsTypedCells) {
    const LedgerImage image = typed_texts_year();
    const QString ledger = write_ledger(image);
    ASSERT_EQ(run_program({QStringLiteral("--export-xlsx"), ledger}, dir.path()).code, 0);  // vq2024.xlsx beside it
    ASSERT_EQ(run_program({QStringLiteral("--export-csv"), ledger, path(QStringLiteral("y.csv"))}, dir.path()).code, 0);
    const Book book = read_book(path(QStringLiteral("vq2024.xlsx")));
    EXPECT_EQ(book.names, (QStringList{u("収支一覧"), u("月間"), u("曜日別"), u("ホール別"), u("機種別")}));

    const QJsonObject& list = book.sheets.at(u("収支一覧"));
    const QJsonArray rows = book.rows(u("収支一覧"));
    const QJsonArray csv = python("csv_cells.py", path(QStringLiteral("y.csv"))).array();
    ASSERT_EQ(rows.size(), csv.size());
    EXPECT_EQ(list[QStringLiteral("freeze")].toString(), QStringLiteral("A2"));
    EXPECT_EQ(list[QStringLiteral("filter")].toString(), QStringLiteral("A1:J%1").arg(rows.size()));
    // Per column: the cell's type and format, and how its CSV text reads it.
    const struct {
        const char* type;
        QString format;
    } columns[] = {{"int", QStringLiteral("General")}, {"date", QStringLiteral("yyyy/m/d")},
                   {"str", QStringLiteral("General")}, {"str", QStringLiteral("General")},
                   {"str", QStringLiteral("General")}, {"int", kAmount},
                   {"int", kAmount},                   {"int", kAmount},
                   {"str", QStringLiteral("General")}, {"str", QStringLiteral("General")}};
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QJsonArray cells = rows[r].toArray();
        const QStringList texts = csv[r].toVariant().toStringList();
        ASSERT_EQ(cells.size(), texts.size());
        for (qsizetype c = 0; c < cells.size(); ++c) {
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(r + 1).arg(c + 1).toStdString());
            // The CSV keeps formula texts from spreadsheets with an apostrophe; the workbook's string cells need none.
            QString expected = formula_unescaped(texts[c]);
            expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));  // a cell breaks its lines at LF
            EXPECT_EQ(value_of(cells[c]), expected);
            if (r == 0) {
                EXPECT_EQ(type_of(cells[c]), QStringLiteral("str"));
            } else if (!expected.isEmpty()) {
                EXPECT_EQ(type_of(cells[c]), QString::fromLatin1(columns[c].type));
                EXPECT_EQ(format_of(cells[c]), columns[c].format);
            }
        }
    }
    // The texts typed stay texts.
    const QJsonArray first = rows[1].toArray();
    for (const auto& [col, text] : std::map<int, QString>{{3, u("=1+2")}, {4, u("0123")}, {8, u("4-6\n二行目")}, {9, u("0123")}})
        EXPECT_EQ(first[col], (QJsonArray{QStringLiteral("str"), text, QStringLiteral("General")}));
    EXPECT_EQ(value_of(rows[2].toArray()[4]), QStringLiteral("4-6"));
    // Formula texts are string cells holding the text itself, no apostrophe.
    const QJsonArray second = rows[3].toArray();
    for (const auto& [col, text] : std::map<int, QString>{{3, u("=HYPERLINK(\"http://x\",\"y\")")}, {4, u("-x")},
                                                          {8, u("=cmd|' /C calc'!A0")}, {9, u("=A1")}})
        EXPECT_EQ(second[col], (QJsonArray{QStringLiteral("str"), text, QStringLiteral("General")}));
    EXPECT_EQ(rows[4].toArray()[4], (QJsonArray{QStringLiteral("str"), u("+1"), QStringLiteral("General")}));
    EXPECT_EQ(rows[5].toArray()[4], (QJsonArray{QStringLiteral("str"), u("@A1"), QStringLiteral("General")}));
    const QJsonObject& months = book.sheets.at(u("月間"));
    EXPECT_EQ(months[QStringLiteral("charts")].toArray(), (QJsonArray{QStringLiteral("barChart:col"), QStringLiteral("lineChart")}));
    // The month names at the foot of each plot, below the losses' bars.
    EXPECT_EQ(months[QStringLiteral("category_labels")].toArray(), (QJsonArray{QStringLiteral("low"), QStringLiteral("low")}));
    for (const QString& name : book.names) EXPECT_EQ(book.sheets.at(name)[QStringLiteral("freeze")].toString(), QStringLiteral("A2"));
    // Every column as wide as its header and its cells.
    const QJsonObject widths = list[QStringLiteral("widths")].toObject();
    ASSERT_EQ(widths.size(), 10);
    EXPECT_GE(widths[QStringLiteral("B")].toDouble(), 10.0);  // 2024/12/31
    EXPECT_GE(widths[QStringLiteral("D")].toDouble(), display_width(u("ホール名")) + 2.0);
}

// The command-line modes write the same under a locale whose numbers take a
// decimal comma as under C: the workbook's rates and widths, the CSV lines and
// the analysis figures (回収率 with its decimal point).
TEST_F(XlsxExport, CommandLineModesWriteTheSameUnderADecimalComma) {
    {
        const DecimalCommaNumbers comma;
        ASSERT_TRUE(comma.active()) << kDecimalCommaLocale << " is missing: tests/test_deps.sh generates it";
    }
    const QString ledger = write_ledger(typed_texts_year());
    std::map<std::string, std::vector<QByteArray>> outputs;
    for (const char* locale : {"C", kDecimalCommaLocale}) {
        SCOPED_TRACE(locale);
        const QString book = path(QStringLiteral("%1.xlsx").arg(QString::fromLatin1(locale)));
        const Outcome xlsx = run_program({QStringLiteral("--export-xlsx"), ledger, book}, dir.path(), locale);
        const Outcome csv = run_program({QStringLiteral("--export-csv"), ledger}, dir.path(), locale);
        const Outcome analyze = run_program({QStringLiteral("--analyze"), ledger}, dir.path(), locale);
        for (const Outcome* o : {&xlsx, &csv, &analyze}) EXPECT_EQ(o->code, 0) << o->err.toStdString();
        outputs[locale] = {python("xlsx_cells.py", book).toJson(), csv.out, analyze.out};
    }
    const std::vector<QByteArray>& c = outputs["C"];
    const std::vector<QByteArray>& comma = outputs[kDecimalCommaLocale];
    ASSERT_EQ(c.size(), 3u);
    EXPECT_FALSE(c[0].isEmpty() || c[1].isEmpty() || c[2].isEmpty());
    EXPECT_TRUE(c[0].contains("\"float\"")) << "the workbook holds rates with decimals";
    EXPECT_TRUE(QString::fromUtf8(c[2]).contains(QRegularExpression(u("\n回収率\t\\d+\\.\\d\n")))) << c[2].toStdString();
    for (std::size_t i = 0; i < c.size(); ++i) EXPECT_TRUE(c[i] == comma[i]) << "output " << i << "\n" << comma[i].toStdString();
}

TEST_F(XlsxExport, BadCommandLinesAreRefusedWithAMessage) {
    write_bytes(QStringLiteral("foreign.vqd"), "not a ledger");
    const QString ok = write_ledger(typed_texts_year());
    const QString usage = u("（使い方: velmorant --export-xlsx 収支ファイル.vqd [書き出すファイル.xlsx]）");
    const struct {
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {{}, 2, u("収支ファイルがありません") + usage},
        {{ok, path(QStringLiteral("a.xlsx")), path(QStringLiteral("b.xlsx"))}, 2,
         u("ファイルが多すぎます: ") + path(QStringLiteral("b.xlsx")) + usage},
        {{QStringLiteral("--sheet"), ok}, 2, u("--sheet は使えないオプションです") + usage},
        {{ok, QStringLiteral("--bogus")}, 2, u("--bogus は使えないオプションです") + usage},
        {{QStringLiteral("--"), QStringLiteral("--none.vqd")}, 1, u("--none.vqd を開けません")},
        {{path(QStringLiteral("none.vqd"))}, 1, path(QStringLiteral("none.vqd")) + u(" を開けません")},
        {{path(QStringLiteral("foreign.vqd"))}, 1,
         path(QStringLiteral("foreign.vqd")) + u(" は収支ファイルではありません（ファイル形式が違います）")},
        {{ok, ok}, 1, ok + u(" は収支ファイルそのものです。別の名前を指定してください")},
        {{ok, path(QStringLiteral("no/such/dir.xlsx"))}, 1, path(QStringLiteral("no/such/dir.xlsx")) + u(" に書き出せません（保存先のフォルダーがありません）")},
    };
    const std::string ledger = read_bytes(QStringLiteral("vq2024.vqd"));
    for (const auto& c : cases) {
        const Outcome r = run_program(QStringList{QStringLiteral("--export-xlsx")} + c.args, dir.path());
        EXPECT_EQ(r.code, c.code) << c.message.toStdString();
        EXPECT_EQ(r.err, u("velmorant: ") + c.message + u("\n"));
    }
    EXPECT_EQ(read_bytes(QStringLiteral("vq2024.vqd")), ledger);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("a.xlsx"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("vq2024.xlsx"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("--bogus"))));
}

// What a workbook cannot hold as typed stays text: a date before 1900, a date
// the year lacks, a figure beyond 2^53. An empty year makes a workbook without rows.
TEST(WorkbookTables, WhatAWorkbookCannotHoldStaysText) {
    const struct {
        const char* year;
        int month, day;
        const char* investment;
        CellKind date, amount;
    } cases[] = {
        {"2004", 2, 29, "9007199254740992", CellKind::Date, CellKind::Amount},
        {"1900", 1, 1, "-9007199254740992", CellKind::Date, CellKind::Amount},
        {"1899", 12, 31, "9007199254740993", CellKind::Text, CellKind::Text},
        {"2003", 2, 29, "1000", CellKind::Text, CellKind::Amount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        LedgerImage image;
        image.year = c.year;
        image.records.push_back({make_date_text(c.month, c.day), "", "H", "M", pack_machine_detail({{"M", c.investment, "0"}}),
                                 "", "0", "", 0});
        const WorkbookTables tables = workbook_tables(image);
        ASSERT_EQ(tables.ledger.rows.size(), 1u);
        EXPECT_EQ(tables.ledger.rows[0][1].kind, c.date);
        EXPECT_EQ(tables.ledger.rows[0][5].kind, c.amount);
        if (c.amount == CellKind::Text) {
            EXPECT_EQ(tables.ledger.rows[0][5].text, QString::fromLatin1(c.investment));
        }
    }
    LedgerImage empty;
    empty.year = "2004";
    const WorkbookTables tables = workbook_tables(empty);
    EXPECT_EQ(tables.months.months, 0);
    EXPECT_TRUE(tables.months.table.rows.empty() && tables.weekdays.rows.empty() && tables.halls.rows.empty());
    EXPECT_TRUE(xlsx_bytes(tables).has_value());
}

// Columns as wide as their widest cell as shown ("100,000"), two digits more, the
// filter's button counted in the header.
TEST(WorkbookTables, ColumnsFitTheirAmountsWithSeparatorsAndSign) {
    const struct {
        std::int64_t amount;
        double width;
    } table[] = {{999, 5}, {1000, 7}, {100'000, 9}, {-1'234'567, 12}, {-1, 4}, {0, 3}};
    for (const auto& row : table) {
        SheetTable t;
        t.header = {QStringLiteral("A")};
        t.rows = {{Cell::of_amount(row.amount)}};
        EXPECT_EQ(column_widths(t), std::vector<double>{row.width}) << row.amount;
    }
    SheetTable t;
    t.header = {u("収支")};
    t.filter = true;
    t.rows = {{Cell::of_amount(999)}};
    EXPECT_EQ(column_widths(t), std::vector<double>{8});  // 4 + the button's 2, and the margin
}

// A summary sheet's row against the window's row of the same table: the label
// (the window spaces its weekdays), the amounts in the same columns, and the win
// rate text the window shows, made from the sheet's counts and rate.
void expect_row_as_shown(const QJsonArray& row, int label, int amounts, const StringGrid& grid, int grid_row) {
    EXPECT_EQ(value_of(row[label]), from_cp932(grid.cell(label, grid_row)).remove(u("　")));
    for (int c = label + 1; c < label + 1 + amounts; ++c) {
        const std::string shown = grid.cell(c, grid_row);
        if (!shown.empty()) {  // TOTAL leaves one empty
            EXPECT_EQ(value_of(row[c]).toStdString(), shown) << c;
        }
    }
    const int counts = label + 1 + amounts;
    const std::string wins = value_of(row[counts]).toStdString(), losses = value_of(row[counts + 1]).toStdString(),
                      draws = value_of(row[counts + 2]).toStdString();
    std::string rate = wins + sj("勝") + losses + sj("敗") + (draws != "0" ? draws + sj("分") : "");
    if (type_of(row[counts + 3]) != QStringLiteral("none"))
        rate += " " + std::to_string(std::lround(value_of(row[counts + 3]).toDouble() * 100)) + sj("％");
    const std::string shown_rate = grid.cell(counts, grid_row);  // the window has one column for them
    if (shown_rate.empty()) {
        EXPECT_EQ(wins + losses + draws, "000");  // no play day, no rate
    } else {
        EXPECT_EQ(rate, shown_rate);
    }
    // 回収率 from the row's own figures; empty without investment.
    const double invested = value_of(row[label + 1]).toDouble();
    if (invested == 0) {
        EXPECT_EQ(type_of(row[counts + 4]), QStringLiteral("none"));
    } else {
        EXPECT_NEAR(value_of(row[counts + 4]).toDouble(), value_of(row[label + 2]).toDouble() / invested, 1e-12);
    }
}

TEST_F(XlsxExport, FileMenuWritesTheWindowsTablesAndChangesNothing) {
    const LedgerImage image = typed_texts_year();
    load(write_ledger(image));
    form1->compute_machine_summary();
    const std::string ledger = read_bytes(QStringLiteral("vq2024.vqd"));

    QAction* item = form1->findChild<QAction*>(QStringLiteral("export_xlsx_action"));
    ASSERT_NE(item, nullptr);
    const QList<QAction*> file_items = form1->File1->actions();
    EXPECT_EQ(file_items.indexOf(item), file_items.indexOf(form1->import_csv_action) + 1);
    EXPECT_EQ(item->text(), u("Excelファイルに書き出し..."));

    dialogs.save_files = {path(QStringLiteral("menu.xlsx"))};
    item->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, u("Excelファイル|*.xlsx"));
    EXPECT_EQ(dialogs.shown[0].caption, path(QStringLiteral("vq2024.xlsx")));
    EXPECT_EQ(dialogs.shown[1].text, u("152 件の記録を書き出しました"));
    EXPECT_EQ(form1->dirty, 0);
    EXPECT_EQ(read_bytes(QStringLiteral("vq2024.vqd")), ledger);

    const Book book = read_book(path(QStringLiteral("menu.xlsx")));
    const struct {
        const char* sheet;
        const StringGrid* grid;
        int label;    // column of the row's name, the same in the sheet and the window
        int amounts;  // columns of yen after it
        int rows;     // of the window's table; 0: as many as the sheet has
    } tables[] = {
        {"月間", form1->StringGrid2, 0, 4, 13},
        {"曜日別", form1->StringGrid3, 0, 3, 8},
        {"ホール別", form1->StringGrid4, 1, 3, 0},
        {"機種別", form1->StringGrid7, 1, 3, 0},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.sheet);
        const QJsonArray rows = book.rows(u(t.sheet));
        const int n = t.rows ? t.rows : static_cast<int>(rows.size()) - 1;
        ASSERT_GE(rows.size(), n + 1);
        ASSERT_GE(n, 8);
        for (int r = 1; r <= n; ++r) {
            SCOPED_TRACE(r);
            expect_row_as_shown(rows[r].toArray(), t.label, t.amounts, *t.grid, r);
        }
        if (!t.rows) {
            EXPECT_EQ(t.grid->cell(t.label, n + 1), "");  // no group the sheet lacks
        }
    }

    // The open ledger is never the file written.
    dialogs.shown.clear();
    dialogs.save_files = {path(QStringLiteral("vq2024.vqd"))};
    item->trigger();
    EXPECT_EQ(dialogs.texts().back(), u("開いている収支ファイルには書き出せません"));
    dialogs.save_files = {path(QStringLiteral("no/such/dir.xlsx"))};
    item->trigger();
    EXPECT_EQ(dialogs.texts().back(), path(QStringLiteral("no/such/dir.xlsx")) + u(" に書き出せませんでした（保存先のフォルダーがありません）"));
    // A cancelled choice tells nothing; the next opening writes the same workbook.
    dialogs.shown.clear();
    dialogs.save_files = {std::nullopt, path(QStringLiteral("again.xlsx"))};
    item->trigger();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    item->trigger();
    EXPECT_EQ(dialogs.texts().back(), u("152 件の記録を書き出しました"));
    EXPECT_EQ(read_book(path(QStringLiteral("again.xlsx"))).sheets, book.sheets);
    EXPECT_EQ(read_bytes(QStringLiteral("vq2024.vqd")), ledger);
    EXPECT_EQ(dialogs.unexpected, 0);
}

}  // namespace
}  // namespace velmo::testing
