#pragma once
// The figures of one machine entry's play (play/expect_calc.h) as texts: as the
// 実戦データ dialog shows them while the player types, and as the CSV export and
// the workbook's 収支一覧 write them.
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "play/expect_calc.h"
#include "play/machine_numbers.h"
#include "play/play_data.h"

namespace velmo::play {

// "37.3", "-0.4"; with `sign` a positive value gets a "+" ("+2.0").
std::string tenths_text(std::int64_t tenths, bool sign = false);

// What the dialog shows of a row, UTF-8; each empty where the entry gives none
// (no numbers, data missing, no pieces played): 回転率 r, ボーダー r*, ボーダー差
// r − r* (pachinko), 仕事量 E and σ in yen, and for slots the most likely
// setting with its probability ("設定6（62%）").
struct ExpectTexts {
    std::string rate, border, gap, value, sigma, setting;
};
ExpectTexts expect_texts(const EntryExpect& e);

// The exported figures' column names: 回転率, ボーダー, 仕事量, 運.
std::vector<QString> expect_column_names();

// The exported figures of machine entry `machine` of a record (-1: none): 回転率
// and ボーダー to one decimal, 仕事量 and 運 (実収支 − 仕事量) in whole yen, each
// empty where the entry gives none.
std::vector<QString> expect_cells(const LedgerRecord& record, int machine, const MachineNumberTable& all_numbers);

// Whether any machine entry of the year has figures to export.
bool has_expect_figures(const LedgerImage& image, const MachineNumberTable& all_numbers);

}  // namespace velmo::play
