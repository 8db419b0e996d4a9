#include "ledger/record_build.h"

#include "framework/cp932.h"
#include "ledger/ledger_model.h"

namespace velmo {

RecordCells build_record(const std::vector<MachineEntry>& machines, int month, int day) {
    RecordCells rec;
    rec.date = make_date_text(month, day);
    for (const auto& m : machines) {
        if (!rec.machines.empty()) rec.machines += SJ(u8"、");
        rec.machines += m.name;
        rec.investment += cell_number(m.investment);
        rec.payout += cell_number(m.payout);
    }
    rec.machines = truncate_cp932(rec.machines, kMachinesTextMax);
    rec.detail = pack_machine_detail(machines);
    rec.totals = pack_day_totals({std::to_string(rec.investment), std::to_string(rec.payout)});
    rec.balance = rec.payout - rec.investment;
    return rec;
}

}  // namespace velmo
