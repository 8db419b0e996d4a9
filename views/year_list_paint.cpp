#include "views/year_list_paint.h"

#include <QPainter>

#include <charconv>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "entry/tform7.h"
#include "framework/runtime.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/palette.h"
#include "views/totals.h"

namespace velmo {

namespace {

}  // namespace


std::string weekday_letter(int year, int month, int day) {
    if (!is_valid_date(year, month, day)) return std::string();
    const std::string& letters = SJ("日月火水木金土");
    const int index = day_of_week(year, month, day);  // Sunday = 1
    return letters.substr(static_cast<std::size_t>(2 * (index - 1)), 2);
}

void paint_year_list_cell(QPainter& painter, const YearListLook& look, int col, int row,
                          const QRect& rect, DrawState state) {
    const StringGrid& grid = *look.grid;
    std::string text = grid.cell(col, row);
    const bool data_row = row >= 1 && row <= look.rec_count;
    const int mark = row >= 0 && row < look.mark_rows ? look.row_mark[row] : 0;
    Qt::Alignment halign = Qt::AlignLeft;
    QColor back = palette::empty();

    if (col <= 1) {
        halign = Qt::AlignHCenter;
        if (data_row) {
            const std::string& date = grid.cell(0, row);
            const int month = date_text_month(date);
            back = palette::month_band(month);
            if (col == 1) text = weekday_letter(look.year, month, date_text_day(date));
            // A date is written only on the first of its records.
            if (grid.cell(0, row - 1) == date) text.clear();
        }
    } else if (data_row) {
        back = mark == 0 ? palette::neutral() : (mark > 0 ? palette::win() : palette::loss());
    }

    if (col == look.balance_col) {
        halign = Qt::AlignRight;
        if (data_row) {
            const int v = parse_balance(text).value_or(0);
            if (v != 0 && v == look.best_balance) back = palette::win_strong();
            else if (v != 0 && v == look.worst_balance) back = palette::loss_strong();
        }
    } else if (col == look.total_col) {
        halign = Qt::AlignRight;
        if (data_row) {
            const int total = parse_balance(text).value_or(0);
            back = total == 0 ? palette::neutral() : (total > 0 ? palette::win() : palette::loss());
            if (mark == 2) back = palette::win_strong();
            else if (mark == -2) back = palette::loss_strong();
        }
    } else if (look.has_extra && col == look.extra_col) {
        halign = look.extra_align == 1 ? Qt::AlignHCenter : (look.extra_align == 2 ? Qt::AlignRight : Qt::AlignLeft);
        if (data_row && col == 6) back = palette::neutral();
    }

    QColor ink(Qt::black);
    if (state.selected) {
        back = active_caption_color();
        ink = QColor(Qt::white);
    }

    if (row == 0) header_shading(painter, rect, grid.row_height(0), col == 0);
    else painter.fillRect(rect, back);

    painter.setPen(ink);
    painter.setFont(ui_font((col == 1 ? 11 : 15) + look.font_step));
    draw_text_in_rect(painter, rect, from_cp932(text), halign | Qt::AlignBottom);
}

}  // namespace velmo

void TForm1::plmicolor(int col, int row, const QRect& rect, velmo::DrawState state) {
    QPainter* canvas = StringGrid1->canvas();
    if (!canvas) return;
    velmo::YearListLook look;
    look.grid = StringGrid1;
    look.row_mark = row_mark.data();
    look.mark_rows = static_cast<int>(row_mark.size());
    look.rec_count = rec_count;
    look.year = velmo::year_text_value(year_text);
    look.balance_col = balance_col;
    look.total_col = total_col;
    look.extra_col = extra_col;
    look.has_extra = has_extra == 1;
    look.extra_align = Form7 ? Form7->extra_align : 0;  // the extra column's settings live with its dialog
    look.best_balance = best_balance;
    look.worst_balance = worst_balance;
    look.font_step = font_step;
    velmo::paint_year_list_cell(*canvas, look, col, row, rect, state);
}

void TForm1::setup_year_list_painter() {
    StringGrid1->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        plmicolor(col, row, rect, state);
    };
}
