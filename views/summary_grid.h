#pragma once
// The summary tables on their grids: the year list's records read as summary
// rows, the ranked tables written into their grids, and the painting of a
// ranked cell with its balance bar.
#include <QColor>
#include <QRect>

#include <cstdint>
#include <span>
#include <vector>

#include "views/summary_calc.h"

class QPainter;

namespace velmo {

class StringGrid;
struct RowFigures;

// The records of the year list (element 0 is row 1) with their day sums from
// the records' figures and their marks; key_col < 0 leaves the key empty. The
// views point into the list's cells and stay valid while it is not changed.
// key_numbers numbers the keys (element 0 is row 1); empty, every row's is 0.
std::vector<SummaryRow> ledger_rows(const StringGrid& list, std::span<const RowFigures> records,
                                    std::span<const std::int8_t> marks, int key_col,
                                    std::span<const std::uint32_t> key_numbers = {});

struct BarColors {
    QColor dark;
    QColor medium;
    QColor light;
};
BarColors bar_colors(std::int64_t value);  // blue for a gain, red for a loss

// Paints the piece of a bar in a cell: a dark frame, a medium frame inside it
// and a light fill, with the rounded end on the end piece.
void draw_bar_piece(QPainter& painter, const QRect& cell, const BarPiece& piece, const BarColors& colors);

// ---- Ranked tables with bars (halls, machines) ----

// Writes the ranked groups from row 1, blanks columns 1-5 of the rows up to 16
// that have no group, and sets the row count. The last column gets last_width,
// less scroll_bar_width while the grid has more rows than fit.
void fill_ranked_grid(StringGrid& grid, std::span<const Group> ranked, int last_width, int scroll_bar_width);

struct RankedPaint {
    bool has_data = false;  // the row holds a group (row 0 counts, it holds the headers)
    bool graph = true;      // bars shown; off paints the balance column strong
    std::int64_t scale = 0;
    int font_height = 15;
};

// Paints one cell of a ranked grid: shaded headers and rank column, result
// backgrounds, the balance bar across columns 2-5, and the text over it.
void paint_ranked_cell(StringGrid& grid, int col, int row, const QRect& rect, const RankedPaint& how);

// The first wheel step in a new direction puts the current row on the last
// (down) or first (up) visible row, so the grid's own step scrolls at once.
// wheel_dir: 0 none since the last tab change, 1 down, 2 up.
void ranked_wheel_step(StringGrid& grid, std::uint8_t& wheel_dir, bool up);

}  // namespace velmo
