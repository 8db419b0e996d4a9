#pragma once
// The File menu's "Excelファイルに書き出し...": the open year written as a
// workbook to a file the user names.

namespace velmo {

class LedgerView;

// Asks for the file (the ledger's name with .xlsx by default), writes the
// workbook and says how it went. The ledger itself is neither changed nor marked.
void export_xlsx_with_dialog(const LedgerView& ledger);

}  // namespace velmo
