#pragma once
// Reading number texts in place, for the loops that read every amount of the year.
#include <cstdint>
#include <optional>
#include <string_view>

#include "ledger/ledger_model.h"

namespace velmo {

// The value of a text of an optional minus and one to eighteen digits (such a
// number always fits); nullopt for any other text. Texts of more than eighteen
// digits are parse_number's to read.
inline std::optional<std::int64_t> parse_short_number(std::string_view text) {
    const std::size_t digits_from = !text.empty() && text.front() == '-' ? 1 : 0;
    if (digits_from == text.size() || text.size() - digits_from > 18) return std::nullopt;
    std::int64_t v = 0;
    for (std::size_t i = digits_from; i < text.size(); ++i) {
        const unsigned d = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (d > 9) return std::nullopt;
        v = v * 10 + static_cast<std::int64_t>(d);
    }
    return digits_from ? -v : v;
}

// cell_number read in place: the value of a number text, 0 when it is none,
// held to the same 32-bit bounds, so that sums over a whole year cannot overflow.
inline std::int64_t cell_amount(std::string_view text) {
    if (text.size() > 18) return cell_number(text);
    const std::optional<std::int64_t> v = parse_short_number(text);
    if (!v) return 0;
    if (*v > kCellFigureMax) return kCellFigureMax;
    if (*v < -kCellFigureMax - 1) return -kCellFigureMax - 1;
    return *v;
}

}  // namespace velmo
