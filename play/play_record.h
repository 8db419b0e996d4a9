#pragma once
// A record's machine entries with the amounts its play data gives: what the
// 実戦データ dialog writes, so that every table of the year counts the visit
// without knowing play data.
#include <string>
#include <vector>

#include "ledger/record_fields.h"
#include "play/play_data.h"

namespace velmo::play {

// The entries with 投資 and 回収 replaced by the amounts computed from the play
// data of the entry at the same place, where it gives them (computed_amounts);
// an amount already equal to the computed one keeps its text, so that data
// committed unchanged changes no byte.
std::vector<MachineEntry> with_play_amounts(std::vector<MachineEntry> machines, const RecordPlayData& data);

}  // namespace velmo::play
