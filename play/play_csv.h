#pragma once
// Play data in the CSV file and the workbook's 収支一覧: the columns 開始, 終了
// (the visit's time, on every line of the visit) and the twelve fields of a
// machine entry (種別 … 出玉, on the entry's line), written between コメント and
// the extra column when the year has play data, and read from any sheet that
// has some of them by name, with the leniency of typed input (play_input.h)
// and the 実戦データ dialog's checks (machine_faults, the store's balance at the
// record's date).
#include <QString>

#include <memory>
#include <vector>

#include "ledger/ledger_csv.h"
#include "play/play_data.h"

namespace velmo::play {

// 開始, 終了, then the machine fields' names.
std::vector<QString> csv_column_names();

// Whether any record of the year has play data.
bool has_play_data(const LedgerImage& image);

// The cells of an export line: the record's time and machine entry `machine`'s
// fields (-1: none) as the dialog shows them — 種別 パチンコ/スロット, prices and
// rates as their shortest decimals, times HH:MM, counts as whole numbers.
std::vector<QString> csv_cells(const RecordPlayData& data, int machine);

// 種別 as a sheet writes it: パチンコ (P), スロット (S, パチスロ), full-width or
// half-width; nullopt for anything else, Kind::None for an empty cell.
std::optional<Kind> read_kind(const QString& cell);

// The reader of the columns through one import into target.
std::unique_ptr<CsvMoreReader> csv_reader(const CsvImportTarget& target);

// Registers the columns with the CSV export and import (ledger/ledger_csv.h).
void register_csv_columns();

}  // namespace velmo::play
