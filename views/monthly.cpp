// The monthly tab: twelve months, the year's TOTAL row and the monthly average;
// also the set-up of the summary grids of the monthly, weekday and hall tabs.
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
#include "views/summary_grid.h"
#include "views/win_rate.h"

namespace {

void set_widths(velmo::StringGrid* grid, std::initializer_list<int> widths) {
    int c = 0;
    for (int w : widths) grid->set_col_width(c++, w);
}

// Texts down one column from first_row.
void set_column_texts(velmo::StringGrid* grid, int col, int first_row, std::initializer_list<const std::string*> texts) {
    int r = first_row;
    for (const std::string* t : texts) grid->set_cell(col, r++, *t);
}

// Header texts along row 0 from first_col.
void set_headers(velmo::StringGrid* grid, int first_col, std::initializer_list<const std::string*> texts) {
    int c = first_col;
    for (const std::string* t : texts) grid->set_cell(c++, 0, *t);
}

}  // namespace

void TForm1::setup_summary_grids() {
    const int g = width_step;
    const std::string year_header = year_text + SJ(u8"年");
    const std::string& invest = SJ(u8"投資総額 ");
    const std::string& payout = SJ(u8"換金総額 ");
    const std::string& balance = SJ(u8"収　支 ");
    const std::string& rate = SJ(u8"勝　率 ");

    // Monthly table.
    StringGrid2->set_col_count(6);
    StringGrid2->set_row_count(14);
    StringGrid2->set_default_row_height(18);
    StringGrid2->set_fixed_rows(1);
    set_widths(StringGrid2, {g + 60, 2 * g + 99, 2 * g + 99, 2 * g + 99, 2 * g + 99, 5 * g + 178});
    StringGrid2->set_cell(0, 0, year_header);
    set_headers(StringGrid2, 1, {&invest, &payout, &balance, &SJ(u8"合　計 "), &rate});
    for (int m = 1; m <= 12; ++m) StringGrid2->set_cell(0, m, velmo::month_label(m));
    StringGrid2->set_cell(0, kMonthlyTotalRow, "TOTAL");
    StringGrid2->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        monthcolor(col, row, rect, state);
    };
    if (Label4->text().isEmpty()) Label4->setText(QString::fromUtf8(u8"月間平均"));

    // Weekday table.
    StringGrid3->set_col_count(5);
    StringGrid3->set_row_count(9);
    StringGrid3->set_default_row_height(18);
    StringGrid3->set_fixed_rows(1);
    set_widths(StringGrid3, {g + 60, 3 * g + 121, 3 * g + 121, 3 * g + 121, 4 * g + 212});
    StringGrid3->set_cell(0, 0, year_header);
    set_headers(StringGrid3, 1, {&invest, &payout, &balance, &rate});
    set_column_texts(StringGrid3, 0, 1,
                  {&SJ(u8"日　曜"), &SJ(u8"月　曜"), &SJ(u8"火　曜"), &SJ(u8"水　曜"), &SJ(u8"木　曜"),
                   &SJ(u8"金　曜"), &SJ(u8"土　曜")});
    StringGrid3->set_cell(0, 8, "TOTAL");
    StringGrid3->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        weekcolor(col, row, rect, state);
    };

    // Extra-value table: ten ranks under the weekday table, shown with an extra column.
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    StringGrid6->set_col_count(6);
    StringGrid6->set_row_count(11);
    StringGrid6->set_default_row_height(17);
    StringGrid6->set_fixed_rows(1);
    set_widths(StringGrid6, {g + 60, 4 * g + 151, 2 * g + 90, 2 * g + 90, 2 * g + 90, 3 * g + 153 - sb});
    StringGrid6->set_cell(0, 0, SJ(u8"収支順"));
    set_headers(StringGrid6, 2, {&invest, &payout, &balance, &rate});
    StringGrid6->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        usercolor(col, row, rect, state);
    };
    StringGrid6->setVisible(has_extra == 1);

    // Hall table with its bars and scale.
    StringGrid4->set_col_count(6);
    StringGrid4->set_row_count(17);
    StringGrid4->set_default_row_height(18);
    StringGrid4->set_fixed_rows(1);
    set_widths(StringGrid4, {g + 60, 4 * g + 151, 2 * g + 90, 2 * g + 90, 2 * g + 90, 3 * g + 153});
    StringGrid4->set_cell(0, 0, SJ(u8"収支順"));
    StringGrid4->set_cell(1, 0, SJ(u8" ホール名"));
    set_headers(StringGrid4, 2, {&invest, &payout, &balance, &rate});
    StringGrid4->on_draw_cell = [this](int col, int row, const QRect& rect, velmo::DrawState state) {
        best15color(col, row, rect, state);
    };
    StringGrid4->on_mouse_wheel = [this](bool up, bool& handled) {
        if (up) StringGrid4MouseWheelUp(handled);
        else StringGrid4MouseWheelDown(handled);
    };
    CheckBox1->setText(QString::fromUtf8(u8"グラフ表示"));
    // Any change of the check, by the user or by code, switches bars and scale together.
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    CheckBox1->setChecked(true);
    label(9)->setText(QStringLiteral("0"));
}

