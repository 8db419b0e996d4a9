#pragma once
// A grid of text cells that lives without being shown: every cell holds CP932
// bytes, and counts, widths, heights and the selection are plain state that
// code (and tests) can set and read. When shown, the grid paints every visible
// cell through its owner's on_draw_cell handler, which draws on canvas().
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QScrollBar;

namespace velmo {

struct DrawState {
    bool selected = false;  // the cell lies in the selection (the whole row when row_select)
    bool fixed = false;     // a fixed (header) row or column
    bool focused = false;   // the cell is the current cell and the grid has focus
};

class StringGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGridLine = 1;  // width of the lines between cells
    static constexpr int kFrame = 2;     // width of the sunken border

    explicit StringGrid(QWidget* parent = nullptr);

    // Cells. Reading outside the grid gives an empty text; writing outside is ignored.
    const std::string& cell(int col, int row) const {
        if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmptyCell;
        return cells_[static_cast<std::size_t>(row * cols_ + col)];
    }
    // The one way a cell's text changes (the moves below go through it too).
    void set_cell(int col, int row, std::string text);
    // Writes text into the cell only when the cell holds another text: writing a
    // cell's own text again changes nothing (no stamp, no repaint) and copies nothing.
    void change_cell(int col, int row, std::string_view text) {
        if (cell(col, row) != text) set_cell(col, row, std::string(text));
    }
    // Every write of a cell gives it a stamp no write in this process has had
    // before; a cell never written since it came to be has stamp 0 and is empty,
    // as is every cell outside the grid. Figures read from cells and kept beside
    // the grid compare stamps to know which cells changed since they were read.
    std::uint64_t cell_stamp(int col, int row) const {
        if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return 0;
        return stamps_[static_cast<std::size_t>(row * cols_ + col)];
    }
    // The stamp of the latest write to a cell of the column, or of the latest
    // change of the grid's shape, whichever came last (0: neither yet): while it
    // stays the same, no cell of the column changed.
    std::uint64_t column_stamp(int col) const {
        if (col < 0 || col >= cols_) return 0;
        return column_stamps_[static_cast<std::size_t>(col)];
    }
    // Clears every cell of one row (all columns) / one column (all rows).
    void clear_row(int row);
    // Moves the contents of rows [first, last] by delta rows (positive: down).
    void move_rows(int first, int last, int delta);
    // Moves column from to position to, with its width and the cells of rows
    // [first_row, last_row]; the columns between shift by one toward from.
    void move_column(int from, int to, int first_row, int last_row);

    int col_count() const { return cols_; }
    int row_count() const { return rows_; }
    void set_col_count(int n);
    void set_row_count(int n);

    int col_width(int col) const;
    void set_col_width(int col, int width);
    int default_col_width() const { return default_col_width_; }
    void set_default_col_width(int width);
    int row_height(int row) const;
    void set_row_height(int row, int height);
    int default_row_height() const { return default_row_height_; }
    // Sets every row to this height, as the grids of the program do.
    void set_default_row_height(int height);

    int fixed_rows() const { return fixed_rows_; }
    int fixed_cols() const { return fixed_cols_; }
    void set_fixed_rows(int n);
    void set_fixed_cols(int n);

    // Whole-row selection (the year list and the summaries select rows).
    bool row_select() const { return row_select_; }
    void set_row_select(bool on) { row_select_ = on; update(); }

    // The current cell. Setting it keeps it visible; it does not fire on_click.
    int row() const { return row_; }
    int col() const { return col_; }
    void set_row(int row);
    // Selects a row as the program does: when the row changes, on_click fires.
    void select_row(int row);
    void set_col(int col);

    int top_row() const { return top_row_; }
    void set_top_row(int row);
    // Number of scrollable rows fully visible in the current height.
    int visible_row_count() const;

    int tag = 0;

    // Geometry of a cell in widget coordinates (scrolled rows included).
    QRect cell_rect(int col, int row) const;
    // The cell at a widget position; false when the position holds no cell.
    bool cell_at(QPoint pos, int* col, int* row) const;
    // Width of the client area (inside the border, less the scroll bar when shown).
    int client_width() const;
    int client_height() const;
    bool scroll_bar_shown() const;

    // The painter of the cell being drawn; valid only inside on_draw_cell.
    QPainter* canvas() const { return canvas_; }

    // Paints the grid into an image of its size, as it would appear on screen.
    QImage render_image();

    // Events of the owner.
    std::function<void(int col, int row, const QRect& rect, DrawState state)> on_draw_cell;
    std::function<void()> on_click;
    std::function<void()> on_double_click;
    // Mouse button pressed on the grid (after the selection moved for a left press).
    std::function<void(Qt::MouseButton button, QPoint pos)> on_mouse_down;
    // The wheel turned one notch; set handled to keep the grid from scrolling.
    std::function<void(bool up, bool& handled)> on_mouse_wheel;
    // Asked before a cell becomes current by a click or a key; clear allow to refuse.
    std::function<void(int col, int row, bool& allow)> on_select_cell;

    // Number of times the grid was told to repaint; tests use it to see a redraw.
    int repaint_requests() const { return repaint_requests_; }
    void invalidate() { ++repaint_requests_; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void update_scroll_bar();
    void request_update();
    void move_selection(int row, bool notify);
    void default_draw(int col, int row, const QRect& rect, DrawState state);
    int column_left(int col) const;

    static inline const std::string kEmptyCell{};

    std::vector<std::string> cells_;       // row-major, cols_ per row
    std::vector<std::uint64_t> stamps_;         // the write stamp of each cell, laid out as cells_
    std::vector<std::uint64_t> column_stamps_;  // per column, see column_stamp
    void shape_changed();
    int cols_ = 5;
    int rows_ = 5;
    std::vector<int> col_widths_;
    std::vector<int> row_heights_;
    int default_col_width_ = 64;
    int default_row_height_ = 24;
    int fixed_rows_ = 1;
    int fixed_cols_ = 1;
    bool row_select_ = false;
    int row_ = 1;
    int col_ = 1;
    int top_row_ = 1;
    int repaint_requests_ = 0;
    QPainter* canvas_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    bool syncing_scroll_ = false;
    bool update_pending_ = false;
};

}  // namespace velmo
