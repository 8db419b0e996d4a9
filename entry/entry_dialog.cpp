// The entry dialog's behaviour: amounts typed key by key, the machines grid, commit and cancel.
#include <QAction>
#include <QCalendarWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include "entry/entry_rules.h"
#include "entry/tform2.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/draw.h"
#include "framework/keys.h"
#include "framework/runtime.h"
#include "framework/string_grid.h"
#include "ledger/ledger_model.h"
#include "ledger/packed_fields.h"
#include "ledger/placement.h"
#include "ledger/record_fields.h"
#include "shell/tform1.h"
#include "views/header_shading.h"
#include "views/palette.h"

using velmo::from_cp932;

namespace {
using velmo::u;
}  // namespace

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    form2open();
}

void TForm2::closeEvent(QCloseEvent* event) {
    // Closing the window by its frame cancels, like the cancel button.
    if (!committing_) form2close();
    event->accept();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Edit1 && watched != Edit2) return QWidget::eventFilter(watched, event);
    auto* edit = static_cast<QLineEdit*>(watched);
    constexpr auto kShortcut = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & kShortcut) && !shortcut_keys_.contains(key->key())) shortcut_keys_.append(key->key());
        if (key->matches(QKeySequence::Paste)) {
            paste_amount(edit, QGuiApplication::clipboard()->text(QClipboard::Clipboard));
            return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl let go before the letter still makes the letter's release a shortcut's.
        const bool shortcut = shortcut_keys_.removeAll(key->key()) > 0 || (key->modifiers() & kShortcut);
        chknum(edit, velmo::virtual_key_code(*key), key->text(), shortcut);
        break;
    }
    case QEvent::ContextMenu: {
        // The edit's own menu, its 貼り付け reading the text as a paste key does.
        QMenu* menu = edit->createStandardContextMenu();
        for (QAction* action : menu->actions())
            if (action->objectName() == QStringLiteral("edit-paste")) {
                QObject::disconnect(action, &QAction::triggered, edit, nullptr);
                connect(action, &QAction::triggered, this, [this, edit] {
                    paste_amount(edit, QGuiApplication::clipboard()->text(QClipboard::Clipboard));
                });
            }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        // The middle button pastes the X selection.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection()) break;
        paste_amount(edit, QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasText()) break;
        drop->acceptProposedAction();
        paste_amount(edit, drop->mimeData()->text());
        return true;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::paste_amount(QLineEdit* edit, const QString& text) {
    if (text.isEmpty()) return;
    const std::optional<QString> amount = velmo::pasted_amount(text);
    if (!amount) {
        velmo::dialogs().message(u("数値を入力して下さい"));
        return;
    }
    edit->insert(*amount);
    amounts_to_grid();
}

void TForm2::form2open() {
    correction_.reset();
    if (record_hooks.opened) record_hooks.opened(nullptr);
    date_chosen_ = false;
    {
        const ProgramFill filling(*this);
        Edit1->clear();
        Edit2->clear();
        ComboBox2->setEditText(QString());
        Memo1->clear();
    }
    Form1->scratch_bet = 0;
    Form1->scratch_payout = 0;
    Form1->scratch_balance = 0;
    Form1->setEnabled(false);
    QScreen* screen = QGuiApplication::primaryScreen();
    int left = screen ? (screen->geometry().width() - frameGeometry().width()) / 2 : x();
    move(left, Form1->frameGeometry().top());
}

void TForm2::chknum(QLineEdit* sender, int key, const QString& text, bool shortcut) {
    if (velmo::refuses_amount_key(key, text, shortcut)) {
        velmo::dialogs().message(u("数値を入力して下さい"));
        sender->clear();
    }
    amounts_to_grid();
}

void TForm2::amounts_to_grid() {
    // A text that is no valid 32-bit amount is refused like a wrong key.
    auto value_of = [](QLineEdit* edit) {
        std::optional<long long> v = velmo::amount_value(edit->text().toStdString());
        if (v) return *v;
        velmo::dialogs().message(u("数値を入力して下さい"));
        edit->clear();
        return 0LL;
    };
    const long long investment = value_of(Edit1);
    const long long payout = value_of(Edit2);
    velmo::MachineAmounts amounts;
    for (int r = 1; r <= velmo::kMachinesPerRecord; ++r) {
        amounts.investment[static_cast<size_t>(r - 1)] = StringGrid1->cell(2, r);
        amounts.payout[static_cast<size_t>(r - 1)] = StringGrid1->cell(3, r);
    }
    const int r = StringGrid1->row();
    const velmo::AmountUpdate upd = velmo::update_amounts(amounts, r, investment, payout);
    for (int c = 2; c <= 4; ++c) StringGrid1->set_cell(c, r, upd.row[static_cast<size_t>(c - 2)]);
    for (int c = 2; c <= 4; ++c) StringGrid1->set_cell(c, kTotalsRow, upd.totals[static_cast<size_t>(c - 2)]);
    StringGrid1->set_cell(1, kTotalsRow, velmo::totals_label());
}

void TForm2::set_row_amounts(int r, long long investment, long long payout) {
    if (r < 1 || r > velmo::kMachinesPerRecord) return;
    velmo::MachineAmounts amounts;
    for (int i = 1; i <= velmo::kMachinesPerRecord; ++i) {
        amounts.investment[static_cast<size_t>(i - 1)] = StringGrid1->cell(2, i);
        amounts.payout[static_cast<size_t>(i - 1)] = StringGrid1->cell(3, i);
    }
    const velmo::AmountUpdate upd = velmo::update_amounts(amounts, r, investment, payout);
    for (int c = 2; c <= 4; ++c) StringGrid1->set_cell(c, r, upd.row[static_cast<size_t>(c - 2)]);
    for (int c = 2; c <= 4; ++c) StringGrid1->set_cell(c, kTotalsRow, upd.totals[static_cast<size_t>(c - 2)]);
    StringGrid1->set_cell(1, kTotalsRow, velmo::totals_label());
    if (StringGrid1->row() == r) {
        const ProgramFill filling(*this);
        Edit1->setText(from_cp932(StringGrid1->cell(2, r)));
        Edit2->setText(from_cp932(StringGrid1->cell(3, r)));
    }
}

void TForm2::ChangeKishu() {
    // Only the user's own edits of the box name the selected row's machine; the
    // program filling the box (opening, a correction, a row click, a list refill
    // while the dialog is hidden) writes nothing into the grid.
    if (filling_ || !isVisible()) return;
    const int r = StringGrid1->row();
    if (r == kTotalsRow) return;
    StringGrid1->set_cell(1, r, velmo::cp932_lossy(ComboBox2->currentText()));
}

void TForm2::sgClick() {
    const int r = StringGrid1->row();
    if (r == kTotalsRow) return;
    const ProgramFill filling(*this);
    ComboBox2->setEditText(from_cp932(StringGrid1->cell(1, r)));
    Edit1->setText(from_cp932(StringGrid1->cell(2, r)));
    Edit2->setText(from_cp932(StringGrid1->cell(3, r)));
}

TForm2::MachineCells TForm2::machine_cells() const {
    MachineCells cells;
    for (int r = 1; r <= velmo::kMachinesPerRecord; ++r)
        for (int c = 1; c <= 3; ++c)
            cells[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)] = StringGrid1->cell(c, r);
    return cells;
}

