#pragma once
// Reading the packed hidden fields of a play record in place: the fields are
// views into the packed value, so nothing is copied.
#include <cstddef>
#include <string_view>

namespace velmo {

inline constexpr int kMachinesPerRecord = 9;  // machines a play record holds at most

// Reads one length-prefixed field at pos into out (a view into packed) and moves
// pos past it; a length running past the end reads what is there. False when the
// value has already ended.
inline bool take_packed_field(std::string_view packed, std::size_t& pos, std::string_view& out) {
    if (pos >= packed.size()) return false;
    std::size_t n = static_cast<unsigned char>(packed[pos++]);
    if (n > packed.size() - pos) n = packed.size() - pos;
    out = packed.substr(pos, n);
    pos += n;
    return true;
}

// One machine of a packed machine_detail, as views into the packed value.
struct MachineEntryView {
    std::string_view name;
    std::string_view investment;
    std::string_view payout;
};

// Visits the machines a packed machine_detail holds, in order, without copying
// them: fn(const MachineEntryView&) returns false to stop. A damaged value
// yields the machines read so far.
template <typename Fn>
void for_each_machine_entry(std::string_view packed, Fn&& fn) {
    if (packed.empty()) return;
    const int count = static_cast<unsigned char>(packed[0]);
    std::size_t pos = 1;
    for (int i = 0; i < count && i < kMachinesPerRecord; ++i) {
        MachineEntryView m;
        if (!take_packed_field(packed, pos, m.name) || !take_packed_field(packed, pos, m.investment) ||
            !take_packed_field(packed, pos, m.payout))
            return;
        if (!fn(static_cast<const MachineEntryView&>(m))) return;
    }
}

}  // namespace velmo
