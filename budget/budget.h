#pragma once
// The player's own limits: a monthly loss budget and a limit on what one visit
// puts in. Both are off (0) unless the player sets them; they are kept in the
// name registry as a record of their own.
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/amount_text.h"

namespace velmo::budget {

inline constexpr std::int64_t kMaxAmount = 99'999'999;

struct Budget {
    std::int64_t monthly = 0;    // most a month may lose, in yen; 0: no budget
    std::int64_t per_visit = 0;  // most one record may put in, in yen; 0: no limit
    bool any() const { return monthly != 0 || per_visit != 0; }
    bool operator==(const Budget&) const = default;
};

// The budget is the player's settings' part of type Budget (ledger/player_settings.h),
// kept with the name registry as one record of this type, written only when set.
inline constexpr std::uint8_t kRegistryType = 0x40;
// Registers that record's codec; before the registry is first read.
void register_registry_record();

// The registry record's eight data bytes: both amounts as 32-bit big-endian integers.
std::string encode_record(const Budget& budget);
// The amounts of a record's data; nullopt for data of another length. An amount
// outside 0..kMaxAmount is taken as the nearest bound.
std::optional<Budget> decode_record(std::string_view data);

// An amount as typed, read as every amount the player types or imports is
// (velmo::read_amount, without a sign); empty means 0. nullopt for anything
// else and beyond kMaxAmount.
std::optional<std::int64_t> read_amount(const QString& text);

// The per-month sums of records given as (month 1..12, balance) pairs.
using MonthSums = std::array<std::int64_t, 13>;  // element 0 unused
struct RecordFigure {
    int month = 0;
    std::int64_t balance = 0;
    std::int64_t investment = 0;
};
MonthSums month_sums(std::span<const RecordFigure> records);

// True when a month with this balance has lost more than the budget (budget > 0).
inline bool over_budget(std::int64_t budget, std::int64_t month_balance) {
    return budget > 0 && month_balance < -budget;
}

// The months, in order, among those given that are over the budget now and were not before.
std::vector<int> newly_over(std::int64_t budget, const MonthSums& before, const MonthSums& after,
                            std::span<const int> months);

// "3月の損失が予算（30,000円）を超えました（現在 -45,000円）"
QString month_notice(int month, std::int64_t budget, std::int64_t month_balance);
// "1回の投資が上限（20,000円）を超えています（52,000円）"
QString visit_notice(std::int64_t limit, std::int64_t investment);
// The status bar's text for a month: "予算残り 12,000円" or "予算超過 -15,000円".
QString status_text(std::int64_t budget, std::int64_t month_balance);

}  // namespace velmo::budget
