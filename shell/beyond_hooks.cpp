#include "shell/beyond_hooks.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>

#include "analysis/analysis_window.h"
#include "budget/budget.h"
#include "budget/budget_dialog.h"
#include "budget/budget_line.h"
#include "budget/budget_monitor.h"
#include "entry/entry_rules.h"
#include "entry/tform2.h"
#include "export/xlsx_command.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "ledger/player_settings.h"
#include "ledger/registry_file.h"
#include "play/play_csv.h"
#include "play/play_calc.h"
#include "play/play_dialog.h"
#include "play/play_entry.h"
#include "play/play_record.h"
#include "play/machine_numbers.h"
#include "play/play_settings.h"
#include "play/play_year.h"
#include "play/rates_dialog.h"
#include "play/numbers_dialog.h"
#include "recovery/recovery_keeper.h"
#include "shell/tform1.h"

namespace velmo {

namespace {

// Shows a window made on first use, a child of the year window so that it
// closes with the program; it never disables the year window.
template <typename Window>
void open_window(TForm1& form, QPointer<Window>& window) {
    if (!window) window = new Window(form.ledger_view(), form.player_settings(), &form);
    window->show();
    window->raise();
    window->activateWindow();
}

// The month of the record the year list or the calendar has selected; 0 none.
int selected_month(const TForm1& form) {
    if (form.StatusBar1->panel_text(1).isEmpty()) return 0;  // nothing selected
    if (form.view_flags & TForm1::kCalendarShown) return form.cal_month;
    const int row = form.StringGrid1->row();
    if (row < 1 || row > form.rec_count) return 0;
    return date_text_month(form.StringGrid1->cell(0, row));
}

// The budget's panel: beside the status bar's own panels, just above the status bar,
// ending left of the logo. It takes the free strip between the comment box and the
// logo, and reaches over the comment box's foot only while the text it shows needs
// more at the status bar's font height. It follows the status bar's text (every
// selection and change repaints the status bar) and its layout, and the monitor's months.
class BudgetPanel : public QObject {
public:
    BudgetPanel(TForm1& form, const budget::BudgetMonitor& monitor)
        : QObject(&form), form_(form), monitor_(monitor), panel_(new StatusBar(form.StatusBar1->parentWidget())) {
        connect(&monitor, &budget::BudgetMonitor::months_changed, this, &BudgetPanel::update);
        panel_->setObjectName(QStringLiteral("budget_panel"));
        panel_->set_panel_count(1);
        for (QWidget* w : {static_cast<QWidget*>(form.StatusBar1), static_cast<QWidget*>(form.Memo1),
                           static_cast<QWidget*>(form.PaintBox1)})
            w->installEventFilter(this);
        update();
    }

    void update() {
        const std::int64_t budget = form_.player_settings().get<budget::Budget>().monthly;
        panel_->setVisible(budget > 0);
        if (budget <= 0) return;
        const StatusBar* bar = form_.StatusBar1;
        const int month = selected_month(form_);
        const QString text = month == 0 ? QString() : budget::status_text(budget, monitor_.month_balance(month));
        const int right = form_.PaintBox1->x() - 4;
        const int strip = right - (form_.Memo1->geometry().right() + 4);
        const int width = std::clamp(std::max(strip, text_width(text, bar->font_height())), 0, std::max(0, right));
        const QRect place(right - width, bar->y() - bar->height() - 2, width, bar->height());
        if (panel_->geometry() != place) panel_->setGeometry(place);
        panel_->set_panel_width(0, width);
        panel_->set_font_height(bar->font_height());
        if (panel_->panel_text(0) != text) panel_->set_panel_text(0, text);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::Paint || type == QEvent::Move || type == QEvent::Resize) update();
        return QObject::eventFilter(watched, event);
    }

private:
    // The width the text needs, measured again only when the text or its height changed:
    // the panel follows every repaint and every change of the ledger.
    int text_width(const QString& text, int font_height) {
        if (text != measured_text_ || font_height != measured_height_) {
            measured_text_ = text;
            measured_height_ = font_height;
            measured_width_ = StatusBar::panel_width_for(text, font_height);
        }
        return measured_width_;
    }

