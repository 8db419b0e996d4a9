#include "print/report_paint.h"

#include <QFontMetrics>
#include <QPainter>

#include "framework/cp932.h"
#include "framework/draw.h"

namespace velmo {

namespace {

using velmo::u;

class PageDrawer {
public:
    PageDrawer(QPainter& p, int scale) : p_(p), s_(scale) {}
    int s(int v) const { return v / s_; }

    // A text whose em square starts at y: every font then sets its glyphs in the
    // row as IPAGothic does, whose line starts there too, however tall its line is.
    void text(int x, int y, int height, const QString& t) {
        p_.setFont(ui_font(height));
        p_.drawText(QRect(x, em_top(y, height), 100000 / s_, height * 2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
    }
    void text_right(int right, int y, int height, const QString& t) {
        p_.setFont(ui_font(height));
        p_.drawText(QRect(right - 100000 / s_, em_top(y, height), 100000 / s_, height * 2),
                    Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, t);
    }
    // Where a line must start for its em square to start at y.
    int em_top(int y, int height) const { return y - (QFontMetrics(p_.font(), p_.device()).ascent() - em_ascent(height)); }
    // The machines text shrinks until it fits its column.
    void text_fitted(int x, int y, int height, int max_width, int shrink, const QString& t) {
        int size = height;
        for (; size > shrink; size -= shrink) {
            QFontMetrics m(ui_font(size), p_.device());
            if (m.horizontalAdvance(t) <= max_width) break;
        }
        text(x, y, size, t);
    }
    // Outline covering x l..r-1 and y t..b-1 (a 1-pixel pen draws one pixel beyond a QRect's size).
    void rect(int l, int t, int r, int b) { p_.drawRect(QRect(l, t, r - l - 1, b - t - 1)); }
    void line(int x1, int y1, int x2, int y2) { p_.drawLine(x1, y1, x2, y2); }

private:
    QPainter& p_;
    int s_;
};

void draw_block(PageDrawer& d, const ReportData& data, const BlockPlan& block, const PageValues& v, int scale) {
    const int x0 = block.x0;
    const int bottom = block.is_short ? v.short_bottom : v.full_bottom;
    auto X = [&](int x) { return x0 + d.s(x); };
    d.rect(X(10), d.s(165), X(2240), bottom);
    d.rect(X(165), d.s(165), X(840), bottom);
    d.rect(X(1790), d.s(165), X(2020), bottom);
    d.line(X(230), d.s(165), X(230), bottom);
    d.line(X(10), d.s(255), X(2240), d.s(255));
    const int head_y = d.s(180), head_h = d.s(70);
    d.text(X(20), head_y, head_h, u("日付"));
    d.text(X(250), head_y, head_h, u("ホール名"));
    d.text(X(860), head_y, head_h, u("プレイ機種名"));
    d.text(X(1865), head_y, head_h, u("収支"));
    d.text(X(2090), head_y, head_h, u("合計"));
    d.text(X(180), d.s(195), d.s(45), u("曜"));

    int month = 0;
    for (int r = 0; r < block.rows; ++r) {
        const int index = block.first_row + r;
        if (index >= static_cast<int>(data.rows.size())) break;
        const ReportRow& row = data.rows[static_cast<std::size_t>(index)];
        const int y = d.s(265) + d.s(50) * r;
        if (r > 0 && row.month > month) d.line(X(10), y, X(2240), y);
        month = row.month;
        d.text(X(175), y, d.s(45), row.weekday);
        d.text(X(25), y, d.s(50), row.date);
        d.text(X(240), y, d.s(50), row.hall);
        // On paper the font shrinks by 2 until the text fits 940 pixels; in the preview
        // it shrinks by 1 until the text fits 190 pixels.
        d.text_fitted(X(850), y, d.s(50), scale == 1 ? 940 : 190, scale == 1 ? 2 : 1, row.machines);
        d.text_right(X(2000), y, d.s(50), row.balance);
        d.text_right(X(2220), y, d.s(50), row.total);
    }
}

void draw_monthly_table(PageDrawer& d, const ReportData& data, int x0, int h, int scale) {
    auto X = [&](int x) { return x0 + d.s(x); };
    const int top = h - d.s(1240), bottom = h - d.s(145);
    d.rect(X(10), top, X(2240), bottom);
    d.rect(X(280), top, X(640), bottom);
    d.rect(X(990), top, X(1340), bottom);
    d.line(X(1640), top, X(1640), bottom);
    for (int k = 1; k <= 13; ++k) {
        const int y = h - d.s(1215) + d.s(75) * k;
        d.line(X(10), y, X(2240), y);
    }
    d.text(X(15), h - d.s(1325), d.s(85), u("月間収支一覧"));
    const int head_y = h - d.s(1230), head_h = d.s(80);
    d.text(X(25), head_y, head_h, data.year + u("年"));
    d.text(X(310), head_y, head_h, scale == 1 ? u("総投資額") : u("投資総額"));
    d.text(X(660), head_y, head_h, scale == 1 ? u("総換金額") : u("換金総額"));
    d.text(X(1010), head_y, head_h, u("月間収支"));
    d.text(X(1360), head_y, head_h, u("合　　計"));
    d.text(X(1950), head_y, head_h, u("勝　　率"));
    const char* months[12] = {"１月", "２月", "３月", "４月", "５月", "６月", "７月", "８月", "９月", "１０月", "１１月", "１２月"};
    for (int k = 1; k <= 12; ++k)
        d.text(X(k <= 9 ? 100 : 55), h - d.s(1205) + d.s(75) * k, d.s(65), u(months[k - 1]));
    d.text(X(25), h - d.s(230), d.s(75), QStringLiteral("TOTAL"));
    const int rights[5] = {625, 980, 1325, 1625, 2220};
    for (int k = 1; k <= 13; ++k)
        for (int c = 0; c < 5; ++c)
            d.text_right(X(rights[c]), h - d.s(1205) + d.s(75) * k, d.s(k == 13 ? 75 : 65),
                         data.monthly[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(c)]);
}

}  // namespace

QString year_result_text(long long year_total) {
    if (year_total > 0) return u("年間収支プラス") + QString::number(year_total);
    if (year_total < 0) return u("年間収支マイナス") + QString::number(-year_total);
    return u("年間収支±0");
}

void draw_report_page(QPainter& p, const ReportData& data, const PagePlan& page, const PageValues& values,
                      int scale, int w, int h) {
    PageDrawer d(p, scale);
    p.fillRect(QRect(0, 0, w, h), Qt::white);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    const QString title = data.year + u("年　パチンコ･パチスロ収支一覧");
    d.text(d.s(10), d.s(10), d.s(130), title);
    for (const BlockPlan& block : page.blocks) draw_block(d, data, block, values, scale);
    if (page.has_table) {
        draw_monthly_table(d, data, page.table_x0, h, scale);
        if (scale == 1) d.text(5, h - 140, 130, year_result_text(data.year_total));
        else d.text(5, h - 28, 26, year_result_text(data.year_total));
    }
}

}  // namespace velmo
