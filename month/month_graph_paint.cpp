#include "month/month_graph_paint.h"

#include <algorithm>

#include "framework/draw.h"
#include "views/graph_calc.h"
#include "views/graph_canvas.h"

namespace velmo {

using namespace chart_color;

namespace {

constexpr int kDayY = 245;  // top of the day numbers

}  // namespace

void draw_month_chart(QImage& image, const MonthChart& chart) {
    namespace mg = month_graph;
    GraphCanvas c(image);
    c.set_font(ui_font(11));

    // Plot area and its sunken frame.
    c.fill_rect(45, 3, 363, 243, Qt::white);
    c.polyline(kGrayText, {{43, 244}, {43, 1}, {365, 1}});
    c.polyline(button_face_color(), {{44, 243}, {44, 2}, {364, 2}});
    c.polyline(Qt::white, {{44, 244}, {364, 244}, {364, 1}});

    // Dotted grid every 10 pixels.
    c.set_dotted(true);
    for (int i = 1; i <= 23; ++i) c.polyline(kGrid, {{45, 10 * i + 3}, {363, 10 * i + 3}});
    c.set_dotted(false);

    // Day numbers under the plot, standing on the image's bottom edge.
    c.set_font(fitted_ui_font(10, {.ascent = kMonthChartHeight - kDayY}));
    const std::pair<const char*, int> day_labels[] = {{"1", 49},  {"5", 89},  {"10", 136}, {"15", 187},
                                                      {"20", 237}, {"25", 287}, {"30", 337}};
    for (const auto& [text, x] : day_labels) c.text_out(x, kDayY, QString::fromLatin1(text));
    c.set_font(ui_font(11));

    if (!chart.has_data) return;
    const mg::Extremes e = mg::scan(chart.days);
    const mg::Scale s = mg::scale(e.top, e.bottom);
    const int y0 = s.y0;

    for (int i = -s.down; i <= s.up; ++i) {
        const QString left = QString::number(i * s.step);
        const int y = y0 - 10 * i - 4;
        c.text_out(42 - c.text_width(left), y, left);
        c.text_out(367, y, QString::number(i * s.step + chart.previous_total));
    }

    const QColor line_colour = chart.month_balance >= 0 ? kBlue : kRed;
    const std::int64_t u = s.yen_per_pixel();
    std::int64_t a = 0;
    c.move_to(45, y0);
    for (const mg::PlayDay& d : chart.days) {
        a += d.balance;
        const int h = static_cast<int>(d.balance / u);
        const int x1 = mg::day_left(d.day);
        if (h > 0) {
            c.set_pen(kBlue);
            c.rectangle(x1, y0 + 1, 10 * d.day + 45, y0 - h, kBarUp);
        } else if (h < 0) {
            c.set_pen(kRed);
            c.rectangle(x1, y0, 10 * d.day + 45, y0 - h + 1, kBarDown);
        }
        const int ly = y0 - static_cast<int>(a / u);
        c.set_pen(line_colour);
        c.line_to(x1 + 3, ly);
        if (d.last_row == e.peak_row) {
            // The figure stands on the frame's bottom edge (y 14), the text's top at y 5.
            c.set_font(fitted_ui_font(11, {.ascent = 15 - 5}));
            const QString text = QStringLiteral("MAX +") + QString::number(a);
            const int w = c.text_width(text);
            c.set_pen(Qt::black);
            if (x1 + w + 5 > 363) {
                c.rectangle(x1 - w + 1, 4, x1 + 4, 15, Qt::white);
                c.text_out(x1 - w + 3, 5, text);
            } else {
                c.rectangle(x1 + 3, 4, x1 + w + 6, 15, Qt::white);
                c.text_out(x1 + 5, 5, text);
            }
            c.move_to(x1 + 3, 15);
            c.line_to(x1 + 3, ly);
        }
    }
    c.set_pen(line_colour);
    c.line_to(363, y0 - static_cast<int>(a / u));
    if (!chart.overlays.empty()) {
        BalancePlot plot;
        plot.left = 45;
        plot.right = 363;
        plot.top = 3;
        plot.bottom = 243;
        plot.loss_y = [y0, u](std::int64_t loss) {
            return static_cast<int>(std::clamp<std::int64_t>(y0 + loss / u, -(1 << 20), 1 << 20));
        };
        draw_overlays(chart.overlays, c, plot);
    }
    // The axis is a whole chart pixel high, covering the bars' edges on it.
    c.fill_rect(45, y0, 363, y0 + 1, Qt::black);
}

}  // namespace velmo
