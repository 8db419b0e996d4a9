// The graph tab's year chart read back from its pixels, its animation, and the
// monthly graph window it opens.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "framework/draw.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "tests/support/app_fixture.h"
#include "views/graph_calc.h"

using namespace velmo::testing;
namespace g = velmo::graph;

namespace {

const QColor kBarUp(174, 210, 255);
const QColor kBarDown(255, 186, 206);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kPurple(128, 0, 128);
const QColor kZero(96, 96, 96);
const QColor kSeparator(192, 192, 192);
const QColor kGrid(224, 224, 224);

int count_colour(const QImage& img, const QColor& c, QRect area = QRect()) {
    area = area.isNull() ? img.rect() : area.intersected(img.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

// Pixels of text: anti-aliased glyphs are dark but rarely pure black.
int count_dark(const QImage& img, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() < 110 && c.green() < 110 && c.blue() < 110) ++n;
        }
    return n;
}

class GraphTab : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->graph_animate = false;
    }
    void add(const char* date, int balance) {
        append_record({date, "H", "M", 20000, 20000 + balance, "", "", ""});
    }
    const QImage& draw() {
        form1->refresh_after_change();
        form1->draw_graph();
        return form1->graph_image;
    }
    QColor at(int x, int y) const { return form1->graph_image.pixelColor(x, y); }
};

TEST_F(GraphTab, EmptyLedgerDrawsFramesSeparatorsGridAndLabelsOnly) {
    const QImage& img = draw();
    EXPECT_EQ(form1->graph_ok, 1);
    EXPECT_EQ(img.size(), QSize(642, 346));
    EXPECT_EQ(at(0, 0), velmo::button_face_color());
    EXPECT_EQ(at(300, 200), QColor(Qt::white));
    EXPECT_EQ(at(97, 10), kSeparator);
    EXPECT_EQ(at(547, 324), kSeparator);
    EXPECT_EQ(at(97, 325), velmo::button_face_color());  // the plot's bottom edge is exclusive
    EXPECT_EQ(at(97, 326), QColor(Qt::white));
    // Dotted grid: every other pixel from the plot's left edge; the lowest line is at 317.
    EXPECT_EQ(at(52, 17), kGrid);
    EXPECT_EQ(at(53, 17), QColor(Qt::white));
    EXPECT_EQ(at(54, 17), kGrid);
    EXPECT_EQ(at(54, 317), kGrid);
    EXPECT_EQ(at(54, 327), velmo::button_face_color());
    EXPECT_EQ(at(54, 329), QColor(128, 128, 128));
    // Frames: grey text colour on the left and top of the plot.
    EXPECT_EQ(at(50, 100), QColor(128, 128, 128));
    EXPECT_EQ(at(200, 3), QColor(128, 128, 128));
    EXPECT_EQ(at(593, 100), QColor(Qt::white));
    // No scale, no bars, no line.
    EXPECT_EQ(count_colour(img, kZero), 0);
    EXPECT_EQ(count_colour(img, kBarUp), 0);
    EXPECT_EQ(count_colour(img, kBlue), 0);
    // Month labels are drawn under the plot.
    EXPECT_GT(count_dark(img, QRect(52, 330, 540, 12)), 12 * 10);
}

