// The year list painted offscreen and read back pixel by pixel.
#include <gtest/gtest.h>

#include <QDate>
#include <QImage>
#include <QPainter>

#include <array>
#include <memory>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "views/header_shading.h"
#include "views/palette.h"
#include "views/totals.h"
#include "views/year_list_paint.h"

namespace velmo {
namespace {

// A year list like the main window's: date, weekday, hall, machines, balance,
// total, and optionally an extra column at extra_col.
struct YearList {
    std::unique_ptr<StringGrid> grid = std::make_unique<StringGrid>();
    std::array<std::int8_t, 1025> marks{};
    YearListLook look;
    int hall_col = 2;
    int machine_col = 3;
    int records = 0;

    explicit YearList(int year = 2024, int extra_col = 255) {
        const int rows = 14;
        const bool extra = extra_col != 255;
        const auto role = [&](int col) { return extra && col >= extra_col ? col + 1 : col; };
        hall_col = role(2);
        machine_col = role(3);
        look.balance_col = role(4);
        look.total_col = role(5);
        look.has_extra = extra;
        look.extra_col = extra_col;
        grid->set_col_count(extra ? 7 : 6);
        grid->set_row_count(rows);
        grid->set_default_row_height(18);
        grid->set_fixed_rows(1);
        grid->set_fixed_cols(0);
        grid->set_row_select(true);
        const int widths[6] = {45, 13, 152, 259, 74, 90};
        const char* headers[6] = {"日付", "曜", " ホール名", " プレイ機種", "収　支 ", "合　計 "};
        for (int c = 0; c < 6; ++c) {
            grid->set_col_width(role(c), widths[c]);
            grid->set_cell(role(c), 0, cp932_literal(headers[c]));
        }
        if (extra) grid->set_col_width(extra_col, 70);
        grid->resize(800, rows * 19 + 8);
        grid->set_row(rows - 1);  // a row past the records, so no record is selected
        look.grid = grid.get();
        look.row_mark = marks.data();
        look.mark_rows = static_cast<int>(marks.size());
        look.year = year;
        grid->on_draw_cell = [this](int col, int row, const QRect& rect, DrawState state) {
            paint_year_list_cell(*grid->canvas(), look, col, row, rect, state);
        };
    }

    void add(const char* date, const char* hall, int balance, const char* extra = "") {
        ++records;
        grid->set_cell(0, records, date);
        grid->set_cell(hall_col, records, cp932_literal(hall));
        grid->set_cell(machine_col, records, "X");
        grid->set_cell(look.balance_col, records, std::to_string(balance));
        if (look.has_extra) grid->set_cell(look.extra_col, records, extra);
    }

    // The totals pass as the main window runs it, then a paint.
    QImage paint() {
        std::vector<int> balances;
        for (int r = 1; r <= records; ++r) balances.push_back(*parse_balance(grid->cell(look.balance_col, r)));
        const Totals t = compute_totals(balances);
        for (int r = 1; r <= records; ++r) {
            marks[static_cast<std::size_t>(r)] = t.marks[static_cast<std::size_t>(r - 1)];
            grid->set_cell(look.total_col, r, std::to_string(t.running[static_cast<std::size_t>(r - 1)]));
        }
        look.rec_count = records;
        look.best_balance = t.best_balance;
        look.worst_balance = t.worst_balance;
        return grid->render_image();
    }

    QRect cell(int col, int row) const { return grid->cell_rect(col, row); }
};

// The colour near the top left of a cell, where no bottom-aligned text reaches.
QColor top_left(const QImage& img, const QRect& r) { return img.pixelColor(r.left() + 1, r.top() + 1); }
// The colour near the top right of a cell.
QColor top_right(const QImage& img, const QRect& r) { return img.pixelColor(r.right() - 1, r.top() + 1); }

// True when some pixel of the rectangle differs from the background.
bool has_ink(const QImage& img, const QRect& r, const QColor& background) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) != background) return true;
    return false;
}

