// The painters of the summary grids, read back from offscreen images.
#include <QCheckBox>
#include <QImage>

#include "framework/string_grid.h"
#include "tests/support/app_fixture.h"

using namespace velmo::testing;

namespace {

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

class SummaryPaint : public AppFixture {
protected:
    void add(const char* date, const std::string& hall, int investment, int payout) {
        append_record({date, hall, "M", investment, payout, "", "", ""});
    }
    QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y); }
};

TEST_F(SummaryPaint, HallBarsPieceByPiece) {
    TForm1& f = *form1;
    add(" 1/5", "A", 10000, 30000);  // +20000: full scale 20000, bar 4 x 90 = 360 pixels
    add(" 1/6", "B", 9000, 2000);    // -7000: bar 126 pixels, ends 54 pixels before column 3's right edge
    f.refresh_after_change();
    velmo::StringGrid* g = f.StringGrid4;
    ASSERT_EQ(f.hall_scale, 20000);
    ASSERT_EQ(g->col_width(2), 90);
    const QImage img = g->render_image();

    // Row 1, column 2: the bar crosses the whole cell.
    QRect c2 = g->cell_rect(2, 1);
    int x = c2.left() + 4, t = c2.top();
    EXPECT_EQ(px(img, x, t + 1), rgb(224, 240, 255));  // above the bar: the win background
    EXPECT_EQ(px(img, x, t + 2), rgb(0, 0, 255));      // dark frame
    EXPECT_EQ(px(img, x, t + 3), rgb(103, 179, 255));  // medium frame
    EXPECT_EQ(px(img, x, t + 4), rgb(174, 210, 255));  // light fill
    EXPECT_EQ(px(img, x, t + 13), rgb(174, 210, 255));
    EXPECT_EQ(px(img, x, t + 14), rgb(103, 179, 255));
    EXPECT_EQ(px(img, x, t + 15), rgb(0, 0, 255));
    EXPECT_EQ(px(img, x, t + 16), rgb(224, 240, 255));
    EXPECT_EQ(px(img, c2.left(), t + 3), rgb(103, 179, 255));  // the fill covers the frame's sides
    EXPECT_EQ(px(img, c2.left(), t + 8), rgb(174, 210, 255));

    // Row 2: the loss bar crosses column 2 and ends in column 3 at 126 - 90 = 36 pixels.
    QRect c3 = g->cell_rect(3, 2);
    t = c3.top();
    const int end = c3.left() + 36;  // exclusive right edge of the end piece
    EXPECT_EQ(px(img, end - 1, t + 8), rgb(255, 0, 0));       // dark end
    EXPECT_EQ(px(img, end - 1, t + 2), rgb(255, 186, 206));   // rounded corners in the light colour
    EXPECT_EQ(px(img, end - 1, t + 15), rgb(255, 186, 206));
    EXPECT_EQ(px(img, end - 2, t + 8), rgb(255, 144, 206));   // medium inside the dark end
    EXPECT_EQ(px(img, end - 3, t + 8), rgb(255, 186, 206));   // light fill
    EXPECT_EQ(px(img, end - 2, t + 2), rgb(255, 0, 0));       // top dark line up to the end
    EXPECT_EQ(px(img, end, t + 8), rgb(255, 226, 236));      // past the end: the loss background
    // Column 4 of row 2: no bar left.
    QRect c4 = g->cell_rect(4, 2);
    EXPECT_EQ(px(img, c4.left() + 2, c4.top() + 2), rgb(255, 226, 236));
    // A row without data: white, rank column shaded.
    QRect empty = g->cell_rect(2, 5);
    EXPECT_EQ(px(img, empty.left() + 5, empty.top() + 5), rgb(255, 255, 255));
}