    TForm1& form_;
    const budget::BudgetMonitor& monitor_;
    StatusBar* panel_;
    QString measured_text_;
    int measured_height_ = -1;
    int measured_width_ = 0;
};

// 予算の設定: the budget goes into the player's settings, which are saved with
// the registry; what shows or uses it follows their changed().
void set_budget(PlayerSettings& settings, QWidget* parent) {
    budget::BudgetDialog dialog(settings.get<budget::Budget>(), parent);
    if (dialog.exec() == QDialog::Accepted) settings.set(dialog.value());
}

// ホールのレート: the rates go into the player's settings, saved with the registry.
void set_hall_rates(PlayerSettings& settings, QWidget* parent) {
    play::RatesDialog dialog(settings.get<play::PlaySettings>(), registry_from_windows().halls, parent);
    if (dialog.exec() == QDialog::Accepted) settings.set(dialog.value());
}

// The year's records as the window holds them, in ledger order.
std::vector<LedgerRecord> year_records(TForm1& form) {
    std::vector<LedgerRecord> records;
    const LedgerView& view = form.ledger_view();
    records.reserve(static_cast<std::size_t>(view.record_count()));
    for (int r = 1; r <= view.record_count(); ++r) records.push_back(view.record(r));
    return records;
}

// The visits a store's balance counts before a visit on month/day: those of
// the earlier year files beside the ledger, then those of the open year before
// it (own: the record's row when it is one, else 0).
std::vector<play::PlayEntry> visits_before(TForm1& form, int own, int month, int day) {
    std::vector<play::PlayEntry> before = play::earlier_years(form.file_name, year_text_value(form.year_text));
    const std::vector<LedgerRecord> records = year_records(form);
    for (play::PlayEntry& e : play::entries_before(records, own, month, day)) before.push_back(std::move(e));
    return before;
}

// The machine names a packed machine_detail holds.
std::vector<std::string> machine_names(const std::string& detail) {
    std::vector<std::string> names;
    for (const MachineEntry& m : unpack_machine_detail(detail)) names.push_back(m.name);
    return names;
}

// 実戦データ with the entry dialog: the key F2, and a button in the free space
// right of the date, under the amount boxes, open the dialog for the machines
// the dialog's rows name. The button shows once the player keeps play data
// (hall rates or store balances set, or a record of the year with play data):
// until then the dialog looks as it always did. The data typed stays with the rows (it
// follows a machine moved to another row and goes with one taken out) and is
// written with the record when it commits; the amounts the pieces give go into
// the machine rows at once, so that what the rows show is what the ledger gets.
class EntryPlayData : public QObject {
public:
    EntryPlayData(TForm1& form, TForm2& dialog) : QObject(&dialog), form_(form), dialog_(dialog) {
        button_ = new QPushButton(u("実戦データ... (F2)"), &dialog);
        button_->setObjectName(QStringLiteral("play_data_button"));
        button_->setGeometry(246, 178, 166, 24);
        // Outside the dialog's own Tab order: F2 is the key.
        button_->setFocusPolicy(Qt::NoFocus);
        button_->hide();
        connect(button_, &QPushButton::clicked, this, &EntryPlayData::open_dialog);
        auto* key = new QShortcut(QKeySequence(Qt::Key_F2), &dialog);
        key->setContext(Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, this, &EntryPlayData::open_dialog);
        dialog.record_hooks.opened = [this](const LedgerRecord* stored) { opened(stored); };
        dialog.record_hooks.committing = [this](LedgerRecord& record, const std::vector<int>& rows) {
            return committing(record, rows);
        };
        dialog.record_hooks.closed = [this] { forget(); };
        forget();
    }