TEST(YearListPaint, RowColoursFollowTheResult) {
    YearList list;
    list.add(" 1/5", "win hall", 3000);   // new high
    list.add(" 1/6", "loss hall", -1000); // loss
    list.add(" 1/7", "even hall", 0);     // even
    list.add(" 1/8", "small win", 500);   // win, total 2500 below the peak
    const QImage img = list.paint();

    EXPECT_EQ(top_right(img, list.cell(2, 1)), palette::win());
    EXPECT_EQ(top_right(img, list.cell(3, 1)), palette::win());
    EXPECT_EQ(top_right(img, list.cell(2, 2)), palette::loss());
    EXPECT_EQ(top_right(img, list.cell(2, 3)), palette::neutral());
    EXPECT_EQ(top_right(img, list.cell(2, 4)), palette::win());
    // Rows past the records are white in every column, the date columns too.
    for (int c = 0; c < 6; ++c) EXPECT_EQ(top_left(img, list.cell(c, 5)), palette::empty()) << c;
}

TEST(YearListPaint, BalanceExtremesAndRunningTotal) {
    YearList list;
    list.add(" 2/1", "A", 3000);   // best (tie), total 3000 new high
    list.add(" 2/2", "B", -5000);  // worst, total -2000 new low
    list.add(" 2/3", "C", 3000);   // best (tie), total 1000: a win, not a new high
    list.add(" 2/4", "D", 100);    // plain win, total 1100
    list.add(" 2/5", "E", -200);   // plain loss, total 900
    list.add(" 2/6", "F", 0);      // even, total 900
    const QImage img = list.paint();

    // Balance column: every record equal to the best or worst is strong.
    EXPECT_EQ(top_left(img, list.cell(4, 1)), palette::win_strong());
    EXPECT_EQ(top_left(img, list.cell(4, 2)), palette::loss_strong());
    EXPECT_EQ(top_left(img, list.cell(4, 3)), palette::win_strong());
    EXPECT_EQ(top_left(img, list.cell(4, 4)), palette::win());
    EXPECT_EQ(top_left(img, list.cell(4, 5)), palette::loss());
    EXPECT_EQ(top_left(img, list.cell(4, 6)), palette::neutral());
    // Total column: by the sign of the total, strong at new highs and lows.
    EXPECT_EQ(top_left(img, list.cell(5, 1)), palette::win_strong());
    EXPECT_EQ(top_left(img, list.cell(5, 2)), palette::loss_strong());
    EXPECT_EQ(top_left(img, list.cell(5, 3)), palette::win());
    EXPECT_EQ(top_left(img, list.cell(5, 5)), palette::win());  // a loss row with a positive total
    EXPECT_EQ(top_left(img, list.cell(2, 5)), palette::loss());
}

TEST(YearListPaint, AllLosingYearHasNoStrongWin) {
    YearList list;
    list.add(" 3/1", "A", -100);
    list.add(" 3/2", "B", -300);
    list.add(" 3/3", "C", -100);
    const QImage img = list.paint();
    EXPECT_EQ(top_left(img, list.cell(4, 1)), palette::loss());
    EXPECT_EQ(top_left(img, list.cell(4, 2)), palette::loss_strong());
    EXPECT_EQ(top_left(img, list.cell(4, 3)), palette::loss());
}

TEST(YearListPaint, MonthBandsAndOneDatePerDay) {
    YearList list;
    list.add(" 1/5", "A", 100);
    list.add(" 1/5", "B", 100);  // same day: no date, no weekday
    list.add(" 2/9", "C", 100);
    list.add(" 7/1", "D", 100);
    list.add("12/25", "E", 100);
    const QImage img = list.paint();

    const QColor january(255, 255, 220), february(220, 255, 255), december(230, 230, 255);
    for (int c = 0; c <= 1; ++c) {
        EXPECT_EQ(top_left(img, list.cell(c, 1)), january);
        EXPECT_EQ(top_left(img, list.cell(c, 2)), january);
        EXPECT_EQ(top_left(img, list.cell(c, 3)), february);
        EXPECT_EQ(top_left(img, list.cell(c, 4)), january);  // July shares January's band
        EXPECT_EQ(top_left(img, list.cell(c, 5)), december);
    }
    EXPECT_TRUE(has_ink(img, list.cell(0, 1), january));
    EXPECT_TRUE(has_ink(img, list.cell(1, 1), january));
    EXPECT_FALSE(has_ink(img, list.cell(0, 2), january));
    EXPECT_FALSE(has_ink(img, list.cell(1, 2), january));
    EXPECT_TRUE(has_ink(img, list.cell(0, 5), december));
}

