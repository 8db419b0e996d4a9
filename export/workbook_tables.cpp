#include "export/workbook_tables.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <span>

#include "framework/cp932.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_model.h"
#include "views/ledger_figures.h"
#include "views/machine_summary.h"
#include "views/summary_calc.h"
#include "views/totals.h"
#include "views/win_rate.h"

namespace velmo {

namespace {

// The most characters a cell holds.
constexpr qsizetype kMaxCellChars = 32767;
// The first year a workbook's dates reach; an earlier date stays text.
constexpr int kFirstDateYear = 1900;

// The records as the summary tables read the year list: each with its day sums,
// its mark from the totals pass and its hall numbered. The rows point into the
// image's records.
struct SummaryInput {
    RecordFigures figures;
    std::vector<SummaryRow> rows;
};

SummaryInput summary_input(const LedgerImage& image) {
    SummaryInput in;
    in.figures = figures_of(image.records);
    const std::vector<RowFigures>& figures = in.figures.rows;
    const Totals totals = compute_totals(balances_of(figures, figures.size()));
    NameNumbers halls;
    in.rows.resize(figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const LedgerRecord& record = image.records[i];
        SummaryRow& row = in.rows[i];
        row.date = record.date;
        row.month = figures[i].month;
        row.day = figures[i].day;
        row.amounts = Amounts{figures[i].investment, figures[i].payout};
        row.mark = totals.marks[i];
        row.key = record.hall;
        row.key_number = halls.number(record.hall);
    }
    return in;
}

Cell win_rate_cell(const WinCounts& counts) {
    const std::optional<std::int64_t> percent = win_rate_percent(counts.wins, counts.losses, counts.draws);
    if (!percent) return {};
    Cell c;
    c.kind = CellKind::WinRate;
    c.fraction = static_cast<double>(*percent) / 100;
    return c;
}

// 投資総額, 換金総額, 収支, then the results and the rates of one line; running,
// when given, after the balance.
std::vector<Cell> line_cells(const QString& label, const SummaryLine& line, const WinCounts& counts,
                             const std::optional<std::int64_t>& running = std::nullopt) {
    std::vector<Cell> cells = {Cell::of_text(label), Cell::of_amount(line.investment), Cell::of_amount(line.payout),
                               Cell::of_amount(line.balance())};
    if (running) cells.push_back(Cell::of_amount(*running));
    cells.insert(cells.end(), {Cell::of_count(counts.wins), Cell::of_count(counts.losses), Cell::of_count(counts.draws),
                               win_rate_cell(counts), payout_rate_cell(line.investment, line.payout)});
    return cells;
}

std::vector<QString> headers(std::initializer_list<const char*> names) {
    std::vector<QString> out;
    for (const char* n : names) out.push_back(u(n));
    return out;
}

SheetTable ledger_sheet(const LedgerImage& image) {
    SheetTable t;
    t.name = u("収支一覧");
    t.header = export_header(image);
    t.filter = true;
    const std::vector<ExportLine> lines = export_lines(image);
    t.rows.reserve(lines.size());
    for (const ExportLine& l : lines) {
        std::vector<Cell> row = {Cell::of_count(l.record),
                                 l.dated && l.year >= kFirstDateYear ? Cell::of_date(l.year, l.month, l.day)
                                                                     : Cell::of_text(l.date),
                                 Cell::of_text(l.weekday),
                                 Cell::of_text(l.hall),
                                 Cell::of_text(l.machine),
                                 amount_cell(l.investment),
                                 amount_cell(l.payout),
                                 amount_cell(l.balance),
                                 Cell::of_text(l.comment)};
        for (const QString& more : l.more) row.push_back(figure_cell(more));
        if (image.extra) row.push_back(Cell::of_text(l.extra));
        t.rows.push_back(std::move(row));
    }
    return t;
}

MonthSheet month_sheet(std::span<const SummaryRow> rows, const WinCounts& year_play_days) {
    MonthSheet s;
    s.table.name = u("月間");
    s.table.header = headers({"月", "投資総額", "換金総額", "収支", "合計", "勝", "敗", "分", "勝率", "回収率"});
    const MonthlySummary sum = summarize_months(rows);
    s.months = sum.months;
    if (sum.months == 0) return s;
    for (int m = 1; m <= sum.months; ++m) {
        const auto i = static_cast<std::size_t>(m - 1);
        s.table.rows.push_back(line_cells(from_cp932(month_label(m)), sum.lines[i], sum.lines[i].counts, sum.running[i]));
    }
    SummaryLine year;
    year.investment = sum.year_investment;
    year.payout = sum.year_payout;
    s.table.rows.push_back(line_cells(QStringLiteral("TOTAL"), year, year_play_days, sum.year_balance));
    std::vector<Cell> average(s.table.header.size());
    average[0] = Cell::of_text(u("月間平均"));
    average[MonthSheet::kBalanceColumn] = Cell::of_amount(sum.average);
    s.table.rows.push_back(std::move(average));
    return s;
}

SheetTable weekday_sheet(std::span<const SummaryRow> rows, const WeekdaySummary& sum) {
    SheetTable t;
    t.name = u("曜日別");
    t.header = headers({"曜日", "投資総額", "換金総額", "収支", "勝", "敗", "分", "勝率", "回収率"});
    if (rows.empty()) return t;
    const char* names[7] = {"日曜", "月曜", "火曜", "水曜", "木曜", "金曜", "土曜"};
    for (std::size_t d = 0; d < 7; ++d) t.rows.push_back(line_cells(u(names[d]), sum.days[d], sum.days[d].counts));
    t.rows.push_back(line_cells(QStringLiteral("TOTAL"), sum.total, sum.total.counts));
    return t;
}

SheetTable ranked_sheet(const char* name, const char* key_header, const std::vector<Group>& ranked) {
    SheetTable t;
    t.name = u(name);
    t.header = headers({"収支順", key_header, "投資総額", "換金総額", "収支", "勝", "敗", "分", "勝率", "回収率"});
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        const Group& g = ranked[i];
        std::vector<Cell> row = line_cells(from_cp932(g.key), g.line, g.line.counts);
        row.insert(row.begin(), Cell::of_count(static_cast<std::int64_t>(i + 1)));
        t.rows.push_back(std::move(row));
    }
    return t;
}

// Digits of a whole number with a separator every three, and its sign.
int grouped_width(std::int64_t n) {
    int digits = 1;
    for (std::uint64_t v = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n); v >= 10; v /= 10)
        ++digits;
    return digits + (digits - 1) / 3 + (n < 0 ? 1 : 0);
}

