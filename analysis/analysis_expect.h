#pragma once
// 期待値 in the analysis: each machine entry's expected value (仕事量), taken
// once from the machine's numbers when the records are read or the numbers
// change, and the figures of a slice over those values: the overview's 仕事量,
// 期待時給 and 運, the tables' columns and the chart's points. Entries whose
// machine has no numbers are left out, never guessed. No widget here.
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_slice.h"
#include "play/expect_calc.h"
#include "play/machine_numbers.h"

namespace velmo::analysis {

// The expected value of every machine entry of the ledger read.
struct LedgerExpect {
    std::vector<play::EntryExpect> entries;  // one per AnalysisLedger::plays; NoNumbers without play data or numbers
};
LedgerExpect ledger_expect(const AnalysisLedger& ledger, const play::MachineNumberTable& all_numbers);

// The expected-value figures of a slice.
struct SliceExpect {
    // The slice has a machine entry with play data whose machine has numbers:
    // the window shows its expected-value lines, columns and page.
    bool shown = false;
    std::vector<play::ExpectEntry> entries;  // the entries that count, in date order (record: into ledger.records)
    // Per record of the ledger, its visit's minutes as the slice counts time (under a
    // machine filter only a record that played that machine alone), and for the
    // machine table of those that played one machine alone.
    std::vector<std::optional<int>> minutes;
    std::vector<std::optional<int>> minutes_alone;
    play::ExpectFigures figures;
    // Per table (kTableKeys order), one per row of Figures::tables, in its order.
    std::array<std::vector<play::ExpectFigures>, kTableKeys.size()> tables;
};
SliceExpect slice_expect(const AnalysisLedger& ledger, const LedgerExpect& expect, const Figures& figures,
                         const Filter& filter);

// z with two decimals ("-0.42"), rounded once, halves away from zero.
std::string z_text(long double z);

// The lines --analyze prints after the play figures, as (name, value) in UTF-8:
// 期待値記録数, 仕事量, 期待時給, 運, 運の標準偏差, 運の偏り, 平均回転率,
// 平均ボーダー差; "—" where a figure is not defined.
std::vector<std::pair<std::string, std::string>> expect_lines(const play::ExpectFigures& figures);

}  // namespace velmo::analysis
