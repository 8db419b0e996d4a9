#pragma once
// The cells of a play record made from its date and machine entries, as an entry
// commits them and a CSV import adds them.
#include <cstddef>
#include <string>
#include <vector>

#include "ledger/record_fields.h"

namespace velmo {

inline constexpr std::size_t kMachinesTextMax = 100;  // bytes of the year list's machines cell

// What one committed record writes into the year list and the hidden grid.
struct RecordCells {
    std::string date;      // date text
    std::string machines;  // names joined by "、", at most 100 bytes
    std::string detail;    // packed machine_detail
    std::string totals;    // packed day_totals
    long long investment = 0;
    long long payout = 0;
    long long balance = 0;
};
RecordCells build_record(const std::vector<MachineEntry>& machines, int month, int day);

}  // namespace velmo