    void open_dialog() {
        for (const play::PlayDialog* open : dialog_.findChildren<play::PlayDialog*>())
            if (open->isVisible()) return;  // one at a time
        const std::vector<std::string> names = row_names();
        const std::vector<play::MachineSlot> rows = play::follow_machines(slots_, names);
        play::PlayDialogInput input;
        input.hall = cp932_lossy(dialog_.ComboBox1->currentText());
        for (const std::string& n : names)
            if (!n.empty()) input.names.push_back(n);
        input.data = play::record_data(time_, rows);
        input.settings = form_.player_settings().get<play::PlaySettings>();
        input.all_numbers = form_.player_settings().get<play::MachineNumberTable>();
        const QDate date = dialog_.calendar_date();
        input.before = visits_before(form_, own_row_, date.month(), date.day());
        auto* dialog = new play::PlayDialog(std::move(input), &dialog_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::accepted, this, [this, dialog, names, rows] { take(dialog->value(), names, rows); });
        dialog->open();
    }

private:
    std::vector<std::string> row_names() const {
        std::vector<std::string> names;
        for (int r = 1; r <= kMachinesPerRecord; ++r) names.push_back(dialog_.StringGrid1->cell(1, r));
        return names;
    }

    // Whether the player keeps play data at all.
    bool in_use() const {
        const play::PlaySettings& settings = form_.player_settings().get<play::PlaySettings>();
        if (!settings.halls.empty() || !settings.stores.empty()) return true;
        const LedgerView& view = form_.ledger_view();
        for (int r = 1; r <= view.record_count(); ++r)
            if (!play::read_play_data(view.record(r)).empty()) return true;
        return false;
    }

    void forget() {
        slots_.assign(kMachinesPerRecord, {});
        time_ = {};
        own_row_ = 0;
    }

    void opened(const LedgerRecord* stored) {
        forget();
        if (!stored) {
            button_->setVisible(in_use());
            return;
        }
        const play::RecordPlayData data = play::read_play_data(*stored);
        const std::vector<std::string> names = machine_names(stored->detail);
        for (std::size_t i = 0; i < names.size() && i < slots_.size(); ++i) slots_[i] = {names[i], data.machines[i]};
        time_ = data.time;
        own_row_ = form_.edit_row;
    }

    // The dialog's data back onto the rows it was opened for, and their amounts.
    void take(const play::RecordPlayData& data, const std::vector<std::string>& names,
              std::vector<play::MachineSlot> rows) {
        std::size_t i = 0;
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (!names[r].empty()) rows[r].data = data.machines[i++];
        slots_ = std::move(rows);
        time_ = data.time;
        for (std::size_t r = 0; r < slots_.size(); ++r)
            if (!names[r].empty()) put_amounts(static_cast<int>(r) + 1, slots_[r].data);
    }

    // Row r's amounts as the machine's pieces give them; true when they changed.
    bool put_amounts(int r, const play::MachineData& m) {
        const play::ComputedAmounts a = play::computed_amounts(m);
        const long long investment = cell_number(dialog_.StringGrid1->cell(2, r));
        const long long payout = cell_number(dialog_.StringGrid1->cell(3, r));
        const long long new_investment = a.investment.value_or(investment);
        const long long new_payout = a.payout.value_or(payout);
        if (new_investment == investment && new_payout == payout) return false;
        dialog_.set_row_amounts(r, new_investment, new_payout);
        return true;
    }

    bool committing(LedgerRecord& record, const std::vector<int>& machine_rows) {
        const std::vector<play::MachineSlot> rows = play::follow_machines(slots_, row_names());
        const play::RecordPlayData data = play::record_data(time_, rows);
        // Amounts typed over those the pieces give: the rows take the pieces'
        // amounts and the player sees them before they are written.
        for (std::size_t k = 0; k < machine_rows.size(); ++k) {
            const int r = machine_rows[k];
            if (!put_amounts(r, rows[static_cast<std::size_t>(r - 1)].data)) continue;
            dialogs().message(QString::number(static_cast<int>(k) + 1) + u("機種目（") +
                              from_cp932(dialog_.StringGrid1->cell(1, r)) +
                              u("）の金額を実戦データから計算した額にしました。確かめてから登録してください"));
            return false;
        }
        // Play data left as it was keeps the record's fields as they are, even
        // those this version does not read.
        if (data == play::read_play_data(record)) return true;
        play::write_play_data(record.extensions, data);
        return true;
    }