TEST(YearListPaint, SelectedRowInCaptionColourWithWhiteText) {
    YearList list;
    list.add(" 4/1", "Hall", 100);
    list.add(" 4/2", "Hall", -100);
    list.grid->set_row(2);
    const QImage img = list.paint();
    const QColor caption = active_caption_color();
    for (int c = 0; c < 6; ++c) EXPECT_EQ(top_left(img, list.cell(c, 2)), caption) << c;
    // The text of the selected row is white, the others black.
    bool white = false, black = false;
    const QRect sel = list.cell(2, 2), other = list.cell(2, 1);
    for (int y = sel.top(); y <= sel.bottom(); ++y)
        for (int x = sel.left(); x <= sel.right(); ++x) white |= img.pixelColor(x, y) == QColor(Qt::white);
    for (int y = other.top(); y <= other.bottom(); ++y)
        for (int x = other.left(); x <= other.right(); ++x) black |= img.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_TRUE(white);
    EXPECT_TRUE(black);
    EXPECT_EQ(top_left(img, list.cell(2, 1)), palette::win());
}

TEST(YearListPaint, TextSitsOnOneLineAtTheBottom) {
    YearList list;
    list.add(" 5/1", "Hall", 100);
    const QImage img = list.paint();
    const QRect r = list.cell(2, 1);
    // The top pixel rows are clear; the ink lies in the lower part of the cell.
    EXPECT_FALSE(has_ink(img, QRect(r.left(), r.top(), r.width(), 2), palette::win()));
    EXPECT_TRUE(has_ink(img, QRect(r.left(), r.top() + r.height() / 2, r.width(), r.height() / 2), palette::win()));
    // Left aligned: the right half of the hall cell is empty.
    EXPECT_FALSE(has_ink(img, QRect(r.center().x(), r.top(), r.width() / 2, r.height()), palette::win()));
    // Right aligned: the balance's ink is in the right half of its cell.
    const QRect b = list.cell(4, 1);
    EXPECT_FALSE(has_ink(img, QRect(b.left(), b.top(), b.width() / 2, b.height()), palette::win_strong()));
    EXPECT_TRUE(has_ink(img, QRect(b.center().x(), b.top(), b.width() / 2, b.height()), palette::win_strong()));
}

TEST(YearListPaint, WeekdayLettersFollowTheCalendar) {
    // Checked against Qt's own calendar over a whole leap year, and known dates.
    const char* letters[7] = {"月", "火", "水", "木", "金", "土", "日"};  // Qt: Monday = 1
    for (QDate d(2024, 1, 1); d.year() == 2024; d = d.addDays(1))
        ASSERT_EQ(from_cp932(weekday_letter(2024, d.month(), d.day())), QString::fromUtf8(letters[d.dayOfWeek() - 1]))
            << d.toString().toStdString();
    EXPECT_EQ(from_cp932(weekday_letter(2000, 1, 1)), QString::fromUtf8("土"));
    EXPECT_EQ(from_cp932(weekday_letter(2023, 12, 25)), QString::fromUtf8("月"));
    EXPECT_TRUE(weekday_letter(2023, 2, 29).empty());

    EXPECT_EQ(date_text_month(" 1/5"), 1);
    EXPECT_EQ(date_text_day(" 1/5"), 5);
    EXPECT_EQ(date_text_month("12/25"), 12);
    EXPECT_EQ(date_text_day("12/25"), 25);
    EXPECT_EQ(date_text_day(" 1/15"), 15);
    EXPECT_EQ(date_text_month(""), 0);
    EXPECT_EQ(date_text_day("1"), 0);
}

TEST(YearListPaint, WeekdayCellShowsTheLetterOfItsDate) {
    // 2024-01-01 was a Monday: the painted weekday cell must match 月 drawn the
    // same way, and differ from 火.
    YearList list(2024);
    list.add(" 1/1", "A", 100);
    const QImage img = list.paint();
    const QRect r = list.cell(1, 1);
    auto reference = [&](const char* letter) {
        QImage ref(r.size(), QImage::Format_RGB32);
        QPainter p(&ref);
        p.fillRect(QRect(QPoint(0, 0), r.size()), QColor(255, 255, 220));
        p.setPen(Qt::black);
        p.setFont(ui_font(11));
        draw_text_in_rect(p, QRect(QPoint(0, 0), r.size()), QString::fromUtf8(letter), Qt::AlignHCenter | Qt::AlignBottom);
        return ref;
    };
    const QImage cell = img.copy(r).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(cell, reference("月"));
    EXPECT_NE(cell, reference("火"));
}

