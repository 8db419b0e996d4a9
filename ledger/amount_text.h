#pragma once
// Amounts of yen as people write them and as the program shows them: the one
// reader of typed and imported amounts (the CSV import, the budget dialog) and
// the one writer of yen with thousands separators.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

// Declared only, so that plain arithmetic may include this header without Qt.
class QString;

namespace velmo {

enum class AmountSign {
    None,     // 0 and up: 投資, 回収, a budget
    Allowed,  // a balance: -5,000, −5,000, －5,000, ▲5,000, △5,000, (5,000) are minus 5000
};

// The figure too large for 64 bits is read as this, for the caller's own bound to refuse.
inline constexpr std::int64_t kAmountBeyond = std::numeric_limits<std::int64_t>::max();

// An amount as spreadsheets and players write it: surrounding spaces, one
// leading yen sign (￥, ¥, or the backslash the CP932 yen byte reads as), a
// trailing 円, half- or full-width digits and thousands separators ("," or
// "，", after one to three digits and then every third). With AmountSign::Allowed
// a minus in front (before or after the yen sign) or parentheses around the
// whole make it negative. Empty (or spaces) is 0. nullopt for anything else:
// "1.5", "1,00", "10,0000", "1,,2", "3万", a sign or unit alone. A figure beyond
// 64 bits reads as kAmountBeyond (its negative as -kAmountBeyond).
std::optional<std::int64_t> read_amount(const QString& text, AmountSign sign = AmountSign::None);

// Yen with thousands separators: "-12,345", "1,234,567", "0".
std::string yen_text(std::int64_t yen);
QString yen_qtext(std::int64_t yen);

}  // namespace velmo
