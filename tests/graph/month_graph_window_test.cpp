// The monthly graph window opened from the graph tab: position, caption,
// buttons, the chart's pixels and the day hint.
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "framework/draw.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "tests/support/app_fixture.h"

using namespace velmo::testing;

namespace {

const QColor kBarUp(174, 210, 255);
const QColor kBarDown(255, 186, 206);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

int count_colour(const QImage& img, const QColor& c, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

class MonthGraphWindow : public AppFixture {
protected:
    void add(const char* date, int balance) {
        append_record({date, "H", "M", 30000, 30000 + balance, "", "", ""});
    }
    QColor at(int x, int y) const { return form6->image.pixelColor(x, y); }
    void TearDown() override {
        form6->hide();
        AppFixture::TearDown();
    }
};

TEST_F(MonthGraphWindow, ClickOnTheChartOpensTheMonthOverTheMainWindow) {
    add(" 2/3", 1500);
    add(" 3/7", -2500);
    form1->refresh_after_change();
    form1->setGeometry(100, 100, 660, 600);
    form1->show();
    form1->graph_animate = false;
    form1->PageControl1->setCurrentWidget(form1->TabSheet7);
    QTest::mouseClick(form1->Image2, Qt::LeftButton, {}, QPoint(7 + 45 * 3 + 4, 200));  // the March slot
    EXPECT_EQ(form1->click_x, 7 + 45 * 3 + 4);
    EXPECT_TRUE(form6->isVisible());
    EXPECT_FALSE(form1->isEnabled());
    EXPECT_EQ(form6->graph_month, 3);
    EXPECT_EQ(form6->windowTitle(), u("月間収支グラフ   3月TOTAL -2500"));
    const QRect main = form1->frameGeometry(), mine = form6->frameGeometry();
    EXPECT_EQ(mine.x(), main.x() + (main.width() - mine.width()) / 2);
    EXPECT_EQ(mine.y(), main.y() + (main.height() - mine.height()) / 2 + 45);
    EXPECT_EQ(form6->size(), QSize(410, 265));
    EXPECT_TRUE(form6->Button1->isEnabled());
    EXPECT_TRUE(form6->Button2->isEnabled());

    // The buttons step through the months and stop at the ends.
    form6->Button1->click();
    EXPECT_EQ(form6->graph_month, 2);
    EXPECT_EQ(form6->windowTitle(), u("月間収支グラフ   2月TOTAL +1500"));
    form6->Button1->click();
    EXPECT_EQ(form6->graph_month, 1);
    EXPECT_FALSE(form6->Button1->isEnabled());
    EXPECT_EQ(form6->windowTitle(), u("月間収支グラフ   1月TOTAL 0"));
    form6->draw_month_graph(12);
    EXPECT_FALSE(form6->Button2->isEnabled());
    EXPECT_EQ(form6->windowTitle(), u("月間収支グラフ   12月TOTAL 0"));
    form6->Button2Click();  // disabled at the end; the month stays in the year
    EXPECT_EQ(form6->graph_month, 12);

    // Closing gives the main window back.
    form6->close();
    EXPECT_FALSE(form6->isVisible());
    EXPECT_TRUE(form1->isEnabled());
    form1->hide();
}

TEST_F(MonthGraphWindow, BarsLineZeroAxisAndPeakLabel) {
    add(" 3/2", 3000);
    add(" 3/2", 1000);   // one day: +4000
    add(" 3/10", -3000);  // running 1000
    add(" 3/30", 500);    // running 1500
    form1->refresh_after_change();
    form6->clear_image();
    form6->draw_month_graph(3);
    EXPECT_EQ(form6->graph_first_row, 1);
    // top 4000, bottom -3000: Up 2, Down 2, 2000 yen a step, 200 a pixel, zero at 33.
    const int y0 = 33;
    EXPECT_EQ(at(100, y0), QColor(Qt::black));
    EXPECT_EQ(at(45, y0), QColor(Qt::black));
    EXPECT_EQ(at(363, y0), velmo::button_face_color());  // the axis ends where the white area does
    // Day 2: 20 pixels up from the axis, framed in blue, x 57..64.
    EXPECT_EQ(at(60, y0 - 10), kBarUp);
    EXPECT_EQ(at(57, y0 - 10), kBlue);
    EXPECT_EQ(at(64, y0 - 10), kBlue);
    EXPECT_EQ(at(61, y0 - 20), kBlue);
    EXPECT_EQ(at(61, y0 - 21), QColor(Qt::white));
    // Day 10: 15 pixels down, framed in red.
    EXPECT_EQ(at(140, y0 + 8), kBarDown);
    EXPECT_EQ(at(137, y0 + 8), kRed);
    EXPECT_EQ(at(139, y0 + 15), kRed);
    EXPECT_EQ(at(139, y0 + 16), QColor(Qt::white));
    // The month ends above zero: the line is blue and runs on to the right edge.
    EXPECT_EQ(at(362, y0 - 1500 / 200), kBlue);
    EXPECT_EQ(count_colour(form6->image, kRed, QRect(300, 3, 63, 240)), 0);
    // "MAX +4000" over day 2, framed in black, with a black line down to the point.
    EXPECT_EQ(at(60, 4), QColor(Qt::black));
    EXPECT_EQ(at(60, 10), QColor(Qt::black));
    EXPECT_EQ(at(60, y0 - 21), QColor(Qt::black));
    // Grid: dotted every 10 pixels.
    EXPECT_EQ(at(45, 233), QColor(224, 224, 224));
    EXPECT_EQ(at(46, 233), QColor(Qt::white));
    // Frame.
    EXPECT_EQ(at(43, 100), QColor(128, 128, 128));
    EXPECT_EQ(at(364, 100), QColor(Qt::white));
    EXPECT_EQ(at(405, 100), velmo::button_face_color());
}

TEST_F(MonthGraphWindow, LosingMonthPeakAtTheRightAndEmptyMonths) {
    add(" 1/30", 9000);
    add(" 1/31", -12000);
    add(" 3/1", 100);
    form1->refresh_after_change();
    form6->clear_image();
    form6->draw_month_graph(1);
    // The month loses: its line is red; the peak label on day 30 opens to the left.
    // top 9000 -> Up 5, bottom -3000 -> Down 2 (the day's -12000 is lower: Down 6).
    const int y0 = 10 * 5 + 13;
    EXPECT_EQ(at(362, y0 + 3000 / 200), kRed);
    EXPECT_EQ(at(10 * 30 + 40, 14), QColor(Qt::black));  // frame's lower edge right above the day
    EXPECT_EQ(at(10 * 30 + 40, 10), QColor(Qt::black));  // frame's right edge: x1 + 3
    EXPECT_EQ(count_colour(form6->image, QColor(Qt::black), QRect(10 * 30 + 41, 4, 22, 11)), 0);

    // February has data (0) but no play day: frame, the 0 label and the axis only.
    form6->Button2Click();
    EXPECT_EQ(form6->graph_month, 2);
    EXPECT_EQ(form6->graph_first_row, 1);
    EXPECT_EQ(at(100, 13), QColor(Qt::black));
    EXPECT_EQ(count_colour(form6->image, kBlue, QRect(45, 3, 318, 240)), 0);
    EXPECT_EQ(count_colour(form6->image, kBarUp, QRect(45, 3, 318, 240)), 0);
    form6->mouse_down(100);
    EXPECT_FALSE(form6->hint_on);

    // April has no data: the grid only, no axis.
    form6->Button2Click();
    form6->Button2Click();
    EXPECT_EQ(form6->graph_month, 4);
    EXPECT_EQ(form6->graph_first_row, 0);
    EXPECT_EQ(count_colour(form6->image, QColor(Qt::black), QRect(45, 3, 318, 240)), 0);
}

TEST_F(MonthGraphWindow, DayHintShowsDateAndBalanceOfThatDay) {
    add(" 3/2", 3000);
    add(" 3/2", 1000);
    add(" 3/10", -3000);
    add(" 4/2", 700);
    form1->refresh_after_change();
    form6->draw_month_graph(3);
    form6->mouse_down(10 * 2 + 37);
    EXPECT_TRUE(form6->hint_on);
    EXPECT_EQ(form6->hint_text, u(" 3/2 +4000"));
    form6->mouse_down(10 * 10 + 40);
    EXPECT_EQ(form6->hint_text, u(" 3/10 -3000"));
    form6->mouse_down(10 * 5 + 40);  // no play on the 5th
    EXPECT_FALSE(form6->hint_on);
    form6->mouse_down(10 * 10 + 40);
    form6->mouse_down(44);  // left of day 1
    EXPECT_FALSE(form6->hint_on);
    EXPECT_TRUE(form6->Image1->toolTip().isEmpty());
    form6->mouse_down(355);
    EXPECT_FALSE(form6->hint_on);
    // The next month's play on the 2nd is not counted in March.
    form6->mouse_down(10 * 2 + 40);
    EXPECT_EQ(form6->hint_text, u(" 3/2 +4000"));
    // Stepping the month switches the hint off.
    form6->Button2Click();
    EXPECT_FALSE(form6->hint_on);
}

}  // namespace
