#include "analysis/distribution_chart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "views/palette.h"

namespace velmo::analysis {

namespace {

constexpr int kFontHeight = 12;
constexpr int kLabelWidth = 76;  // yen labels left of the plots
constexpr int kLineHeight = 16;

QString yen(std::int64_t v) { return QString::fromStdString(yen_text(v)); }

// x of value v on a scale from lo to hi across [left, right].
double scale(double v, double lo, double hi, double from, double to) {
    return hi == lo ? from : from + (v - lo) / (hi - lo) * (to - from);
}

void paint_histogram(QPainter& p, const QRect& area, const ChartData& data) {
    const Histogram& h = data.histogram;
    p.setPen(QColor(Qt::black));
    p.drawText(QRect(area.left(), area.top(), area.width(), kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
               u("1回あたりの収支（幅 ") + yen(h.width) + u("円）"));
    const QRect plot(area.left() + kLabelWidth, area.top() + kLineHeight * 2, area.width() - kLabelWidth - 12,
                     area.height() - kLineHeight * 3 - 4);
    if (plot.width() < 10 || plot.height() < 10 || h.bins.empty()) return;
    const double lo = static_cast<double>(h.bins.front().lower);
    const double hi = static_cast<double>(h.bins.back().lower) + static_cast<double>(h.width);
    int most = 1;
    for (const Bin& b : h.bins) most = std::max(most, b.count);
    const auto x_of = [&](double v) { return scale(v, lo, hi, plot.left(), plot.right() + 1); };

    for (const Bin& b : h.bins) {
        if (b.count == 0) continue;
        const double x0 = x_of(static_cast<double>(b.lower));
        const double x1 = x_of(static_cast<double>(b.lower) + static_cast<double>(h.width));
        const double top = scale(b.count, 0, most, plot.bottom() + 1, plot.top());
        p.fillRect(QRectF(x0, top, std::max(1.0, x1 - x0 - 1), plot.bottom() + 1 - top),
                   b.lower < 0 ? palette::loss_strong() : palette::win_strong());
    }
    p.setPen(QColor(Qt::black));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    // The count scale.
    const QRect counts(area.left(), plot.top() - kLineHeight / 2, kLabelWidth - 6, kLineHeight);
    p.drawText(counts, Qt::AlignRight | Qt::AlignVCenter, QString::number(most) + u("回"));
    p.drawText(counts.translated(0, plot.height()), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    // The span below the axis.
    const int label_top = plot.bottom() + 3;
    const int label_w = 90;
    p.drawText(QRect(plot.left(), label_top, label_w, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
               yen(h.bins.front().lower));
    p.drawText(QRect(plot.right() + 1 - label_w, label_top, label_w, kLineHeight), Qt::AlignRight | Qt::AlignVCenter,
               yen(h.bins.back().lower + h.width));
    // The zero line and the mean.
    if (lo <= 0 && hi >= 0) {
        const double x0 = x_of(0);
        p.setPen(QPen(QColor(Qt::black), 1));
        p.drawLine(QPointF(x0, plot.top()), QPointF(x0, plot.bottom()));
        if (x0 - plot.left() > label_w / 2 + 8 && plot.right() - x0 > label_w / 2 + 8)
            p.drawText(QRectF(x0 - 20, label_top, 40, kLineHeight), Qt::AlignCenter, QStringLiteral("0"));
    }
    if (data.mean) {
        const double xm = x_of(*data.mean);
        const QColor ink = *data.mean < 0 ? palette::loss_ink() : palette::win_ink();
        p.setPen(QPen(ink, 2, Qt::DashLine));
        p.drawLine(QPointF(xm, plot.top()), QPointF(xm, plot.bottom()));
        const QString text = u("平均 ") + yen(std::llround(*data.mean));
        const int w = p.fontMetrics().horizontalAdvance(text) + 6;
        const double left = std::clamp(xm - w / 2.0, static_cast<double>(plot.left()), static_cast<double>(plot.right() - w));
        p.setPen(ink);
        p.drawText(QRectF(left, plot.top() - kLineHeight - 1, w, kLineHeight), Qt::AlignCenter, text);
    }
}

void paint_running(QPainter& p, const QRect& area, const ChartData& data) {
    p.setPen(QColor(Qt::black));
    p.drawText(QRect(area.left(), area.top(), area.width(), kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
               u("累計収支（日付順、網掛けは最大ドローダウン）"));
    const QRect plot(area.left() + kLabelWidth, area.top() + kLineHeight + 8, area.width() - kLabelWidth - 12,
                     area.height() - kLineHeight - 16);
    if (plot.width() < 10 || plot.height() < 10 || data.running.empty()) return;
    std::int64_t low = 0;
    std::int64_t high = 0;
    for (const std::int64_t v : data.running) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (low == high) high = low + 1;
    const std::size_t points = data.running.size() + 1;  // the start at 0, then each visit
    const auto value = [&](std::size_t i) { return i == 0 ? 0 : data.running[i - 1]; };
    const auto x_of = [&](std::size_t i) {
        return scale(static_cast<double>(i), 0, static_cast<double>(points - 1), plot.left(), plot.right());
    };
    const auto y_of = [&](std::int64_t v) {
        return scale(static_cast<double>(v), static_cast<double>(low), static_cast<double>(high), plot.bottom(), plot.top());
    };
    const DrawdownSpan span = max_drawdown_span(data.running);
    if (span.trough >= 0) {
        const auto from = static_cast<std::size_t>(span.peak + 1);
        const auto to = static_cast<std::size_t>(span.trough + 1);
        QColor shade = palette::loss_strong();
        shade.setAlpha(140);
        p.fillRect(QRectF(QPointF(x_of(from), y_of(value(from))), QPointF(x_of(to), y_of(value(to)))), shade);
    }
    p.setPen(QColor(Qt::black));
    p.drawLine(QPointF(plot.left(), y_of(0)), QPointF(plot.right(), y_of(0)));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    QPainterPath path(QPointF(x_of(0), y_of(0)));
    for (std::size_t i = 1; i < points; ++i) path.lineTo(x_of(i), y_of(value(i)));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.strokePath(path, QPen(palette::win_ink(), 1.5));
    p.setRenderHint(QPainter::Antialiasing, false);
    // The scale: highest, 0 and lowest, each in the loss colour when below 0.
    const auto label = [&](std::int64_t v) {
        double y = std::clamp(y_of(v), plot.top() + kLineHeight / 2.0, plot.bottom() - kLineHeight / 2.0);
        p.setPen(v < 0 ? palette::loss_ink() : QColor(Qt::black));
        p.drawText(QRectF(area.left(), y - kLineHeight / 2.0, kLabelWidth - 6, kLineHeight),
                   Qt::AlignRight | Qt::AlignVCenter, yen(v));
    };
    label(high);
    if (y_of(0) - y_of(high) > kLineHeight && y_of(low) - y_of(0) > kLineHeight) label(0);
    if (low != 0 || high <= 0) label(low);
}

}  // namespace

void paint_distribution(QPainter& painter, const QRect& rect, const ChartData& data) {
    painter.save();
    painter.fillRect(rect, Qt::white);
    painter.setFont(ui_font(kFontHeight));
    if (data.running.empty()) {
        painter.setPen(QColor(Qt::black));
        painter.drawText(rect, Qt::AlignCenter, u("条件に合う来店がありません"));
        painter.restore();
        return;
    }
    const int split = rect.top() + rect.height() * 11 / 20;
    paint_histogram(painter, QRect(rect.left() + 6, rect.top() + 4, rect.width() - 12, split - rect.top() - 4), data);
    paint_running(painter, QRect(rect.left() + 6, split + 4, rect.width() - 12, rect.bottom() - split - 8), data);
    painter.restore();
}

DistributionChart::DistributionChart(QWidget* parent) : QWidget(parent) { setMinimumSize(320, 240); }

void DistributionChart::set_data(ChartData data) {
    data_ = std::move(data);
    update();
}

void DistributionChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint_distribution(p, rect(), data_);
}

}  // namespace velmo::analysis
