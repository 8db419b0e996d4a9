// The year report: how rows fill blocks and pages, where the monthly table
// goes, what a printed page holds, and the preview's page buttons.
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "framework/draw.h"
#include "framework/printer.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "print/report_layout.h"
#include "print/report_paint.h"
#include "print/tform4.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

TEST(ReportLayout, PageValuesFollowThePageSize) {
    const PageValues v = page_values(4960, 7016, 1);  // A4 at 600 dots per inch
    EXPECT_EQ(v.blocks_per_page, 2);
    EXPECT_EQ(v.full_rows, (7016 - 420) / 50);
    EXPECT_EQ(v.short_rows, (7016 - 1620) / 50);
    EXPECT_EQ(v.full_bottom, 7016 - 145);
    const PageValues p = page_values(992, 1403, 5);  // the same page in the preview
    EXPECT_EQ(p.blocks_per_page, 2);
    EXPECT_EQ(p.full_rows, (1403 - 84) / 10);
    EXPECT_EQ(p.short_bottom, 1403 - 268);
}

TEST(ReportLayout, TheMonthlyTableFindsItsPlace) {
    PageValues v;
    v.blocks_per_page = 2;
    v.full_rows = 100;
    v.short_rows = 76;
    // Everything fits one short block: one page, the table below it.
    auto pages = plan_report(50, v, 1);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].blocks.size(), 1u);
    EXPECT_TRUE(pages[0].blocks[0].is_short);
    EXPECT_TRUE(pages[0].has_table);
    EXPECT_EQ(pages[0].table_x0, 0);
    // The last block is full and block 1 is free: the table takes block position 1.
    pages = plan_report(90, v, 1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_FALSE(pages[0].blocks[0].is_short);
    EXPECT_EQ(pages[0].table_x0, 2250);
    // Full, then a short block with the rest: the table sits below the short one.
    pages = plan_report(150, v, 1);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].blocks.size(), 2u);
    EXPECT_EQ(pages[0].blocks[1].first_row, 100);
    EXPECT_EQ(pages[0].blocks[1].rows, 50);
    EXPECT_EQ(pages[0].table_x0, 2250);
    // Every block of the page full with the last row: a page of its own for the table.
    pages = plan_report(200, v, 1);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[1].blocks.empty());
    EXPECT_EQ(pages[1].table_x0, 0);
    EXPECT_FALSE(pages[0].has_table);
    // An empty ledger: the title, the table at 0 and the result.
    pages = plan_report(0, v, 1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].has_table);
    // A page that holds no block has no report.
    v.blocks_per_page = 0;
    EXPECT_TRUE(plan_report(10, v, 1).empty());
}

TEST(ReportPaint, YearResultTexts) {
    EXPECT_EQ(year_result_text(125000), QString::fromUtf8("年間収支プラス125000"));
    EXPECT_EQ(year_result_text(-3500), QString::fromUtf8("年間収支マイナス3500"));
    EXPECT_EQ(year_result_text(0), QString::fromUtf8("年間収支±0"));
}

TEST(ReportPaint, PreviewKeepsTheMachinesFontUpTo190Pixels) {
    // A machines text between 188 and 190 pixels wide at the preview's row height 10.
    QString machines;
    while (QFontMetrics(ui_font(10)).horizontalAdvance(machines) <= 188) machines += QString::fromUtf8("機");
    ASSERT_LE(QFontMetrics(ui_font(10)).horizontalAdvance(machines), 190) << "font without full-width advance 10";
    ReportData data;
    data.year = QStringLiteral("2004");
    data.rows.push_back({QString::fromUtf8("木"), QStringLiteral(" 1/1"), QStringLiteral("H"), machines, QString(), QString(), 1});
    const PageValues values = page_values(450, 400, 5);
    const auto pages = plan_report(1, values, 5);
    ASSERT_EQ(pages.size(), 1u);
    QImage page(450, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    draw_report_page(p, data, pages[0], values, 5, 450, 400);
    p.end();
    // Drawn at height 10 from x 170 the text reaches past x 345; at height 9 it would end near 341.
    bool ink_near_the_end = false;
    for (int x = 346; x <= 355; ++x)
        for (int y = 54; y <= 62; ++y) ink_near_the_end |= qGray(page.pixel(x, y)) < 128;
    EXPECT_TRUE(ink_near_the_end);
}

// A ledger of n records, two per month from January.
std::string ledger_of(int n) {
    LedgerImage image;
    image.year = "2004";
    for (int i = 0; i < n; ++i)
        image.records.push_back({make_date_text(1 + (i / 2) % 12, 1 + i % 2 + (i / 24)), "", "H", "M", "", "", "100", "", 0});
    return encode_ledger(image);
}

class Printing : public AppFixture {};

TEST_F(Printing, PrintsEveryPageWithAMonthLineAndAlwaysEndsTheJob) {
    ImagePrinter printer(QSize(2250, 2000));  // one block, 31 full rows, 7 short rows
    write_bytes(QStringLiteral("p.vqd"), ledger_of(10));
    load(path(QStringLiteral("p.vqd")));
    printer.confirm = false;
    form1->Print1Click();
    EXPECT_EQ(printer.documents_begun, 0);  // cancelled in the print dialog
    printer.confirm = true;
    form1->Print1Click();
    EXPECT_EQ(printer.documents_begun, 1);
    EXPECT_EQ(printer.documents_ended, 1);
    EXPECT_EQ(printer.document_name, u("p.vqd"));  // the job is named after the ledger file
    // Ten rows do not fit a short block: one full page, then the table alone.
    ASSERT_EQ(printer.pages.size(), 2u);
    const QImage& first = printer.pages[0];
    // Rows 0 and 1 are January, row 2 is February: a line at row 2's top, none at row 1's.
    const int y2 = 265 + 50 * 2, y1 = 265 + 50;
    EXPECT_EQ(QColor(first.pixel(1000, y2)), QColor(Qt::black));
    EXPECT_NE(QColor(first.pixel(1000, y1)), QColor(Qt::black));
    // The outer frame of the block down to the full bottom.
    EXPECT_EQ(QColor(first.pixel(10, 1500)), QColor(Qt::black));
    EXPECT_EQ(QColor(first.pixel(1000, 2000 - 145 - 1)), QColor(Qt::black));
    // The second page: the table's frame, and nothing where the list would be.
    const QImage& second = printer.pages[1];
    EXPECT_EQ(QColor(second.pixel(10, 2000 - 1000)), QColor(Qt::black));
    EXPECT_EQ(QColor(second.pixel(230, 300)), QColor(Qt::white));
}

TEST_F(Printing, RefusesWithoutPrinterOrWithTooNarrowPaper) {
    ImagePrinter printer(QSize(2249, 3000));
    printer.has_printer = false;
    form1->PrintSetClick();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{u("プリンタがインストールされていません")});
    dialogs.shown.clear();
    printer.has_printer = true;
    form1->PrintPreview1Click();
    form1->Print1Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>(2, u("用紙の横サイズが小さすぎです")));
    EXPECT_FALSE(form4->isVisible());
    EXPECT_EQ(printer.documents_begun, 0);
    dialogs.shown.clear();
    printer.page = QSize(2250, 3000);
    form1->PrintPreview1Click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(form4->isVisible());
    EXPECT_FALSE(form1->isEnabled());
    form4->Button1Click();
    EXPECT_TRUE(form1->isEnabled());
}