void TForm2::remember_correction(const velmo::LedgerRecord& stored) {
    correction_ = Correction{stored, ComboBox1->currentText(), ComboBox3->currentText(), Memo1->toPlainText(),
                             machine_cells()};
    date_chosen_ = false;
    if (record_hooks.opened) record_hooks.opened(&stored);
}

void TForm2::drawcell(int col, int row, const QRect& rect, velmo::DrawState state) {
    QPainter& p = *StringGrid1->canvas();
    const bool header = row == 0 || col == 0;
    QColor ink = Qt::black;
    if (state.selected) {
        p.fillRect(rect, velmo::active_caption_color());
        ink = Qt::white;
    } else if (header) {
        p.fillRect(rect, QColor(192, 192, 192));
        velmo::header_shading(p, rect, StringGrid1->row_height(0), rect.left() <= velmo::StringGrid::kFrame);
    } else {
        const long long bet = velmo::cell_number(StringGrid1->cell(2, row));
        const long long pay = velmo::cell_number(StringGrid1->cell(3, row));
        const bool totals = row == kTotalsRow;
        QColor fill = velmo::palette::neutral();
        if (bet < pay) fill = totals ? velmo::palette::win_strong() : velmo::palette::win();
        if (bet > pay) fill = totals ? velmo::palette::loss_strong() : velmo::palette::loss();
        p.fillRect(rect, fill);
    }
    p.setPen(ink);
    p.setFont(velmo::ui_font(row == 0 ? 17 : 16));
    Qt::Alignment align = col == 0 ? Qt::AlignHCenter : (col == 1 ? Qt::AlignLeft : Qt::AlignRight);
    velmo::draw_text_in_rect(p, rect, from_cp932(StringGrid1->cell(col, row)), align | Qt::AlignBottom);
}

