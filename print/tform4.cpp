#include "print/tform4.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QtMath>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/printer.h"
#include "print/report_paint.h"
#include "shell/tform1.h"

TForm4* Form4 = nullptr;

namespace {
using velmo::u;
}  // namespace

TForm4::TForm4() : QWidget(nullptr, Qt::Window | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    Form4 = this;
    setWindowTitle(u("印刷プレビュー"));
    setFont(velmo::ui_font(12));
    resize(612, 491);
    ScrollBox1 = new QScrollArea(this);
    Image1 = new QLabel();
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setWidget(Image1);
    Panel1 = new QWidget(this);
    Button1 = new QPushButton(u("閉じる"), Panel1);
    Button1->setGeometry(8, 8, 96, 26);
    Button2 = new QPushButton(u("次のページ"), Panel1);
    Button2->setGeometry(112, 8, 96, 26);
    Button3 = new QPushButton(u("先頭ページ"), Panel1);
    Button3->setGeometry(216, 8, 96, 26);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    resizeform();
}

TForm4::~TForm4() {
    if (Form4 == this) Form4 = nullptr;
}

void TForm4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form4open();
}

void TForm4::closeEvent(QCloseEvent* event) {
    if (!closing_) form4close();
    event->accept();
}

void TForm4::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    resizeform();
}

void TForm4::resizeform() {
    ScrollBox1->setGeometry(0, 0, std::max(0, width() - 8), std::max(0, height() - 60));
    Panel1->setGeometry(0, height() - 58, std::max(0, width() - 8), 50);
}

void TForm4::form4open() {
    preview_next_row = 0;
    page_index = 0;
    Button3->setEnabled(false);
    render_preview_page();
}

void TForm4::Button2Click() {
    ++page_index;
    render_preview_page();
}

void TForm4::Button3Click() {
    preview_next_row = 0;
    page_index = 0;
    render_preview_page();
    Button3->setEnabled(false);
}

void TForm4::Button1Click() {
    closing_ = true;
    hide();
    closing_ = false;
    Form1->setEnabled(true);
    Form1->show();
}

void TForm4::form4close() {
    Form1->setEnabled(true);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Form1->show();
}

void TForm4::render_preview_page() {
    Form1->setEnabled(false);
    const QSize printer_page = velmo::preview_page_pixels();
    const int w = printer_page.width() / 5, h = printer_page.height() / 5;
    const velmo::PageValues values = velmo::page_values(w, h, 5);
    const auto plan = velmo::plan_report(Form1->rec_count, values, 5);
    // Drawn at the screen's device pixel ratio, so that a scaled screen shows it sharp.
    const qreal ratio = Image1->devicePixelRatioF();
    QImage image(qCeil(std::max(1, w) * ratio), qCeil(std::max(1, h) * ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    if (!plan.empty()) {
        page_index = std::clamp(page_index, 0, static_cast<int>(plan.size()) - 1);
        const velmo::PagePlan& page = plan[static_cast<std::size_t>(page_index)];
        QPainter p(&image);
        velmo::draw_report_page(p, Form1->report_data(), page, values, 5, w, h);
        preview_next_row = page.blocks.empty() ? Form1->rec_count
                                                : page.blocks.back().first_row + page.blocks.back().rows;
        const bool more = page_index + 1 < static_cast<int>(plan.size());
        Button2->setEnabled(more);
        if (!more && page_index > 0) Button3->setEnabled(true);
    }
    Image1->setPixmap(QPixmap::fromImage(image));
    Image1->resize(std::max(1, w), std::max(1, h));
}
