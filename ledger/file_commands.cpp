// The File menu: open another ledger, start a new year, close, and associate
// the ledger extension with the program.
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "assets/glyphs.h"
#include "entry/tform2.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/file_association.h"
#include "framework/user_files.h"
#include "framework/runtime.h"
#include "ledger/ledger_model.h"
#include "shell/tform1.h"

namespace {
using velmo::u;
}  // namespace

void TForm1::setup_file_commands() {
    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(ToolButton3, &QToolButton::clicked, this, [this] { ToolButton3Click(); });
    connect(New1, &QAction::triggered, this, [this] { New1Click(); });
    connect(Close1, &QAction::triggered, this, [this] { Close1Click(); });
    connect(kanren, &QAction::triggered, this, [this] { kanrenClick(); });
}

void TForm1::SpeedButton3Click() {
    if (!save_ledger()) return;
    const auto chosen = velmo::dialogs().open_file(u("収支ﾌｧｲﾙ(*.vqd)|*.vqd"));
    if (!chosen) return;
    StringGrid1->set_row(1);
    file_name = *chosen;
    clear_ledger();
    load_ledger();
    if (closed_by_format_error) return;
    PageControl1->setCurrentWidget(TabSheet1);
    if (view_flags & TForm1::kCalendarShown) redraw_calendar_after_load();
    else StringGrid1Click();  // the details of the ledger just opened
}

void TForm1::Open1Click() { SpeedButton3Click(); }
void TForm1::ToolButton3Click() { SpeedButton3Click(); }

void TForm1::Close1Click() {
    if (!save_ledger()) return;
    close();
}

void TForm1::New1Click() {
    if (!save_ledger()) return;
    std::optional<std::string> year;
    while (!year) {
        const auto text = velmo::dialogs().input_number(u("収支ファイル新規作成"), u("半角で年を入力してください"), QString());
        if (!text) return;
        year = velmo::ledger_year_text(text->toStdString());
        if (!year) velmo::dialogs().message(*text + u(" は年ではありません"));
    }
    year_text = *year;
    rec_count = 0;
    file_name = QStringLiteral("vq") + QString::fromStdString(year_text) + QStringLiteral(".vqd");
    clear_ledger();
    creating_new = 1;
    machine_summary_ok = 0;
    load_ledger();
    if (closed_by_format_error) return;
    PageControl1->setCurrentWidget(TabSheet1);
    Form2->set_calendar_date(velmo::calendar_date_in_year(year_text, velmo::today()));
    if (view_flags & TForm1::kCalendarShown) redraw_calendar_after_load();
    else StringGrid1Click();
}

void TForm1::kanrenClick() {
    if (!velmo::dialogs().question(u("vqdﾌｧｲﾙを関連付けますか？"))) return;
    velmo::Association a;
    a.extension = QStringLiteral("vqd");
    a.mime_type = QStringLiteral("application/x-velmorant-ledger");
    a.description = u("Velmorant 収支ファイル");
    a.desktop_name = QStringLiteral("velmorant");
    a.app_name = QStringLiteral("Velmorant");
    a.program = QCoreApplication::applicationFilePath();
    a.installed = velmo::program_is_installed();
    if (!velmo::register_association(a, velmo::app_icon())) {
        velmo::dialogs().error(u(".vqd ファイルの関連付けができません。"));
        return;
    }
    velmo::refresh_desktop_databases();
    velmo::dialogs().message(u("関連付けました"));
}
