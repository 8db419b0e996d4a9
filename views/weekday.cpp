// The weekday tab's upper table: the play days of the year by weekday.
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

constexpr int kTotalRow = 8;

std::string rate_text(const velmo::WinCounts& c) { return velmo::format_win_rate(c.wins, c.losses, c.draws); }

void write_line(velmo::StringGrid* grid, int row, const velmo::SummaryLine& line, std::string rate) {
    grid->change_cell(1, row, std::to_string(line.investment));
    grid->change_cell(2, row, std::to_string(line.payout));
    grid->change_cell(3, row, std::to_string(line.balance()));
    grid->change_cell(4, row, rate);
}

}  // namespace

void TForm1::compute_weekday() { compute_weekday(dated_rows()); }

void TForm1::compute_weekday(std::span<const velmo::SummaryRow> rows) {
    if (rec_count <= 0) {
        for (int r = 1; r <= kTotalRow; ++r)
            for (int c = 1; c <= 4; ++c) StringGrid3->change_cell(c, r, {});
        return;
    }
    const velmo::WeekdaySummary sum = velmo::summarize_weekdays(rows, static_cast<int>(velmo::cell_number(year_text)));
    for (int d = 0; d < 7; ++d) {
        const velmo::SummaryLine& line = sum.days[static_cast<std::size_t>(d)];
        write_line(StringGrid3, d + 1, line, line.counts.total() > 0 ? rate_text(line.counts) : std::string());
    }
    const std::string total_rate = rate_text(sum.total.counts);
    write_line(StringGrid3, kTotalRow, sum.total, total_rate);
    // The monthly table's TOTAL row takes the year's win rate over play days.
    StringGrid2->change_cell(5, kMonthlyTotalRow, total_rate);
    monthly_texts_[kMonthlyTotalRow - 1][4] = total_rate;
}

void TForm1::weekcolor(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *StringGrid3->canvas();
    p.setFont(velmo::ui_font(15 + font_step));
    p.setPen(Qt::black);
    const Qt::Alignment align = Qt::AlignBottom | (col == 0 ? Qt::AlignHCenter : Qt::AlignRight);
    const QString text = velmo::from_cp932(StringGrid3->cell(col, row));
    if (row == 0 || col == 0) {
        velmo::header_shading(p, rect, StringGrid3->row_height(0), col == 0);
        velmo::draw_text_in_rect(p, rect, text, align);
        return;
    }
    std::int64_t investment = 0;
    std::int64_t payout = 0;
    if (!StringGrid3->cell(1, row).empty()) {
        investment = velmo::cell_number(StringGrid3->cell(1, row));
        payout = velmo::cell_number(StringGrid3->cell(2, row));
    }
    const bool strong = row == kTotalRow;
    QColor back = velmo::palette::neutral();
    if (investment < payout) back = strong ? velmo::palette::win_strong() : velmo::palette::win();
    if (investment > payout) back = strong ? velmo::palette::loss_strong() : velmo::palette::loss();
    p.fillRect(rect, back);
    velmo::draw_text_in_rect(p, rect, text, align);
}
