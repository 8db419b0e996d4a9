// The window's enlargement steps: wider gives every grid and column more room,
// taller gives taller rows and larger fonts. The year list snaps to whole rows
// when its splitter is dropped.
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include "entry/tform2.h"
#include "entry/tform7.h"
#include "framework/draw.h"
#include "framework/widgets.h"
#include "shell/layout_rules.h"
#include "shell/tform1.h"

namespace velmo {

int font_step_for(int vsize_level) { return (2 * std::clamp(vsize_level, 0, 15)) / 3; }

int snapped_list_height(int row_height, int drop_top) {
    const int cap = 14 * row_height + 18;
    if (drop_top >= cap) return cap;
    return cap - (row_height + 1) * ((cap - drop_top) / (row_height + 1));
}

}  // namespace velmo

namespace {

constexpr int kBaseClientWidth = 647;
constexpr int kBaseClientHeight = 428;

void set_widths(velmo::StringGrid* grid, std::initializer_list<int> widths) {
    int c = 0;
    for (int w : widths) grid->set_col_width(c++, w);
}

void set_font_height(QWidget* w, int pixels) {
    QFont f = w->font();
    f.setPixelSize(std::max(1, pixels));
    w->setFont(f);
}

}  // namespace

void TForm1::setup_layout_commands() {
    for (QPushButton* b : {Button3, Button4})
        connect(b, &QPushButton::clicked, this, [this, b] { ResizeButtonClick(b); });
    for (QPushButton* b : {Button5, Button6})
        connect(b, &QPushButton::clicked, this, [this, b] { VResizeButton(b); });
    Splitter1->on_moved = [this](int top) { Resize_Grid(top); };
}

void TForm1::ResizeButtonClick(QPushButton* sender) {
    Button4->setEnabled(hsize_level >= 0);
    Button3->setEnabled(hsize_level + extra_steps <= 21);
    dirty |= TForm1::kStepsChanged;
    hsize_level = static_cast<std::int8_t>(hsize_level + sender->property("Tag").toInt());
    apply_width_step();
}

void TForm1::VResizeButton(QPushButton* sender) {
    Button5->setEnabled(vsize_level >= 0);
    Button6->setEnabled(vsize_level <= 15);
    dirty |= TForm1::kStepsChanged;
    vsize_level = static_cast<std::int8_t>(vsize_level + sender->property("Tag").toInt());
    apply_height_step();
}

void TForm1::fit_window() {
    const int g = width_step;
    const int v = vsize_level;
    central->setFixedSize(14 * g + kBaseClientWidth, 18 * v + kBaseClientHeight);
    CoolBar1->setFixedWidth(14 * g + 645);
    PageControl1->setGeometry(-1, 54, 14 * g + 650, 18 * v + 375);
    setFixedSize(sizeHint());
}

void TForm1::layout_year_tab() {
    // The splitter and the comment area follow the year list's height.
    // The calendar view's spacer takes the year list's place.
    const int top = (view_flags & TForm1::kCalendarShown) ? Label3->height() - 2 : StringGrid1->geometry().bottom() + 1;
    Splitter1->setGeometry(0, top, StringGrid1->width(), 3);
    const int memo_top = top + 3;
    const int memo_height = std::max(0, StatusBar1->y() - memo_top);
    Memo1->setGeometry(0, memo_top, Memo1->width(), memo_height);
    Label1->setGeometry(Memo1->width() + 2, memo_top, Label1->width(), Label1->height());
}