TEST(YearListPaint, HeaderCellsAreShaded) {
    YearList list;
    list.add(" 1/5", "A", 100);
    const QImage img = list.paint();
    const std::vector<int>& levels = header_shading_levels(18);
    ASSERT_EQ(levels.size(), 19u);
    const QRect hall = list.cell(2, 0);
    // A column of the hall header clear of its text: one grey per pixel row,
    // the last one on the grid line below the header.
    const int x = hall.right() - 2;
    for (int i = 0; i <= 18; ++i)
        EXPECT_EQ(img.pixelColor(x, hall.top() + i), QColor(levels[i], levels[i], levels[i])) << i;
    // The separator line left of every header cell but the first.
    for (int c = 1; c < 6; ++c) {
        const QRect h = list.cell(c, 0);
        for (int y = h.top(); y <= h.bottom() + 1; ++y)
            EXPECT_EQ(img.pixelColor(h.left() - 1, y), QColor(192, 192, 192)) << c << "," << y;
    }
}

TEST(HeaderShading, TablesAndBitmapSize) {
    for (int h = 16; h <= 33; ++h) EXPECT_EQ(header_shading_levels(h).size(), static_cast<std::size_t>(h + 1)) << h;
    EXPECT_EQ(header_shading_levels(16).front(), 228);
    EXPECT_EQ(header_shading_levels(33).back(), 232);
    EXPECT_EQ(header_shading_levels(32)[31], 140);

    // The bitmap covers one pixel more right and below; the line is at left - 1.
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        header_shading(p, QRect(10, 5, 20, 16), 16, false);
    }
    const auto& levels = header_shading_levels(16);
    for (int y = 0; y <= 16; ++y) {
        EXPECT_EQ(img.pixelColor(30, 5 + y), QColor(levels[y], levels[y], levels[y])) << y;
        EXPECT_EQ(img.pixelColor(9, 5 + y), QColor(192, 192, 192)) << y;
    }
    EXPECT_EQ(img.pixelColor(31, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(20, 22), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(9, 22), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(9, 4), QColor(Qt::white));
}

TEST(YearListPaint, ExtraColumnAlignmentAndBackground) {
    // As the last column it is neutral; in the middle it keeps the row's colour.
    for (int extra_col : {6, 2}) {
        YearList list(2024, extra_col);
        list.look.extra_align = 2;  // right
        list.add(" 6/1", "A", 700, "ab");
        list.add(" 6/2", "B", -100, "ab");
        const QImage img = list.paint();
        const QRect r = list.cell(extra_col, 1);
        const QColor back = extra_col == 6 ? palette::neutral() : palette::win();
        EXPECT_EQ(top_left(img, r), back) << extra_col;
        EXPECT_EQ(top_left(img, list.cell(extra_col, 2)), extra_col == 6 ? palette::neutral() : palette::loss());
        EXPECT_FALSE(has_ink(img, QRect(r.left(), r.top(), r.width() / 2, r.height()), back)) << extra_col;
        EXPECT_TRUE(has_ink(img, QRect(r.center().x(), r.top(), r.width() / 2, r.height()), back)) << extra_col;
        // The role columns moved with it.
        EXPECT_EQ(top_left(img, list.cell(list.look.balance_col, 1)), palette::win_strong());
    }
    // Centred.
    YearList centred(2024, 6);
    centred.look.extra_align = 1;
    centred.add(" 6/1", "A", 700, "ab");
    const QImage img = centred.paint();
    const QRect r = centred.cell(6, 1);
    EXPECT_FALSE(has_ink(img, QRect(r.left(), r.top(), r.width() / 4, r.height()), palette::neutral()));
    EXPECT_FALSE(has_ink(img, QRect(r.right() - r.width() / 4, r.top(), r.width() / 4, r.height()), palette::neutral()));
    EXPECT_TRUE(has_ink(img, r, palette::neutral()));
}

}  // namespace
}  // namespace velmo
