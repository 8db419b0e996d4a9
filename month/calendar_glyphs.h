#pragma once
// The calendar's constant pictures. Every table holds one 8-bit alpha value per
// pixel (0 background .. 255 ink), except the logo, where 0 is ink and 255 is
// background.
#include <cstdint>
#include <span>

namespace velmo::glyphs {

// Day numbers: ten bold slanted digits, 10 x 15, row by row.
constexpr int kDayDigitWidth = 10;
constexpr int kDayDigitHeight = 15;
std::span<const std::uint8_t> day_digit(int digit);

// Month numbers: ten digits of 34 x 50 as (run length, alpha) byte pairs that
// fill the glyph column by column, each column from top to bottom.
constexpr int kMonthDigitWidth = 34;
constexpr int kMonthDigitHeight = 50;
std::span<const std::uint8_t> month_digit_runs(int digit);

// Weekday labels SUN .. SAT (0 = Sunday), 11 pixels high, row by row.
constexpr int kWeekdayLabelHeight = 11;
int weekday_label_width(int weekday);  // 28, 33, 29, 32, 31, 22, 27
std::span<const std::uint8_t> weekday_label(int weekday);

// The logo of the view switch, 75 x 42, row by row.
constexpr int kLogoWidth = 75;
constexpr int kLogoHeight = 42;
std::span<const std::uint8_t> logo();

}  // namespace velmo::glyphs
