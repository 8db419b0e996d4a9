#pragma once
// The attribute tab: the year summed by machine attribute. Every machine entry
// of the ledger counts toward each attribute its registered machine has, so one
// entry may count toward several rows or none. The rows stay in attribute order.
#include <QRect>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "views/summary_calc.h"

class QPainter;

namespace velmo {

class StringGrid;

inline constexpr int kAttributeRows = 16;

// Sums the machines of the year (every machine entry summed by name) by
// attribute: each machine's line counts toward each attribute of its mask, so
// every entry counts by its own amounts. A machine's mask is that of the first registered machine of the same name
// (masks[i] belongs to machines[i]; a missing mask is 0); a machine that is not
// registered counts nowhere.
std::array<SummaryLine, kAttributeRows> summarize_attributes(std::span<const Group> machine_groups,
                                                             std::span<const std::string> machines,
                                                             std::span<const std::uint16_t> masks);

// Columns 1..5 of an attribute's row: the name, investment, payout, balance and
// win rate; all empty when the attribute has no name.
std::array<std::string, 5> attribute_row_texts(const std::string& name, const SummaryLine& line);

// Paints one cell of the attribute grid as it shows on the tab.
void paint_attribute_cell(QPainter& painter, const StringGrid& grid, int col, int row, const QRect& rect,
                          int font_step);

}  // namespace velmo
