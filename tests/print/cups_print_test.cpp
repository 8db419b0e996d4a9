// Printing a generated year through a real CUPS queue (cups-pdf) and
// measuring the PDF it writes: paper, page count, where the first block
// frame and the title stand and how large they are, in millimetres.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QRegularExpression>
#include <QTimer>
#include <QTransform>
#include <gtest/gtest.h>

#include <functional>

#include "bench/ledger_gen.h"
#include "framework/printer.h"
#include "framework/printer_setup.h"
#include "tests/print/cups_queue.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

constexpr double kMmPerInch = 25.4;
constexpr int kRenderDpi = 300;

double px_to_mm(int px, int dpi) { return px * kMmPerInch / dpi; }

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

struct PdfInfo {
    int pages = 0;
    double width_pt = 0, height_pt = 0;
    QString title;
};

PdfInfo pdf_info(const QString& pdf) {
    const QString text = run(QStringLiteral("pdfinfo"), {pdf});
    PdfInfo info;
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(text);
    if (size.hasMatch()) {
        info.width_pt = size.captured(1).toDouble();
        info.height_pt = size.captured(2).toDouble();
    }
    const auto title = QRegularExpression(QStringLiteral("Title:\\s+(.*)")).match(text);
    if (title.hasMatch()) info.title = title.captured(1).trimmed();
    return info;
}

// Page 1 rendered in grey at kRenderDpi without anti-aliasing.
QImage first_page(const QString& pdf, const QString& out_base) {
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kRenderDpi), QStringLiteral("-gray"),
                                     QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                                     QStringLiteral("no"), QStringLiteral("-f"), QStringLiteral("1"),
                                     QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"), pdf,
                                     out_base});
    return QImage(out_base + QStringLiteral(".pgm"));
}

bool dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// A rectangle of ink, in pixels of the rendered page.
struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive
    bool found() const { return left >= 0; }
};

// The dark runs of row y at least min_len pixels long, as boxes one pixel high.
std::vector<Box> long_runs(const QImage& page, int y, int min_len) {
    std::vector<Box> runs;
    int run_start = -1;
    for (int x = 0; x <= page.width(); ++x) {
        const bool ink = x < page.width() && dark(page, x, y);
        if (ink && run_start < 0) run_start = x;
        if (!ink && run_start >= 0) {
            if (x - run_start >= min_len) runs.push_back({run_start, y, x - 1, y});
            run_start = -1;
        }
    }
    return runs;
}

// The top edges of the blocks' frames: the first row from the top with dark
// runs longer than 30 mm (no glyph of the title is that long), each run's
// left edge followed down to its end.
std::vector<Box> frames(const QImage& page) {
    const int min_len = static_cast<int>(30 / kMmPerInch * kRenderDpi);
    for (int y = 0; y < page.height(); ++y) {
        std::vector<Box> runs = long_runs(page, y, min_len);
        if (runs.empty()) continue;
        for (Box& box : runs) {
            int bottom = y;
            while (bottom + 1 < page.height() && dark(page, box.left, bottom + 1)) ++bottom;
            box.bottom = bottom;
        }
        return runs;
    }
    return {};
}

// The ink above the frame: the title.
Box ink_above(const QImage& page, int limit_y) {
    Box box;
    for (int y = 0; y < limit_y; ++y)
        for (int x = 0; x < page.width(); ++x)
            if (dark(page, x, y)) {
                if (!box.found()) box = {x, y, x, y};
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Answers the next modal dialog once it is shown.
void when_dialog_shown(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer();
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (QWidget* shown = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(shown);
        }
    });
    timer->start();
}

class RealQueue : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        if (const std::optional<QString> failed = cups.start())
            FAIL() << "the test's own CUPS server could not start: " << failed->toStdString();
        printer = std::make_unique<SystemPrinter>();
        set_printer(printer.get());
        bench::LedgerShape shape;  // 1023 records
        write_bytes(QStringLiteral("vq2024.vqd"), encode_ledger(bench::generated_ledger("2024", shape)));
        load(path(QStringLiteral("vq2024.vqd")));
        ASSERT_EQ(form1->rec_count, 1023);
    }
    void TearDown() override {
        set_printer(nullptr);
        printer.reset();
        cups.stop();
        AppFixture::TearDown();
    }

    // 印刷 with the real print dialog, confirmed as it comes up.
    QString print_and_wait() {
        when_dialog_shown([](QWidget* shown) {
            auto* dialog = qobject_cast<QPrintDialog*>(shown);
            if (dialog) dialog->accept();
            else shown->close();
        });
        form1->Print1Click();
        QString why;
        const std::optional<QString> pdf = cups.wait_for_pdf(QStringLiteral("vq2024.vqd"), std::chrono::seconds(120), &why);
        if (!pdf) ADD_FAILURE() << why.toStdString();
        return pdf.value_or(QString());
    }

    // How many pages the preview steps through.
    int preview_pages() {
        form1->PrintPreview1Click();
        int pages = 1;
        while (form4->Button2->isEnabled() && pages < 100) {
            form4->Button2Click();
            ++pages;
        }
        form4->Button1Click();
        return pages;
    }

    CupsQueue cups;
    std::unique_ptr<SystemPrinter> printer;
};

