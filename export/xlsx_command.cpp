#include "export/xlsx_command.h"

#include "export/xlsx_export.h"
#include "framework/cp932.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_view.h"

namespace velmo {

void export_xlsx_with_dialog(const LedgerView& ledger) {
    const auto chosen = dialogs().save_file(u("Excelファイル|*.xlsx"), default_xlsx_name(ledger.file_name()));
    if (!chosen) return;
    if (same_file(*chosen, ledger.file_name())) {
        dialogs().message(u("開いている収支ファイルには書き出せません"));
        return;
    }
    QString cause;
    switch (write_xlsx(snapshot(ledger), *chosen, &cause)) {
    case XlsxWrite::Written:
        dialogs().message(QString::number(ledger.record_count()) + u(" 件の記録を書き出しました"));
        return;
    case XlsxWrite::NotMade: dialogs().message(u("Excelファイルを作れませんでした") + cause_suffix(cause)); return;
    case XlsxWrite::NotWritten: dialogs().message(*chosen + u(" に書き出せませんでした") + cause_suffix(cause)); return;
    }
}

}  // namespace velmo
