// Sizes of the main window's controls for the enlargement steps.
#include <QStyle>

#include "entry/tform2.h"
#include "entry/tform7.h"
#include "shell/tform1.h"

#include <QGroupBox>
#include <QLineEdit>

void TForm1::apply_width_step() {
    const int h = hsize_level;
    width_step = h + extra_steps;
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    StringGrid1->set_col_width(0, h + 45);
    StringGrid1->set_col_width(1, h + 13);
    StringGrid1->set_col_width(hall_col, 2 * h + 152);
    StringGrid1->set_col_width(machine_col, 8 * h + 259);
    StringGrid1->set_col_width(balance_col, h + 74);
    StringGrid1->set_col_width(total_col, h + 90 - sb);
    if (has_extra == 1) StringGrid1->set_col_width(extra_col, Form7->extra_width);

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
    const int v = vsize_level;
    font_step = (2 * v) / 3;
    StringGrid1->set_default_row_height(v + 18);
}