TEST_F(RealQueue, PrintsAYearOnA4AtTheQueueResolution) {
    // cups-pdf declares 300 dpi: A4 is 2480 x 3508 pixels, one block across, 61 rows a block.
    EXPECT_EQ(printer->settings().printer, QString::fromLatin1(CupsQueue::kQueue));
    EXPECT_EQ(printer->resolution(), 300);
    const QSize page = printer->page_pixels();
    EXPECT_NEAR(page.width(), 2480, 2);
    EXPECT_NEAR(page.height(), 3508, 2);

    const QString pdf = print_and_wait();
    ASSERT_FALSE(pdf.isEmpty());
    const PdfInfo info = pdf_info(pdf);
    EXPECT_NEAR(info.width_pt, 595, 1);  // A4
    EXPECT_NEAR(info.height_pt, 842, 1);
    // 16 pages of 61 rows, the last 47 rows in a full block, then the monthly table alone.
    EXPECT_EQ(info.pages, 18);
    EXPECT_TRUE(info.title.contains(QStringLiteral("vq2024.vqd"))) << info.title.toStdString();  // the job is named after the ledger file
    EXPECT_EQ(preview_pages(), info.pages);  // the preview shows the pages that are printed

    const QImage rendered = first_page(pdf, cups.out_dir() + QStringLiteral("/page1"));
    ASSERT_FALSE(rendered.isNull());
    const std::vector<Box> found = frames(rendered);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.size(), 1u);  // one block across
    const Box& frame = found[0];
    // The frame runs from (10, 165) to (2240, H - 145) device pixels of 300 dpi.
    EXPECT_NEAR(px_to_mm(frame.left, kRenderDpi), px_to_mm(10, 300), 0.3);
    EXPECT_NEAR(px_to_mm(frame.top, kRenderDpi), px_to_mm(165, 300), 0.3);
    EXPECT_NEAR(px_to_mm(frame.right + 1 - frame.left, kRenderDpi), px_to_mm(2230, 300), 0.3);  // 188.8 mm
    EXPECT_NEAR(px_to_mm(frame.bottom, kRenderDpi), px_to_mm(3508 - 145, 300), 0.5);
    // The title at (10, 10), 130 pixels (11 mm) high: its ink starts near the corner
    // and its glyphs are most of that height.
    const Box title = ink_above(rendered, frame.top - 2);
    ASSERT_TRUE(title.found());
    EXPECT_GT(px_to_mm(title.left, kRenderDpi), 0.8);
    EXPECT_LT(px_to_mm(title.left, kRenderDpi), 2.5);
    EXPECT_GT(px_to_mm(title.top, kRenderDpi), 0.8);
    EXPECT_LT(px_to_mm(title.top, kRenderDpi), 3.5);
    const double title_height = px_to_mm(title.bottom + 1 - title.top, kRenderDpi);
    EXPECT_GT(title_height, 8.0);
    EXPECT_LT(title_height, 11.0);
    EXPECT_GT(px_to_mm(title.right, kRenderDpi), 100.0);  // 17 characters of 11 mm and less
}

TEST_F(RealQueue, ThePaperChosenInPrinterSetupIsThePaperPrinted) {
    // 印刷設定: the queue, A3, landscape.
    when_dialog_shown([](QWidget* shown) {
        auto* dialog = dynamic_cast<PrinterSetupDialog*>(shown);
        if (!dialog) {
            shown->close();
            return;
        }
        dialog->printer_box->setCurrentIndex(dialog->printer_box->findText(QString::fromLatin1(CupsQueue::kQueue)));
        for (int i = 0; i < dialog->paper_box->count(); ++i)
            if (dialog->paper_box->itemText(i) == QPageSize(QPageSize::A3).name()) dialog->paper_box->setCurrentIndex(i);
        dialog->landscape->setChecked(true);
        dialog->accept();
    });
    form1->PrintSetClick();
    EXPECT_TRUE(printer->settings().paper.isEquivalentTo(QPageSize(QPageSize::A3)));
    EXPECT_EQ(printer->settings().orientation, QPageLayout::Landscape);
    // A3 across at 300 dpi: 4961 x 3508 pixels, two blocks a page.
    EXPECT_NEAR(printer->page_pixels().width(), 4961, 2);
    EXPECT_NEAR(printer->page_pixels().height(), 3508, 2);

    // The print dialog sets its printer to the queue's default paper; what is
    // printed is still the paper chosen in printer setup, as the preview shows.
    const QString pdf = print_and_wait();
    ASSERT_FALSE(pdf.isEmpty());
    const PdfInfo info = pdf_info(pdf);
    // A3. The queue feeds the sheet upright and turns a landscape page a quarter turn onto it.
    EXPECT_NEAR(std::min(info.width_pt, info.height_pt), 842, 1);
    EXPECT_NEAR(std::max(info.width_pt, info.height_pt), 1191, 1);
    // 8 pages of 2 x 61 rows, then 47 rows in block 0 and the monthly table beside them.
    EXPECT_EQ(info.pages, 9);
    EXPECT_EQ(preview_pages(), info.pages);

    QImage rendered = first_page(pdf, cups.out_dir() + QStringLiteral("/page1"));
    ASSERT_FALSE(rendered.isNull());
    if (rendered.height() > rendered.width()) rendered = rendered.transformed(QTransform().rotate(90));
    // Two blocks across, from x 10 and 2260 device pixels, 188.8 mm wide each.
    const std::vector<Box> found = frames(rendered);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(px_to_mm(found[0].left, kRenderDpi), px_to_mm(10, 300), 0.3);
    EXPECT_NEAR(px_to_mm(found[0].top, kRenderDpi), px_to_mm(165, 300), 0.3);
    EXPECT_NEAR(px_to_mm(found[1].left, kRenderDpi), px_to_mm(2260, 300), 0.3);
    for (const Box& frame : found) {
        EXPECT_NEAR(px_to_mm(frame.right + 1 - frame.left, kRenderDpi), px_to_mm(2230, 300), 0.3);
        EXPECT_NEAR(px_to_mm(frame.bottom, kRenderDpi), px_to_mm(3508 - 145, 300), 0.5);
    }
}

}  // namespace
}  // namespace velmo::testing
