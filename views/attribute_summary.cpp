// The attribute tab "属性別収支": sums per machine attribute, and its painter.
#include "views/attribute_summary.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "entry/tform3.h"
#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/ledger_figures.h"
#include "views/name_index.h"
#include "views/palette.h"
#include "views/win_rate.h"

namespace velmo {

std::array<SummaryLine, kAttributeRows> summarize_attributes(std::span<const Group> machine_groups,
                                                             std::span<const std::string> machines,
                                                             std::span<const std::uint16_t> masks) {
    // The first registered machine of a name gives the mask.
    NameIndex index;
    std::vector<std::uint16_t> mask_of;
    mask_of.reserve(machines.size());
    bool any_mask = false;
    for (std::size_t i = 0; i < machines.size(); ++i) {
        if (!index.insert(machines[i]).second) continue;
        const std::uint16_t mask = i < masks.size() ? masks[i] : std::uint16_t{0};
        mask_of.push_back(mask);
        any_mask = any_mask || mask != 0;
    }

    std::array<SummaryLine, kAttributeRows> lines{};
    if (!any_mask) return lines;  // no entry counts anywhere
    for (const Group& machine : machine_groups) {
        const std::size_t n = index.find(machine.key);
        if (n == NameIndex::npos) continue;
        for (unsigned mask = mask_of[n]; mask != 0; mask &= mask - 1) {
            SummaryLine& line = lines[static_cast<std::size_t>(std::countr_zero(mask))];
            line.investment += machine.line.investment;
            line.payout += machine.line.payout;
            line.counts.wins += machine.line.counts.wins;
            line.counts.losses += machine.line.counts.losses;
            line.counts.draws += machine.line.counts.draws;
        }
    }
    return lines;
}

std::array<std::string, 5> attribute_row_texts(const std::string& name, const SummaryLine& line) {
    if (name.empty()) return {};
    return {name, std::to_string(line.investment), std::to_string(line.payout), std::to_string(line.balance()),
            format_win_rate(line.counts.wins, line.counts.losses, line.counts.draws)};
}

void paint_attribute_cell(QPainter& painter, const StringGrid& grid, int col, int row, const QRect& rect,
                          int font_step) {
    const int header_height = grid.row_height(0);
    const bool has_data = !grid.cell(1, row).empty();  // row 0 holds the header " 機種属性"
    Qt::Alignment align = Qt::AlignRight;
    if (col == 0) align = Qt::AlignHCenter;
    if (col == 1) align = Qt::AlignLeft;
    std::string text = grid.cell(col, row);

    if (!has_data) {
        // An attribute without a name: only its number, on the shaded first column.
        if (col == 0) {
            header_shading(painter, rect, header_height, true);
        } else {
            painter.fillRect(rect, palette::empty());
            return;
        }
    } else if (row == 0 || col == 0) {
        header_shading(painter, rect, header_height, col == 0);
        if (col == 0 && row > 0) text = std::to_string(row);
    } else {
        const std::int64_t v = cell_number(grid.cell(4, row));
        QColor back = palette::neutral();
        if (v > 0) back = col == 4 ? palette::win_strong() : palette::win();
        if (v < 0) back = col == 4 ? palette::loss_strong() : palette::loss();
        painter.fillRect(rect, back);
    }
    painter.setPen(Qt::black);
    painter.setFont(ui_font(15 + font_step));
    draw_text_in_rect(painter, rect, from_cp932(text), align | Qt::AlignBottom);
}

}  // namespace velmo

void TForm1::compute_attribute_summary() {
    const velmo::Registry registry = velmo::machine_attributes_from_windows();
    const auto machines = ledger_figures(true).machines_played();
    const std::vector<std::uint16_t> masks = registry.masks.value_or(std::vector<std::uint16_t>());
    const auto lines = velmo::summarize_attributes(machines, registry.machines, masks);
    for (int i = 1; i <= velmo::kAttributeRows; ++i) {
        const auto index = static_cast<std::size_t>(i - 1);
        const auto texts = velmo::attribute_row_texts(registry.attribute_names[index], lines[index]);
        for (int c = 1; c <= 5; ++c) StringGrid10->change_cell(c, i, texts[static_cast<std::size_t>(c - 1)]);
    }
}

void TForm1::attrcolor(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter* canvas = StringGrid10->canvas();
    if (!canvas) return;
    velmo::paint_attribute_cell(*canvas, *StringGrid10, col, row, rect, font_step);
}

void TForm1::setup_attribute_grid() {
    StringGrid10->set_col_count(6);
    StringGrid10->set_row_count(velmo::kAttributeRows + 1);
    StringGrid10->set_default_row_height(18);
    StringGrid10->set_fixed_rows(1);
    const int widths[6] = {60, 99, 101, 104, 107, 126};
    for (int c = 0; c < 6; ++c) StringGrid10->set_col_width(c, widths[c]);
    StringGrid10->set_cell(0, 0, std::string());
    StringGrid10->set_cell(1, 0, SJ(u8" 機種属性"));
    StringGrid10->set_cell(2, 0, SJ(u8"投資総額 "));
    StringGrid10->set_cell(3, 0, SJ(u8"換金総額 "));
    StringGrid10->set_cell(4, 0, SJ(u8"収　支 "));
    StringGrid10->set_cell(5, 0, SJ(u8"勝　率 "));
    for (int r = 1; r <= velmo::kAttributeRows; ++r) StringGrid10->set_cell(0, r, std::to_string(r));
    StringGrid10->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        attrcolor(col, row, rect, state);
    };
}
