#include "shell/beyond_hooks.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include "analysis/analysis_window.h"
#include "export/xlsx_command.h"
#include "framework/cp932.h"
#include "shell/tform1.h"

namespace velmo {

namespace {

// Shows a window made on first use, a child of the year window so that it
// closes with the program; it never disables the year window.
template <typename Window>
void open_window(TForm1& form, QPointer<Window>& window) {
    if (!window) window = new Window(form.ledger_view(), &form);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void install_beyond_hooks(TForm1& form) {
    // The workbook export, right after the File menu's CSV items.
    QAction* xlsx = new QAction(u("Excelファイルに書き出し..."), form.File1);
    xlsx->setObjectName(QStringLiteral("export_xlsx_action"));
    const QList<QAction*> file_items = form.File1->actions();
    const qsizetype csv_at = file_items.indexOf(form.import_csv_action);
    form.File1->insertAction(csv_at + 1 < file_items.size() ? file_items[csv_at + 1] : nullptr, xlsx);
    QObject::connect(xlsx, &QAction::triggered, &form, [&form] { export_xlsx_with_dialog(form.ledger_view()); });

    // Items after the 収支 menu's own.
    form.N1->addSeparator();
    QAction* analysis = form.N1->addAction(u("分析..."));
    analysis->setObjectName(QStringLiteral("analysis_action"));
    QObject::connect(analysis, &QAction::triggered, &form, [&form, window = QPointer<analysis::AnalysisWindow>()]() mutable {
        open_window(form, window);
    });
}

}  // namespace velmo
