// The machine tab: every machine played in the year ranked by balance, with the
// same bars and scale as the hall tab. The table is computed when its tab is
// shown and the ledger changed since it was last computed.
#include "views/machine_summary.h"

#include <QCheckBox>
#include <QLabel>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>
#include <string>

#include "framework/cp932.h"
#include "framework/widgets.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "shell/tform1.h"
#include "views/ledger_figures.h"
#include "views/summary_grid.h"

namespace velmo {

std::vector<Group> collect_machine_groups(std::span<const RowFigures> records, const NameNumbers& names,
                                          std::size_t limit) {
    std::vector<Group> groups;
    if (limit == 0) return groups;
    std::vector<std::uint32_t> group_of(names.size(), 0);  // group number + 1 of each name, 0: none yet
    for (const RowFigures& record : records) {
        for (const MachineFigure& m : record.machine_entries()) {
            std::uint32_t& g = group_of[m.name];
            if (g == 0) {
                groups.push_back(Group{std::string(names.name(m.name)), SummaryLine{}});
                g = static_cast<std::uint32_t>(groups.size());
            }
            SummaryLine& line = groups[g - 1].line;
            line.investment += m.investment;
            line.payout += m.payout;
            count_result(line.counts, m.investment, m.payout);
            if (groups.size() >= limit) return groups;
        }
    }
    return groups;
}

}  // namespace velmo

namespace {

// Label5 shows "0"; these four show the quarter values of the scale.
constexpr int kScaleLabels[4] = {6, 7, 8, 14};
constexpr int kAllScaleLabels[5] = {5, 6, 7, 8, 14};

}  // namespace

void TForm1::setup_machine_grid() {
    const int g = width_step;
    StringGrid7->set_col_count(6);
    StringGrid7->set_row_count(velmo::kRankedShownRows + 1);
    StringGrid7->set_default_row_height(18);
    StringGrid7->set_fixed_rows(1);
    const int widths[6] = {g + 60, 4 * g + 151, 2 * g + 90, 2 * g + 90, 2 * g + 90, 3 * g + 153};
    for (int c = 0; c < 6; ++c) StringGrid7->set_col_width(c, widths[c]);
    const char8_t* headers[6] = {u8"収支順", u8" プレイ機種", u8"投資総額 ", u8"換金総額 ", u8"収　支 ", u8"勝　率 "};
    for (int c = 0; c < 6; ++c) StringGrid7->set_cell(c, 0, velmo::cp932_literal(headers[c]));
    StringGrid7->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        kishu_color(col, row, rect, state);
    };
    StringGrid7->on_mouse_wheel = [this](bool up, bool& handled) {
        if (up) StringGrid7MouseWheelUp(handled);
        else StringGrid7MouseWheelDown(handled);
    };
    CheckBox2->setText(QString::fromUtf8(u8"グラフ表示"));
    // Any change of the check, by the user or by code, switches bars and scale together.
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    CheckBox2->setChecked(true);
    label(5)->setText(QStringLiteral("0"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int) { page_change(); });
}

void TForm1::compute_machine_summary() {
    const velmo::LedgerFigures& figures = ledger_figures(true);
    const auto ranked =
        velmo::rank_groups(velmo::collect_machine_groups(figures.rows(), figures.names(), velmo::kMaxMachineRows));
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    velmo::fill_ranked_grid(*StringGrid7, ranked, 3 * width_step + 153, sb);

    if (rec_count >= 1 && !ranked.empty()) {
        machine_scale = velmo::bar_scale(ranked.front().line.balance(), ranked.back().line.balance());
        const auto captions = velmo::scale_captions(machine_scale);
        for (int i = 0; i < 4; ++i)
            label(kScaleLabels[i])->setText(velmo::from_cp932(captions[static_cast<std::size_t>(i)]));
    } else {
        // No machine ranked (an empty ledger, or records without a readable machine):
        // no bars, and no scale left over from a ledger shown before.
        machine_scale = 0;
        for (int i = 0; i < 4; ++i) label(kScaleLabels[i])->clear();
    }
}

void TForm1::kishu_color(int col, int row, const QRect& rect, velmo::DrawState) {
    velmo::RankedPaint how;
    how.has_data = !StringGrid7->cell(1, row).empty();
    how.graph = CheckBox2->isChecked();
    how.scale = machine_scale;
    how.font_height = 15 + font_step;
    velmo::paint_ranked_cell(*StringGrid7, col, row, rect, how);
    // With a full first page the grid takes the keyboard focus, so the keys scroll it,
    // but never from a control the user is operating (painting happens at any time).
    if (col == 0 && row == velmo::kRankedShownRows && how.has_data && StringGrid7->isVisible() &&
        !StringGrid7->hasFocus() && velmo::may_take_focus(*StringGrid7))
        StringGrid7->setFocus();
}

void TForm1::CheckBox2Click() {
    const bool graph = CheckBox2->isChecked();
    for (int n : kAllScaleLabels) label(n)->setVisible(graph);
    StringGrid7->invalidate();
}

void TForm1::StringGrid7MouseWheelDown(bool&) { velmo::ranked_wheel_step(*StringGrid7, wheel_dir, false); }

void TForm1::StringGrid7MouseWheelUp(bool&) { velmo::ranked_wheel_step(*StringGrid7, wheel_dir, true); }

void TForm1::update_machine_tab() {
    if (PageControl1->currentWidget() != TabSheet5 || machine_summary_ok != 0) return;
    machine_summary_ok = 1;
    compute_machine_summary();
}

void TForm1::page_change() {
    wheel_dir = 0;
    update_graph_tab();
    update_machine_tab();
}
