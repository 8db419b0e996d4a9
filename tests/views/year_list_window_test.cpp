// The totals pass and the painter as the main window runs them on its year list.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>

#include "framework/cp932.h"
#include "shell/tform1.h"
#include "tests/support/app_fixture.h"
#include "views/palette.h"

namespace velmo {
namespace {

class YearListWindow : public velmo::testing::AppFixture {
protected:
    void put(int row, const char* date, const char* balance) {
        form1->StringGrid1->set_cell(0, row, date);
        form1->StringGrid1->set_cell(form1->hall_col, row, "H");
        form1->StringGrid1->set_cell(form1->balance_col, row, balance);
    }
};

TEST_F(YearListWindow, TotalsPassWritesCellsMarksExtremesAndCaption) {
    TForm1& f = *form1;
    put(1, " 1/5", "-3000");
    put(2, " 1/5", "1000");
    put(3, " 2/1", "0");
    f.rec_count = 3;
    f.graph_ok = 1;
    f.machine_summary_ok = 1;
    f.row_mark[4] = 2;  // beyond rec_count: left alone
    f.recompute_totals();

    EXPECT_EQ(f.StringGrid1->cell(f.total_col, 1), "-3000");
    EXPECT_EQ(f.StringGrid1->cell(f.total_col, 2), "-2000");
    EXPECT_EQ(f.StringGrid1->cell(f.total_col, 3), "-2000");
    EXPECT_EQ(f.row_mark[1], -2);
    EXPECT_EQ(f.row_mark[2], 1);
    EXPECT_EQ(f.row_mark[3], 0);
    EXPECT_EQ(f.row_mark[4], 2);
    EXPECT_EQ(f.year_total, -2000);
    EXPECT_EQ(f.peak_total, 0);
    EXPECT_EQ(f.trough_total, -3000);
    EXPECT_EQ(f.best_balance, 1000);
    EXPECT_EQ(f.worst_balance, -3000);
    EXPECT_EQ(f.graph_ok, 0);
    EXPECT_EQ(f.machine_summary_ok, 0);
    EXPECT_EQ(f.StaticText1->text(), QString::fromUtf8("ＴＯＴＡＬ -2000"));

    f.rec_count = 0;
    f.recompute_totals();
    EXPECT_EQ(f.StaticText1->text(), QString::fromUtf8("ＴＯＴＡＬ ±0"));
}

// Columns of the caption's inside that hold dark ink, as first and last (-1, -1 when none).
std::pair<int, int> ink_columns(QLabel* label) {
    const QImage img = label->grab().toImage();
    const QRect inside = label->contentsRect();
    int first = -1, last = -1;
    for (int x = inside.left(); x <= inside.right(); ++x)
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            if (qGray(img.pixel(x, y)) < 100) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST_F(YearListWindow, TheTotalCaptionShowsItsWholeFigureAtEveryHeightStep) {
    TForm1& f = *form1;
    f.show();
    for (const char* total : {"1845000", "-2147483648", "2147483647"}) {
        put(1, " 1/5", total);
        f.rec_count = 1;
        f.recompute_totals();
        for (int v = 0; v <= 15; ++v) {
            f.vsize_level = static_cast<std::int8_t>(v);
            f.apply_height_step();
            QLabel* caption = f.StaticText1;
            // Its place is the layout's; the font is the step's unless the text needs less.
            EXPECT_EQ(caption->geometry(), QRect(512, 15 - f.font_step / 2, 114, f.font_step + 16)) << v;
            EXPECT_LE(caption->font().pixelSize(), 12 + f.font_step) << v;
            EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->contentsRect().width())
                << total << " at step " << v;
            // What shows: ink with a blank column on either side, so nothing is cut.
            const auto [first, last] = ink_columns(caption);
            EXPECT_GT(first, caption->contentsRect().left()) << total << " at step " << v;
            EXPECT_LT(last, caption->contentsRect().right()) << total << " at step " << v;
        }
    }
    // A short total at the first step keeps the caption's own font height.
    put(1, " 1/5", "12000");
    f.vsize_level = 0;
    f.apply_height_step();
    f.recompute_totals();
    EXPECT_EQ(f.StaticText1->text(), QString::fromUtf8("ＴＯＴＡＬ ＋12000"));
    EXPECT_EQ(f.StaticText1->font().pixelSize(), 12);
}

TEST_F(YearListWindow, RecordCountBeyondTheGridIsHeldToIt) {
    TForm1& f = *form1;
    const int rows = f.StringGrid1->row_count();
    for (int r = 1; r < rows; ++r) put(r, " 3/1", "100");
    f.rec_count = TForm1::kMaxRecords;  // more than the grid holds
    f.recompute_totals();
    EXPECT_EQ(f.year_total, 100 * (rows - 1));
    EXPECT_EQ(f.StaticText1->text(), QString::fromUtf8("ＴＯＴＡＬ ＋") + QString::number(100 * (rows - 1)));
}

TEST_F(YearListWindow, PainterIsTheYearListsOwnerDraw) {
    TForm1& f = *form1;
    put(1, " 7/7", "500");
    put(2, " 7/8", "-800");
    f.rec_count = 2;
    f.recompute_totals();
    f.StringGrid1->set_row(5);
    const QImage img = f.StringGrid1->render_image();
    auto at = [&](int col, int row) {
        const QRect r = f.StringGrid1->cell_rect(col, row);
        return img.pixelColor(r.left() + 1, r.top() + 1);
    };
    EXPECT_EQ(at(0, 1), palette::month_band(7));
    EXPECT_EQ(at(f.hall_col, 1), palette::win());
    EXPECT_EQ(at(f.hall_col, 2), palette::loss());
    EXPECT_EQ(at(f.balance_col, 1), palette::win_strong());
    EXPECT_EQ(at(f.balance_col, 2), palette::loss_strong());
    EXPECT_EQ(at(f.total_col, 1), palette::win_strong());
    EXPECT_EQ(at(f.total_col, 2), palette::loss_strong());
    EXPECT_EQ(at(f.hall_col, 3), palette::empty());
}

}  // namespace
}  // namespace velmo
