#include "framework/string_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

#include "framework/cp932.h"
#include "framework/draw.h"

namespace velmo {

namespace {

// Stamps of cell writes, shared by every grid, so that no two writes anywhere
// have the same stamp.
std::uint64_t g_write_stamps = 0;

}  // namespace

StringGrid::StringGrid(QWidget* parent) : QWidget(parent) {
    cells_.assign(static_cast<size_t>(cols_ * rows_), std::string());
    stamps_.assign(cells_.size(), 0);
    column_stamps_.assign(static_cast<size_t>(cols_), 0);
    col_widths_.assign(static_cast<size_t>(cols_), default_col_width_);
    row_heights_.assign(static_cast<size_t>(rows_), default_row_height_);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        if (!syncing_scroll_) set_top_row(v);
    });
}

void StringGrid::set_cell(int col, int row, std::string text) {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
    const auto i = static_cast<size_t>(row * cols_ + col);
    cells_[i] = std::move(text);
    column_stamps_[static_cast<size_t>(col)] = stamps_[i] = ++g_write_stamps;
    request_update();
}

void StringGrid::shape_changed() {
    // Cells came or went: every column counts as changed.
    const std::uint64_t stamp = ++g_write_stamps;
    std::fill(column_stamps_.begin(), column_stamps_.end(), stamp);
}

void StringGrid::clear_row(int row) {
    for (int c = 0; c < cols_; ++c) set_cell(c, row, std::string());
}

void StringGrid::move_rows(int first, int last, int delta) {
    if (delta == 0 || first > last) return;
    if (delta > 0) {
        for (int r = last; r >= first; --r)
            for (int c = 0; c < cols_; ++c) set_cell(c, r + delta, cell(c, r));
    } else {
        for (int r = first; r <= last; ++r)
            for (int c = 0; c < cols_; ++c) set_cell(c, r + delta, cell(c, r));
    }
}

void StringGrid::move_column(int from, int to, int first_row, int last_row) {
    if (from == to || from < 0 || to < 0 || from >= cols_ || to >= cols_) return;
    const int step = to > from ? 1 : -1;
    const int width = col_width(from);
    for (int r = std::max(0, first_row); r <= std::min(last_row, rows_ - 1); ++r) {
        std::string moving = cell(from, r);
        for (int c = from; c != to; c += step) set_cell(c, r, cell(c + step, r));
        set_cell(to, r, std::move(moving));
    }
    for (int c = from; c != to; c += step) set_col_width(c, col_width(c + step));
    set_col_width(to, width);
}

void StringGrid::set_col_count(int n) {
    n = std::max(n, 1);
    if (n == cols_) return;
    // Cells that stay keep their texts and stamps; new ones are empty, never written.
    std::vector<std::string> next(static_cast<size_t>(n * rows_));
    std::vector<std::uint64_t> next_stamps(next.size(), 0);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(n, cols_); ++c) {
            const auto from = static_cast<size_t>(r * cols_ + c);
            const auto to = static_cast<size_t>(r * n + c);
            next[to] = std::move(cells_[from]);
            next_stamps[to] = stamps_[from];
        }
    cells_ = std::move(next);
    stamps_ = std::move(next_stamps);
    column_stamps_.resize(static_cast<size_t>(n));
    col_widths_.resize(static_cast<size_t>(n), default_col_width_);
    cols_ = n;
    shape_changed();
    col_ = std::min(col_, cols_ - 1);
    update_scroll_bar();
    update();
}

void StringGrid::set_row_count(int n) {
    n = std::max(n, 1);
    if (n == rows_) return;
    cells_.resize(static_cast<size_t>(n * cols_));
    stamps_.resize(cells_.size(), 0);
    row_heights_.resize(static_cast<size_t>(n), default_row_height_);
    rows_ = n;
    shape_changed();
    if (row_ >= rows_) row_ = std::max(rows_ - 1, std::min(fixed_rows_, rows_ - 1));
    if (top_row_ >= rows_) top_row_ = std::max(fixed_rows_, 0);
    update_scroll_bar();
    update();
}

int StringGrid::col_width(int col) const {
    if (col < 0 || col >= cols_) return 0;
    return col_widths_[static_cast<size_t>(col)];
}

void StringGrid::set_col_width(int col, int width) {
    if (col < 0 || col >= cols_) return;
    col_widths_[static_cast<size_t>(col)] = width;
    update();
}

void StringGrid::set_default_col_width(int width) {
    default_col_width_ = width;
    std::fill(col_widths_.begin(), col_widths_.end(), width);
    update();
}

int StringGrid::row_height(int row) const {
    if (row < 0 || row >= rows_) return 0;
    return row_heights_[static_cast<size_t>(row)];
}

void StringGrid::set_row_height(int row, int height) {
    if (row < 0 || row >= rows_) return;
    row_heights_[static_cast<size_t>(row)] = height;
    update_scroll_bar();
    update();
}

