#pragma once
// Play data as the player types it: full-width digits and separators, a unit
// after the number (円, 玉, 枚), spaces around it. An empty box means "not given".
#include <QString>

#include <cstdint>
#include <optional>

namespace velmo::play {

struct TypedNumber {
    bool ok = true;                     // false: the text is no number of the kind asked
    std::optional<std::int64_t> value;  // nullopt: the box is empty
};

// 貸玉料金 in hundredths of a yen: "4", "0.5", "２０円", "1.25".
TypedNumber read_price(const QString& text);
// 交換率 in tenths of a piece per 100円: "28", "5.6枚", "２８玉".
TypedNumber read_rate(const QString& text);
// A whole count or amount of yen, 0..max: "12,000", "１２，０００玉".
TypedNumber read_count(const QString& text, std::int64_t max);
// A time "HH:MM" (full-width too) in minutes after midnight.
TypedNumber read_clock(const QString& text);

}  // namespace velmo::play
