#pragma once
// The year as the sheets of a workbook: the lines of the CSV export with typed
// cells, and the summary tables of the year window as figures. Plain values
// only; xlsx_export writes them into a file.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"

namespace velmo {

// The kind of a cell decides how the workbook holds and shows it.
enum class CellKind {
    Empty,
    Text,     // always a text cell, whatever it looks like ("=1+2", "0123", "4-6")
    Count,    // a whole number shown as it is
    Amount,   // yen: thousands separators, negatives red
    Date,     // a date shown yyyy/m/d
    Rate,     // 回収率, a fraction shown as a percentage with one decimal
    WinRate,  // 勝率, the whole percent the program shows, as a fraction
    Decimal,  // a number with decimals shown as it is written (fraction; text holds its digits)
};

struct Cell {
    CellKind kind = CellKind::Empty;
    QString text;            // Text
    std::int64_t number = 0; // Count, Amount
    double fraction = 0;     // Rate, WinRate
    int year = 0;            // Date
    int month = 0;
    int day = 0;

    static Cell of_text(const QString& text);
    static Cell of_count(std::int64_t n);
    static Cell of_amount(std::int64_t yen);
    static Cell of_date(int year, int month, int day);
};

struct SheetTable {
    QString name;
    std::vector<QString> header;
    std::vector<std::vector<Cell>> rows;  // each as long as the header
    bool filter = false;                  // an autofilter over the header and the rows
};

// The 月間 sheet and where its charts find their figures.
struct MonthSheet {
    SheetTable table;
    int months = 0;  // month lines at the top, January onwards
    static constexpr int kLabelColumn = 0;
    static constexpr int kBalanceColumn = 3;
    static constexpr int kRunningColumn = 4;
};

struct WorkbookTables {
    SheetTable ledger;  // 収支一覧
    MonthSheet months;  // 月間
    SheetTable weekdays;  // 曜日別
    SheetTable halls;     // ホール別
    SheetTable machines;  // 機種別
};

WorkbookTables workbook_tables(const LedgerImage& image);

// The largest whole number a workbook's number holds exactly (2^53); a figure
// beyond it stays text, as typed.
inline constexpr std::int64_t kExactNumberMax = std::int64_t{1} << 53;

// An amount text of the ledger as a cell: a number when it is one a workbook
// holds exactly, else the text itself (empty stays empty).
Cell amount_cell(const QString& text);

// A cell of the columns added to the CSV lines (play data and its figures): a
// whole number (also below 0, as 仕事量 and 運) as a number, a decimal (0.5, 5.6) as a number with its decimals, anything else
// (パチンコ, a time 10:00) as text.
Cell figure_cell(const QString& text);

// 回収率: payout / investment; empty when there is no investment.
Cell payout_rate_cell(std::int64_t investment, std::int64_t payout);

// A text as a spreadsheet cell holds it: line breaks as LF alone, and at most
// the 32767 characters a cell takes.
QString cell_text(const QString& text);

// How wide a cell's text stands, in widths of a digit: a full-width character
// counts two; of a text of several lines, the longest line.
int display_width(const QString& text);
// The column widths that fit the header and every cell as shown, with a margin,
// at most kMaxColumnWidth.
inline constexpr double kMaxColumnWidth = 60;
std::vector<double> column_widths(const SheetTable& table);

}  // namespace velmo
