// Play data in the workbook's 収支一覧: the CSV's columns 開始 … 出玉 as typed
// cells when the year has play data (counts and yen as numbers, prices and
// rates as numbers with their decimals, kinds and times as text), and no column
// more for a year without it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "export/workbook_tables.h"
#include "export/xlsx_export.h"
#include "framework/cp932.h"
#include "ledger/record_build.h"
#include "play/play_csv.h"
#include "play/play_data.h"

namespace velmo {
namespace {

QJsonArray ledger_rows(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELMO_TEST_DATA "/xlsx_cells.py"), file});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonArray sheets = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    return sheets.isEmpty() ? QJsonArray() : sheets[0][QStringLiteral("rows")].toArray();
}

LedgerImage year_of(bool with_play_data) {
    LedgerImage image;
    image.year = "2004";
    const RecordCells c = build_record({{"P", "10000", "8929"}, {"S", "5000", "10000"}}, 3, 5);
    LedgerRecord r{c.date, "", "A", c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0};
    if (with_play_data) {
        play::RecordPlayData d;
        d.time = {600, 75};
        d.machines[0].kind = play::Kind::Pachinko;
        d.machines[0].lending_price = 50;
        d.machines[0].exchange_rate = 280;
        d.machines[0].cash = 10000;
        d.machines[0].end_pieces = 2500;
        d.machines[1].kind = play::Kind::Slot;
        d.machines[1].exchange_rate = 56;
        play::write_play_data(r.extensions, d);
    }
    image.records.push_back(r);
    return image;
}

TEST(WorkbookPlayColumns, TypedWhenTheYearHasPlayDataAndAbsentWhenNot) {
    play::register_csv_columns();
    QTemporaryDir dir;
    const QString with = dir.filePath(QStringLiteral("with.xlsx")), without = dir.filePath(QStringLiteral("without.xlsx"));
    ASSERT_EQ(write_xlsx(year_of(true), with), XlsxWrite::Written);
    ASSERT_EQ(write_xlsx(year_of(false), without), XlsxWrite::Written);

    const QJsonArray plain = ledger_rows(without);
    ASSERT_EQ(plain.size(), 3);
    EXPECT_EQ(plain[0].toArray().size(), 9);  // 記録番号 … コメント

    const QJsonArray rows = ledger_rows(with);
    ASSERT_EQ(rows.size(), 3);
    const QJsonArray head = rows[0].toArray();
    ASSERT_EQ(head.size(), 23);
    EXPECT_EQ(head[9].toArray()[1].toString(), u("開始"));
    EXPECT_EQ(head[22].toArray()[1].toString(), u("出玉"));
    // [type, value] of 開始, 終了, 種別, 貸玉料金, 交換率, 現金投資, …, 終了玉.
    const auto cell = [&](int row, int col) -> QString {
        const QJsonArray c = rows[row].toArray()[col].toArray();
        return c[0].toString() + QLatin1Char(' ') + c[1].toString();
    };
    EXPECT_EQ(cell(1, 9), u("str 10:00"));
    EXPECT_EQ(cell(1, 10), u("str 01:15"));
    EXPECT_EQ(cell(1, 11), u("str パチンコ"));
    EXPECT_EQ(cell(1, 12), u("float 0.5"));
    EXPECT_EQ(cell(1, 13), u("int 28"));
    EXPECT_EQ(cell(1, 14), u("int 10000"));
    EXPECT_EQ(cell(1, 17), u("int 2500"));
    EXPECT_EQ(cell(1, 15), u("none "));
    EXPECT_EQ(cell(2, 10), u("str 01:15"));  // the visit's time on each of its lines
    EXPECT_EQ(cell(2, 11), u("str スロット"));
    EXPECT_EQ(cell(2, 13), u("float 5.6"));
}

TEST(WorkbookPlayColumns, FigureCells) {
    const struct {
        const char* text;
        CellKind kind;
    } cases[] = {{"0", CellKind::Count},       {"2500", CellKind::Count},   {"0.5", CellKind::Decimal},
                 {"5.6", CellKind::Decimal},   {"10:00", CellKind::Text},   {"パチンコ", CellKind::Text},
                 {"", CellKind::Empty},        {"1.234", CellKind::Text},   {"1234567890123456", CellKind::Text},
                 // 仕事量 and 運 below 0 are numbers too; a lone or doubled sign is not.
                 {"-13393", CellKind::Count},  {"-", CellKind::Text},       {"--1", CellKind::Text}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(figure_cell(QString::fromUtf8(c.text)).kind, c.kind);
    }
    EXPECT_DOUBLE_EQ(figure_cell(QStringLiteral("5.6")).fraction, 5.6);
    EXPECT_EQ(figure_cell(QStringLiteral("-13393")).number, -13393);
}

}  // namespace
}  // namespace velmo
