#pragma once
// Painting of the year list: month bands and weekdays in the date columns,
// result colours by row, the best and worst records and the new highs and lows.
#include <QRect>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/string_grid.h"
#include "ledger/ledger_model.h"  // date_text_month, date_text_day

class QPainter;

namespace velmo {

// The weekday letter (日 … 土) of a date as CP932 bytes; empty for an invalid date.
std::string weekday_letter(int year, int month, int day);

// What the painter needs to know about the ledger besides the cells.
struct YearListLook {
    const StringGrid* grid = nullptr;
    const std::int8_t* row_mark = nullptr;  // one entry per row, mark_rows of them
    int mark_rows = 0;
    int rec_count = 0;
    int year = 0;  // the ledger's year, 0 when its text is not a year
    int balance_col = 4;
    int total_col = 5;
    int extra_col = 255;
    bool has_extra = false;
    int extra_align = 0;  // 0 left, 1 centre, 2 right
    int best_balance = 0;
    int worst_balance = 0;
    int font_step = 0;
};

// Paints one cell of the year list.
void paint_year_list_cell(QPainter& painter, const YearListLook& look, int col, int row,
                          const QRect& rect, DrawState state);

}  // namespace velmo
