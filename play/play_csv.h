#pragma once
// Play data in the CSV file and the workbook's 収支一覧: the columns 開始, 終了
// (the visit's time, on every line of the visit) and the twelve fields of a
// machine entry (種別 … 出玉, on the entry's line), written between コメント and
// the extra column when the year has play data, followed by the figures 回転率,
// ボーダー, 仕事量 and 運 (play/expect_text.h) when an entry of the year has them
// by the machine numbers of the player's registry; the figures are computed,
// never read back: an import skips them. The play data is read from any sheet that
// has some of them by name, with the leniency of typed input (play_input.h)
// and the 実戦データ dialog's checks (machine_faults, the store's balance at the
// record's date).
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "ledger/ledger_csv.h"
#include "play/machine_numbers.h"
#include "play/play_data.h"

namespace velmo::play {

// 開始, 終了, then the machine fields' names (kCsvDataColumns of them), then the
// exported figures' names.
std::vector<QString> csv_column_names();
inline constexpr std::size_t kCsvDataColumns = 2 + kFieldCount;

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
// all_numbers: the machine numbers the export's figures use, asked at each export
// (nullptr or unset: none, and no figures).
void register_csv_columns(std::function<const MachineNumberTable*()> all_numbers = {});

}  // namespace velmo::play
