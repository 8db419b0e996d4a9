#pragma once
// The column roles of the year list when its extra column comes, moves or goes.
#include <array>
#include <cstdint>

namespace velmo {

// hall, machines, balance, running total: grid indexes of the role columns.
using ColumnRoles = std::array<std::uint8_t, 4>;
inline constexpr ColumnRoles kDefaultRoles = {2, 3, 4, 5};

// The roles once the extra column stands at index extra_col (2..6): every role
// whose index is extra_col or more sits one further right.
ColumnRoles roles_with_extra_at(int extra_col);

// Typed widths the dialog accepts, in pixels: up to 21 steps of 14, the most
// the window can widen by.
inline constexpr int kMaxExtraWidth = 21 * 14;

}  // namespace velmo
