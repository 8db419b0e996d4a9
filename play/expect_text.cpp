#include "play/expect_text.h"

#include <cmath>
#include <cstdlib>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"
#include "play/play_entry.h"

namespace velmo::play {

std::string tenths_text(std::int64_t tenths, bool sign) {
    const std::int64_t a = tenths < 0 ? -tenths : tenths;
    std::string s = std::to_string(a / 10) + "." + std::to_string(a % 10);
    if (tenths < 0) return "-" + s;
    return sign && tenths > 0 ? "+" + s : s;
}

ExpectTexts expect_texts(const EntryExpect& e) {
    ExpectTexts t;
    if (!e.ready()) return t;
    if (e.kind == Kind::Pachinko) {
        if (const auto r = e.rate_tenths()) t.rate = tenths_text(*r);
        if (const auto b = e.border_tenths()) t.border = tenths_text(*b);
        if (const auto g = e.border_gap_tenths()) t.gap = tenths_text(*g, true);
    }
    t.value = grouped(e.value_yen()) + "円";
    t.sigma = grouped(std::llround(e.sigma())) + "円";
    if (e.kind == Kind::Slot && e.likely_setting > 0)
        t.setting = "設定" + std::to_string(e.likely_setting) + "（" +
                    std::to_string(std::llround(e.likely_probability * 100)) + "%）";
    return t;
}

std::vector<QString> expect_column_names() { return {u("回転率"), u("ボーダー"), u("仕事量"), u("運")}; }

namespace {

// The figures of a record's machine entry; not ready without numbers or data.
EntryExpect record_expect(const LedgerRecord& record, int machine, const MachineNumberTable& all_numbers,
                          std::optional<std::int64_t>* balance = nullptr) {
    const std::vector<MachineEntry> machines = unpack_machine_detail(record.detail);
    if (machine < 0 || static_cast<std::size_t>(machine) >= machines.size() || machine >= kMachinesPerRecord) return {};
    const MachineNumbers* numbers = all_numbers.of(machines[static_cast<std::size_t>(machine)].name);
    if (!numbers) return {};
    const RecordPlayData data = read_play_data(record);
    if (balance) {
        const auto investment = parse_number(machines[static_cast<std::size_t>(machine)].investment);
        const auto payout = parse_number(machines[static_cast<std::size_t>(machine)].payout);
        if (investment && payout) *balance = *payout - *investment;
    }
    return entry_expect(data.machines[static_cast<std::size_t>(machine)], numbers);
}

}  // namespace

std::vector<QString> expect_cells(const LedgerRecord& record, int machine, const MachineNumberTable& all_numbers) {
    std::vector<QString> cells(4);
    if (all_numbers.machines.empty() || record.extensions.empty()) return cells;
    std::optional<std::int64_t> balance;
    const EntryExpect e = record_expect(record, machine, all_numbers, &balance);
    if (!e.ready()) return cells;
    if (e.kind == Kind::Pachinko) {
        if (const auto r = e.rate_tenths()) cells[0] = QString::fromStdString(tenths_text(*r));
        if (const auto b = e.border_tenths()) cells[1] = QString::fromStdString(tenths_text(*b));
    }
    cells[2] = QString::number(e.value_yen());
    if (balance) cells[3] = QString::number(luck_yen(e, *balance));
    return cells;
}

bool has_expect_figures(const LedgerImage& image, const MachineNumberTable& all_numbers) {
    if (all_numbers.machines.empty()) return false;
    for (const LedgerRecord& r : image.records) {
        if (r.extensions.empty()) continue;
        const std::size_t count = unpack_machine_detail(r.detail).size();
        for (std::size_t i = 0; i < count && i < kMachinesPerRecord; ++i)
            if (record_expect(r, static_cast<int>(i), all_numbers).ready()) return true;
    }
    return false;
}

}  // namespace velmo::play
