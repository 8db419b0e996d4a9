#include "play/machine_numbers.h"

#include <algorithm>

#include "ledger/settings_parts.h"

namespace velmo::play {

namespace {

void put(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::int32_t get(std::string_view data, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<std::uint8_t>(data[at + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}

void put_name(std::string& out, const std::string& name) {
    const std::string_view n = std::string_view(name).substr(0, kMaxMachineName);
    out.push_back(static_cast<char>(n.size()));
    out += n;
}

// The name and the position after it; nullopt for a name running past the data.
std::optional<std::pair<std::string, std::size_t>> take_name(std::string_view data) {
    if (data.empty()) return std::nullopt;
    const std::size_t n = static_cast<std::uint8_t>(data[0]);
    if (n == 0 || n > kMaxMachineName || n + 1 > data.size()) return std::nullopt;
    return std::make_pair(std::string(data.substr(1, n)), n + 1);
}

bool within(std::int32_t v, std::int32_t max) { return v >= 0 && v <= max; }

bool pachinko_valid(const PachinkoNumbers& p) {
    return p.odds >= 1 && p.odds <= kMaxOdds && p.mean_payout >= 1 && p.mean_payout <= kMaxMeanPayout &&
           p.spread >= 1 && p.spread <= kMaxSpread;
}

bool slot_valid(const SlotSetting& s) {
    return !s.empty() && within(s.payout_ratio, kMaxPayoutRatio) && within(s.bb_odds, kMaxOdds) &&
           within(s.rb_odds, kMaxOdds) && within(s.bb_medals, kMaxMedals) && within(s.rb_medals, kMaxMedals);
}

}  // namespace

bool MachineNumbers::has_numbers() const {
    if (kind == Kind::Pachinko) return pachinko_valid(pachinko);
    if (kind == Kind::Slot) return std::any_of(slot.begin(), slot.end(), [](const SlotSetting& s) { return slot_valid(s); });
    return false;
}

const MachineNumbers* MachineNumberTable::of(std::string_view machine) const {
    for (const MachineNumbers& m : machines)
        if (m.machine == machine) return &m;
    return nullptr;
}

void set_numbers(MachineNumberTable& all_numbers, MachineNumbers numbers) {
    auto it = std::find_if(all_numbers.machines.begin(), all_numbers.machines.end(),
                           [&](const MachineNumbers& m) { return m.machine == numbers.machine; });
    if (!numbers.has_numbers()) {
        if (it != all_numbers.machines.end()) all_numbers.machines.erase(it);
    } else if (it != all_numbers.machines.end()) {
        *it = std::move(numbers);
    } else {
        all_numbers.machines.push_back(std::move(numbers));
    }
}

void follow_machine(MachineNumberTable& all_numbers, const std::string& old_name, const std::optional<std::string>& new_name,
                    std::span<const std::string> listed) {
    if (new_name && *new_name == old_name) return;
    const bool old_stays = std::find(listed.begin(), listed.end(), old_name) != listed.end();
    if (new_name) {
        if (const MachineNumbers* s = all_numbers.of(old_name)) {
            MachineNumbers moved = *s;
            moved.machine = *new_name;
            set_numbers(all_numbers, std::move(moved));
        }
    }
    if (old_stays) return;
    std::erase_if(all_numbers.machines, [&](const MachineNumbers& m) { return m.machine == old_name; });
}

std::string encode_pachinko_record(const std::string& machine, const PachinkoNumbers& numbers) {
    std::string out;
    put_name(out, machine);
    put(out, static_cast<std::uint64_t>(std::clamp(numbers.odds, 0, kMaxOdds)), 4);
    put(out, static_cast<std::uint64_t>(std::clamp(numbers.mean_payout, 0, kMaxMeanPayout)), 4);
    put(out, static_cast<std::uint64_t>(std::clamp(numbers.spread, 0, kMaxSpread)), 2);
    return out;
}

std::string encode_slot_record(const std::string& machine, int setting, const SlotSetting& s) {
    std::string out;
    put_name(out, machine);
    out.push_back(static_cast<char>(setting));
    put(out, static_cast<std::uint64_t>(std::clamp(s.payout_ratio, 0, kMaxPayoutRatio)), 2);
    put(out, static_cast<std::uint64_t>(std::clamp(s.bb_odds, 0, kMaxOdds)), 3);
    put(out, static_cast<std::uint64_t>(std::clamp(s.rb_odds, 0, kMaxOdds)), 3);
    put(out, static_cast<std::uint64_t>(std::clamp(s.bb_medals, 0, kMaxMedals)), 2);
    put(out, static_cast<std::uint64_t>(std::clamp(s.rb_medals, 0, kMaxMedals)), 2);
    return out;
}

std::optional<MachineNumbers> decode_numbers_record(std::uint8_t type, std::string_view data) {
    const auto name = take_name(data);
    if (!name) return std::nullopt;
    MachineNumbers numbers;
    numbers.machine = name->first;
    const std::size_t at = name->second;
    if (type == kPachinkoNumbersType) {
        if (data.size() != at + 10) return std::nullopt;
        numbers.kind = Kind::Pachinko;
        numbers.pachinko = {get(data, at, 4), get(data, at + 4, 4), get(data, at + 8, 2)};
        if (!pachinko_valid(numbers.pachinko)) return std::nullopt;
        return numbers;
    }
    if (type != kSlotNumbersType || data.size() != at + 13) return std::nullopt;
    const int setting = static_cast<std::uint8_t>(data[at]);
    if (setting < 1 || setting > kSlotSettings) return std::nullopt;
    numbers.kind = Kind::Slot;
    SlotSetting& s = numbers.slot[static_cast<std::size_t>(setting - 1)];
    s = {get(data, at + 1, 2), get(data, at + 3, 3), get(data, at + 6, 3), get(data, at + 9, 2), get(data, at + 11, 2)};
    if (!slot_valid(s)) return std::nullopt;
    return numbers;
}

void register_numbers_records() {
    RegistryRecordCodec pachinko;
    pachinko.type = kPachinkoNumbersType;
    pachinko.encode = [](const SettingsParts& parts) {
        std::vector<std::string> out;
        for (const MachineNumbers& m : parts.get<MachineNumberTable>().machines)
            if (m.kind == Kind::Pachinko && m.has_numbers() && !m.machine.empty())
                out.push_back(encode_pachinko_record(m.machine, m.pachinko));
        return out;
    };
    // A pachinko record sets the machine's numbers; one of a machine kept as a
    // slot machine replaces its settings.
    pachinko.decode = [](std::string_view data, SettingsParts& parts) {
        auto numbers = decode_numbers_record(kPachinkoNumbersType, data);
        if (!numbers) return false;
        MachineNumberTable all_numbers = parts.get<MachineNumberTable>();
        set_numbers(all_numbers, std::move(*numbers));
        parts.set(all_numbers);
        return true;
    };
    register_registry_codec(std::move(pachinko));
    RegistryRecordCodec slot;
    slot.type = kSlotNumbersType;
    slot.encode = [](const SettingsParts& parts) {
        std::vector<std::string> out;
        for (const MachineNumbers& m : parts.get<MachineNumberTable>().machines) {
            if (m.kind != Kind::Slot || m.machine.empty()) continue;
            for (int s = 0; s < kSlotSettings; ++s)
                if (slot_valid(m.slot[static_cast<std::size_t>(s)]))
                    out.push_back(encode_slot_record(m.machine, s + 1, m.slot[static_cast<std::size_t>(s)]));
        }
        return out;
    };
    // A slot record adds its setting to the machine's (a later one of the same setting replaces it).
    slot.decode = [](std::string_view data, SettingsParts& parts) {
        const auto numbers = decode_numbers_record(kSlotNumbersType, data);
        if (!numbers) return false;
        MachineNumberTable all_numbers = parts.get<MachineNumberTable>();
        const MachineNumbers* had = all_numbers.of(numbers->machine);
        MachineNumbers merged = had && had->kind == Kind::Slot ? *had : MachineNumbers{numbers->machine, Kind::Slot, {}, {}};
        for (int s = 0; s < kSlotSettings; ++s)
            if (!numbers->slot[static_cast<std::size_t>(s)].empty())
                merged.slot[static_cast<std::size_t>(s)] = numbers->slot[static_cast<std::size_t>(s)];
        set_numbers(all_numbers, std::move(merged));
        parts.set(all_numbers);
        return true;
    };
    register_registry_codec(std::move(slot));
}

}  // namespace velmo::play
