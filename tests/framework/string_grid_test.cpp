// The text grid keeps its cells and geometry without being shown, and paints
// through its owner.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "framework/string_grid.h"

namespace velmo {
namespace {

TEST(StringGrid, CellsSurviveResizingAndOutOfRangeAccessIsHarmless) {
    StringGrid g;
    g.set_col_count(3);
    g.set_row_count(4);
    g.set_cell(2, 3, "x");
    g.set_cell(0, 1, "a");
    g.set_cell(5, 5, "ignored");
    EXPECT_EQ(g.cell(5, 5), "");
    EXPECT_EQ(g.cell(-1, 0), "");
    g.set_row_count(10);
    g.set_col_count(5);
    EXPECT_EQ(g.cell(2, 3), "x");
    EXPECT_EQ(g.cell(0, 1), "a");
    g.set_col_count(2);
    EXPECT_EQ(g.cell(2, 3), "");
    EXPECT_EQ(g.cell(0, 1), "a");
    g.set_row_count(2);
    EXPECT_EQ(g.row(), 1);
}

TEST(StringGrid, SelectingAnotherRowClicksButSettingItDoesNot) {
    StringGrid g;
    g.set_row_count(6);
    int clicks = 0;
    g.on_click = [&] { ++clicks; };
    g.set_row(3);
    EXPECT_EQ(clicks, 0);
    g.select_row(3);
    EXPECT_EQ(clicks, 0);
    g.select_row(4);
    EXPECT_EQ(clicks, 1);
    g.select_row(99);  // held to the last row
    EXPECT_EQ(g.row(), 5);
    EXPECT_EQ(clicks, 2);
}

TEST(StringGrid, MovesRowsBothWays) {
    StringGrid g;
    g.set_col_count(2);
    g.set_row_count(6);
    for (int r = 1; r <= 4; ++r) g.set_cell(0, r, std::to_string(r));
    g.move_rows(2, 4, 1);  // make room at row 2
    EXPECT_EQ(g.cell(0, 2), "2");
    EXPECT_EQ(g.cell(0, 3), "2");
    EXPECT_EQ(g.cell(0, 5), "4");
    g.move_rows(3, 5, -1);  // and close it again
    EXPECT_EQ(g.cell(0, 2), "2");
    EXPECT_EQ(g.cell(0, 4), "4");
}

TEST(StringGrid, CellRectsFollowWidthsHeightsAndScrolling) {
    StringGrid g;
    g.resize(300, 99);
    g.set_col_count(3);
    g.set_row_count(20);
    g.set_default_row_height(18);
    g.set_row_height(0, 20);
    g.set_col_width(0, 40);
    g.set_col_width(1, 60);
    const int f = StringGrid::kFrame;
    EXPECT_EQ(g.cell_rect(1, 0), QRect(f + 41, f, 60, 20));
    EXPECT_EQ(g.cell_rect(2, 2), QRect(f + 102, f + 21 + 19, 64, 18));
    // 99 - 4 border - 21 header leaves 74 pixels: 3 whole rows of 18 + 1 (the 4th needs 75).
    EXPECT_EQ(g.visible_row_count(), 3);
    g.set_row(10);
    EXPECT_EQ(g.top_row(), 8);
    EXPECT_EQ(g.cell_rect(0, 8).top(), f + 21);
    EXPECT_TRUE(g.cell_rect(0, 7).isNull());
    int c = -1, r = -1;
    ASSERT_TRUE(g.cell_at(QPoint(f + 45, f + 21 + 19 + 5), &c, &r));
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 9);
    EXPECT_TRUE(g.scroll_bar_shown());
}

TEST(StringGrid, PaintsEveryVisibleCellThroughItsOwner) {
    StringGrid g;
    g.resize(200, 80);
    g.set_col_count(2);
    g.set_row_count(3);
    g.set_default_row_height(18);
    g.set_fixed_cols(0);
    g.set_row_select(true);
    g.set_row(2);
    int calls = 0, selected = 0;
    g.on_draw_cell = [&](int col, int row, const QRect& rect, DrawState state) {
        ++calls;
        if (state.selected) ++selected;
        g.canvas()->fillRect(rect, QColor(10 * col, 20 * row, 200));
    };
    QImage image = g.render_image();
    EXPECT_EQ(calls, 6);
    EXPECT_EQ(selected, 2);  // the whole selected row
    QRect rc = g.cell_rect(1, 2);
    EXPECT_EQ(QColor(image.pixel(rc.center())), QColor(10, 40, 200));
    // The grid line between two cells shows through.
    EXPECT_EQ(QColor(image.pixel(rc.left() - 1, rc.center().y())), QColor(192, 192, 192));
}

}  // namespace
}  // namespace velmo