void TForm1::apply_width_step() {
    if (hsize_level == 0) Button4->setEnabled(false);
    if (hsize_level + extra_steps == 21) Button3->setEnabled(false);
    const int h = hsize_level;
    const int g = h + extra_steps;
    width_step = g;
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);

    Memo1->resize(14 * g + 410, Memo1->height());
    PaintBox1->move(14 * g + 549, PaintBox1->y());
    StaticText1->setGeometry(10 * g + 512, StaticText1->y(), 4 * g + 114, StaticText1->height());
    fit_total_caption();
    StringGrid1->resize(14 * g + 644, StringGrid1->height());
    StringGrid1->set_col_width(0, h + 45);
    StringGrid1->set_col_width(1, h + 13);
    StringGrid1->set_col_width(hall_col, 2 * h + 152);
    StringGrid1->set_col_width(machine_col, 8 * h + 259);
    StringGrid1->set_col_width(balance_col, h + 74);
    StringGrid1->set_col_width(total_col, h + 90 - sb);
    if (has_extra == 1) StringGrid1->set_col_width(extra_col, Form7->extra_width);
    for (int i = 0; i < 4; ++i) {
        const int widths[4] = {5 * g + 175, 5 * g + 135, 3 * g + 292, g + 30};
        StatusBar1->set_panel_width(i, widths[i]);
    }
    StatusBar1->resize(14 * g + 641, StatusBar1->height());

    StringGrid2->resize(14 * g + 644, StringGrid2->height());
    set_widths(StringGrid2, {g + 60, 2 * g + 99, 2 * g + 99, 2 * g + 99, 2 * g + 99, 5 * g + 178});
    Label4->move(14 * g + 514, Label4->y());
    StringGrid3->resize(14 * g + 644, StringGrid3->height());
    set_widths(StringGrid3, {g + 60, 3 * g + 121, 3 * g + 121, 3 * g + 121, 4 * g + 212});
    for (velmo::StringGrid* grid : {StringGrid4, StringGrid7, StringGrid6, StringGrid10}) {
        grid->resize(14 * g + 644, grid->height());
        set_widths(grid, {g + 60, 4 * g + 151, 2 * g + 90, 2 * g + 90, 2 * g + 90, 3 * g + 153});
    }
    for (velmo::StringGrid* grid : {StringGrid4, StringGrid7})
        if (grid->row_count() > 17) grid->set_col_width(5, 3 * g + 153 - sb);
    StringGrid6->set_col_width(5, 3 * g + 153 - sb);
    const int lefts[5] = {5 * g + 214, 7 * g + 304, 9 * g + 395, 11 * g + 486, 13 * g + 577};
    const int hall_labels[5] = {9, 10, 11, 12, 13};
    const int machine_labels[5] = {5, 6, 7, 8, 14};
    for (int i = 0; i < 5; ++i) {
        label(hall_labels[i])->move(lefts[i], label(hall_labels[i])->y());
        label(machine_labels[i])->move(lefts[i], label(machine_labels[i])->y());
    }
    // Calendar view: the day lists, the frame and the picture widen with the window.
    for (velmo::StringGrid* grid : {StringGrid8, StringGrid9}) {
        set_widths(grid, {4 * g + 89, 2 * g + 44});
        grid->setGeometry(8 * g + 498, grid->y(), 6 * g + 139, grid->height());
    }
    Bevel2->resize(7 * g + 380, Bevel2->height());
    Image3->resize(7 * g + 376, Image3->height());
    fit_window();
    layout_year_tab();
    draw_weekday_header();
    if (view_flags & TForm1::kCalendarShown) compute_calendar();

    // The graph is drawn again for the new size now when it is shown, else when its tab is next shown.
    redraw_graph_for_layout();

    // The entry dialog shows its extra value group when the column has width steps.
    if (extra_steps != 0) {
        Form2->GroupBox5->show();
        Form2->GroupBox5->setTitle(Form7->Edit1->text());
        Form2->setFixedHeight(559);
    } else {
        Form2->GroupBox5->hide();
        Form2->setFixedHeight(490);
    }
}

void TForm1::apply_height_step() {
    if (vsize_level == 0) Button5->setEnabled(false);
    if (vsize_level == 15) Button6->setEnabled(false);
    const int v = vsize_level;
    const int f = velmo::font_step_for(v);
    font_step = f;

    QFont total = StaticText1->font();
    total.setPixelSize(f + 12);
    StaticText1->setFont(total);
    StaticText1->setGeometry(StaticText1->x(), 15 - f / 2, StaticText1->width(), f + 16);
    fit_total_caption();
    StringGrid1->resize(StringGrid1->width(), 13 * v + 251);
    StringGrid1->set_default_row_height(v + 18);
    set_font_height(Memo1, f + 15);
    StatusBar1->set_font_height(f + 13);
    StatusBar1->setGeometry(StatusBar1->x(), 17 * v + 320, StatusBar1->width(), v + 20);
    PaintBox1->move(PaintBox1->x(), 17 * v + 281);
    Label1->resize(Label1->width(), v + 60);
    StringGrid2->resize(StringGrid2->width(), 14 * v + 270);
    StringGrid2->set_default_row_height(v + 18);
    Label4->move(Label4->x(), 14 * v + 280);
    StringGrid3->resize(StringGrid3->width(), 9 * v + 175);
    StringGrid3->set_default_row_height(v + 18);
    StringGrid6->setGeometry(StringGrid6->x(), StringGrid3->height() + 3, StringGrid6->width(), 9 * v + 166);
    StringGrid6->set_default_row_height(v + 17);
    for (velmo::StringGrid* grid : {StringGrid4, StringGrid7, StringGrid10}) {
        grid->resize(grid->width(), 17 * v + 327);
        grid->set_default_row_height(v + 18);
    }
    for (int n = 5; n <= 14; ++n) {
        label(n)->move(label(n)->x(), 17 * v + 328);
        set_font_height(label(n), f / 2 + 12);
    }
    CheckBox1->move(CheckBox1->x(), 17 * v + 328);
    CheckBox2->move(CheckBox2->x(), 17 * v + 328);
    // Calendar view: taller rows and picture.
    for (velmo::StringGrid* grid : {StringGrid8, StringGrid9}) {
        grid->set_default_row_height(v + 16);
        set_font_height(grid, f + 12);
    }
    Bevel2->resize(Bevel2->width(), 13 * v + 234);
    Image3->resize(Image3->width(), 13 * v + 230);
    if (view_flags & TForm1::kCalendarShown) Label3->resize(Label3->width(), 13 * v + 253);
    fit_window();
    layout_year_tab();
    if (view_flags & TForm1::kCalendarShown) compute_calendar();
    redraw_graph_for_layout();
}

void TForm1::Resize_Grid(int new_top) {
    const int height = velmo::snapped_list_height(StringGrid1->default_row_height(), std::max(new_top, Splitter1->min_size));
    StringGrid1->resize(StringGrid1->width(), height);
    layout_year_tab();
}
