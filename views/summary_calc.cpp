#include "views/summary_calc.h"

#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"

#include <QPainter>

#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/runtime.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/number_text.h"
#include "ledger/packed_fields.h"
#include "views/header_shading.h"
#include "views/ledger_figures.h"
#include "views/name_index.h"
#include "views/palette.h"
#include "views/win_rate.h"

namespace velmo {

namespace {

constexpr std::int64_t kScaleStep = 20000;

void count_mark(WinCounts& counts, int mark) {
    if (mark > 0) ++counts.wins;
    else if (mark < 0) ++counts.losses;
    else ++counts.draws;
}

void add(SummaryLine& line, const Amounts& amounts) {
    line.investment += amounts.investment;
    line.payout += amounts.payout;
}

// Whether two rows have the same date text. Texts of different months or days
// differ, so only rows of the same month and day compare their texts.
bool same_date(const SummaryRow& a, const SummaryRow& b) {
    return same_play_day(a.month, a.day, a.date, b.month, b.day, b.date);
}

// Sums the play day (a run of rows with equal date text) that starts at row i
// and moves i past it.
Amounts take_play_day(std::span<const SummaryRow> rows, std::size_t& i) {
    Amounts day = rows[i].amounts;
    ++i;
    while (i < rows.size() && same_date(rows[i], rows[i - 1])) {
        day.investment += rows[i].amounts.investment;
        day.payout += rows[i].amounts.payout;
        ++i;
    }
    return day;
}

// Visits every play day in ledger order: fn(first row index, summed amounts).
template <typename Fn>
void for_each_play_day(std::span<const SummaryRow> rows, Fn fn) {
    std::size_t i = 0;
    while (i < rows.size()) {
        const std::size_t first = i;
        const Amounts day = take_play_day(rows, i);
        fn(first, day);
    }
}

void fill_frame(QPainter& p, int left, int top, int right, int bottom, const QColor& color) {
    if (right <= left || bottom <= top) return;
    p.fillRect(QRect(left, top, right - left, 1), color);
    p.fillRect(QRect(left, bottom - 1, right - left, 1), color);
    p.fillRect(QRect(left, top, 1, bottom - top), color);
    p.fillRect(QRect(right - 1, top, 1, bottom - top), color);
}

}  // namespace


Amounts unpack_day_totals(std::string_view packed) {
    std::size_t pos = 0;
    std::string_view investment;
    std::string_view payout;
    if (take_packed_field(packed, pos, investment)) take_packed_field(packed, pos, payout);
    return Amounts{cell_amount(investment), cell_amount(payout)};
}

std::vector<SummaryRow> ledger_rows(const StringGrid& list, std::span<const RowFigures> records,
                                    std::span<const std::int8_t> marks, int key_col,
                                    std::span<const std::uint32_t> key_numbers) {
    const auto count = static_cast<std::size_t>(std::min(static_cast<int>(records.size()), std::max(0, list.row_count() - 1)));
    std::vector<SummaryRow> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const int r = static_cast<int>(i) + 1;
        const RowFigures& figures = records[i];
        SummaryRow& row = rows[i];
        row.date = list.cell(0, r);
        row.month = figures.month;
        row.day = figures.day;
        row.amounts = Amounts{figures.investment, figures.payout};
        row.mark = i + 1 < marks.size() ? marks[i + 1] : 0;
        if (key_col >= 0) row.key = list.cell(key_col, r);
        if (i < key_numbers.size()) row.key_number = key_numbers[i];
    }
    return rows;
}

MonthlySummary summarize_months(std::span<const SummaryRow> rows) {
    MonthlySummary out;
    if (rows.empty()) return out;
    std::size_t i = 0;
    int m = 1;
    SummaryLine month;
    std::int64_t running = 0;
    int rm = 0;
    do {
        rm = i < rows.size() ? rows[i].month : 0;
        if (rm < 1 || rm > 12) rm = 0;
        if (rm == m) {
            const Amounts day = take_play_day(rows, i);
            add(month, day);
            count_result(month.counts, day.investment, day.payout);
        } else {
            // Month m is complete (or had no play).
            auto index = static_cast<std::size_t>(m - 1);
            running += month.balance();
            out.lines[index] = month;
            out.running[index] = running;
            out.year_investment += month.investment;
            out.year_payout += month.payout;
            month = SummaryLine{};
            ++m;
        }
    } while (m <= rm);
    out.months = m - 1;
    out.year_balance = running;
    out.average = out.months > 0 ? running / out.months : 0;
    return out;
}