void TForm2::clear_machine_rows() {
    for (int r = 1; r <= kTotalsRow; ++r)
        for (int c = 1; c <= 4; ++c) StringGrid1->set_cell(c, r, std::string());
}

void TForm2::end_editing() {
    correction_.reset();
    if (record_hooks.closed) record_hooks.closed();
    clear_machine_rows();
    Form1->setEnabled(true);
    Form1->show();
    committing_ = true;
    hide();
    committing_ = false;
}

void TForm2::Button2Click() { form2close(); }

void TForm2::form2close() { end_editing(); }

void TForm2::Button1Click() {
    // Compared before validation completes empty amounts: a correction that leaves
    // the machines as they were keeps their stored bytes.
    const bool machines_edited = !correction_ || machine_cells() != correction_->machines;
    // Validation: every row with an amount needs a machine; a named row without amounts is 0 / 0.
    std::vector<velmo::MachineEntry> machines;
    std::vector<int> machine_rows;
    for (int r = 1; r <= velmo::kMachinesPerRecord; ++r) {
        const std::string& name = StringGrid1->cell(1, r);
        const bool amounts = !StringGrid1->cell(2, r).empty() || !StringGrid1->cell(3, r).empty();
        if (name.empty()) {
            if (amounts) {
                velmo::dialogs().message(QString::number(r) + u("機種目の機種名が記入されていません"));
                return;
            }
            continue;
        }
        if (!amounts) {
            StringGrid1->set_cell(2, r, "0");
            StringGrid1->set_cell(3, r, "0");
        }
    }
    for (int r = 1; r <= velmo::kMachinesPerRecord; ++r) {
        const std::string& name = StringGrid1->cell(1, r);
        if (name.empty()) continue;
        auto amount = [&](int c) {
            const std::string& t = StringGrid1->cell(c, r);
            return t.empty() ? std::string("0") : t;
        };
        machines.push_back({name, amount(2), amount(3)});
        machine_rows.push_back(r);
    }
    if (machines.empty()) {
        velmo::dialogs().message(u("機種名が記入されていません"));
        return;
    }

    TForm1& f = *Form1;
    const bool is_new = Button1->text() == u("登　　録");
    const bool correcting = !is_new && correction_.has_value();
    const QDate date = calendar_date();
    const velmo::RecordCells rec = velmo::build_record(machines, date.month(), date.day());
    // Sums beyond the 32-bit amounts would be left out of some views and not of
    // others: the record is refused and the dialog keeps everything typed. The
    // machines of a correction the user left alone keep whatever the file held.
    if ((!correcting || machines_edited) && !velmo::record_amounts_fit(rec)) {
        velmo::dialogs().message(velmo::amounts_too_large_text());
        return;
    }
    velmo::LedgerRecord entered;
    entered.date = rec.date;
    entered.hall = velmo::cp932_lossy(ComboBox1->currentText());
    entered.machines = rec.machines;
    entered.balance = std::to_string(rec.balance);
    entered.extra = velmo::cp932_lossy(ComboBox3->currentText());
    entered.detail = rec.detail;
    entered.totals = rec.totals;
    entered.comment = velmo::cp932_lossy(Memo1->toPlainText());
    velmo::LedgerRecord cells = entered;
    if (correcting) {
        velmo::RecordEdits edits;
        edits.date = date_chosen_;
        edits.hall = ComboBox1->currentText() != correction_->hall;
        edits.machines = machines_edited;
        edits.extra = ComboBox3->currentText() != correction_->extra;
        edits.comment = Memo1->toPlainText() != correction_->comment;
        cells = velmo::corrected_record(entered, correction_->stored, edits);
    }
    // Only month and day are stored, so a date the ledger's year lacks (29 February
    // of a common year, reachable by paging the calendar into a leap year) has no
    // weekday and no place in the ledger. A stored record keeps its date unless the
    // user picks another.
    if ((!correcting || date_chosen_) &&
        date.day() > velmo::days_in_month(velmo::year_text_value(f.year_text), date.month())) {
        velmo::dialogs().message(from_cp932(f.year_text) + u("年に") + QString::number(date.month()) + u("月") +
                                 QString::number(date.day()) + u("日はありません"));
        return;
    }
    if (record_hooks.committing && !record_hooks.committing(cells, machine_rows)) return;
    const int month = velmo::date_text_month(cells.date);
    const int day = velmo::date_text_day(cells.date);

    f.dirty |= TForm1::kLedgerChanged;
    f.Memo1->clear();
    f.scratch_bet = rec.investment;
    f.scratch_payout = rec.payout;
    f.scratch_balance = rec.balance;

    velmo::RowDates dates;
    dates.reserve(static_cast<size_t>(f.rec_count));
    for (int r = 1; r <= f.rec_count; ++r) {
        const std::string& t = f.StringGrid1->cell(0, r);
        dates.emplace_back(velmo::date_text_month(t), velmo::date_text_day(t));
    }
    int row = 0;
    if (is_new) {
        const int r = velmo::last_row_not_later(dates, month, day);
        f.rec_count += 1;
        // Room for the new last row before anything moves down.
        f.StringGrid5->set_row_count(std::max(f.StringGrid5->row_count() + 1, f.rec_count + 1));
        if (f.rec_count > 10 || f.StringGrid1->row_count() <= f.rec_count)
            f.StringGrid1->set_row_count(std::max(f.StringGrid1->row_count() + (f.rec_count > 10 ? 1 : 0), f.rec_count + 1));
        f.StringGrid1->move_rows(r + 1, f.rec_count - 1, 1);
        f.StringGrid5->move_rows(r + 1, f.rec_count - 1, 1);
        row = r + 1;
    } else {
        const int edit = std::clamp(f.edit_row, 1, std::max(1, f.rec_count));
        row = velmo::corrected_row(dates, edit, month, day);
        if (row > edit) {
            f.StringGrid1->move_rows(edit + 1, row, -1);
            f.StringGrid5->move_rows(edit + 1, row, -1);
        } else if (row < edit) {
            f.StringGrid1->move_rows(row, edit - 1, 1);
            f.StringGrid5->move_rows(row, edit - 1, 1);
        }
    }
    f.put_record(row, cells);
    f.Memo1->setPlainText(from_cp932(cells.comment));

    f.refresh_after_change({row});
    end_editing();
    if (f.view_flags & TForm1::kCalendarShown) {
        // The calendar moves to the record's month and keeps its selected day; the
        // status bar and the comment box show the record just committed.
        f.cal_month = static_cast<std::int8_t>(std::clamp(month, 1, 12));
        f.compute_calendar();
        f.StringGrid1->set_row(row);
        f.StringGrid1Click();
    } else {
        if (f.StringGrid1->row() == row) f.StringGrid1Click();
        f.StringGrid1->select_row(row);  // a different row shows its details through the click
    }
    f.PageControl1->setCurrentWidget(f.TabSheet1);
}