void StringGrid::set_default_row_height(int height) {
    default_row_height_ = height;
    std::fill(row_heights_.begin(), row_heights_.end(), height);
    update_scroll_bar();
    update();
}

void StringGrid::set_fixed_rows(int n) {
    fixed_rows_ = std::clamp(n, 0, rows_ - 1);
    row_ = std::max(row_, fixed_rows_);
    top_row_ = std::max(top_row_, fixed_rows_);
    update_scroll_bar();
    update();
}

void StringGrid::set_fixed_cols(int n) {
    fixed_cols_ = std::clamp(n, 0, cols_ - 1);
    col_ = std::max(col_, fixed_cols_);
    update();
}

void StringGrid::set_row(int row) {
    row = std::clamp(row, fixed_rows_, std::max(fixed_rows_, rows_ - 1));
    row_ = row;
    int visible = std::max(1, visible_row_count());
    if (row_ < top_row_) set_top_row(row_);
    else if (row_ >= top_row_ + visible) set_top_row(row_ - visible + 1);
    update();
}

void StringGrid::select_row(int row) {
    const int before = row_;
    set_row(row);
    if (row_ != before && on_click) on_click();
}

void StringGrid::set_col(int col) {
    col_ = std::clamp(col, fixed_cols_, std::max(fixed_cols_, cols_ - 1));
    update();
}

void StringGrid::set_top_row(int row) {
    int visible = std::max(1, visible_row_count());
    int max_top = std::max(fixed_rows_, rows_ - visible);
    row = std::clamp(row, fixed_rows_, max_top);
    if (row == top_row_) return;
    top_row_ = row;
    syncing_scroll_ = true;
    scroll_->setValue(top_row_);
    syncing_scroll_ = false;
    update();
}

int StringGrid::client_height() const { return std::max(0, height() - 2 * kFrame); }

int StringGrid::client_width() const {
    int w = width() - 2 * kFrame;
    if (scroll_bar_shown()) w -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(0, w);
}

int StringGrid::visible_row_count() const {
    int h = client_height();
    for (int r = 0; r < fixed_rows_; ++r) h -= row_height(r) + kGridLine;
    int n = 0;
    for (int r = top_row_; r < rows_; ++r) {
        h -= row_height(r) + kGridLine;
        if (h < -kGridLine) break;
        ++n;
    }
    return n;
}

bool StringGrid::scroll_bar_shown() const {
    // Shown when the rows do not all fit in the client height.
    int total = 0;
    for (int r = 0; r < rows_; ++r) total += row_height(r) + kGridLine;
    return total - kGridLine > height() - 2 * kFrame;
}

void StringGrid::update_scroll_bar() {
    bool show = scroll_bar_shown();
    int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll_->setGeometry(width() - kFrame - sb, kFrame, sb, std::max(0, height() - 2 * kFrame));
    int visible = std::max(1, visible_row_count());
    syncing_scroll_ = true;
    scroll_->setRange(fixed_rows_, std::max(fixed_rows_, rows_ - visible));
    scroll_->setPageStep(visible);
    scroll_->setValue(top_row_);
    syncing_scroll_ = false;
    scroll_->setVisible(show);
}

int StringGrid::column_left(int col) const {
    int x = kFrame;
    for (int c = 0; c < col && c < cols_; ++c) x += col_width(c) + kGridLine;
    return x;
}

QRect StringGrid::cell_rect(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return QRect();
    int y = kFrame;
    if (row < fixed_rows_) {
        for (int r = 0; r < row; ++r) y += row_height(r) + kGridLine;
    } else {
        for (int r = 0; r < fixed_rows_; ++r) y += row_height(r) + kGridLine;
        if (row < top_row_) return QRect();
        for (int r = top_row_; r < row; ++r) y += row_height(r) + kGridLine;
    }
    return QRect(column_left(col), y, col_width(col), row_height(row));
}

bool StringGrid::cell_at(QPoint pos, int* col, int* row) const {
    int found_col = -1;
    for (int c = 0; c < cols_; ++c) {
        int left = column_left(c);
        if (pos.x() >= left && pos.x() < left + col_width(c) + kGridLine) { found_col = c; break; }
    }
    if (found_col < 0) return false;
    int y = kFrame;
    auto hit = [&](int r) {
        int h = row_height(r) + kGridLine;
        bool in = pos.y() >= y && pos.y() < y + h;
        y += h;
        return in;
    };
    for (int r = 0; r < fixed_rows_; ++r)
        if (hit(r)) { *col = found_col; *row = r; return true; }
    for (int r = top_row_; r < rows_ && y < height(); ++r)
        if (hit(r)) { *col = found_col; *row = r; return true; }
    return false;
}

QImage StringGrid::render_image() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    render(&image);
    return image;
}

