// The hall tab: every hall of the year ranked by balance, with balance bars
// drawn across the number columns against a scale of 20000 steps.
#include <QCheckBox>
#include <QLabel>
#include <QStyle>

#include "framework/cp932.h"
#include "shell/tform1.h"
#include "views/summary_grid.h"

void TForm1::compute_hall_summary() {
    const int key_col = hall_col < StringGrid1->col_count() ? hall_col : -1;
    velmo::LedgerFigures& figures = ledger_figures();
    const auto keys = key_col >= 0 ? figures.keys(key_col) : velmo::LedgerFigures::KeyNumbers{};
    const auto rows = velmo::ledger_rows(*StringGrid1, figures.rows(), row_mark, key_col, keys.numbers);
    const auto ranked = velmo::rank_groups(velmo::collect_groups(rows, velmo::kMaxHallRows, false));
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    velmo::fill_ranked_grid(*StringGrid4, ranked, 3 * width_step + 153, sb);

    if (rec_count >= 1 && !ranked.empty()) {
        hall_scale = velmo::bar_scale(ranked.front().line.balance(), ranked.back().line.balance());
        const auto captions = velmo::scale_captions(hall_scale);
        for (int i = 0; i < 4; ++i) label(10 + i)->setText(velmo::from_cp932(captions[static_cast<std::size_t>(i)]));
    } else {
        // Nothing ranked: no bars, and no scale left over from a ledger shown before.
        hall_scale = 0;
        for (int i = 0; i < 4; ++i) label(10 + i)->clear();
    }
}

void TForm1::best15color(int col, int row, const QRect& rect, velmo::DrawState) {
    velmo::RankedPaint how;
    how.has_data = !StringGrid4->cell(4, row).empty();
    how.graph = CheckBox1->isChecked();
    how.scale = hall_scale;
    how.font_height = 15 + font_step;
    velmo::paint_ranked_cell(*StringGrid4, col, row, rect, how);
}

void TForm1::CheckBox1Click() {
    const bool graph = CheckBox1->isChecked();
    for (int n = 9; n <= 13; ++n) label(n)->setVisible(graph);
    StringGrid4->invalidate();
}

void TForm1::StringGrid4MouseWheelDown(bool&) { velmo::ranked_wheel_step(*StringGrid4, wheel_dir, false); }

void TForm1::StringGrid4MouseWheelUp(bool&) { velmo::ranked_wheel_step(*StringGrid4, wheel_dir, true); }
