// The month calendar shown in place of the year list: a picture of one month's
// days coloured by result, the month number with Prev and Next, the play
// records of the selected day and the machines of one of them.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtMath>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "month/calendar_calc.h"
#include "month/calendar_paint.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/palette.h"

namespace {

using velmo::u;

// Gives the picture the size of its control at the control's device pixel ratio,
// keeping what it shows and filling new room with the button face.
void fit_picture(QImage& picture, const QWidget& control) {
    const qreal ratio = control.devicePixelRatioF();
    const QSize size(qCeil(control.width() * ratio), qCeil(control.height() * ratio));
    if (picture.size() == size && picture.devicePixelRatio() == ratio) return;
    QImage next(size, QImage::Format_RGB32);
    next.setDevicePixelRatio(ratio);
    next.fill(velmo::button_face_color());
    if (!picture.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, picture);
    }
    picture = std::move(next);
}

velmo::StringGrid* make_day_grid(QWidget* parent, int tag, const char* first_header) {
    auto* g = new velmo::StringGrid(parent);
    g->setGeometry(498, 8, 139, 2 * 14 + 6);
    g->set_col_count(2);
    g->set_row_count(2);
    g->set_default_row_height(14);
    g->set_fixed_rows(1);
    g->set_fixed_cols(0);
    g->set_col_width(0, 89);
    g->set_col_width(1, 44);
    g->tag = tag;
    g->set_cell(0, 0, velmo::cp932_literal(first_header));
    g->set_cell(1, 0, velmo::cp932_literal(u8"収支 "));
    g->hide();
    return g;
}

}  // namespace

void TForm1::build_calendar() {
    // The spacer first, so that it lies under every control of the view.
    Label3 = new QLabel(TabSheet1);
    Label3->setGeometry(0, 0, 642, 0);
    Label3->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label3->hide();

    Panel2 = new QWidget(TabSheet1);
    Panel2->setGeometry(2, 8, 108, 112);
    Bevel1 = new QFrame(Panel2);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(18, 4, 72, 54);
    PaintBox2 = new velmo::PaintBox(Panel2);
    PaintBox2->setGeometry(20, 6, 68, 50);
    PaintBox2->on_paint = [this](QPainter& p) { paint_month(p); };
    Button1 = new QPushButton(QStringLiteral("Prev"), Panel2);
    Button1->setGeometry(6, 70, 46, 24);
    Button2 = new QPushButton(QStringLiteral("Next"), Panel2);
    Button2->setGeometry(56, 70, 46, 24);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    Panel2->hide();

    Bevel2 = new QFrame(TabSheet1);
    Bevel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel2->setGeometry(114, 8, 380, 234);
    Bevel2->hide();
    Image3 = new velmo::PaintBox(TabSheet1);
    Image3->setGeometry(116, 10, 376, 230);
    Image3->on_paint = [this](QPainter& p) {
        p.drawImage(0, 0, calendar_bitmap);
        // On a screen of another device pixel ratio the picture is drawn again at it.
        if (!calendar_bitmap.isNull() && calendar_bitmap.devicePixelRatio() != Image3->devicePixelRatioF() &&
            (view_flags & TForm1::kCalendarShown))
            QMetaObject::invokeMethod(this, [this] {
                if (calendar_bitmap.devicePixelRatio() == Image3->devicePixelRatioF()) return;
                draw_weekday_header();
                compute_calendar();
            }, Qt::QueuedConnection);
    };
    Image3->on_mouse_down = [this](Qt::MouseButton button, QPoint pos) {
        if (button != Qt::LeftButton && button != Qt::RightButton) return;
        click_calen(pos.x(), pos.y());
        if (button != Qt::RightButton) return;
        // The menu acts on the day under the pointer; over no day, on none.
        const int w1 = velmo::calendar::first_weekday(velmo::year_text_value(year_text), cal_month);
        const int d = velmo::calendar::day_at(pos.x(), pos.y(), w1, width_step, vsize_level);
        if (d < 1 || d > 31 || day_investment[static_cast<std::size_t>(d)] == velmo::calendar::kNoSuchDay)
            for (QAction* item : {InComeDelete1, InComeTeisei, N2, Delete1}) item->setEnabled(false);
        PopupMenu1->popup(Image3->mapToGlobal(pos));
    };
    Image3->on_double_click = [this] { Image3DblClick(); };
    Image3->hide();

    StringGrid8 = make_day_grid(TabSheet1, 1, " ホール名");
    StringGrid8->set_row_select(true);
    StringGrid8->on_click = [this] { ChangeHole(); };
    StringGrid9 = make_day_grid(TabSheet1, 2, " プレイ機種");
    StringGrid9->move(498, StringGrid8->y() + StringGrid8->height() + 5);
    for (velmo::StringGrid* grid : {StringGrid8, StringGrid9})
        grid->on_draw_cell = [this, grid](int col, int row, const QRect& rect, velmo::DrawState state) {
            draw_play_hole(grid, col, row, rect, state);
        };

    calendar_bitmap = QImage();
    draw_weekday_header();
    fit_picture(calendar_bitmap, *Image3);

    // The logo box switches the view.
    PaintBox1->on_paint = [this](QPainter& p) { draw_logo(p); };
    PaintBox1->on_mouse_down = [this](Qt::MouseButton button, QPoint) {
        if (button == Qt::LeftButton) Change_scrn();
    };
    PaintBox1->setToolTip(u("表示切替"));

    connect(input_cal, &QAction::triggered, this, [this] { input_calClick(); });
    connect(pop_calen, &QAction::triggered, this, [this] { pop_calenClick(); });
}