TEST_F(SummaryPaint, GraphOffShowsStrongBalanceColoursAndNoBars) {
    TForm1& f = *form1;
    add(" 1/5", "A", 10000, 30000);
    add(" 1/6", "B", 9000, 2000);
    f.refresh_after_change();
    f.CheckBox1->click();
    ASSERT_FALSE(f.CheckBox1->isChecked());
    velmo::StringGrid* g = f.StringGrid4;
    const QImage img = g->render_image();
    QRect b1 = g->cell_rect(4, 1), b2 = g->cell_rect(4, 2), c2 = g->cell_rect(2, 1);
    EXPECT_EQ(px(img, b1.left() + 2, b1.top() + 2), rgb(174, 210, 255));
    EXPECT_EQ(px(img, b2.left() + 2, b2.top() + 2), rgb(255, 186, 206));
    EXPECT_EQ(px(img, c2.left() + 4, c2.top() + 2), rgb(224, 240, 255));  // no dark frame
}

TEST_F(SummaryPaint, MonthlyAndWeekdayBackgrounds) {
    TForm1& f = *form1;
    f.year_text = "2024";
    add(" 1/7", "A", 1000, 4000);   // January won, a Sunday
    add(" 2/5", "A", 9000, 1000);   // February lost, a Monday; the year is down
    f.refresh_after_change();
    const QImage m = f.StringGrid2->render_image();
    auto probe = [&](velmo::StringGrid* g, const QImage& img, int c, int r) {
        QRect rc = g->cell_rect(c, r);
        return px(img, rc.left() + 2, rc.top() + 2);
    };
    EXPECT_EQ(probe(f.StringGrid2, m, 1, 1), rgb(224, 240, 255));
    EXPECT_EQ(probe(f.StringGrid2, m, 4, 1), rgb(224, 240, 255));  // running +3000
    EXPECT_EQ(probe(f.StringGrid2, m, 1, 2), rgb(255, 226, 236));
    EXPECT_EQ(probe(f.StringGrid2, m, 4, 2), rgb(255, 226, 236));  // running -5000
    EXPECT_EQ(probe(f.StringGrid2, m, 2, 13), rgb(255, 186, 206));  // TOTAL row in the strong colour
    EXPECT_EQ(probe(f.StringGrid2, m, 3, 13), rgb(255, 186, 206));
    EXPECT_EQ(probe(f.StringGrid2, m, 1, 3), rgb(255, 255, 255));  // after the last record
    const QImage w = f.StringGrid3->render_image();
    EXPECT_EQ(probe(f.StringGrid3, w, 1, 1), rgb(224, 240, 255));  // Sunday
    EXPECT_EQ(probe(f.StringGrid3, w, 1, 2), rgb(255, 226, 236));  // Monday
    EXPECT_EQ(probe(f.StringGrid3, w, 1, 3), rgb(255, 252, 249));  // Tuesday, no play
    EXPECT_EQ(probe(f.StringGrid3, w, 3, 8), rgb(255, 186, 206));  // TOTAL

    // The extra-value table: result colours without strong ones, white rows past the last value.
    f.rec_count = 0;
    f.has_extra = 1;
    f.StringGrid1->set_col_count(7);
    f.extra_col = 6;
    add(" 1/7", "A", 1000, 4000);
    f.StringGrid1->set_cell(6, 1, "x");
    add(" 1/8", "A", 9000, 1000);
    f.StringGrid1->set_cell(6, 2, "y");
    f.refresh_after_change();
    velmo::StringGrid* g6 = f.StringGrid6;
    const QImage e = g6->render_image();
    EXPECT_EQ(probe(g6, e, 2, 1), rgb(224, 240, 255));
    EXPECT_EQ(probe(g6, e, 4, 2), rgb(255, 226, 236));
    EXPECT_EQ(probe(g6, e, 3, 3), rgb(255, 255, 255));
    QRect rank = g6->cell_rect(0, 3);
    EXPECT_NE(px(e, rank.left() + 2, rank.top() + 2), rgb(255, 255, 255));  // the rank column stays shaded
}

}  // namespace