WeekdaySummary summarize_weekdays(std::span<const SummaryRow> rows, int year) {
    WeekdaySummary out;
    for_each_play_day(rows, [&](std::size_t first, const Amounts& day) {
        const int month = rows[first].month;
        const int d = rows[first].day;
        if (!is_valid_date(year, month, d)) return;
        SummaryLine& line = out.days[static_cast<std::size_t>(day_of_week(year, month, d) - 1)];
        add(line, day);
        count_result(line.counts, day.investment, day.payout);
    });
    for (const SummaryLine& line : out.days) {
        out.total.investment += line.investment;
        out.total.payout += line.payout;
        out.total.counts.wins += line.counts.wins;
        out.total.counts.losses += line.counts.losses;
        out.total.counts.draws += line.counts.draws;
    }
    return out;
}

std::vector<Group> collect_groups(std::span<const SummaryRow> rows, std::size_t limit, bool skip_empty) {
    std::vector<Group> groups;
    if (limit == 0) return groups;
    std::vector<std::uint32_t> group_of;  // group number + 1 of each key number, 0: none yet
    group_of.reserve(64);
    for (const SummaryRow& row : rows) {
        if (skip_empty && row.key.empty()) continue;
        if (row.key_number >= group_of.size()) group_of.resize(std::size_t{row.key_number} + 1, 0);
        std::uint32_t& g = group_of[row.key_number];
        if (g == 0) {
            groups.push_back(Group{std::string(row.key), SummaryLine{}});
            g = static_cast<std::uint32_t>(groups.size());
        }
        SummaryLine& line = groups[g - 1].line;
        add(line, row.amounts);
        count_mark(line.counts, row.mark);
        if (groups.size() >= limit) break;
    }
    return groups;
}

std::vector<Group> rank_groups(std::vector<Group> groups) {
    std::vector<std::size_t> order(groups.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        std::int64_t ba = groups[a].line.balance();
        std::int64_t bb = groups[b].line.balance();
        if (ba != bb) return ba > bb;
        return a > b;  // equal balances: the later one first
    });
    std::vector<Group> ranked;
    ranked.reserve(groups.size());
    for (std::size_t i : order) ranked.push_back(std::move(groups[i]));
    return ranked;
}

std::int64_t bar_scale(std::int64_t best, std::int64_t worst) {
    std::int64_t top = best;
    if (best + worst < 0) top = -worst;
    if (top <= 0) return 0;
    std::int64_t k = top / kScaleStep + (top % kScaleStep != 0 ? 1 : 0);
    return kScaleStep * k;
}

std::string scale_caption(std::int64_t value) { return SJ(u8"±") + std::to_string(value); }

int bar_length(int first_width, std::int64_t scale, std::int64_t value) {
    if (value == 0 || scale <= 0) return 0;
    float magnitude = static_cast<float>(value < 0 ? -value : value);
    float ratio = static_cast<float>(scale) / magnitude;
    float length = static_cast<float>(4 * first_width) / ratio;
    return static_cast<int>(length);
}

BarPiece bar_piece(int length, int covered, int cell_width, int cell_right) {
    BarPiece piece;
    if (length <= covered) {
        int gap = covered - length;
        if (gap >= cell_width) return piece;
        piece.drawn = true;
        piece.end = true;
        piece.right = cell_right - gap;
        return piece;
    }
    piece.drawn = true;
    piece.right = cell_right;
    return piece;
}

BarColors bar_colors(std::int64_t value) {
    if (value < 0) return {QColor(255, 0, 0), QColor(255, 144, 206), QColor(255, 186, 206)};
    return {QColor(0, 0, 255), QColor(103, 179, 255), QColor(174, 210, 255)};
}