int shown_width(const Cell& c) {
    char buf[64];
    switch (c.kind) {
    case CellKind::Empty: return 0;
    case CellKind::Text: return display_width(c.text);
    case CellKind::Count: return static_cast<int>(std::to_string(c.number).size());
    case CellKind::Amount: return grouped_width(c.number);
    case CellKind::Date: return std::snprintf(buf, sizeof buf, "%04d/%d/%d", c.year, c.month, c.day);
    case CellKind::Rate: return std::snprintf(buf, sizeof buf, "%.1f%%", c.fraction * 100);
    case CellKind::WinRate: return std::snprintf(buf, sizeof buf, "%.0f%%", c.fraction * 100);
    case CellKind::Decimal: return static_cast<int>(c.text.size());
    }
    return 0;
}

}  // namespace

Cell Cell::of_text(const QString& text) {
    Cell c;
    if (text.isEmpty()) return c;
    c.kind = CellKind::Text;
    c.text = cell_text(text);
    return c;
}

Cell Cell::of_count(std::int64_t n) {
    Cell c;
    c.kind = CellKind::Count;
    c.number = n;
    return c;
}

Cell Cell::of_amount(std::int64_t yen) {
    Cell c;
    c.kind = CellKind::Amount;
    c.number = yen;
    return c;
}

