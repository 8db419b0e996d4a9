#pragma once
// Play records for the analysis tests, as an entry writes them.
#include <string>
#include <vector>

#include "framework/cp932.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_build.h"

namespace velmo::testing {

struct Play {
    const char* machine;
    long long investment;
    long long payout;
};

inline LedgerRecord play_record(int month, int day, const char* hall, const std::vector<Play>& plays,
                                const char* extra = "") {
    std::vector<MachineEntry> entries;
    for (const Play& p : plays)
        entries.push_back({cp932_literal(p.machine), std::to_string(p.investment), std::to_string(p.payout)});
    const RecordCells cells = build_record(entries, month, day);
    LedgerRecord r;
    r.date = cells.date;
    r.hall = cp932_literal(hall);
    r.machines = cells.machines;
    r.detail = cells.detail;
    r.totals = cells.totals;
    r.balance = std::to_string(cells.balance);
    r.extra = cp932_literal(extra);
    return r;
}

}  // namespace velmo::testing
