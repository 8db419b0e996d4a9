#include "export/xlsx_export.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <locale.h>
#include <vector>
#include <xlsxwriter.h>

#include "framework/cp932.h"
#include "framework/runtime.h"

namespace velmo {

namespace {

// The library writes its numbers with printf, which follows the locale's
// decimal mark (a comma in many): while a workbook is made, this thread uses
// the C locale.
class CNumbers {
public:
    CNumbers() : c_(newlocale(LC_ALL_MASK, "C", locale_t{})) {
        if (c_) previous_ = uselocale(c_);
    }
    ~CNumbers() {
        if (!c_) return;
        uselocale(previous_);
        freelocale(c_);
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t c_;
    locale_t previous_ = LC_GLOBAL_LOCALE;
};

constexpr lxw_color_t kGainColor = 0x4F81BD;
constexpr lxw_color_t kLossColor = 0xFF0000;

struct Formats {
    lxw_format* header = nullptr;
    lxw_format* lines = nullptr;  // text of several lines
    lxw_format* amount = nullptr;
    lxw_format* date = nullptr;
    lxw_format* rate = nullptr;
    lxw_format* win_rate = nullptr;
};

Formats make_formats(lxw_workbook* book) {
    Formats f;
    f.header = workbook_add_format(book);
    format_set_bold(f.header);
    format_set_bottom(f.header, LXW_BORDER_THIN);
    f.lines = workbook_add_format(book);
    format_set_text_wrap(f.lines);
    const auto numbers = [book](const char* code) {
        lxw_format* format = workbook_add_format(book);
        format_set_num_format(format, code);
        return format;
    };
    f.amount = numbers(kAmountFormat);
    f.date = numbers(kDateFormat);
    f.rate = numbers(kRateFormat);
    f.win_rate = numbers(kWinRateFormat);
    return f;
}

lxw_error write_cell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const Cell& c, const Formats& f) {
    switch (c.kind) {
    case CellKind::Empty: return LXW_NO_ERROR;
    case CellKind::Text: {
        const QByteArray utf8 = c.text.toUtf8();
        return worksheet_write_string(sheet, row, col, utf8.constData(),
                                      c.text.contains(QLatin1Char('\n')) ? f.lines : nullptr);
    }
    case CellKind::Count: return worksheet_write_number(sheet, row, col, static_cast<double>(c.number), nullptr);
    case CellKind::Amount: return worksheet_write_number(sheet, row, col, static_cast<double>(c.number), f.amount);
    case CellKind::Date: {
        lxw_datetime date = {c.year, c.month, c.day, 0, 0, 0};
        return worksheet_write_datetime(sheet, row, col, &date, f.date);
    }
    case CellKind::Rate: return worksheet_write_number(sheet, row, col, c.fraction, f.rate);
    case CellKind::WinRate: return worksheet_write_number(sheet, row, col, c.fraction, f.win_rate);
    case CellKind::Decimal: return worksheet_write_number(sheet, row, col, c.fraction, nullptr);
    }
    return LXW_NO_ERROR;
}

// The sheet with its header frozen, its filter and its widths; false when the
// library refused a cell.
bool write_sheet(lxw_worksheet* sheet, const SheetTable& table, const Formats& f) {
    if (!sheet) return false;
    bool ok = true;
    for (std::size_t c = 0; c < table.header.size(); ++c)
        ok &= worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), table.header[c].toUtf8().constData(),
                                     f.header) == LXW_NO_ERROR;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        for (std::size_t c = 0; c < table.rows[r].size(); ++c)
            ok &= write_cell(sheet, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), table.rows[r][c], f) ==
                  LXW_NO_ERROR;
    worksheet_freeze_panes(sheet, 1, 0);
    if (table.filter && !table.header.empty())
        ok &= worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(table.rows.size()),
                                   static_cast<lxw_col_t>(table.header.size() - 1)) == LXW_NO_ERROR;
    const std::vector<double> widths = column_widths(table);
    for (std::size_t c = 0; c < widths.size(); ++c)
        ok &= worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), widths[c], nullptr) ==
              LXW_NO_ERROR;
    return ok;
}

// The month lines' figures of one column as a series, categories the month labels.
lxw_chart_series* month_series(lxw_chart* chart, const char* sheet, int months, int column) {
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    if (!series) return nullptr;
    const auto last = static_cast<lxw_row_t>(months);
    chart_series_set_categories(series, sheet, 1, MonthSheet::kLabelColumn, last, MonthSheet::kLabelColumn);
    chart_series_set_values(series, sheet, 1, static_cast<lxw_col_t>(column), last, static_cast<lxw_col_t>(column));
    return series;
}

