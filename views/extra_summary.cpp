// The weekday tab's lower table: the ten best values of the extra column.
#include <QPainter>

#include "ledger/ledger_model.h"
#include "framework/cp932.h"
#include "framework/draw.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/palette.h"
#include "views/summary_grid.h"
#include "views/win_rate.h"

namespace {

constexpr std::size_t kMaxValues = 20;  // distinct values summed
constexpr int kRanks = 10;              // rows shown

}  // namespace

void TForm1::compute_extra_summary() {
    StringGrid6->setVisible(has_extra == 1);
    if (has_extra != 1) return;
    const int key_col = extra_col < StringGrid1->col_count() ? extra_col : -1;
    velmo::LedgerFigures& figures = ledger_figures();
    const auto keys = key_col >= 0 ? figures.keys(key_col) : velmo::LedgerFigures::KeyNumbers{};
    const auto rows = velmo::ledger_rows(*StringGrid1, figures.rows(), row_mark, key_col, keys.numbers);
    const auto ranked = velmo::rank_groups(velmo::collect_groups(rows, kMaxValues, true));
    for (int r = 1; r <= kRanks; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        if (i >= ranked.size()) {
            for (int c = 1; c <= 5; ++c) StringGrid6->change_cell(c, r, {});
            continue;
        }
        const velmo::Group& g = ranked[i];
        StringGrid6->change_cell(1, r, g.key);
        StringGrid6->change_cell(2, r, std::to_string(g.line.investment));
        StringGrid6->change_cell(3, r, std::to_string(g.line.payout));
        StringGrid6->change_cell(4, r, std::to_string(g.line.balance()));
        StringGrid6->change_cell(5, r, velmo::format_win_rate(g.line.counts.wins, g.line.counts.losses, g.line.counts.draws));
    }
}

void TForm1::usercolor(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *StringGrid6->canvas();
    const bool filled = !StringGrid6->cell(1, row).empty();
    if (!filled) {
        if (col == 0) velmo::header_shading(p, rect, StringGrid6->row_height(0), true);
        else p.fillRect(rect, velmo::palette::empty());
        return;
    }
    p.setFont(velmo::ui_font(15 + font_step));
    p.setPen(Qt::black);
    Qt::Alignment align = Qt::AlignBottom | Qt::AlignRight;
    if (col == 0) align = Qt::AlignBottom | Qt::AlignHCenter;
    if (col == 1) align = Qt::AlignBottom | Qt::AlignLeft;
    if (row == 0 || col == 0) {
        velmo::header_shading(p, rect, StringGrid6->row_height(0), col == 0);
        const std::string& text = (col == 0 && row > 0) ? std::to_string(row) : StringGrid6->cell(col, row);
        velmo::draw_text_in_rect(p, rect, velmo::from_cp932(text), align);
        return;
    }
    const std::int64_t investment = velmo::cell_number(StringGrid6->cell(2, row));
    const std::int64_t payout = velmo::cell_number(StringGrid6->cell(3, row));
    QColor back = velmo::palette::neutral();
    if (investment < payout) back = velmo::palette::win();
    if (investment > payout) back = velmo::palette::loss();
    p.fillRect(rect, back);
    velmo::draw_text_in_rect(p, rect, velmo::from_cp932(StringGrid6->cell(col, row)), align);
}
