#include "play/expect_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "ledger/amount_text.h"
#include "views/palette.h"

namespace velmo::play {

namespace {

constexpr int kFontHeight = 12;
constexpr int kLabelWidth = 76;  // yen labels left of the plot
constexpr int kLineHeight = 16;

QString yen(long double v) { return QString::fromStdString(yen_text(std::llround(v))); }

double scale(double v, double lo, double hi, double from, double to) {
    return hi == lo ? from : from + (v - lo) / (hi - lo) * (to - from);
}

// Text in a slot of the chart, at the chart's font height or smaller, so that it fits.
void fitted_text(QPainter& p, const QRectF& slot, Qt::Alignment align, const QString& text, const QColor& ink) {
    p.setFont(fitted_ui_font(kFontHeight, {static_cast<int>(slot.width()), static_cast<int>(slot.height())}, text));
    p.setPen(ink);
    p.drawText(slot, align | Qt::TextSingleLine, text);
}

// The bands' tints, opaque over the white ground: a plain fill is many times
// faster than a blend over a plot of ten years at twice the pixels.
QColor band(int alpha) { return blend(QColor(Qt::white), palette::win_ink(), alpha); }

}  // namespace

void paint_expect_chart(QPainter& p, const QRect& rect, const ExpectChartData& data) {
    p.save();
    p.fillRect(rect, Qt::white);
    if (data.points.empty()) {
        fitted_text(p, rect, Qt::AlignCenter, u("仕事量を出せる来店がありません（機種のスペックと実戦データが必要です）"),
                    QColor(Qt::black));
        p.restore();
        return;
    }
    const QRect area = rect.adjusted(6, 4, -6, -4);
    // Title and legend on the first line, the count on the last.
    const int legend_w = std::min(area.width() / 2, 330);
    fitted_text(p, QRectF(area.left(), area.top(), area.width() - legend_w - 8, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                u("実収支と仕事量の累計（帯は運の幅 ±1σ・±2σ）"), QColor(Qt::black));
    const double lx = area.right() - legend_w;
    const double ly = area.top() + kLineHeight / 2.0;
    p.setPen(QPen(QColor(Qt::black), 2));
    p.drawLine(QPointF(lx, ly), QPointF(lx + 18, ly));
    fitted_text(p, QRectF(lx + 22, area.top(), 70, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter, u("実収支"),
                QColor(Qt::black));
    p.setPen(QPen(palette::win_ink(), 2));
    p.drawLine(QPointF(lx + 96, ly), QPointF(lx + 114, ly));
    fitted_text(p, QRectF(lx + 118, area.top(), 70, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter, u("仕事量"),
                QColor(Qt::black));
    p.fillRect(QRectF(lx + 192, area.top() + 3, 18, kLineHeight - 6), band(110));
    fitted_text(p, QRectF(lx + 214, area.top(), legend_w - 214, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                u("±1σ・±2σ"), QColor(Qt::black));
    fitted_text(p, QRectF(area.left(), area.bottom() - kLineHeight + 1, area.width(), kLineHeight),
                Qt::AlignLeft | Qt::AlignVCenter,
                u("仕事量はスペック登録済みの ") + QString::number(data.figures.counted) + u(" 件から"), QColor(Qt::black));

    const QRectF plot(area.left() + kLabelWidth, area.top() + kLineHeight * 2, area.width() - kLabelWidth - 12,
                      area.height() - kLineHeight * 5 - 6);  // room for the three lines under it
    if (plot.width() < 10 || plot.height() < 10) {
        p.restore();
        return;
    }
    // The scale: 0 and every value drawn, bands included.
    double low = 0, high = 0;
    for (const ExpectPoint& pt : data.points) {
        const double w = static_cast<double>(pt.work), s = 2 * static_cast<double>(pt.sd);
        low = std::min({low, static_cast<double>(pt.balance), w - s});
        high = std::max({high, static_cast<double>(pt.balance), w + s});
    }
    if (low == high) high = low + 1;
    const std::size_t n = data.points.size() + 1;  // the start at 0, then each record
    const auto x_of = [&](std::size_t i) {
        return scale(static_cast<double>(i), 0, static_cast<double>(n - 1), plot.left(), plot.right());
    };
    const auto y_of = [&](double v) { return scale(v, low, high, plot.bottom(), plot.top()); };
    const auto at = [&](std::size_t i, auto field) { return i == 0 ? 0.0 : static_cast<double>(field(data.points[i - 1])); };
    // More records than device pixels across: per pixel column the first, the
    // lowest, the highest and the last 実収支, which draw the same line; the
    // smooth 仕事量 and its bands are drawn through the same points.
    std::vector<std::size_t> keep;
    const double ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const double columns = std::max(1.0, plot.width() * ratio);
    if (static_cast<double>(n) <= 2 * columns) {
        keep.resize(n);
        for (std::size_t i = 0; i < n; ++i) keep[i] = i;
    } else {
        const auto balance_at = [&](std::size_t i) { return at(i, [](const ExpectPoint& q) { return q.balance; }); };
        std::size_t i = 0;
        while (i < n) {
            const auto column = static_cast<long long>(static_cast<double>(i) * columns / static_cast<double>(n));
            std::size_t lo = i, hi = i, j = i;
            while (j < n && static_cast<long long>(static_cast<double>(j) * columns / static_cast<double>(n)) == column) {
                if (balance_at(j) < balance_at(lo)) lo = j;
                if (balance_at(j) > balance_at(hi)) hi = j;
                ++j;
            }
            for (std::size_t k : {i, std::min(lo, hi), std::max(lo, hi), j - 1})
                if (keep.empty() || keep.back() < k) keep.push_back(k);
            i = j;
        }
    }

    // The bands, ±2σ under ±1σ, as closed polygons along the 仕事量 line.
    for (const auto& [k, alpha] : {std::pair{2.0, 45}, std::pair{1.0, 105}}) {
        QPolygonF poly;
        poly.reserve(static_cast<qsizetype>(2 * keep.size()));
        for (std::size_t i : keep)
            poly << QPointF(x_of(i), y_of(at(i, [](const ExpectPoint& q) { return q.work; }) +
                                          k * at(i, [](const ExpectPoint& q) { return q.sd; })));
        for (auto it = keep.rbegin(); it != keep.rend(); ++it)
            poly << QPointF(x_of(*it), y_of(at(*it, [](const ExpectPoint& q) { return q.work; }) -
                                            k * at(*it, [](const ExpectPoint& q) { return q.sd; })));
        p.setPen(Qt::NoPen);
        p.setBrush(band(alpha));
        p.drawPolygon(poly);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(Qt::black));
    p.drawLine(QPointF(plot.left(), y_of(0)), QPointF(plot.right(), y_of(0)));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    QPolygonF work, balance;
    work.reserve(static_cast<qsizetype>(keep.size()));
    balance.reserve(static_cast<qsizetype>(keep.size()));
    for (std::size_t i : keep) {
        work << QPointF(x_of(i), y_of(at(i, [](const ExpectPoint& q) { return q.work; })));
        balance << QPointF(x_of(i), y_of(at(i, [](const ExpectPoint& q) { return q.balance; })));
    }
    // Each line as three antialiased strokes one device pixel wide, the second and
    // third a device pixel to the right and down: as thick as the other charts'
    // lines in every direction, drawn by the painter's fast hairline path (a
    // wider pen takes the general stroker, ten times slower on ten years).
    p.setRenderHint(QPainter::Antialiasing, true);
    const double step = 1.0 / ratio;
    for (const auto& [line, ink] : {std::pair{&work, palette::win_ink()}, std::pair{&balance, QColor(Qt::black)}}) {
        QPen pen(ink, 1);
        pen.setCosmetic(true);
        p.setPen(pen);
        for (const QPointF shift : {QPointF(0, 0), QPointF(step, 0), QPointF(0, step)}) {
            p.save();
            p.translate(shift);
            p.drawPolyline(*line);
            p.restore();
        }
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The yen scale: highest, 0 and lowest, below 0 in the loss colour.
    const auto label = [&](double v) {
        const double y = std::clamp(y_of(v), plot.top() + kLineHeight / 2.0, plot.bottom() - kLineHeight / 2.0);
        fitted_text(p, QRectF(area.left(), y - kLineHeight / 2.0, kLabelWidth - 6, kLineHeight), Qt::AlignRight | Qt::AlignVCenter,
                    yen(v), v < 0 ? palette::loss_ink() : QColor(Qt::black));
    };
    label(high);
    if (y_of(0) - y_of(high) > kLineHeight && y_of(low) - y_of(0) > kLineHeight) label(0);
    label(low);
    // The dates of the first and the last record under the axis, and the totals at the end.
    const QRectF under(plot.left(), plot.bottom() + 3, plot.width(), kLineHeight);
    if (!data.dates.empty()) {
        fitted_text(p, QRectF(under.left(), under.top(), under.width() / 3, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                    data.dates.front(), QColor(Qt::black));
        fitted_text(p, QRectF(under.right() - under.width() / 3, under.top(), under.width() / 3, kLineHeight),
                    Qt::AlignRight | Qt::AlignVCenter, data.dates.back(), QColor(Qt::black));
    }
    const ExpectFigures& f = data.figures;
    if (f.work && f.luck && f.luck_sd)
        fitted_text(p, QRectF(plot.left(), under.bottom() + 2, plot.width(), kLineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                    u("仕事量 ") + yen(*f.work) + u("円　運 ") + yen(*f.luck) + u("円（1σ = ") + yen(*f.luck_sd) + u("円）"),
                    QColor(Qt::black));
    p.restore();
}

ExpectChart::ExpectChart(QWidget* parent) : QWidget(parent) { setMinimumSize(320, 240); }

void ExpectChart::set_data(ExpectChartData data) {
    data_ = std::move(data);
    update();
}

void ExpectChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint_expect_chart(p, rect(), data_);
}

}  // namespace velmo::play