// The fills of the month bars: a gain blue, a loss red. Kept until the workbook is closed.
struct BarFills {
    std::vector<lxw_chart_fill> fills;
    std::vector<lxw_chart_point> points;
    std::vector<lxw_chart_point*> list;  // ends with nullptr
};

// The column chart of the monthly balance and the line chart of the running
// total, right of the table.
bool add_month_charts(lxw_workbook* book, lxw_worksheet* sheet, const MonthSheet& months, BarFills& bars) {
    if (months.months == 0) return true;  // no month to show
    const QByteArray name = months.table.name.toUtf8();
    const auto chart_col = static_cast<lxw_col_t>(months.table.header.size() + 1);

    lxw_chart* balance = workbook_add_chart(book, LXW_CHART_COLUMN);
    lxw_chart* running = workbook_add_chart(book, LXW_CHART_LINE);
    if (!balance || !running) return false;
    lxw_chart_series* bar = month_series(balance, name.constData(), months.months, MonthSheet::kBalanceColumn);
    lxw_chart_series* line = month_series(running, name.constData(), months.months, MonthSheet::kRunningColumn);
    if (!bar || !line) return false;
    chart_title_set_name(balance, u("月間収支").toUtf8().constData());
    chart_title_set_name(running, u("累計収支").toUtf8().constData());
    for (lxw_chart* chart : {balance, running}) {
        chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
        chart_axis_set_num_format(chart->y_axis, "#,##0");
        // The month names at the foot of the plot, not on the zero line over the losses' bars.
        chart_axis_set_label_position(chart->x_axis, LXW_CHART_AXIS_LABEL_POSITION_LOW);
    }
    const auto count = static_cast<std::size_t>(months.months);
    bars.fills.resize(count);
    bars.points.resize(count);
    bars.list.assign(count + 1, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        const Cell& figure = months.table.rows[i][MonthSheet::kBalanceColumn];
        bars.fills[i] = lxw_chart_fill{figure.number < 0 ? kLossColor : kGainColor, 0, 0};
        bars.points[i] = lxw_chart_point{nullptr, &bars.fills[i], nullptr};
        bars.list[i] = &bars.points[i];
    }
    bool ok = chart_series_set_points(bar, bars.list.data()) == LXW_NO_ERROR;
    ok &= worksheet_insert_chart(sheet, 1, chart_col, balance) == LXW_NO_ERROR;
    ok &= worksheet_insert_chart(sheet, 17, chart_col, running) == LXW_NO_ERROR;
    return ok;
}

}  // namespace

std::optional<std::string> xlsx_bytes(const WorkbookTables& tables, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<std::string> {
        if (error) *error = why;
        return std::nullopt;
    };
    QTemporaryFile out(QDir::tempPath() + QStringLiteral("/velmorant-XXXXXX.xlsx"));
    if (!out.open()) return fail(out.errorString());
    const QByteArray out_name = QFile::encodeName(out.fileName());
    QByteArray tmpdir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options = {};
    options.tmpdir = tmpdir.data();

    const CNumbers c_numbers;
    lxw_workbook* book = workbook_new_opt(out_name.constData(), &options);
    if (!book) return fail(QString::fromLocal8Bit(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
    const Formats formats = make_formats(book);
    BarFills bars;
    bool ok = true;
    for (const SheetTable* table : {&tables.ledger, &tables.months.table, &tables.weekdays, &tables.halls, &tables.machines}) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, table->name.toUtf8().constData());
        ok &= write_sheet(sheet, *table, formats);
        if (sheet && table == &tables.months.table) ok &= add_month_charts(book, sheet, tables.months, bars);
    }
    // Closing writes the file and frees the workbook, also after a refusal.
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) return fail(QString::fromLocal8Bit(lxw_strerror(closed)));
    if (!ok) return fail(QString());
    std::optional<std::string> bytes = read_file(out.fileName());
    if (!bytes) return fail(QString());
    return bytes;
}

QString default_xlsx_name(const QString& ledger) {
    const QFileInfo info(ledger);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".xlsx"));
}

XlsxWrite write_xlsx(const LedgerImage& image, const QString& path, QString* cause) {
    const std::optional<std::string> bytes = xlsx_bytes(workbook_tables(image), cause);
    if (!bytes) return XlsxWrite::NotMade;
    const SaveResult saved = write_file_atomic(path, *bytes);
    if (!saved && cause) *cause = save_failure_cause(saved.error);
    return saved ? XlsxWrite::Written : XlsxWrite::NotWritten;
}

}  // namespace velmo
