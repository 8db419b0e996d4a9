#include "views/summary_grid.h"

#include <QPainter>

#include <algorithm>
#include <string>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "ledger/number_text.h"
#include "views/header_shading.h"
#include "views/ledger_figures.h"
#include "views/palette.h"
#include "views/win_rate.h"

namespace velmo {

namespace {

void fill_frame(QPainter& p, int left, int top, int right, int bottom, const QColor& color) {
    if (right <= left || bottom <= top) return;
    p.fillRect(QRect(left, top, right - left, 1), color);
    p.fillRect(QRect(left, bottom - 1, right - left, 1), color);
    p.fillRect(QRect(left, top, 1, bottom - top), color);
    p.fillRect(QRect(right - 1, top, 1, bottom - top), color);
}

}  // namespace

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