    TForm1& form_;
    TForm2& dialog_;
    QPushButton* button_ = nullptr;
    std::vector<play::MachineSlot> slots_;  // by row of the machines grid, 0 = row 1
    play::VisitTime time_;
    int own_row_ = 0;  // the record being corrected, 0 for a new one
};

// The record of the year list's or the calendar's selection; 0 none.
int selected_record(TForm1& form) {
    const int r = (form.view_flags & TForm1::kCalendarShown) ? form.calendar_selected_row() : form.StringGrid1->row();
    return r >= 1 && r <= form.rec_count ? r : 0;
}

// 実戦データ... of the 収支 menu: the selected record's play data corrected, the
// record written through the year window as one change.
void correct_play_data(TForm1& form) {
    const int row = selected_record(form);
    if (row == 0) return;
    const LedgerRecord stored = form.ledger_view().record(row);
    play::PlayDialogInput input;
    input.hall = stored.hall;
    input.names = machine_names(stored.detail);
    input.data = play::read_play_data(stored);
    input.settings = form.player_settings().get<play::PlaySettings>();
    input.all_numbers = form.player_settings().get<play::MachineNumberTable>();
    input.before = visits_before(form, row, date_text_month(stored.date), date_text_day(stored.date));
    auto* dialog = new play::PlayDialog(std::move(input), &form);
    dialog->setObjectName(QStringLiteral("play_dialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, &form, [&form, dialog, row, stored] {
        const play::RecordPlayData data = dialog->value();
        if (data == play::read_play_data(stored)) return;  // unchanged: nothing is written
        std::vector<ExtensionField> extensions = stored.extensions;
        play::write_play_data(extensions, data);
        auto* editor = dynamic_cast<LedgerEditor*>(&form.ledger_view());
        if (!editor ||
            !editor->replace_machines(row, play::with_play_amounts(unpack_machine_detail(stored.detail), data), extensions))
            dialogs().message(amounts_too_large_text());
    });
    dialog->open();
}

// 機種のスペック: the numbers go into the player's settings, saved with the
// registry; machines an import added join the registry's list at its end, and
// the registry is written at once so that the list and the numbers agree.
void set_machine_numbers(PlayerSettings& settings, QWidget* parent) {
    play::NumbersDialog dialog(settings.get<play::MachineNumberTable>(), registry_from_windows().machines, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.added_machines().empty()) {
        settings.set(dialog.value());
        return;
    }
    Registry reg = registry_from_windows();
    const std::size_t before = reg.machines.size();
    reg.machines.insert(reg.machines.end(), dialog.added_machines().begin(), dialog.added_machines().end());
    if (reg.masks) reg.masks->resize(before + dialog.added_machines().size(), 0);
    registry_to_windows(reg);
    settings.set(dialog.value());
    save_registry_file();
}

}  // namespace

void register_settings_records() {
    budget::register_registry_record();
    play::register_registry_records();
    play::register_numbers_records();
}