Cell Cell::of_date(int year, int month, int day) {
    Cell c;
    c.kind = CellKind::Date;
    c.year = year;
    c.month = month;
    c.day = day;
    return c;
}

Cell amount_cell(const QString& text) {
    const std::optional<std::int64_t> n = parse_number(text.toStdString());
    if (n && *n <= kExactNumberMax && *n >= -kExactNumberMax) return Cell::of_amount(*n);
    return Cell::of_text(text);
}

Cell figure_cell(const QString& text) {
    // At most 15 digits: every such number a workbook holds exactly.
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]{1,15}$"));
    static const QRegularExpression decimal(QStringLiteral("^[0-9]{1,12}\\.[0-9]{1,2}$"));
    if (whole.match(text).hasMatch()) return Cell::of_count(text.toLongLong());
    if (decimal.match(text).hasMatch()) {
        Cell c;
        c.kind = CellKind::Decimal;
        c.fraction = text.toDouble();
        c.text = text;
        return c;
    }
    return Cell::of_text(text);
}

Cell payout_rate_cell(std::int64_t investment, std::int64_t payout) {
    if (investment == 0) return {};
    Cell c;
    c.kind = CellKind::Rate;
    c.fraction = static_cast<double>(payout) / static_cast<double>(investment);
    return c;
}

QString cell_text(const QString& text) {
    QString out = text;
    // A comment keeps its line breaks as CR LF; a cell breaks its lines at LF.
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (out.size() > kMaxCellChars) {
        qsizetype end = kMaxCellChars;
        if (out.at(end - 1).isHighSurrogate()) --end;  // never half a character
        out.truncate(end);
    }
    return out;
}

int display_width(const QString& text) {
    int widest = 0;
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (ch == u'\n') {
            widest = std::max(widest, width);
            width = 0;
            continue;
        }
        if (QChar::isHighSurrogate(ch)) {
            width += 2;  // beyond the basic plane: CJK extensions and symbols
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
            continue;
        }
        // Latin letters and the half-width katakana and forms stand one digit wide.
        const bool narrow = ch < 0x0370 || (ch >= 0xFF61 && ch <= 0xFFDC) || (ch >= 0xFFE8 && ch <= 0xFFEE);
        width += narrow ? 1 : 2;
    }
    return std::max(widest, width);
}

std::vector<double> column_widths(const SheetTable& table) {
    std::vector<int> widest(table.header.size(), 0);
    for (std::size_t c = 0; c < table.header.size(); ++c)
        widest[c] = display_width(table.header[c]) + (table.filter ? 2 : 0);  // the filter's button
    for (const std::vector<Cell>& row : table.rows)
        for (std::size_t c = 0; c < row.size() && c < widest.size(); ++c) widest[c] = std::max(widest[c], shown_width(row[c]));
    std::vector<double> widths;
    for (int w : widest) widths.push_back(std::min(kMaxColumnWidth, w + 2.0));
    return widths;
}

WorkbookTables workbook_tables(const LedgerImage& image) {
    WorkbookTables w;
    w.ledger = ledger_sheet(image);
    const SummaryInput in = summary_input(image);
    const WeekdaySummary weekdays = summarize_weekdays(in.rows, year_text_value(image.year));
    w.months = month_sheet(in.rows, weekdays.total.counts);
    w.weekdays = weekday_sheet(in.rows, weekdays);
    w.halls = ranked_sheet("ホール別", "ホール名", rank_groups(collect_groups(in.rows, kMaxHallRows, false)));
    w.machines = ranked_sheet("機種別", "機種",
                              rank_groups(collect_machine_groups(in.figures.rows, in.figures.names, kMaxMachineRows)));
    return w;
}

}  // namespace velmo