void StringGrid::default_draw(int col, int row, const QRect& rect, DrawState state) {
    QPainter& p = *canvas_;
    QColor back = state.fixed ? QColor(240, 240, 240) : (state.selected ? palette().color(QPalette::Highlight) : QColor(Qt::white));
    p.fillRect(rect, back);
    p.setPen(state.selected && !state.fixed ? QColor(Qt::white) : QColor(Qt::black));
    p.setFont(ui_font(12));
    draw_text_in_rect(p, rect.adjusted(2, 0, -2, 0), from_cp932(cell(col, row)), Qt::AlignLeft | Qt::AlignVCenter);
}

void StringGrid::request_update() {
    if (update_pending_) return;
    update_pending_ = true;
    update();
}

void StringGrid::paintEvent(QPaintEvent*) {
    update_pending_ = false;
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    QRect client(kFrame, kFrame, client_width(), client_height());
    p.setClipRect(client);
    // Grid lines: the space between cells shows through in silver.
    p.fillRect(client, QColor(192, 192, 192));
    canvas_ = &p;
    auto paint_row = [&](int r) {
        for (int c = 0; c < cols_; ++c) {
            QRect rc = cell_rect(c, r);
            if (rc.isNull() || rc.left() > client.right()) continue;
            DrawState st;
            st.fixed = r < fixed_rows_ || c < fixed_cols_;
            st.selected = !st.fixed && r == row_ && (row_select_ || c == col_);
            st.focused = st.selected && hasFocus() && c == col_;
            p.save();
            if (on_draw_cell) on_draw_cell(c, r, rc, st);
            else default_draw(c, r, rc, st);
            p.restore();
        }
    };
    for (int r = 0; r < fixed_rows_; ++r) paint_row(r);
    int y = cell_rect(0, top_row_).top();
    for (int r = top_row_; r < rows_ && y < client.bottom() + 1; ++r) {
        paint_row(r);
        y += row_height(r) + kGridLine;
    }
    // Area below the last row and right of the last column.
    int right = column_left(cols_);
    if (right < client.right()) p.fillRect(QRect(right, client.top(), client.right() - right + 1, client.height()), Qt::white);
    if (y < client.bottom()) p.fillRect(QRect(client.left(), y, client.width(), client.bottom() - y + 1), Qt::white);
    canvas_ = nullptr;
    p.setClipping(false);
    // Sunken border.
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(QColor(64, 64, 64));
    p.drawLine(1, 1, width() - 2, 1);
    p.drawLine(1, 1, 1, height() - 2);
    p.setPen(QColor(255, 255, 255));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.setPen(QColor(212, 208, 200));
    p.drawLine(1, height() - 2, width() - 2, height() - 2);
    p.drawLine(width() - 2, 1, width() - 2, height() - 2);
}

void StringGrid::move_selection(int row, bool notify) {
    row = std::clamp(row, fixed_rows_, std::max(fixed_rows_, rows_ - 1));
    bool allow = true;
    if (on_select_cell) on_select_cell(col_, row, allow);
    if (!allow) return;
    set_row(row);
    if (notify && on_click) on_click();
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus();
    int c = 0, r = 0;
    // A right-click selects the cell under the pointer first, as list views do, so
    // that a menu it opens acts on the row pointed at.
    const bool selecting = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (selecting && cell_at(event->position().toPoint(), &c, &r) &&
        r >= fixed_rows_ && c >= fixed_cols_) {
        bool allow = true;
        if (on_select_cell) on_select_cell(c, r, allow);
        if (allow) {
            col_ = c;
            set_row(r);
        }
        if (on_mouse_down) on_mouse_down(event->button(), event->position().toPoint());
        if (allow && on_click) on_click();
        return;
    }
    if (on_mouse_down) on_mouse_down(event->button(), event->position().toPoint());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && on_double_click) on_double_click();
}

void StringGrid::wheelEvent(QWheelEvent* event) {
    int delta = event->angleDelta().y();
    if (delta == 0) return;
    bool up = delta > 0;
    bool handled = false;
    if (on_mouse_wheel) on_mouse_wheel(up, handled);
    if (!handled) move_selection(row_ + (up ? -1 : 1), true);
    event->accept();
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    int page = std::max(1, visible_row_count());
    switch (event->key()) {
    case Qt::Key_Up: move_selection(row_ - 1, true); break;
    case Qt::Key_Down: move_selection(row_ + 1, true); break;
    case Qt::Key_PageUp: move_selection(row_ - page, true); break;
    case Qt::Key_PageDown: move_selection(row_ + page, true); break;
    case Qt::Key_Home: move_selection(fixed_rows_, true); break;
    case Qt::Key_End: move_selection(rows_ - 1, true); break;
    case Qt::Key_Left: set_col(col_ - 1); break;
    case Qt::Key_Right: set_col(col_ + 1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void StringGrid::resizeEvent(QResizeEvent*) { update_scroll_bar(); }

}  // namespace velmo
