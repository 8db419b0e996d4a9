#include "views/totals.h"

#include <limits>

#include "ledger/ledger_model.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <charconv>
#include <limits>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/string_grid.h"
#include "shell/tform1.h"

namespace velmo {

namespace {

int saturate(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

Totals compute_totals(const std::vector<int>& balances) {
    Totals t;
    t.running.reserve(balances.size());
    t.marks.reserve(balances.size());
    for (int b : balances) {
        std::int8_t mark = 0;
        if (b > 0) {
            mark = 1;
            t.best_balance = std::max(t.best_balance, b);
        } else if (b < 0) {
            mark = -1;
            t.worst_balance = std::min(t.worst_balance, b);
        }
        t.year_total = saturate(static_cast<std::int64_t>(t.year_total) + b);
        if (t.year_total > t.peak_total) {
            mark = 2;
            t.peak_total = t.year_total;
        }
        if (t.year_total < t.trough_total) {
            mark = -2;
            t.trough_total = t.year_total;
        }
        t.running.push_back(t.year_total);
        t.marks.push_back(mark);
    }
    return t;
}

std::optional<int> parse_balance(std::string_view text) {
    const std::optional<std::int64_t> v = parse_number(text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(*v);
}

std::string total_caption(int year_total) {
    std::string text = SJ("ＴＯＴＡＬ ");
    if (year_total > 0) text += SJ("＋");
    else if (year_total == 0) text += SJ("±");
    return text + std::to_string(year_total);
}

}  // namespace velmo

velmo::LedgerFigures& TForm1::ledger_figures(bool with_machines) {
    figures_.sync(*StringGrid1, balance_col, *StringGrid5, rec_count);
    if (with_machines) figures_.sync_machines();
    return figures_;
}

void TForm1::recompute_totals() {
    // Rows 1..rec_count hold the records; never look past the grid or row_mark.
    const auto records = ledger_figures().rows();
    const std::size_t rows = std::min<std::size_t>(records.size(), kMarkRows - 1);
    // A damaged balance cell counts as 0, a figure beyond 32 bits as the bound of
    // its sign, as in every other sum.
    const velmo::Totals t = velmo::compute_totals(velmo::balances_of(records, rows));
    machine_summary_ok = 0;
    graph_ok = 0;
    year_total = t.year_total;
    peak_total = t.peak_total;
    trough_total = t.trough_total;
    best_balance = t.best_balance;
    worst_balance = t.worst_balance;
    if (written_totals_.size() < rows) written_totals_.resize(rows);
    for (int r = 1; r <= static_cast<int>(rows); ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        row_mark[static_cast<std::size_t>(r)] = t.marks[i];
        // Only the running totals that changed are written: after one entry most stay.
        WrittenTotal& written = written_totals_[i];
        if (written.stamp != 0 && written.stamp == StringGrid1->cell_stamp(total_col, r) &&
            written.value == t.running[i])
            continue;
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, t.running[i]).ptr;
        const std::string_view text(digits, static_cast<std::size_t>(end - digits));
        StringGrid1->change_cell(total_col, r, text);
        // A cell never written is empty, so a figure's text has a stamp.
        written = WrittenTotal{t.running[i], StringGrid1->cell_stamp(total_col, r)};
    }
    if (StaticText1) {
        StaticText1->setText(velmo::from_cp932(velmo::total_caption(year_total)));
        fit_total_caption();
    }
}

void TForm1::fit_total_caption() {
    // The caption keeps its place and size. Its letters keep their spacing when the
    // text fits; otherwise they close up by a pixel, and when that is not enough the
    // font gets as much smaller as the whole text needs.
    QFont font = StaticText1->font();
    const QString text = StaticText1->text();
    const int width = StaticText1->contentsRect().width();
    // Measuring the text is what costs: while the text, its room, the font step and the
    // font are those the last fit left, the fit would give that font again.
    if (text == fitted_caption_.text && width == fitted_caption_.width && font_step == fitted_caption_.font_step &&
        font == fitted_caption_.font)
        return;
    font.setPixelSize(12 + font_step);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    if (QFontMetrics(font).horizontalAdvance(text) > width) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, -1);
        font.setPixelSize(velmo::fitting_pixel_height(font, 12 + font_step, text, width));
    }
    StaticText1->setFont(font);
    fitted_caption_ = FittedCaption{text, width, font_step, StaticText1->font()};
}
