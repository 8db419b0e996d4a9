#include "month/tform6.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "month/month_graph_calc.h"
#include "month/month_graph_paint.h"
#include "shell/tform1.h"
#include "views/graph_canvas.h"

TForm6* Form6 = nullptr;

TForm6::TForm6() : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    Form6 = this;
    setWindowTitle(QString::fromUtf8("月間収支グラフ"));
    setFont(velmo::ui_font(12));
    setFixedSize(410, 265);

    clear_image();
    Image1 = new velmo::PaintBox(this);
    Image1->setGeometry(0, 0, velmo::kMonthChartWidth, velmo::kMonthChartHeight);
    Image1->on_paint = [this](QPainter& p) { p.drawImage(0, 0, image); };
    Image1->on_mouse_down = [this](Qt::MouseButton, QPoint pos) { mouse_down(pos.x()); };

    Button1 = new QPushButton(QStringLiteral("<<"), this);
    Button1->setGeometry(0, 247, 36, 18);
    Button2 = new QPushButton(QStringLiteral(">>"), this);
    Button2->setGeometry(374, 247, 36, 18);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm6::~TForm6() {
    if (Form6 == this) Form6 = nullptr;
}

void TForm6::clear_image() {
    const qreal ratio = devicePixelRatioF();
    if (image.isNull() || image.devicePixelRatio() != ratio)
        image = velmo::chart_image(QSize(velmo::kMonthChartWidth, velmo::kMonthChartHeight), ratio);
    image.fill(velmo::button_face_color());
}

void TForm6::hint_off() {
    hint_on = false;
    hint_text.clear();
    if (Image1) Image1->setToolTip(QString());
    QToolTip::hideText();
}

void TForm6::draw_month_graph(int m) {
    namespace mg = velmo::month_graph;
    graph_first_row = 0;
    graph_month = std::clamp(m, 1, 12);
    if (!Form1) return;
    TForm1& f = *Form1;

    const std::string& investment = f.StringGrid2->cell(1, graph_month);
    setWindowTitle(mg::caption(graph_month, investment, f.StringGrid2->cell(3, graph_month)));
    Button2->setEnabled(graph_month != 12);
    Button1->setEnabled(graph_month != 1);

    std::vector<mg::Row> rows;
    const int last = std::min(f.rec_count, f.StringGrid1->row_count() - 1);
    rows.reserve(static_cast<size_t>(std::max(0, last)));
    for (int r = 1; r <= last; ++r)
        rows.push_back({f.StringGrid1->cell(0, r), velmo::cell_number(f.StringGrid1->cell(f.balance_col, r))});

    velmo::MonthChart chart;
    chart.has_data = !investment.empty();
    chart.days = mg::play_days(rows, graph_month);
    chart.month_balance = velmo::cell_number(f.StringGrid2->cell(3, graph_month));
    chart.previous_total = graph_month == 1 ? 0 : velmo::cell_number(f.StringGrid2->cell(4, graph_month - 1));
    chart.overlays = f.chart_overlays;
    if (!chart.days.empty()) graph_first_row = chart.days.front().first_row;
    if (chart.has_data && graph_first_row == 0) graph_first_row = 1;
    velmo::draw_month_chart(image, chart);
    Image1->update();
}

void TForm6::Button1Click() {
    hint_off();
    if (graph_month <= 1) return;
    clear_image();
    draw_month_graph(graph_month - 1);
}

void TForm6::Button2Click() {
    hint_off();
    if (graph_month >= 12) return;
    clear_image();
    draw_month_graph(graph_month + 1);
}

void TForm6::mouse_down(int x) {
    hint_off();
    if (graph_first_row == 0 || !Form1) return;
    const int d = velmo::month_graph::hint_day(x);
    if (d == 0) return;
    TForm1& f = *Form1;
    std::string date;
    std::int64_t sum = 0;
    bool matched = false;
    const int last = std::min(f.rec_count, f.StringGrid1->row_count() - 1);
    for (int r = graph_first_row; r <= last; ++r) {
        const std::string& text = f.StringGrid1->cell(0, r);
        if (velmo::date_text_month(text) != graph_month) break;
        if (velmo::date_text_day(text) != d) continue;
        date = text;
        sum += velmo::cell_number(f.StringGrid1->cell(f.balance_col, r));
        matched = true;
    }
    if (!matched) return;
    hint_text = velmo::month_graph::day_hint(date, sum);
    hint_on = true;
    Image1->setToolTip(hint_text);
    if (Image1->isVisible()) QToolTip::showText(QCursor::pos(), hint_text, Image1);
}

void TForm6::open6() {
    if (Form1) Form1->setEnabled(false);
}

void TForm6::close6() {
    hide();
    if (Form1) {
        Form1->setEnabled(true);
        Form1->show();
    }
    hint_off();
}

void TForm6::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    open6();
}

bool TForm6::event(QEvent* event) {
    // Moved to a screen of another device pixel ratio: the chart is drawn again at the new one.
    if (event->type() == QEvent::ScreenChangeInternal && isVisible() &&
        image.devicePixelRatio() != devicePixelRatioF()) {
        clear_image();
        draw_month_graph(graph_month);
    }
    return QWidget::event(event);
}

void TForm6::closeEvent(QCloseEvent* event) {
    close6();
    event->accept();
}
