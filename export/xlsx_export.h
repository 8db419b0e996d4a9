#pragma once
// The year written as an Office Open XML workbook (.xlsx) by libxlsxwriter: the
// sheets of workbook_tables with their number formats, the header row frozen,
// an autofilter on 収支一覧, column widths that fit, and on 月間 a column chart
// of the monthly balance and a line chart of the running total.
#include <QString>

#include <optional>
#include <string>

#include "export/workbook_tables.h"
#include "ledger/ledger_codec.h"

namespace velmo {

// Number formats of the cells.
inline constexpr const char* kAmountFormat = "#,##0;[Red]-#,##0";
inline constexpr const char* kDateFormat = "yyyy/m/d";
inline constexpr const char* kRateFormat = "0.0%";
inline constexpr const char* kWinRateFormat = "0%";

// The workbook's bytes; nullopt when no workbook could be made (no temporary
// file, or the library refused), with the library's reason in error when given.
std::optional<std::string> xlsx_bytes(const WorkbookTables& tables, QString* error = nullptr);

enum class XlsxWrite {
    Written,
    NotMade,     // the workbook could not be made
    NotWritten,  // the file could not be written; what was there stays whole
};

// The workbook's name when none is given: the ledger's, with .xlsx, beside it.
QString default_xlsx_name(const QString& ledger);

// Writes the ledger's workbook to path, as every file of the program is saved.
// When it fails, cause (when given) says why in a few words, or stays empty.
XlsxWrite write_xlsx(const LedgerImage& image, const QString& path, QString* cause = nullptr);

}  // namespace velmo
