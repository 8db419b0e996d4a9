#include "ledger/record_fields.h"

#include <algorithm>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"
#include "ledger/packed_fields.h"

namespace velmo {

namespace {

void put_field(std::string& out, std::string_view text) {
    std::string t = truncate_cp932(text, 255);
    out.push_back(static_cast<char>(t.size()));
    out += t;
}

bool take_field(std::string_view packed, std::size_t& pos, std::string& out) {
    std::string_view field;
    if (!take_packed_field(packed, pos, field)) return false;
    out.assign(field);
    return true;
}

}  // namespace

std::string pack_machine_detail(const std::vector<MachineEntry>& machines) {
    std::string out;
    out.push_back(static_cast<char>(machines.size()));
    for (const auto& m : machines) {
        put_field(out, m.name);
        put_field(out, m.investment);
        put_field(out, m.payout);
    }
    return out;
}

std::vector<MachineEntry> unpack_machine_detail(std::string_view packed) {
    std::vector<MachineEntry> out;
    for_each_machine_entry(packed, [&](const MachineEntryView& m) {
        out.push_back(MachineEntry{std::string(m.name), std::string(m.investment), std::string(m.payout)});
        return true;
    });
    return out;
}

std::string pack_day_totals(const DayTotals& totals) {
    std::string out;
    put_field(out, totals.investment);
    put_field(out, totals.payout);
    return out;
}

DayTotals day_totals_texts(std::string_view packed) {
    DayTotals t;
    std::size_t pos = 0;
    if (take_field(packed, pos, t.investment)) take_field(packed, pos, t.payout);
    return t;
}

std::string month_panel_text(int month, const std::string& month_balance) {
    std::string out = std::to_string(month) + SJ(u8"月TOTAL ");
    if (cell_number(month_balance) > 0) out += "+";
    return out + month_balance;
}

std::string hall_panel_text(const std::string& hall, long long total) {
    std::string out = hall + " TOTAL ";
    if (total > 0) out += "+";
    return out + std::to_string(total);
}


}  // namespace velmo