void TForm1::draw_logo(QPainter& painter) { painter.drawImage(0, 0, velmo::calendar::logo_image()); }

void TForm1::paint_month(QPainter& painter) { painter.drawImage(0, 0, velmo::calendar::month_number_image(cal_month)); }

void TForm1::pop_calenClick() { Change_scrn(); }

void TForm1::Change_scrn() {
    if (view_flags & TForm1::kCalendarShown) {
        hide_calendar();
        StringGrid1Click();
        return;
    }
    if (rec_count == 0) return;
    Splitter1->setEnabled(false);
    Splitter1->hide();
    StringGrid1->hide();
    Label3->resize(Label3->width(), 13 * vsize_level + 253);
    Label3->show();
    Panel2->show();
    Bevel2->show();
    Image3->show();
    view_flags |= TForm1::kCalendarShown;

    // The month and day of the year list's selected record.
    const int r = std::clamp(StringGrid1->row(), 1, rec_count);
    const std::string& date = StringGrid1->cell(0, r);
    const int month = std::clamp(velmo::date_text_month(date), 1, 12);
    cal_month = static_cast<std::int8_t>(month);
    sel_month = static_cast<std::int8_t>(month);
    sel_day = static_cast<std::int8_t>(std::clamp(velmo::date_text_day(date), 0, 31));
    sel_index = -1;
    compute_calendar();

    input_cal->setVisible(true);
    StringGrid8->show();
    StringGrid9->show();
    layout_year_tab();
}

void TForm1::hide_calendar() {
    Panel2->hide();
    StringGrid8->hide();
    StringGrid9->hide();
    Bevel2->hide();
    Image3->hide();
    Label3->resize(Label3->width(), 0);
    Label3->hide();
    StringGrid1->show();
    Splitter1->setEnabled(true);
    Splitter1->show();
    input_cal->setVisible(false);
    view_flags &= static_cast<std::uint8_t>(~TForm1::kCalendarShown);
    for (QAction* item : {InComeDelete1, InComeTeisei, N2, Delete1}) item->setEnabled(true);
    layout_year_tab();
}

void TForm1::compute_calendar() {
    draw_due_weekday_header();
    fit_picture(calendar_bitmap, *Image3);
    velmo::calendar::clear_day_area(calendar_bitmap);

    std::vector<velmo::calendar::LedgerDay> rows;
    rows.reserve(static_cast<std::size_t>(std::max(0, rec_count)));
    for (int r = 1; r <= rec_count; ++r) {
        const velmo::DayTotals totals = velmo::day_totals_texts(StringGrid5->cell(1, r));
        rows.push_back({StringGrid1->cell(0, r), velmo::cell_number(totals.investment), velmo::cell_number(totals.payout)});
    }
    const int year = velmo::year_text_value(year_text);
    const int s = sel_month == cal_month ? sel_day : 0;
    const velmo::calendar::MonthDays days = velmo::calendar::compute_month_days(rows, year, cal_month, s);
    day_investment = days.investment;
    day_payout = days.payout;
    day_flags = days.flags;
    day_records = days.records;
    // A selection of another month never stands for a day of this one.
    sel_index = days.selected_index;
    if (sel_index >= 0) show_day_details(sel_index + 1);
    // 訂正 and 削除 act on the selected day's records: offered only while that day
    // is shown and has records (after Prev or Next it may not be).
    const bool day_with_records =
        sel_index >= 0 && day_investment[static_cast<std::size_t>(sel_index + 1)] != velmo::calendar::kNoRecords;
    for (QAction* item : {InComeDelete1, InComeTeisei, N2, Delete1}) item->setEnabled(day_with_records);
    for (int d = 1; d <= 31; ++d)
        if (day_investment[static_cast<std::size_t>(d)] != velmo::calendar::kNoSuchDay) draw_day_cell(days.first_weekday, d - 1);
    Image3->update();
    PaintBox2->update();
}