TEST_F(GraphTab, BarsScalesLineAndPeakCallout) {
    add(" 1/10", 12000);
    add(" 2/5", -7000);
    const QImage& img = draw();
    // Monthly scale: 5000 a step, zero 2 steps above the lowest grid line 317.
    const int z = 317 - 24;
    EXPECT_EQ(at(590, z), kZero);
    EXPECT_EQ(at(52, z), kZero);
    EXPECT_EQ(at(592, z), velmo::button_face_color());  // the plot's right edge is exclusive
    // January: 28 pixels of bar above the zero line, framed in blue.
    EXPECT_EQ(at(75, z - 10), kBarUp);
    EXPECT_EQ(at(75, z - 27), kBarUp);
    EXPECT_EQ(at(75, z - 28), kBlue);  // top edge
    EXPECT_EQ(at(59, z - 10), kBlue);  // left edge
    EXPECT_EQ(at(92, z - 10), kBlue);  // right edge
    // February: 16 pixels below the zero line, framed in red.
    EXPECT_EQ(at(120, z + 1), kBarDown);
    EXPECT_EQ(at(120, z + 15), kBarDown);
    EXPECT_EQ(at(120, z + 16), kRed);
    EXPECT_EQ(at(104, z + 8), kRed);
    EXPECT_EQ(at(120, z + 17), QColor(Qt::white));
    // No bars for March onwards.
    EXPECT_EQ(count_colour(img, kBarUp, QRect(142, 5, 450, 320)), 0);
    EXPECT_EQ(count_colour(img, kBarDown, QRect(142, 5, 450, 320)), 0);
    // Balance labels above and below the bars.
    EXPECT_GT(count_dark(img, QRect(59, z - 29 - 9, 34, 9)), 5);
    EXPECT_GT(count_dark(img, QRect(104, z + 17, 34, 10)), 5);

    // Running total: peak 12000 on 10 January, 5000 on 5 February; 3 steps up, zero at 53.
    const int z2 = 3 * 12 + 12 + 5;
    EXPECT_EQ(at(300, z2), kZero);
    const int x1 = g::date_x(0, 1, 10), y1 = z2 - 12000 / 416;
    EXPECT_EQ(at(52, z2), kBlue);  // the line starts at the left edge on the zero line
    const int x2 = g::date_x(0, 2, 5), y2 = z2 - 5000 / 416;
    EXPECT_EQ(at(x2, y2), kBlue);  // the last point is set
    // Dotted continuation to the right edge.
    EXPECT_EQ(at(x2 + 1, y2), kBlue);
    EXPECT_NE(at(x2 + 2, y2), kBlue);
    EXPECT_EQ(at(x2 + 3, y2), kBlue);
    const int last_dot = 590 - (590 - (x2 + 1)) % 2;
    EXPECT_EQ(at(last_dot, y2), kBlue);
    EXPECT_NE(at(591, y2), kBlue);
    // Purple callout: a tick above the point and a frame from the point to the right.
    EXPECT_EQ(at(x1, y1 - 1), kPurple);
    EXPECT_EQ(at(x1, y1 - 3), kPurple);
    EXPECT_EQ(at(x1 + 4, y1 - 9 - 6), kPurple);  // top edge
    EXPECT_EQ(at(x1 + 4, y1 - 4), kPurple);      // bottom edge
    EXPECT_GT(count_colour(img, kPurple), 40);
    EXPECT_EQ(count_colour(img, kPurple, QRect(0, 0, x1, 346)), 0);
    // Scale labels on both sides.
    EXPECT_GT(count_dark(img, QRect(0, 5, 50, 320)), 30);
    EXPECT_GT(count_dark(img, QRect(596, 5, 46, 320)), 30);
}

TEST_F(GraphTab, ZeroMonthGetsItsLabelAndNoBar) {
    add(" 1/3", 0);
    add(" 2/3", 6000);
    const QImage& img = draw();
    // January's label "0" sits on the zero line's upper side; no bar in its slot.
    const int z = 317 - 0;  // nothing below zero
    EXPECT_EQ(count_colour(img, kBarUp, QRect(52, 5, 45, 320)), 0);
    EXPECT_EQ(count_colour(img, kBlue, QRect(59, z - 20, 34, 19)), 0);
    EXPECT_GT(count_dark(img, QRect(59, z - 10, 34, 10)), 3);
    EXPECT_GT(count_colour(img, kBarUp, QRect(97, 5, 45, 320)), 100);
}

TEST_F(GraphTab, LossUnderAPixelGetsItsLabelAboveTheZeroLineAndNoBar) {
    add(" 1/3", 20000);
    add(" 2/3", -100);
    const QImage& img = draw();
    const int z = 317 - 12;
    EXPECT_EQ(count_colour(img, kBarDown), 0);
    EXPECT_EQ(count_colour(img, kRed, QRect(97, z - 20, 45, 40)), 0);
    EXPECT_GT(count_dark(img, QRect(104, z - 10, 34, 10)), 3);
}

TEST_F(GraphTab, PeakOnTheFirstRowOfADateHasNoCallout) {
    add(" 3/4", 9000);
    add(" 3/4", -1000);
    const QImage& img = draw();
    EXPECT_EQ(form1->row_mark[1], 2);
    EXPECT_EQ(count_colour(img, kPurple), 0);
}

TEST_F(GraphTab, CalloutNearTheRightEdgeOpensToTheLeft) {
    add(" 1/3", -2000);
    add("12/28", 40000);
    const QImage& img = draw();
    const int x1 = g::date_x(0, 12, 28);
    EXPECT_GT(count_colour(img, kPurple, QRect(0, 0, x1, 346)), 40);
    EXPECT_EQ(count_colour(img, kPurple, QRect(x1 + 1, 0, 100, 346)), 0);
}

TEST_F(GraphTab, NegativeYearDrawsTheLineAndItsContinuationInRed) {
    add(" 2/10", 3000);
    add(" 4/10", -9000);
    const QImage& img = draw();
    // Right scale: peak 3000, trough -6000: 1 up, 2 down.
    const int z2 = 12 + 12 + 5;
    const int x = g::date_x(0, 4, 10), y = z2 + 6000 / 416;
    EXPECT_EQ(at(x, y), kRed);
    EXPECT_EQ(at(x + 1, y), kRed);
    EXPECT_EQ(at(x + 3, y), kRed);
    EXPECT_EQ(at(590 - (590 - (x + 1)) % 2, y), kRed);
    EXPECT_EQ(count_colour(img, kRed, QRect(x + 1, y, 590 - x, 1)), (590 - x + 1) / 2);
    EXPECT_EQ(count_colour(img, kBlue, QRect(x + 1, y, 590 - x, 1)), 0);
}