std::vector<velmo::SummaryRow> TForm1::dated_rows() {
    if (rec_count <= 0) return {};
    return velmo::ledger_rows(*StringGrid1, ledger_figures().rows(), row_mark, -1);
}

void TForm1::compute_monthly() { compute_monthly(dated_rows()); }

void TForm1::compute_monthly(std::span<const velmo::SummaryRow> rows) {
    for (int r = 1; r <= kMonthlyTotalRow; ++r)
        for (int c = 1; c <= 5; ++c) StringGrid2->change_cell(c, r, {});
    monthly_texts_ = {};
    if (rec_count <= 0) {
        // No month to average: the caption loses the figure of a ledger shown before.
        Label4->setText(QString::fromUtf8(u8"月間平均"));
        return;
    }

    const velmo::MonthlySummary sum = velmo::summarize_months(rows);
    // The TOTAL row's win rate is the weekday table's, written with it.
    monthly_texts_ = velmo::monthly_texts(sum, {});
    for (int r = 1; r <= kMonthlyTotalRow; ++r)
        for (int c = 1; c <= (r == kMonthlyTotalRow ? 4 : 5); ++c)
            StringGrid2->change_cell(c, r, monthly_texts_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
    Label4->setText(velmo::from_cp932(SJ(u8"月間平均　") + std::to_string(sum.average)));
}

const velmo::MonthlyTexts& TForm1::monthly_texts() const { return monthly_texts_; }

void TForm1::monthcolor(int col, int row, const QRect& rect, velmo::DrawState) {
    QPainter& p = *StringGrid2->canvas();
    const std::string& text = StringGrid2->cell(col, row);
    p.setFont(velmo::ui_font(15 + font_step));
    p.setPen(Qt::black);
    Qt::Alignment align = Qt::AlignBottom | (col == 0 ? Qt::AlignHCenter : Qt::AlignRight);
    if (row == 0 || col == 0) {
        velmo::header_shading(p, rect, StringGrid2->row_height(0), col == 0);
        velmo::draw_text_in_rect(p, rect, velmo::from_cp932(text), align);
        return;
    }
    if (StringGrid2->cell(1, row).empty()) {
        p.fillRect(rect, velmo::palette::empty());
        return;
    }
    const bool strong = row == kMonthlyTotalRow;
    int sign = 0;
    if (col == 4 || col == 5) {
        const std::int64_t running = velmo::cell_number(StringGrid2->cell(4, row));
        sign = running > 0 ? 1 : (running < 0 ? -1 : 0);
    } else {
        const std::int64_t balance =
            velmo::cell_number(StringGrid2->cell(2, row)) - velmo::cell_number(StringGrid2->cell(1, row));
        sign = balance > 0 ? 1 : (balance < 0 ? -1 : 0);
    }
    QColor back = velmo::palette::neutral();
    if (sign > 0) back = strong ? velmo::palette::win_strong() : velmo::palette::win();
    if (sign < 0) back = strong ? velmo::palette::loss_strong() : velmo::palette::loss();
    p.fillRect(rect, back);
    velmo::draw_text_in_rect(p, rect, velmo::from_cp932(text), align);
}