void install_beyond_hooks(TForm1& form) {
    // The player's settings kept with the registry, before it is first read.
    register_settings_records();
    // Play data's columns in the CSV export and import, and the workbook's 収支一覧,
    // with the figures of the machine numbers the player keeps.
    play::register_csv_columns([settings = QPointer<PlayerSettings>(&form.player_settings())]() -> const play::MachineNumberTable* {
        return settings ? &settings->get<play::MachineNumberTable>() : nullptr;
    });
    // Hall rates and store balances follow a hall renamed or deleted in the registry dialog.
    form.on_registry_hall_changed = [&form](const std::string& old_name, const std::optional<std::string>& new_name,
                                            const std::vector<std::string>& halls) {
        play::PlaySettings settings = form.player_settings().get<play::PlaySettings>();
        play::follow_hall(settings, old_name, new_name, halls);
        form.player_settings().set(settings);
    };
    // Machine numbers follow a machine renamed or deleted there.
    form.on_registry_machine_changed = [&form](const std::string& old_name, const std::optional<std::string>& new_name,
                                               const std::vector<std::string>& machines) {
        play::MachineNumberTable all_numbers = form.player_settings().get<play::MachineNumberTable>();
        play::follow_machine(all_numbers, old_name, new_name, machines);
        form.player_settings().set(all_numbers);
    };
    form.chart_overlays.push_back(budget::line_overlay(form.player_settings()));
    // The recovery copy of unsaved records, and its offer when a ledger opens.
    auto* keeper = new recovery::RecoveryKeeper(form.ledger_view(), recovery::recovery_folder(), &form);
    keeper->setObjectName(QStringLiteral("recovery_keeper"));
    form.on_ledger_opening = [keeper](const QString& file) { return keeper->offer(file); };

    // The workbook export, right after the File menu's CSV items.
    QAction* xlsx = new QAction(u("Excelファイルに書き出し..."), form.File1);
    xlsx->setObjectName(QStringLiteral("export_xlsx_action"));
    const QList<QAction*> file_items = form.File1->actions();
    const qsizetype csv_at = file_items.indexOf(form.import_csv_action);
    form.File1->insertAction(csv_at + 1 < file_items.size() ? file_items[csv_at + 1] : nullptr, xlsx);
    QObject::connect(xlsx, &QAction::triggered, &form, [&form] { export_xlsx_with_dialog(form.ledger_view()); });

    // Items after the 収支 menu's own; 分析... stays the last.
    form.N1->addSeparator();
    auto* monitor = new budget::BudgetMonitor(form.ledger_view(), form.player_settings(), &form);
    monitor->setObjectName(QStringLiteral("budget_monitor"));
    new BudgetPanel(form, *monitor);
    QAction* budget = form.N1->addAction(u("予算の設定..."));
    budget->setObjectName(QStringLiteral("budget_action"));
    QObject::connect(budget, &QAction::triggered, &form, [&form] { set_budget(form.player_settings(), &form); });
    QAction* rates = form.N1->addAction(u("ホールのレート..."));
    rates->setObjectName(QStringLiteral("hall_rates_action"));
    QObject::connect(rates, &QAction::triggered, &form, [&form] { set_hall_rates(form.player_settings(), &form); });
    QAction* play_data = form.N1->addAction(u("実戦データ..."));
    play_data->setObjectName(QStringLiteral("play_data_action"));
    QObject::connect(play_data, &QAction::triggered, &form, [&form] { correct_play_data(form); });
    QObject::connect(form.N1, &QMenu::aboutToShow, play_data, [&form, play_data] {
        play_data->setEnabled(selected_record(form) != 0);
    });
    form.on_entry_dialog_built = [&form](TForm2& dialog) { new EntryPlayData(form, dialog); };
    QAction* numbers_action = form.N1->addAction(u("機種のスペック..."));
    numbers_action->setObjectName(QStringLiteral("machine_numbers_action"));
    QObject::connect(numbers_action, &QAction::triggered, &form, [&form] { set_machine_numbers(form.player_settings(), &form); });
    QAction* analysis = form.N1->addAction(u("分析..."));
    analysis->setObjectName(QStringLiteral("analysis_action"));
    QObject::connect(analysis, &QAction::triggered, &form, [&form, window = QPointer<analysis::AnalysisWindow>()]() mutable {
        if (!window) {
            window = new analysis::AnalysisWindow(form.ledger_view(), form.player_settings(), &form);
            // Its 貯玉 page lists the halls in the registry's order.
            window->hall_order = [] { return registry_from_windows().halls; };
        }
        open_window(form, window);
    });
}

}  // namespace velmo