TEST_F(GraphTab, WiderWindowScalesTheChart) {
    add(" 6/15", 5000);
    form1->hsize_level = 4;
    form1->vsize_level = 3;
    const QImage& img = draw();
    EXPECT_EQ(img.size(), QSize(14 * 4 + 642, 18 * 3 + 346));
    EXPECT_EQ(at(g::separator_x(4, 1), 10), kSeparator);
    EXPECT_EQ(at(g::separator_x(4, 11), 10), kSeparator);
    const int lowest = g::grid_lines(3).back();
    EXPECT_EQ(at(g::plot_left(4), g::grid_lines(3).front()), kGrid);
    EXPECT_EQ(at(g::plot_left(4) + 1, g::grid_lines(3).front()), QColor(Qt::white));
    EXPECT_EQ(at(g::plot_left(4), lowest), kZero);  // nothing below zero: the zero line lies on the lowest grid line
    // June's bar.
    EXPECT_EQ(at(g::bar_left(4, 5) + 10, lowest - 3), kBarUp);
}

TEST_F(GraphTab, AnimationEndsWithTheSamePictureAsTheFinishedDrawing) {
    add(" 1/10", 12000);
    add(" 2/5", -7000);
    add(" 5/20", 30000);
    form1->refresh_after_change();
    form1->draw_graph();
    const QImage finished = form1->graph_image;
    form1->graph_ok = 0;
    form1->graph_animate = true;
    QElapsedTimer t;
    t.start();
    form1->draw_graph();
    EXPECT_EQ(form1->graph_image, finished);
    EXPECT_EQ(form1->graph_ok, 1);
    EXPECT_GE(t.elapsed(), 2 * 50);  // it yields at least 2 ms a frame
}

TEST_F(GraphTab, ANewDrawingDuringTheAnimationTakesOver) {
    add(" 1/10", 12000);
    add(" 8/5", 9000);
    form1->refresh_after_change();
    form1->hsize_level = 2;
    form1->draw_graph();
    const QImage wide = form1->graph_image;
    form1->hsize_level = 0;

    form1->graph_animate = true;
    int nested = 0;
    QTimer::singleShot(20, form1.get(), [&] {
        // What the width command does while the animation runs.
        form1->hsize_level = 2;
        form1->graph_animate = false;
        ++nested;
        form1->draw_graph();
    });
    form1->draw_graph();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(form1->graph_image, wide);

    // The same again with equal steps (new data): the older drawing stops too.
    form1->graph_animate = true;
    QTimer::singleShot(20, form1.get(), [&] {
        form1->graph_animate = false;
        form1->draw_graph();
    });
    form1->draw_graph();
    EXPECT_EQ(form1->graph_image, wide);
}

TEST_F(GraphTab, ClosingTheWindowStopsTheAnimation) {
    add(" 1/10", 12000);
    add("12/5", 9000);
    form1->refresh_after_change();
    form1->show();
    form1->graph_animate = true;
    QTimer::singleShot(30, form1.get(), [&] { form1->hide(); });
    QElapsedTimer t;
    t.start();
    form1->draw_graph();
    EXPECT_LT(t.elapsed(), 600);
    EXPECT_EQ(form1->graph_ok, 0);  // drawn again when shown
}

TEST_F(GraphTab, TabChangeDrawsOnlyWhenStale) {
    add(" 1/10", 12000);
    form1->refresh_after_change();
    EXPECT_EQ(form1->graph_ok, 0);
    form1->PageControl1->setCurrentWidget(form1->TabSheet7);
    EXPECT_EQ(form1->graph_ok, 1);
    const int run = form1->graph_run;
    form1->PageControl1->setCurrentWidget(form1->TabSheet1);
    form1->PageControl1->setCurrentWidget(form1->TabSheet7);
    EXPECT_EQ(form1->graph_run, run);
    // A change of the ledger while the tab is shown redraws once the change is done.
    add(" 2/1", 500);
    form1->refresh_after_change();
    EXPECT_EQ(form1->graph_ok, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(form1->graph_ok, 1);
    EXPECT_EQ(form1->graph_run, run + 1);
    // The layout commands redraw while it is shown, and only mark it elsewhere.
    form1->apply_width_step();
    EXPECT_EQ(form1->graph_run, run + 2);
    form1->PageControl1->setCurrentWidget(form1->TabSheet1);
    form1->apply_height_step();
    EXPECT_EQ(form1->graph_run, run + 2);
    EXPECT_EQ(form1->graph_ok, 0);
}

}  // namespace