void draw_bar_piece(QPainter& painter, const QRect& cell, const BarPiece& piece, const BarColors& colors) {
    if (!piece.drawn) return;
    int left = cell.left();
    int right = piece.right;
    int top = cell.top() + 2;
    int bottom = cell.top() + cell.height() - 2;
    fill_frame(painter, left, top, right, bottom, colors.dark);
    --bottom;
    if (piece.end) {
        --right;
        painter.fillRect(QRect(right, top, 1, 1), colors.light);
        painter.fillRect(QRect(right, bottom, 1, 1), colors.light);
    }
    ++top;
    if (right > left) {
        fill_frame(painter, left, top, right, bottom, colors.medium);
        ++top;
        --bottom;
        if (piece.end) --right;
        if (right > left && bottom > top) painter.fillRect(QRect(left, top, right - left, bottom - top), colors.light);
    }
}

int ranked_row_count(std::size_t groups) {
    const auto n = static_cast<int>(std::min<std::size_t>(groups, 100000));
    return n <= kRankedShownRows ? kRankedShownRows + 1 : n + 1;
}

void fill_ranked_grid(StringGrid& grid, std::span<const Group> ranked, int last_width, int scroll_bar_width) {
    grid.set_row_count(ranked_row_count(ranked.size()));
    grid.set_col_width(5, last_width - (grid.row_count() > kRankedShownRows + 1 ? scroll_bar_width : 0));
    int r = 1;
    for (const Group& g : ranked) {
        grid.change_cell(1, r, g.key);
        grid.change_cell(2, r, std::to_string(g.line.investment));
        grid.change_cell(3, r, std::to_string(g.line.payout));
        grid.change_cell(4, r, std::to_string(g.line.balance()));
        grid.change_cell(5, r, format_win_rate(g.line.counts.wins, g.line.counts.losses, g.line.counts.draws));
        ++r;
    }
    for (; r <= kRankedShownRows; ++r)
        for (int c = 1; c <= 5; ++c) grid.change_cell(c, r, {});
}

std::array<std::string, 4> scale_captions(std::int64_t scale) {
    const std::int64_t quarter = scale / 4;
    return {scale_caption(quarter), scale_caption(2 * quarter), scale_caption(3 * quarter), scale_caption(4 * quarter)};
}

void paint_ranked_cell(StringGrid& grid, int col, int row, const QRect& rect, const RankedPaint& how) {
    constexpr int kBarFirstCol = 2;
    QPainter& p = *grid.canvas();
    if (!how.has_data) {
        if (col == 0) header_shading(p, rect, grid.row_height(0), true);
        else p.fillRect(rect, palette::empty());
        return;
    }
    Qt::Alignment align = Qt::AlignVCenter | Qt::AlignRight;
    if (col == 0) align = Qt::AlignVCenter | Qt::AlignHCenter;
    if (col == 1) align = Qt::AlignVCenter | Qt::AlignLeft;
    const std::string text = (col == 0 && row > 0) ? std::to_string(row) : grid.cell(col, row);

    if (row == 0 || col == 0) {
        header_shading(p, rect, grid.row_height(0), col == 0);
    } else {
        const std::int64_t v = cell_number(grid.cell(4, row));
        QColor back = palette::neutral();
        if (v > 0) back = (col == 4 && !how.graph) ? palette::win_strong() : palette::win();
        if (v < 0) back = (col == 4 && !how.graph) ? palette::loss_strong() : palette::loss();
        p.fillRect(rect, back);
        if (how.graph && col >= kBarFirstCol) {
            const int length = bar_length(grid.col_width(kBarFirstCol), how.scale, v);
            int covered = 0;
            for (int c = kBarFirstCol; c <= col; ++c) covered += grid.col_width(c);
            const BarPiece piece = bar_piece(length, covered, grid.col_width(col), rect.left() + rect.width());
            draw_bar_piece(p, rect, piece, bar_colors(v));
        }
    }
    p.setFont(ui_font(how.font_height));
    p.setPen(Qt::black);
    draw_text_in_rect(p, rect, from_cp932(text), align);
}

void ranked_wheel_step(StringGrid& grid, std::uint8_t& wheel_dir, bool up) {
    if (up) {
        if (wheel_dir != 2) grid.set_row(grid.top_row());
        wheel_dir = 2;
    } else {
        if (wheel_dir != 1) grid.set_row(grid.top_row() + 15);
        wheel_dir = 1;
    }
}

}  // namespace velmo
