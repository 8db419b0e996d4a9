// The two charts on scaled screens, drawn at the device pixel ratio with lines one
// image pixel wide, and their figures kept inside their slots whatever the font.
#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>
#include <QtMath>

#include "framework/draw.h"
#include "framework/widgets.h"
#include "tests/support/app_fixture.h"
#include "views/graph_calc.h"
#include "views/graph_canvas.h"
#include "views/graph_draw.h"

using namespace velmo::testing;
namespace g = velmo::graph;

namespace {

// Pixels of text: anti-aliased glyphs are dark but rarely pure black.
int count_dark(const QImage& img, QRect area) {
    int n = 0;
    area = area.intersected(img.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() < 110 && c.green() < 110 && c.blue() < 110) ++n;
        }
    return n;
}

class ChartImages : public AppFixture {
protected:
    // March: +4000 on the 2nd, -3000 on the 10th, +500 on the 30th; the month chart's
    // zero axis is at y 33, the year chart's March bar 3 pixels high.
    void SetUp() override {
        AppFixture::SetUp();
        for (const auto& [date, balance] : {std::pair{" 3/2", 3000}, {" 3/2", 1000}, {" 3/10", -3000}, {" 3/30", 500}})
            append_record({date, "H", "M", 30000, 30000 + balance, "", "", ""});
        form1->refresh_after_change();
    }
    // The charts at a device pixel ratio, on images `below` chart pixels taller than they are.
    QImage year_chart(qreal ratio, int below = 0) {
        const velmo::YearChartData data = form1->graph_data();
        QImage image = velmo::chart_image(QSize(g::image_width(0), g::image_height(0) + below), ratio);
        velmo::YearChart chart(image, data);
        chart.draw_all();
        zero_ = chart.zero_y();
        return image;
    }
    QImage month_chart(qreal ratio, int below = 0) {
        form6->image = velmo::chart_image(QSize(410, 255 + below), ratio);
        form6->image.fill(velmo::button_face_color());
        form6->draw_month_graph(3);
        return form6->image;
    }
    int zero_ = 0;
};

TEST_F(ChartImages, LinesAreOneImagePixelWideAtRatioTwo) {
    const QImage year = year_chart(2), month = month_chart(2);
    ASSERT_EQ(year.size(), QSize(2 * 642, 2 * 346));
    const QColor kBlue(0, 0, 255), kBarUp(174, 210, 255), kGrid(224, 224, 224), kGray(128, 128, 128);
    // A chart pixel (x, y) is the image pixels 2x..2x+1, 2y..2y+1; a line takes the first.
    struct Line {
        const char* what;
        const QImage& image;
        QPoint at;      // chart pixel on the line
        bool upright;   // the image pixel beside it is right of it, else under it
        QColor colour;
    };
    const Line lines[] = {
        {"year: separator", year, {97, 10}, true, QColor(192, 192, 192)},
        {"year: dotted grid", year, {52, 17}, false, kGrid},
        {"year: plot frame", year, {50, 100}, true, kGray},
        {"year: bar's left edge", year, {149, zero_ - 1}, true, kBlue},
        {"month: dotted grid", month, {45, 233}, false, kGrid},
        {"month: plot frame", month, {43, 100}, true, kGray},
        {"month: bar's left edge", month, {57, 23}, true, kBlue},
    };
    for (const Line& l : lines) {
        const QPoint first = 2 * l.at, beside = first + (l.upright ? QPoint(1, 0) : QPoint(0, 1));
        EXPECT_EQ(l.image.pixelColor(first), l.colour) << l.what;
        EXPECT_NE(l.image.pixelColor(beside), l.colour) << l.what;
    }
    // The bars are filled in whole chart pixels.
    EXPECT_EQ(year.pixelColor(2 * 150 + 1, 2 * (zero_ - 1) + 1), kBarUp);
    EXPECT_EQ(month.pixelColor(2 * 60 + 1, 2 * 23 + 1), kBarUp);
}

// Run again with Noto Sans CJK JP as the only font (ctest velmo_tests_graph_with_noto),
// whose lines are taller than IPAGothic's at the same pixel height.
TEST_F(ChartImages, FiguresStayInsideTheirSlots) {
    // Month captions and axis titles end with the year chart's image.
    const QImage year = year_chart(1, 10);
    EXPECT_EQ(count_dark(year, QRect(0, 346, year.width(), 10)), 0);
    // March's figure stands on its bar: no ink in the bar's 3 rows.
    EXPECT_GT(count_dark(year, QRect(149, zero_ - 13, 34, 10)), 3);
    EXPECT_EQ(count_dark(year, QRect(149, zero_ - 3, 34, 3)), 0);
    // The day numbers end with the month chart's image; "MAX +4000" with its frame (y 4..14)
    // drawn from x 60 over day 2.
    const QImage month = month_chart(1, 10);
    EXPECT_EQ(count_dark(month, QRect(0, 255, 410, 10)), 0);
    EXPECT_GT(count_dark(month, QRect(62, 5, 50, 10)), 20);
    EXPECT_EQ(count_dark(month, QRect(62, 15, 50, 3)), 0);
}

// Also run on a screen scaled by 2 (ctest velmo_tests_graph_scaled).
TEST_F(ChartImages, WindowsDrawAtTheirScreensRatioInTheirOwnCoordinates) {
    form1->setGeometry(100, 100, 660, 600);
    form1->show();
    form1->graph_animate = false;
    form1->PageControl1->setCurrentWidget(form1->TabSheet7);
    const qreal ratio = form1->Image2->devicePixelRatioF();
    EXPECT_EQ(form1->graph_image.devicePixelRatio(), ratio);
    EXPECT_EQ(form1->graph_image.size(), QSize(qCeil(642 * ratio), qCeil(346 * ratio)));
    EXPECT_EQ(form1->Image2->size(), QSize(642, 346));
    QTest::mouseClick(form1->Image2, Qt::LeftButton, {}, QPoint(7 + 45 * 3 + 4, 200));  // the March slot
    ASSERT_TRUE(form6->isVisible());
    EXPECT_EQ(form6->graph_month, 3);
    EXPECT_EQ(form6->image.devicePixelRatio(), form6->devicePixelRatioF());
    EXPECT_EQ(form6->image.size(), QSize(qCeil(410 * ratio), qCeil(255 * ratio)));
    form6->mouse_down(10 * 2 + 37);
    EXPECT_EQ(form6->hint_text, u(" 3/2 +4000"));
    // After a move from a screen of another ratio both are drawn again at their window's.
    form1->graph_image.setDevicePixelRatio(ratio + 1);
    form6->image.setDevicePixelRatio(ratio + 1);
    const int run = form1->graph_run;
    QEvent moved(QEvent::ScreenChangeInternal);
    QCoreApplication::sendEvent(form1->Image2, &moved);
    QCoreApplication::sendEvent(form6.get(), &moved);
    QCoreApplication::processEvents();
    EXPECT_EQ(form1->graph_run, run + 1);
    EXPECT_EQ(form1->graph_image.devicePixelRatio(), ratio);
    EXPECT_EQ(form6->image.devicePixelRatio(), ratio);
    form6->close();
    form1->hide();
}

}  // namespace
