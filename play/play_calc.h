#pragma once
// The arithmetic of play data: what pieces are worth, the amounts a machine
// entry's pieces give, hours of a visit, 時給, 交換差損, 持ち玉比率 and the
// balances of the halls' stores (貯玉). Pure: plain values in, plain values out.
//
// One piece is worth v = 100 ÷ exchange rate yen at exchange. v itself is kept
// exact (28玉: 3.5714…円); what is rounded is an amount in yen, once, to the
// yen, halves away from zero. Sums over many entries are exact and rounded once.
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "play/exact_sum.h"
#include "play/play_data.h"

namespace velmo::play {


// The yen value at exchange of pieces at an exchange rate in tenths of a piece per 100円.
std::int64_t pieces_yen(std::int64_t pieces, std::int32_t exchange_tenths);

// The amounts of a machine entry as its play data gives them: 投資 = 現金投資 +
// 持ち玉投資 × v when it has cash or held pieces (held pieces need the exchange
// rate), 回収 = 終了玉 × v when it has the end pieces and the exchange rate.
struct ComputedAmounts {
    std::optional<std::int64_t> investment;
    std::optional<std::int64_t> payout;
};
ComputedAmounts computed_amounts(const MachineData& m);

// Minutes between start and end; an end before the start is on the next day.
// nullopt unless both are given.
inline std::optional<int> visit_minutes(const VisitTime& t) {
    if (!t.start || !t.end) return std::nullopt;
    int d = *t.end - *t.start;
    if (d < 0) d += 24 * 60;
    return d;
}

// What a faulty machine entry or time is refused for: the names of its fields
// in a message (UTF-8); empty when it is sound. store_balance is the hall's
// store for the entry's kind and lending price before this visit, when known.
std::vector<std::string> machine_faults(const MachineData& m, std::optional<std::int64_t> store_balance);

// A visit as the play figures read it: its 収支 and its play data.
struct PlayVisit {
    std::int64_t balance = 0;
    const RecordPlayData* data = nullptr;
};

struct PlayFigures {
    int records = 0;                             // 実戦記録数: records with play data
    std::int64_t minutes = 0;                    // of the records with a time
    std::optional<std::int64_t> hours_tenths;    // 稼働時間 in tenths of an hour
    std::optional<std::int64_t> hourly;          // 時給: their 収支 ÷ their hours, yen
    std::optional<std::int64_t> exchange_loss;   // 交換差損, yen
    std::optional<std::int64_t> held_ratio_tenths;  // 持ち玉比率 in tenths of a percent
};
PlayFigures play_figures(std::span<const PlayVisit> visits);

// What one record's play data adds to the play figures, summed once: a slice
// then adds a few values per record instead of reading its nine machine entries.
// Cash is summed by the rates it was put in at, in the order the rates first
// come, up to one sum per machine entry.
struct PlaySums {
    struct Cash {
        std::int32_t price = 0;
        std::int32_t rate = 0;
        std::int64_t cash = 0;
    };
    bool has_data = false;           // any field of the record set
    bool any_loss = false;           // an entry with cash and both rates
    bool any_pieces = false;         // an entry whose pieces put in are known
    std::optional<int> minutes;      // visit_minutes of its time
    std::int64_t held = 0;           // 持ち玉投資 of the entries that count in 持ち玉比率
    std::uint8_t loss_count = 0;     // loss[0, loss_count): cash with both rates
    std::uint8_t bought_count = 0;   // bought[0, bought_count): cash by lending price (rate 0)
    std::array<Cash, kMachinesPerRecord> loss;
    std::array<Cash, kMachinesPerRecord> bought;
};
PlaySums play_sums(const RecordPlayData& data);

// A visit as play_figures reads it, with its play data summed beforehand.
struct SummedVisit {
    std::int64_t balance = 0;
    const PlaySums* sums = nullptr;
};
// The same figures as play_figures over the same visits.
PlayFigures play_figures(std::span<const SummedVisit> visits);

// The hall's rates for one kind of machine; 0: not set.
struct KindRates {
    std::int32_t lending_price = 0;
    std::int32_t exchange_rate = 0;
    bool operator==(const KindRates&) const = default;
};
struct HallRates {
    std::string hall;  // CP932
    KindRates pachinko;
    KindRates slot;
    const KindRates& of(Kind kind) const { return kind == Kind::Slot ? slot : pachinko; }
    bool operator==(const HallRates&) const = default;
};

// One store: a hall's pieces of one kind at one lending price.
struct StoreKey {
    std::string hall;  // CP932
    Kind kind = Kind::None;
    std::int32_t lending_price = 0;
    auto operator<=>(const StoreKey&) const = default;
    bool operator==(const StoreKey&) const = default;
};
struct StoreStart {
    StoreKey key;
    std::int64_t pieces = 0;
    bool operator==(const StoreStart&) const = default;
};

// A record as the stores read it, in date order.
struct StoreVisit {
    std::string_view hall;  // CP932
    const RecordPlayData* data = nullptr;
};

struct StoreBalance {
    StoreKey key;
    std::int64_t start = 0;
    std::int64_t deposits = 0;     // 貯玉預入 of the visits
    std::int64_t withdrawals = 0;  // 貯玉引出
    std::int32_t last_exchange = 0;  // exchange rate of the last visit that used the store; 0: none
    std::int64_t pieces() const { return start + deposits - withdrawals; }
};

// Every store with a starting balance or a visit that used it (a machine entry
// with a kind, a lending price and pieces out or in), after the visits given,
// ordered by key. Machine entries without kind or lending price use no store.
std::vector<StoreBalance> store_balances(std::span<const StoreStart> starts, std::span<const StoreVisit> visits);

// The yen value of a store: at the hall's exchange rate for the kind, or,
// where the hall has none, at the rate of the last visit that used it;
// nullopt when neither is known.
std::optional<std::int64_t> store_value(const StoreBalance& store, std::span<const HallRates> rates);

// Stores in the registry's hall order (halls not in it after them, by name),
// then kind (パチンコ before スロット), then lending price.
void sort_stores(std::vector<StoreBalance>& stores, std::span<const std::string> hall_order);

}  // namespace velmo::play