void TForm1::draw_day_cell(int w1, int i) {
    const auto d = static_cast<std::size_t>(i + 1);
    velmo::calendar::DayCell cell;
    cell.first_weekday = w1;
    cell.index = i;
    cell.g = width_step;
    cell.v = vsize_level;
    cell.flags = day_flags[d];
    cell.has_records = day_investment[d] != velmo::calendar::kNoRecords;
    cell.balance = day_payout[d] - day_investment[d];
    velmo::calendar::paint_day_cell(calendar_bitmap, cell, velmo::ui_font(font_step + 13));
    Image3->update();
}

void TForm1::draw_weekday_header() {
    weekday_header_due = true;
    if (view_flags & TForm1::kCalendarShown) draw_due_weekday_header();
}

void TForm1::draw_due_weekday_header() {
    if (!weekday_header_due) return;
    weekday_header_due = false;
    fit_picture(calendar_bitmap, *Image3);
    // The header rows hold nothing else and keep through a new picture height:
    // only another width or width step changes them.
    if (calendar_bitmap.width() == weekday_header_width && width_step == weekday_header_step) return;
    velmo::calendar::paint_weekday_header(calendar_bitmap, width_step);
    weekday_header_width = calendar_bitmap.width();
    weekday_header_step = width_step;
    Image3->update();
}

void TForm1::Button1Click() {
    if (cal_month <= 1) return;
    cal_month = static_cast<std::int8_t>(cal_month - 1);
    PaintBox2->update();
    sel_index = -1;
    compute_calendar();
}

void TForm1::Button2Click() {
    if (cal_month >= 12) return;
    cal_month = static_cast<std::int8_t>(cal_month + 1);
    PaintBox2->update();
    sel_index = -1;
    compute_calendar();
}

void TForm1::click_calen(int x, int y) {
    const int w1 = velmo::calendar::first_weekday(velmo::year_text_value(year_text), cal_month);
    const int d = velmo::calendar::day_at(x, y, w1, width_step, vsize_level);
    if (d < 1 || d > 31) return;
    const auto i = static_cast<std::size_t>(d);
    if (day_investment[i] == velmo::calendar::kNoSuchDay) return;
    const bool has_records = day_investment[i] != velmo::calendar::kNoRecords;
    for (QAction* item : {InComeDelete1, InComeTeisei, N2, Delete1}) item->setEnabled(has_records);
    if (day_flags[i] & velmo::calendar::kDaySelected) return;
    day_flags[i] |= velmo::calendar::kDaySelected;
    sel_day = static_cast<std::int8_t>(d);
    sel_month = cal_month;
    draw_day_cell(w1, d - 1);
    show_day_details(d);
    if (sel_index >= 0) {
        day_flags[static_cast<std::size_t>(sel_index + 1)] &= static_cast<std::uint16_t>(~velmo::calendar::kDaySelected);
        draw_day_cell(w1, sel_index);
    }
    sel_index = d - 1;
}

void TForm1::Image3DblClick() { SpeedButton1Click(); }
void TForm1::input_calClick() { SpeedButton1Click(); }

void TForm1::redraw_calendar_after_load() {
    // Same month and remembered day, drawn from the ledger just loaded; when that day
    // is not shown, the lists no longer hold the previous ledger's records.
    compute_calendar();
    if (sel_index < 0) show_day_details(0);
}

