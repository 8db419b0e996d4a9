#pragma once
// The packed hidden fields of a play record and the texts of the details display.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmo {

struct MachineEntry {
    std::string name;
    std::string investment;  // decimal text
    std::string payout;      // decimal text
};

// machine_detail: a count byte, then per machine three length-prefixed texts.
std::string pack_machine_detail(const std::vector<MachineEntry>& machines);
// Reads what a packed value holds; a damaged value yields the machines read so far.
std::vector<MachineEntry> unpack_machine_detail(std::string_view packed);

struct DayTotals {
    std::string investment;
    std::string payout;
};
// day_totals: a length byte and the investment sum, a length byte and the payout sum.
std::string pack_day_totals(const DayTotals& totals);
DayTotals day_totals_texts(std::string_view packed);

// Status panel 1: month + "月TOTAL " + "+" for a positive month + the month's balance text.
std::string month_panel_text(int month, const std::string& month_balance);
// Status panel 2: hall + " TOTAL " + "+" for a positive sum + the sum.
std::string hall_panel_text(const std::string& hall, long long total);

}  // namespace velmo
