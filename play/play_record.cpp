#include "play/play_record.h"

#include "ledger/ledger_model.h"
#include "play/play_calc.h"

namespace velmo::play {

std::vector<MachineEntry> with_play_amounts(std::vector<MachineEntry> machines, const RecordPlayData& data) {
    for (std::size_t i = 0; i < machines.size() && i < data.machines.size(); ++i) {
        const ComputedAmounts a = computed_amounts(data.machines[i]);
        auto put = [](std::string& text, const std::optional<std::int64_t>& amount) {
            if (amount && cell_number(text) != *amount) text = std::to_string(*amount);
        };
        put(machines[i].investment, a.investment);
        put(machines[i].payout, a.payout);
    }
    return machines;
}

}  // namespace velmo::play