void TForm1::show_day_details(int d) {
    const auto i = static_cast<std::size_t>(std::clamp(d, 0, 31));
    StringGrid8->set_row(1);
    const int r = d >= 1 ? day_flags[i] & velmo::calendar::kFirstRowMask : 0;
    const int rh = StringGrid8->default_row_height();
    if (r != 0) {
        Memo1->setPlainText(velmo::from_cp932(StringGrid5->cell(2, r)));
        const int n = day_records[i];
        StringGrid8->set_row_count(n + 1);
        StringGrid8->resize(StringGrid8->width(), (rh + 1) * (n + 1) + 4);
        StringGrid9->move(StringGrid9->x(), StringGrid8->y() + StringGrid8->height() + 5);
        for (int k = 0; k < n; ++k) {
            StringGrid8->set_cell(0, k + 1, StringGrid1->cell(hall_col, r + k));
            StringGrid8->set_cell(1, k + 1, StringGrid1->cell(balance_col, r + k));
        }
        StatusBar1->set_panel_text(0, QStringLiteral("BET: ") + QString::number(day_investment[i]) +
                                          QStringLiteral("  PAYOUT: ") + QString::number(day_payout[i]));
        show_record_machines(r);
        show_hall_total(StringGrid8->cell(0, 1));
    } else {
        Memo1->clear();
        StatusBar1->set_panel_text(0, QString());
        for (velmo::StringGrid* grid : {StringGrid8, StringGrid9}) {
            grid->set_row_count(2);
            grid->resize(grid->width(), 2 * rh + 6);
            grid->clear_row(1);
        }
        StringGrid9->move(StringGrid9->x(), StringGrid8->y() + StringGrid8->height() + 5);
        StatusBar1->set_panel_text(2, QString());
    }
    StatusBar1->set_panel_text(
        1, velmo::from_cp932(velmo::calendar::calendar_month_text(cal_month, StringGrid2->cell(3, cal_month))));
    StringGrid8->invalidate();
}

void TForm1::show_record_machines(int r) {
    const auto machines = velmo::unpack_machine_detail(StringGrid5->cell(0, r));
    const int n = static_cast<int>(machines.size());
    // A record always has a machine; a damaged one still leaves an empty line under the header.
    StringGrid9->set_row_count(std::max(n, 1) + 1);
    StringGrid9->clear_row(1);
    StringGrid9->resize(StringGrid9->width(), (StringGrid9->default_row_height() + 1) * StringGrid9->row_count() + 4);
    for (int k = 1; k <= n; ++k) {
        const velmo::MachineEntry& m = machines[static_cast<std::size_t>(k - 1)];
        StringGrid9->set_cell(0, k, m.name);
        StringGrid9->set_cell(1, k, std::to_string(velmo::cell_number(m.payout) - velmo::cell_number(m.investment)));
    }
    StringGrid9->invalidate();
}

void TForm1::show_hall_total(const std::string& hall) {
    // A hall the per-hall table does not list shows no total rather than another hall's.
    const auto text = velmo::calendar::hall_total_text(*StringGrid4, hall);
    StatusBar1->set_panel_text(2, text ? velmo::from_cp932(*text) : QString());
}

int TForm1::calendar_selected_row() const {
    if (!(view_flags & TForm1::kCalendarShown) || sel_index < 0 || sel_index > 30) return 0;
    const int line = StringGrid8->row();
    if (line < 1 || StringGrid8->cell(1, line).empty()) return 0;
    const auto i = static_cast<std::size_t>(sel_index + 1);
    const int first = day_flags[i] & velmo::calendar::kFirstRowMask;
    if (first == 0 || line > day_records[i]) return 0;
    const int r = first + line - 1;
    return r <= rec_count ? r : 0;
}

void TForm1::ChangeHole() {
    // Lines are told by their balance: a record's hall may be empty, its balance never is.
    const int r = calendar_selected_row();
    if (r == 0) return;
    Memo1->setPlainText(velmo::from_cp932(StringGrid5->cell(2, r)));
    show_record_machines(r);
    show_hall_total(StringGrid8->cell(0, StringGrid8->row()));
}

void TForm1::draw_play_hole(velmo::StringGrid* grid, int col, int row, const QRect& rect, velmo::DrawState state) {
    QPainter& p = *grid->canvas();
    p.setFont(velmo::ui_font(12 + font_step));
    QColor text = Qt::black;
    if (row == 0) {
        velmo::header_shading(p, rect, grid->row_height(0), col == 0);
    } else {
        QColor back = velmo::palette::neutral();
        if (grid->tag == 1 && state.selected) {
            back = velmo::active_caption_color();
            text = Qt::white;
        }
        p.fillRect(rect, back);
    }
    p.setPen(text);
    const Qt::Alignment align = Qt::AlignVCenter | (col == 0 ? Qt::AlignLeft : Qt::AlignRight);
    velmo::draw_text_in_rect(p, rect, velmo::from_cp932(grid->cell(col, row)), align);
}
