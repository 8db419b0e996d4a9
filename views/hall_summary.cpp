// The hall tab: every hall of the year ranked by balance, with balance bars
// drawn across the number columns against a scale of 20000 steps.
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include "ledger/ledger_model.h"
#include "framework/cp932.h"
#include "framework/draw.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/palette.h"
#include "views/summary_calc.h"
#include "views/win_rate.h"

namespace {

constexpr std::size_t kMaxHalls = 100;
constexpr int kShownRanks = 16;  // rows that fit without scrolling
constexpr int kBarFirstCol = 2;

}  // namespace

void TForm1::compute_hall_summary() {
    const int key_col = hall_col < StringGrid1->col_count() ? hall_col : -1;
    const auto rows = velmo::ledger_rows(*StringGrid1, *StringGrid5, rec_count, row_mark, key_col);
    const auto ranked = velmo::rank_groups(velmo::collect_groups(rows, kMaxHalls, false));
    const int n = static_cast<int>(ranked.size());

    StringGrid4->set_row_count(n <= kShownRanks ? kShownRanks + 1 : n + 1);
    // With more rows than fit, the scroll bar takes its width from the last column.
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    StringGrid4->set_col_width(5, 3 * width_step + 153 - (StringGrid4->row_count() > kShownRanks + 1 ? sb : 0));

    for (int r = 1; r <= n; ++r) {
        const velmo::Group& g = ranked[static_cast<std::size_t>(r - 1)];
        StringGrid4->set_cell(1, r, g.key);
        StringGrid4->set_cell(2, r, std::to_string(g.line.investment));
        StringGrid4->set_cell(3, r, std::to_string(g.line.payout));
        StringGrid4->set_cell(4, r, std::to_string(g.line.balance()));
        StringGrid4->set_cell(5, r, velmo::format_win_rate(g.line.counts.wins, g.line.counts.losses, g.line.counts.draws));
    }
    for (int r = n + 1; r <= kShownRanks; ++r)
        for (int c = 1; c <= 5; ++c) StringGrid4->set_cell(c, r, std::string());

    if (rec_count >= 1 && n >= 1) {
        hall_scale = velmo::bar_scale(ranked.front().line.balance(), ranked.back().line.balance());
        const std::int64_t quarter = hall_scale / 4;
        for (int i = 1; i <= 4; ++i) label(9 + i)->setText(velmo::from_cp932(velmo::scale_caption(quarter * i)));
    }
}

void TForm1::best15color(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *StringGrid4->canvas();
    const std::string& balance_text = StringGrid4->cell(4, row);
    if (balance_text.empty()) {
        if (col == 0) velmo::header_shading(p, rect, StringGrid4->row_height(0), true);
        else p.fillRect(rect, velmo::palette::empty());
        return;
    }
    Qt::Alignment align = Qt::AlignVCenter | Qt::AlignRight;
    if (col == 0) align = Qt::AlignVCenter | Qt::AlignHCenter;
    if (col == 1) align = Qt::AlignVCenter | Qt::AlignLeft;
    std::string text = (col == 0 && row > 0) ? std::to_string(row) : StringGrid4->cell(col, row);

    if (row == 0 || col == 0) {
        velmo::header_shading(p, rect, StringGrid4->row_height(0), col == 0);
    } else {
        const std::int64_t v = velmo::cell_number(balance_text);
        const bool graph = CheckBox1->isChecked();
        QColor back = velmo::palette::neutral();
        if (v > 0) back = (col == 4 && !graph) ? velmo::palette::win_strong() : velmo::palette::win();
        if (v < 0) back = (col == 4 && !graph) ? velmo::palette::loss_strong() : velmo::palette::loss();
        p.fillRect(rect, back);
        if (graph && col >= kBarFirstCol) {
            const int length = velmo::bar_length(StringGrid4->col_width(kBarFirstCol), hall_scale, v);
            int covered = 0;
            for (int c = kBarFirstCol; c <= col; ++c) covered += StringGrid4->col_width(c);
            const velmo::BarPiece piece =
                velmo::bar_piece(length, covered, StringGrid4->col_width(col), rect.left() + rect.width());
            velmo::draw_bar_piece(p, rect, piece, velmo::bar_colors(v));
        }
    }
    p.setFont(velmo::ui_font(15 + font_step));
    p.setPen(Qt::black);
    velmo::draw_text_in_rect(p, rect, velmo::from_cp932(text), align);
}

void TForm1::CheckBox1Click() {
    const bool graph = CheckBox1->isChecked();
    for (int n = 9; n <= 13; ++n) label(n)->setVisible(graph);
    StringGrid4->invalidate();
}

void TForm1::StringGrid4MouseWheelDown(bool&) {
    // The first step down puts the current row on the last visible row, so the
    // grid's own step scrolls the list at once.
    if (wheel_dir != 1) StringGrid4->set_row(StringGrid4->top_row() + 15);
    wheel_dir = 1;
}

void TForm1::StringGrid4MouseWheelUp(bool&) {
    if (wheel_dir != 2) StringGrid4->set_row(StringGrid4->top_row());
    wheel_dir = 2;
}
