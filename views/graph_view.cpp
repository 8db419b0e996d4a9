// The graph tab of the main window: reads the monthly table and the year list,
// draws the year chart on Image2 with its animation, and opens the monthly
// graph window for the month clicked.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTabWidget>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "month/tform6.h"
#include "shell/tform1.h"
#include "views/graph_draw.h"

namespace {

// Mouse-down and click of the chart, and its move to a screen of another device pixel ratio.
class GraphEvents : public QObject {
public:
    GraphEvents(QObject* parent, TForm1* form) : QObject(parent), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ScreenChangeInternal) {
            // Drawn again at the new ratio, after the move is handled (and without the animation).
            if (form_->graph_ok && form_->graph_image.devicePixelRatio() != form_->Image2->devicePixelRatioF())
                QMetaObject::invokeMethod(form_, [form = form_] { form->redraw_graph_at_screen_ratio(); },
                                          Qt::QueuedConnection);
        } else if (event->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(event);
            form_->get_x(me->position().toPoint().x());
            pressed_ = me->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            auto* w = qobject_cast<QWidget*>(watched);
            const bool click = pressed_ && me->button() == Qt::LeftButton && w &&
                               w->rect().contains(me->position().toPoint());
            pressed_ = false;
            if (click) form_->mouth_graph();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TForm1* form_;
    bool pressed_ = false;
};

}  // namespace

void TForm1::setup_graph_tab() {
    Image2->on_paint = [this](QPainter& p) { p.drawImage(0, 0, graph_image); };
    Image2->installEventFilter(new GraphEvents(Image2, this));
    // What the charts' overlays draw may follow the player's settings: both charts
    // are drawn again when one changes (the graph tab when next shown).
    connect(player_settings_, &velmo::PlayerSettings::changed, this, [this] {
        redraw_graph_for_layout();
        if (Form6 && Form6->isVisible()) Form6->draw_month_graph(Form6->graph_month);
    });
}

velmo::YearChartData TForm1::graph_data() const {
    velmo::YearChartData d;
    d.h = hsize_level;
    d.v = vsize_level;
    d.font_step = font_step;
    for (int m = 1; m <= 12; ++m) {
        d.month_labels[static_cast<size_t>(m - 1)] = velmo::from_cp932(StringGrid2->cell(0, m));
        d.month_balances[static_cast<size_t>(m - 1)] = StringGrid2->cell(3, m);
    }
    const int last = std::min(rec_count, std::min(StringGrid1->row_count() - 1, kMarkRows - 1));
    for (int r = 1; r <= last; ++r) {
        d.rows.push_back({StringGrid1->cell(0, r), velmo::cell_number(StringGrid1->cell(total_col, r))});
        if (row_mark[static_cast<size_t>(r)] == 2) d.peak_row = r;
    }
    d.peak_total = peak_total;
    d.trough_total = trough_total;
    d.overlays = chart_overlays;
    return d;
}

void TForm1::draw_graph() {
    graph_ok = 1;
    const int run = ++graph_run;
    const int h = hsize_level, v = vsize_level;
    const velmo::YearChartData chart_data = graph_data();
    // The chart's pixels are the widget's; the image has the screen's device pixel ratio.
    const QSize size(velmo::graph::image_width(h), velmo::graph::image_height(v));
    graph_image = velmo::chart_image(size, Image2->devicePixelRatioF());
    Image2->resize(size);
    velmo::YearChart chart(graph_image, chart_data);
    const auto show_image = [this] { Image2->update(); };

    if (!graph_animate) {
        chart.draw_all();
        show_image();
        return;
    }
    const bool started_visible = isVisible();
    const bool more = chart.draw_static();
    show_image();
    if (!more) return;

    QPointer<TForm1> self(this);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        // Keep handling the user's input between frames, at least 2 ms a frame.
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (!self) return;  // the window is gone
        } while (clock.elapsed() < 2);
        clock.restart();
        // A newer drawing (new size, new data) has taken over, or the window was closed.
        if (graph_run != run || hsize_level != h || vsize_level != v) return;
        if (started_visible && !isVisible()) {
            graph_ok = 0;
            return;
        }
        const bool going = chart.tick();
        show_image();
        if (!going) break;
    }
    chart.finish();
    show_image();
}

void TForm1::get_x(int x) { click_x = x; }

void TForm1::mouth_graph() {
    if (!Form6) return;
    const int m = velmo::graph::clicked_month(hsize_level, click_x);
    Form6->show();
    Form6->clear_image();
    const QRect me = frameGeometry();
    Form6->move(me.x() + (me.width() - Form6->frameGeometry().width()) / 2,
                me.y() + (me.height() - Form6->frameGeometry().height()) / 2 + 45);
    Form6->draw_month_graph(m);
}

void TForm1::update_graph_tab() {
    if (PageControl1->currentWidget() == TabSheet7 && graph_ok == 0) draw_graph();
}

void TForm1::redraw_graph_at_screen_ratio() {
    if (graph_image.devicePixelRatio() == Image2->devicePixelRatioF()) return;
    if (PageControl1->currentWidget() != TabSheet7) {
        graph_ok = 0;
        return;
    }
    const bool animate = graph_animate;
    graph_animate = false;
    draw_graph();
    graph_animate = animate;
}

void TForm1::redraw_graph_for_layout() {
    if (PageControl1->currentWidget() == TabSheet7)
        draw_graph();
    else
        graph_ok = 0;
}