// Without a printer the preview shows the report on A4 at 300 dpi, and 印刷 offers
// a PDF file of those pages instead; declined, nothing is written.
TEST_F(Printing, WithoutAPrinterThePreviewIsA4AndPrintWritesAPdf) {
    ImagePrinter printer(QSize(100, 100));
    printer.has_printer = false;
    write_bytes(QStringLiteral("vq2004.vqd"), ledger_of(60));
    load(path(QStringLiteral("vq2004.vqd")));
    form1->PrintPreview1Click();
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(form4->isVisible());
    const QSize a4_page = QPageSize(QPageSize::A4).sizePixels(300);
    EXPECT_EQ(form4->Image1->pixmap().deviceIndependentSize().toSize(), QSize(a4_page.width() / 5, a4_page.height() / 5));
    form4->close();

    const QString pdf = path(QStringLiteral("year.pdf"));
    dialogs.answers = {false, true};
    dialogs.save_files = {pdf};
    form1->Print1Click();  // declined
    EXPECT_FALSE(QFileInfo::exists(pdf));
    form1->Print1Click();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].text, u("プリンタがインストールされていません。\nPDFファイルに書き出しますか？"));
    EXPECT_EQ(dialogs.shown[2].kind, QStringLiteral("save"));
    EXPECT_EQ(dialogs.shown[2].caption, path(QStringLiteral("vq2004.pdf")));
    EXPECT_EQ(printer.documents_begun, 0);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // A4 portrait in points, and as many pages as the report has at 300 dpi.
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595") || bytes.contains("/MediaBox [0 0 594")) << bytes.left(2000).toStdString();
    const QSize a4 = QPageSize(QPageSize::A4).sizePixels(300);
    const velmo::PageValues values = velmo::page_values(a4.width(), a4.height(), 1);
    const auto pages = static_cast<int>(velmo::plan_report(60, values, 1).size());
    EXPECT_EQ(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), pages);
}

TEST_F(Printing, PreviewStepsThroughThePages) {
    ImagePrinter printer(QSize(2250, 2000));  // preview: 450 x 400, 31 full rows, 7 short
    write_bytes(QStringLiteral("short.vqd"), ledger_of(5));
    load(path(QStringLiteral("short.vqd")));
    form1->PrintPreview1Click();
    EXPECT_FALSE(form4->Button2->isEnabled());  // one page: neither step button
    EXPECT_FALSE(form4->Button3->isEnabled());
    EXPECT_EQ(form4->Image1->pixmap().size(), QSize(450, 400));
    form4->close();
    EXPECT_TRUE(form1->isEnabled());

    write_bytes(QStringLiteral("long.vqd"), ledger_of(70));
    load(path(QStringLiteral("long.vqd")));
    form1->PrintPreview1Click();
    EXPECT_TRUE(form4->Button2->isEnabled());
    EXPECT_EQ(form4->preview_next_row, 31);
    form4->Button2Click();
    EXPECT_EQ(form4->preview_next_row, 62);
    EXPECT_TRUE(form4->Button2->isEnabled());
    form4->Button2Click();  // 8 rows: a short block? no, 8 > 7, a full block and the table beside... one block per page
    form4->Button2Click();
    EXPECT_FALSE(form4->Button2->isEnabled());
    EXPECT_TRUE(form4->Button3->isEnabled());
    form4->Button3Click();
    EXPECT_EQ(form4->preview_next_row, 31);
    EXPECT_FALSE(form4->Button3->isEnabled());
    EXPECT_TRUE(form4->Button2->isEnabled());
}

}  // namespace
}  // namespace velmo::testing
