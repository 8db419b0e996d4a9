#include "views/graph_draw.h"

#include <algorithm>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "ledger/ledger_model.h"

namespace velmo {

using namespace chart_color;

namespace {

const QColor kSeparator(192, 192, 192);
const QColor kZero(96, 96, 96);
const QColor kPurple(128, 0, 128);

}  // namespace

YearChart::YearChart(QImage& image, const YearChartData& data) : image_(image), data_(data), canvas_(image) {}

bool YearChart::draw_static() {
    const int h = data_.h, v = data_.v;
    GraphCanvas& c = canvas_;
    image_.fill(button_face_color());
    c.fill_rect(graph::plot_left(h), graph::plot_top(), graph::plot_right(h), graph::plot_bottom(v), Qt::white);

    // Month labels and axis titles in the strip under the plot, down to the image's bottom edge.
    const int caption_y = 17 * v + 330;
    c.set_font(fitted_ui_font(13 + data_.font_step, {.height = graph::image_height(v) - caption_y}));
    for (int m = 1; m <= 12; ++m) {
        const QString& t = data_.month_labels[static_cast<size_t>(m - 1)];
        const int w = c.text_width(t);
        c.text_out(m * (h + 45) + (h + 45 - w) / 2 + 8, caption_y, t);
    }
    const int title_y = 17 * v + 332;
    c.set_font(fitted_ui_font(data_.font_step / 2 + 11, {.height = graph::image_height(v) - title_y}));
    c.text_out(4, title_y, QString::fromUtf8("月間収支"));
    c.text_out(13 * h + 595, title_y, QString::fromUtf8("年間収支"));

    // Frames.
    c.polyline(kGrayText, {{2, 18 * v + 343}, {2, 17 * v + 329}, {14 * h + 638, 17 * v + 329}});
    c.polyline(Qt::white, {{3, 18 * v + 343}, {14 * h + 638, 18 * v + 343}, {14 * h + 638, 17 * v + 328}});
    c.polyline(kGrayText, {{h + 50, 17 * v + 326}, {h + 50, 3}, {13 * h + 593, 3}});
    c.polyline(button_face_color(), {{h + 51, 17 * v + 325}, {h + 51, 4}, {13 * h + 592, 4}});
    c.polyline(Qt::white, {{h + 51, 17 * v + 326}, {13 * h + 593, 17 * v + 326}, {13 * h + 593, 3}});

    // Month separators and the dotted grid: lines of one image pixel at any device pixel ratio.
    for (int i = 1; i <= 11; ++i) {
        const int x = graph::separator_x(h, i);
        c.polyline(kSeparator, {{x, graph::plot_top()}, {x, graph::plot_bottom(v)}});
    }
    s_ = graph::grid_step(v);
    const std::vector<int> lines = graph::grid_lines(v);
    c.set_dotted(true);
    for (int y : lines) c.polyline(kGrid, {{graph::plot_left(h), y}, {13 * h + 591, y}});
    c.set_dotted(false);
    if (data_.rows.empty()) return false;
    const int lowest = lines.empty() ? graph::plot_bottom(v) : lines.back();

    // Monthly scale on the left.
    std::array<std::int64_t, 12> balance{};
    n_ = 0;
    for (int m = 0; m < 12; ++m) {
        if (data_.month_balances[static_cast<size_t>(m)].empty()) continue;
        balance[static_cast<size_t>(m)] = cell_number(data_.month_balances[static_cast<size_t>(m)]);
        n_ = m + 1;
    }
    const std::int64_t mx = std::max<std::int64_t>(0, *std::max_element(balance.begin(), balance.end()));
    const std::int64_t mn = std::min<std::int64_t>(0, *std::min_element(balance.begin(), balance.end()));
    monthly_ = graph::monthly_scale(mx, mn);
    zero_ = lowest - monthly_.down * s_;
    // The zero lines are a whole chart pixel high, so that the bars meet them from both sides.
    c.fill_rect(graph::plot_left(h), zero_, graph::plot_right(h), zero_ + 1, kZero);

    const int font_height = std::min(11 + data_.font_step, 16);
    c.set_font(ui_font(font_height));
    const int half = font_height / 2;
    for (int i = -monthly_.down; i <= monthly_.up; ++i) {
        const QString text = QString::number(static_cast<std::int64_t>(i) * monthly_.unit);
        c.text_out(h + 48 - c.text_width(text), zero_ - half - i * s_, text);
    }
    for (int m = 0; m < 12; ++m)
        remaining_[static_cast<size_t>(m)] = graph::bar_steps(balance[static_cast<size_t>(m)], monthly_.unit, s_);

    // Running-total scale on the right.
    total_ = graph::total_scale(data_.peak_total, data_.trough_total);
    zero2_ = total_.up * s_ + s_ + 5;
    c.fill_rect(graph::plot_left(h), zero2_, graph::plot_right(h), zero2_ + 1, kZero);
    for (int j = -total_.down; j <= total_.up; ++j) {
        const QString text = QString::number(static_cast<std::int64_t>(j) * total_.unit);
        c.text_out(13 * h + 596, zero2_ - half - j * s_, text);
    }
    line_colour_ = data_.rows.back().total >= 0 ? kBlue : kRed;

    points_ = graph::total_points(h, data_.rows, data_.peak_row);
    lh_ = font_height - 2;
    // The bars' figures and the peak's: their digits stand on the bar's top edge
    // (or the callout frame's bottom), lh + 1 pixels under the top of the text.
    c.set_font(fitted_ui_font(font_height, {.ascent = lh_ + 1}));
    g_ = ph_ = ticks_ = 0;
    next_point_ = 0;
    line_done_ = false;
    x_ = graph::plot_left(h);
    y_ = zero2_;
    y0_ = y_;
    length_ = dy_ = k_ = 0;
    callout_drawn_ = false;
    draw_overlays(false);
    return true;
}

void YearChart::draw_overlays(bool finished) {
    if (data_.overlays.empty()) return;
    BalancePlot plot;
    plot.left = graph::plot_left(data_.h);
    plot.right = graph::plot_right(data_.h);
    plot.top = graph::plot_top();
    plot.bottom = graph::plot_bottom(data_.v);
    plot.finished = finished;
    // As the bars count their pixels (graph::total_pixels), below the zero line.
    plot.loss_y = [zero = zero_, per_pixel = std::max(1, monthly_.unit / s_)](std::int64_t loss) {
        return static_cast<int>(std::clamp<std::int64_t>(zero + loss / per_pixel, -(1 << 20), 1 << 20));
    };
    velmo::draw_overlays(data_.overlays, canvas_, plot);
}

void YearChart::draw_callout(int x1, int y1, std::int64_t total) {
    if (callout_drawn_) return;
    callout_drawn_ = true;
    GraphCanvas& c = canvas_;
    const QString text = QStringLiteral("MAX +") + QString::number(total);
    const int w = c.text_width(text);
    c.polyline(kPurple, {{x1, y1 - 1}, {x1, y1 - 4}});
    const graph::Callout box = graph::callout_box(data_.h, x1, y1, w, lh_);
    c.rectangle(box.box.left(), box.box.top(), box.box.right() + 1, box.box.bottom() + 1, QColor());
    c.text_out(box.text_x, box.text_y, text);
}

bool YearChart::tick() {
    if (g_ >= graph::tick_limit(data_.h)) return false;
    GraphCanvas& c = canvas_;
    ++ticks_;
    ++g_;
    ++ph_;
    int finished = 0;
    if (ph_ % 3 != 0) {
        --g_;
    } else {
        const int g = g_;
        for (int k = 0; k < n_; ++k) {
            int& p = remaining_[static_cast<size_t>(k)];
            const int q = graph::bar_left(data_.h, k);
            const std::string& text = data_.month_balances[static_cast<size_t>(k)];
            if (p == 0) {
                ++finished;
            } else if (p > 0) {
                // The bars grow a row of whole chart pixels a tick.
                if (g != 1) c.fill_rect(q, zero_ - g + 1, q + 33, zero_ - g + 2, kBarUp);
                if (--p == 0) {
                    const QString label = from_cp932(text);
                    c.text_out(q + (data_.h + 45 - c.text_width(label)) / 2 - data_.h / 2 - 6, zero_ - g - lh_, label);
                    if (g != 1)
                        c.polyline(kBlue,
                                 {{q, zero_ - 1}, {q, zero_ - g + 1}, {q + 33, zero_ - g + 1}, {q + 33, zero_}});
                }
            } else {
                // The last row is the frame's bottom edge, drawn in place of the fill.
                if (p != -1) c.fill_rect(q, zero_ + g, q + 33, zero_ + g + 1, kBarDown);
                if (++p == 0) {
                    const QString label = from_cp932(text);
                    c.text_out(q + (data_.h + 45 - c.text_width(label)) / 2 - data_.h / 2 - 6, zero_ + g + 1, label);
                    c.polyline(kRed, {{q, zero_ + 1}, {q, zero_ + g}, {q + 33, zero_ + g}, {q + 33, zero_}});
                }
            }
        }
    }

    if (!line_done_) {
        c.set_pen(line_colour_);
        if (k_ == length_ && next_point_ < points_.size()) {
            const graph::TotalPoint& pt = points_[next_point_++];
            const int y1 = zero2_ - graph::total_pixels(pt.total, total_.unit, s_);
            if (pt.peak) draw_callout(pt.x, y1, pt.total);
            length_ = pt.x - x_;
            dy_ = y1 - y_;
            k_ = 0;
            y0_ = y_;
            if (length_ <= 0) {
                // A date that does not lie right of the line (a damaged date): jump to its height.
                length_ = 0;
                y_ = y1;
            }
        }
        if (k_ < length_) {
            ++k_;
            const int ny = graph::line_step_y(y0_, k_, dy_, length_);
            c.set_pen(line_colour_);
            c.move_to(x_, y_);
            ++x_;
            y_ = ny;
            c.line_to(x_, y_);
        }
        if (next_point_ >= points_.size() && k_ == length_) {
            line_done_ = true;
            c.pixel(x_, y_, line_colour_);
        }
    }
    return !(finished == n_ && line_done_);
}

void YearChart::finish() {
    if (data_.rows.empty()) return;
    const int end = 13 * data_.h + 591;
    if (x_ < end) {
        canvas_.set_dotted(true);
        canvas_.polyline(line_colour_, {{x_ + 1, y_}, {end, y_}});
        canvas_.set_dotted(false);
    }
    // Over the bars that grew across them.
    draw_overlays(true);
}

void YearChart::draw_all() {
    if (!draw_static()) return;
    while (tick()) {
    }
    finish();
}

}  // namespace velmo
