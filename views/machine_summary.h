#pragma once
// The machine tab's arithmetic: every machine played in the year, summed entry
// by entry from the machine entries of the play records.
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "views/summary_calc.h"

namespace velmo {

class NameNumbers;
struct RowFigures;

// Machines summed at most; the entry that brings the last one is still counted.
inline constexpr std::size_t kMaxMachineRows = 200;

// Groups the machine entries by name in order of first appearance. Each entry
// adds its investment and payout (an empty or unreadable amount counts as 0)
// and counts as a win, loss or draw by its own amounts; the same machine twice
// in one record counts twice. Reading stops right after the entry that brought
// the limit-th machine, even in the middle of a record.
std::vector<Group> collect_machine_groups(std::span<const RowFigures> records, const NameNumbers& names,
                                          std::size_t limit);

}  // namespace velmo
