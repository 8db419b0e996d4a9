// The main window's editing commands: new record, correction, delete, and the
// enabling of their menu items.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "ledger/record_fields.h"
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "ledger/ledger_model.h"
#include "records/tform5.h"
#include "shell/tform1.h"

namespace {
using velmo::u;
}  // namespace

void TForm1::setup_editing_commands() {
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
    connect(InputInCome, &QAction::triggered, this, [this] { InputInComeClick(); });
    connect(InComeTeisei, &QAction::triggered, this, [this] { InComeTeiseiClick(); });
    connect(N2, &QAction::triggered, this, [this] { correction(); });
    connect(InComeDelete1, &QAction::triggered, this, [this] { InComeDelete1Click(); });
    connect(Delete1, &QAction::triggered, this, [this] { Delete1Click(); });
    connect(IncomeTuika, &QAction::triggered, this, [this] { IncomeTuikaClick(); });
    connect(InComeRecord, &QAction::triggered, this, [this] { InComeRecordClick(); });
    connect(N1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    StringGrid1->on_click = [this] { StringGrid1Click(); };
    StringGrid1->on_double_click = [this] { StringGrid1DblClick(); };
    StringGrid1->on_mouse_down = [this](Qt::MouseButton button, QPoint pos) {
        if (button == Qt::RightButton) PopupMenu1->popup(StringGrid1->mapToGlobal(pos));
    };
}

void TForm1::SpeedButton1Click() {
    if (rec_count >= kMaxRecords) {
        velmo::dialogs().message(u("１０２４件以上登録できません"));
        return;
    }
    Form2->Button1->setText(u("登　　録"));
    Form2->StringGrid1->set_row(1);
    if (view_flags & TForm1::kCalendarShown) {
        // The calendar's selected day.
        const QDate day(velmo::year_text_value(year_text), sel_month, sel_day);
        if (day.isValid()) Form2->set_calendar_date(day);
    }
    Form2->show();
    Form2->raise();
}

void TForm1::ToolButton1Click() { SpeedButton1Click(); }
void TForm1::InputInComeClick() { SpeedButton1Click(); }

void TForm1::correction() {
    // Calendar view: the line chosen in the selected day's list.
    const int r = (view_flags & TForm1::kCalendarShown) ? calendar_selected_row() : StringGrid1->row();
    if (r < 1 || r > rec_count) return;
    edit_row = r;
    Form2->show();
    Form2->raise();
    Form2->Button1->setText(u("訂　　正"));

    // Filling the dialog is the program's doing: nothing of it is copied back into the
    // machines grid, and the date counts as unchanged until the user picks one.
    const TForm2::ProgramFill filling(*Form2);
    const velmo::LedgerRecord stored = record(r);

    // The calendar cannot show a day its year lacks (29 February of a common year);
    // it shows the month's last day, and the record keeps its own date unless the
    // user picks another.
    const int year = velmo::year_text_value(year_text);
    QDate d(year, std::max(1, velmo::date_text_month(stored.date)), 1);
    d = QDate(year, d.month(), std::clamp(velmo::date_text_day(stored.date), 1, std::max(1, d.daysInMonth())));
    if (d.isValid()) Form2->set_calendar_date(d);
    Form2->ComboBox1->setEditText(velmo::from_cp932(stored.hall));

    const velmo::DayTotals totals = velmo::day_totals_texts(stored.totals);
    scratch_bet = velmo::cell_number(totals.investment);
    scratch_payout = velmo::cell_number(totals.payout);
    velmo::StringGrid& g = *Form2->StringGrid1;
    g.set_cell(2, TForm2::kTotalsRow, totals.investment);
    g.set_cell(3, TForm2::kTotalsRow, totals.payout);
    const auto machines = velmo::unpack_machine_detail(stored.detail);
    for (size_t i = 0; i < machines.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        g.set_cell(1, row, machines[i].name);
        g.set_cell(2, row, machines[i].investment);
        g.set_cell(3, row, machines[i].payout);
        g.set_cell(4, row, std::to_string(static_cast<long long>(velmo::cell_number(machines[i].payout)) -
                                          velmo::cell_number(machines[i].investment)));
    }
    // Machine row 1 selected, its name and amounts in the boxes.
    g.set_row(1);
    Form2->sgClick();
    g.set_cell(4, TForm2::kTotalsRow, std::to_string(scratch_payout - scratch_bet));
    scratch_balance = velmo::cell_number(stored.balance);
    if (has_extra == 1) Form2->ComboBox3->setEditText(velmo::from_cp932(stored.extra));
    // The record's own comment (the comment box shows the same after a click).
    Form2->Memo1->setPlainText(velmo::from_cp932(stored.comment));
    Form2->remember_correction(stored);
}

void TForm1::InComeTeiseiClick() { correction(); }

void TForm1::Delete1Click() {
    const bool calendar = (view_flags & TForm1::kCalendarShown) != 0;
    // Calendar view: nothing to delete unless a line of the selected day's list holds a record.
    if (calendar && calendar_selected_row() == 0) return;
    if (velmo::dialogs().question(u("削除しますか？"))) {
        const int r = calendar ? calendar_selected_row() : StringGrid1->row();
        if (r >= 1 && r <= rec_count) {
            StringGrid1->move_rows(r + 1, rec_count + 1, -1);
            StringGrid5->move_rows(r + 1, rec_count + 1, -1);
            if (rec_count + 1 >= StringGrid1->row_count()) StringGrid1->clear_row(rec_count);
            if (rec_count + 1 >= StringGrid5->row_count()) StringGrid5->clear_row(rec_count);
            dirty |= TForm1::kLedgerChanged;
            row_mark[static_cast<size_t>(rec_count)] = 0;
            rec_count -= 1;
            recompute_totals();
            Memo1->clear();
            if (StringGrid1->row() <= rec_count)
                Memo1->setPlainText(velmo::from_cp932(StringGrid5->cell(2, StringGrid1->row())));
            refresh_summaries_after_change();
            if (calendar) {
                compute_calendar();
                return;
            }
        }
    }
    // The calendar keeps showing its selected day.
    if (!calendar) StringGrid1Click();
}

void TForm1::InComeDelete1Click() { Delete1Click(); }

void TForm1::StringGrid1DblClick() {
    if (StringGrid1->row() > rec_count) SpeedButton1Click();
    else correction();
}

void TForm1::Edit1Click() {
    if (view_flags & TForm1::kCalendarShown) return;
    const bool on = rec_count > 0 && StringGrid1->row() <= rec_count;
    InComeTeisei->setEnabled(on);
    InComeDelete1->setEnabled(on);
}

void TForm1::PopupMenu1Popup() {
    pop_calen->setEnabled(rec_count > 0);
    if (view_flags & TForm1::kCalendarShown) return;
    const bool on = rec_count > 0 && StringGrid1->row() <= rec_count;
    N2->setEnabled(on);
    Delete1->setEnabled(on);
}

void TForm1::IncomeTuikaClick() {
    setEnabled(false);
    Form7->show();
    Form7->raise();
}

void TForm1::InComeRecordClick() {
    // The records window disables this window while it is shown and gives it back when it closes.
    if (!Form5) return;
    Form5->show();
    Form5->raise();
    Form5->activateWindow();
}

void TForm1::ToolButton2Click() {
    // The registry dialog disables this window when it shows (form3open) and
    // enables it again when it closes, so it acts as a modal dialog.
    if (!Form3) return;
    Form3->show();
    Form3->raise();
    Form3->activateWindow();
}
