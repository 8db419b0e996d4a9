// The enlargement buttons, the sizes they give, and the year list's splitter.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "entry/tform7.h"
#include "framework/widgets.h"
#include "ledger/ledger_codec.h"
#include "shell/layout_rules.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

class Layout : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        form1->year_text = "2004";
        dialogs.answers = {true};
        load(path(QStringLiteral("vq2004.vqd")));
    }
};

TEST_F(Layout, WidthButtonsStopAtTheirEnds) {
    EXPECT_FALSE(form1->Button4->isEnabled());
    EXPECT_TRUE(form1->Button3->isEnabled());
    const int width0 = form1->width();
    QTest::mouseClick(form1->Button3, Qt::LeftButton);
    EXPECT_EQ(form1->hsize_level, 1);
    EXPECT_TRUE(form1->Button4->isEnabled());
    EXPECT_TRUE(form1->Button3->isEnabled());
    EXPECT_EQ(form1->dirty & 2, 2);
    EXPECT_EQ(form1->width(), width0 + 14);
    EXPECT_EQ(form1->StringGrid1->col_width(form1->machine_col), 8 + 259);
    EXPECT_EQ(form1->StatusBar1->panel_width(0), 5 + 175);
    EXPECT_EQ(form1->StringGrid2->col_width(5), 5 + 178);
    EXPECT_EQ(form1->label(9)->x(), 5 + 214);
    for (int i = 1; i < 21; ++i) QTest::mouseClick(form1->Button3, Qt::LeftButton);
    EXPECT_EQ(form1->hsize_level, 21);
    EXPECT_FALSE(form1->Button3->isEnabled());
    EXPECT_TRUE(form1->Button4->isEnabled());
    EXPECT_EQ(form1->width(), width0 + 14 * 21);
    for (int i = 0; i < 21; ++i) QTest::mouseClick(form1->Button4, Qt::LeftButton);
    EXPECT_EQ(form1->hsize_level, 0);
    EXPECT_FALSE(form1->Button4->isEnabled());
    EXPECT_EQ(form1->width(), width0);
}

TEST_F(Layout, AWideExtraColumnLeavesFewerWidthSteps) {
    LedgerImage image;
    image.year = "2004";
    image.extra = ExtraColumnBlock{"E", "182", 6, 0, 4, {}};
    write_bytes(QStringLiteral("e.vqd"), encode_ledger(image));
    form1->hsize_level = 12;
    load(path(QStringLiteral("e.vqd")));
    EXPECT_EQ(form1->hsize_level, 8);  // 13 steps of the column leave 8
    EXPECT_EQ(form1->width_step, 21);
    EXPECT_FALSE(form1->Button3->isEnabled());
    EXPECT_EQ(form1->StringGrid1->col_width(6), 182);
}

TEST_F(Layout, HeightStepsGrowRowsAndFonts) {
    EXPECT_FALSE(form1->Button5->isEnabled());
    const int height0 = form1->height();
    for (int i = 0; i < 15; ++i) QTest::mouseClick(form1->Button6, Qt::LeftButton);
    EXPECT_EQ(form1->vsize_level, 15);
    EXPECT_EQ(form1->font_step, 10);
    EXPECT_FALSE(form1->Button6->isEnabled());
    EXPECT_TRUE(form1->Button5->isEnabled());
    EXPECT_EQ(form1->StringGrid1->height(), 446);
    EXPECT_EQ(form1->StringGrid1->default_row_height(), 33);
    EXPECT_EQ(form1->StringGrid6->default_row_height(), 32);
    EXPECT_EQ(form1->StringGrid6->y(), form1->StringGrid3->height() + 3);
    EXPECT_EQ(form1->StatusBar1->y(), 17 * 15 + 320);
    EXPECT_EQ(form1->height(), height0 + 18 * 15);
    // The comment area stays between the list and the status bar.
    EXPECT_EQ(form1->Memo1->y(), 446 + 3);
    EXPECT_EQ(form1->Memo1->geometry().bottom() + 1, form1->StatusBar1->y());
}

// The client area is 428 + 18V high: Qt's tab bar takes 28 pixels at the tab font,
// so the pages start at 82, and the lowest controls of the pages need these rows.
TEST_F(Layout, TheClientAreaHoldsTheLowestControlsOfEveryPageAtEveryStep) {
    TForm1& f = *form1;
    f.show();
    QWidget* central = f.centralWidget();
    for (int v = 0; v <= 15; ++v) {
        f.vsize_level = static_cast<std::int8_t>(v);
        f.apply_height_step();
        EXPECT_EQ(central->height(), 428 + 18 * v) << v;
        for (QWidget* page : {f.TabSheet1, f.TabSheet4, f.TabSheet5}) {
            f.PageControl1->setCurrentWidget(page);
            for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isHidden()) continue;
                const int bottom = w->mapTo(central, QPoint(0, w->height() - 1)).y();
                EXPECT_LT(bottom, central->height()) << v << " " << w->metaObject()->className() << " "
                                                     << w->objectName().toStdString();
            }
        }
    }
}

TEST_F(Layout, SplitterSnapsTheListToWholeRows) {
    form1->Resize_Grid(100);
    EXPECT_EQ(form1->StringGrid1->height(), 118);  // six rows of 19 plus 4
    EXPECT_EQ(form1->Splitter1->y(), 118);
    form1->Resize_Grid(300);
    EXPECT_EQ(form1->StringGrid1->height(), 270);  // never more than the header and 13 rows
    EXPECT_EQ(form1->Memo1->y(), 273);
}

TEST(LayoutRules, FontStepsAndSnapping) {
    const int expected[16] = {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10};
    for (int v = 0; v < 16; ++v) EXPECT_EQ(font_step_for(v), expected[v]) << v;
    EXPECT_EQ(snapped_list_height(18, 100), 118);
    EXPECT_EQ(snapped_list_height(18, 270), 270);
    EXPECT_EQ(snapped_list_height(18, 269), 270);  // never shorter than where it was dropped
    EXPECT_EQ(snapped_list_height(18, 251), 251);
    EXPECT_EQ(snapped_list_height(33, 52), 33 * 14 + 18 - 34 * ((33 * 14 + 18 - 52) / 34));
}

}  // namespace
}  // namespace velmo::testing
