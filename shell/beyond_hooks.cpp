#include "shell/beyond_hooks.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>

#include <algorithm>

#include "analysis/analysis_window.h"
#include "budget/budget.h"
#include "budget/budget_dialog.h"
#include "budget/budget_line.h"
#include "budget/budget_monitor.h"
#include "export/xlsx_command.h"
#include "framework/cp932.h"
#include "framework/string_grid.h"
#include "framework/widgets.h"
#include "ledger/ledger_model.h"
#include "ledger/player_settings.h"
#include "ledger/registry_file.h"
#include "play/play_settings.h"
#include "play/rates_dialog.h"
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

}  // namespace

void install_beyond_hooks(TForm1& form) {
    // The player's settings kept with the registry, before it is first read.
    budget::register_registry_record();
    play::register_registry_records();
    // Hall rates and store balances follow a hall renamed or deleted in the registry dialog.
    form.on_registry_hall_changed = [&form](const std::string& old_name, const std::optional<std::string>& new_name,
                                            const std::vector<std::string>& halls) {
        play::PlaySettings settings = form.player_settings().get<play::PlaySettings>();
        play::follow_hall(settings, old_name, new_name, halls);
        form.player_settings().set(settings);
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
    QAction* analysis = form.N1->addAction(u("分析..."));
    analysis->setObjectName(QStringLiteral("analysis_action"));
    QObject::connect(analysis, &QAction::triggered, &form, [&form, window = QPointer<analysis::AnalysisWindow>()]() mutable {
        open_window(form, window);
    });
}

}  // namespace velmo
