#include "play/play_entry.h"

#include <algorithm>
#include <tuple>

#include "ledger/ledger_model.h"

namespace velmo::play {

std::vector<MachineSlot> follow_machines(std::span<const MachineSlot> slots, std::span<const std::string> names) {
    std::vector<MachineSlot> out(names.size());
    std::vector<bool> taken(slots.size(), false);
    auto bears = [&](std::size_t r) {
        return r < names.size() && r < slots.size() && !slots[r].name.empty() && names[r] == slots[r].name;
    };
    // Rows that kept their machine keep its data.
    for (std::size_t r = 0; r < names.size(); ++r) {
        out[r].name = names[r];
        if (names[r].empty() || !bears(r)) continue;
        out[r].data = slots[r].data;
        taken[r] = true;
    }
    // A machine that moved takes the data it left behind.
    for (std::size_t r = 0; r < names.size(); ++r) {
        if (names[r].empty() || bears(r)) continue;
        for (std::size_t s = 0; s < slots.size(); ++s) {
            if (taken[s] || bears(s) || slots[s].name != names[r]) continue;
            out[r].data = slots[s].data;
            taken[s] = true;
            break;
        }
    }
    // A row renamed in place (its old name nowhere now) keeps its data: a name
    // corrected is still the same machine.
    for (std::size_t r = 0; r < names.size() && r < slots.size(); ++r) {
        if (names[r].empty() || bears(r) || taken[r] || slots[r].name.empty() || !out[r].data.empty()) continue;
        if (std::find(names.begin(), names.end(), slots[r].name) != names.end()) continue;
        out[r].data = slots[r].data;
        taken[r] = true;
    }
    return out;
}

RecordPlayData record_data(const VisitTime& time, std::span<const MachineSlot> rows) {
    RecordPlayData data;
    data.time = time;
    std::size_t i = 0;
    for (const MachineSlot& row : rows) {
        if (row.name.empty()) continue;
        if (i == data.machines.size()) break;
        data.machines[i++] = row.data;
    }
    return data;
}

std::vector<PlayEntry> entries_before(std::span<const LedgerRecord> records, int own, int month, int day) {
    std::vector<PlayEntry> out;
    const auto at = std::make_tuple(month, day);
    auto date_of = [](const LedgerRecord& r) { return std::make_tuple(date_text_month(r.date), date_text_day(r.date)); };
    // A record that keeps its day keeps its place among the day's records; one
    // moved to another day goes after that day's records, as a new one does.
    const bool keeps_place = own >= 1 && static_cast<std::size_t>(own) <= records.size() &&
                             date_of(records[static_cast<std::size_t>(own) - 1]) == at;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        if (row == own) continue;
        const auto date = date_of(records[i]);
        if (date < at || (date == at && (!keeps_place || row < own))) add_play_entries(records.subspan(i, 1), out);
    }
    return out;
}

std::vector<std::optional<std::int64_t>> machine_store_balances(const std::string& hall, const RecordPlayData& data,
                                                                const PlaySettings& settings,
                                                                std::span<const PlayEntry> before) {
    std::vector<std::optional<std::int64_t>> out;
    for (std::size_t i = 0; i < data.machines.size(); ++i) {
        const MachineData& m = data.machines[i];
        if (m.kind == Kind::None || m.lending_price == 0) {
            out.push_back(std::nullopt);
            continue;
        }
        const StoreKey key{hall, m.kind, m.lending_price};
        std::int64_t pieces = store_pieces(settings, before, key);
        for (std::size_t j = 0; j < i; ++j) {
            const MachineData& e = data.machines[j];
            if (e.kind == m.kind && e.lending_price == m.lending_price) pieces -= e.store_out.value_or(0);
        }
        out.push_back(pieces);
    }
    return out;
}

std::string grouped(std::int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return v < 0 ? "-" + digits : digits;
}

}  // namespace velmo::play
