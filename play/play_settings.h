#pragma once
// The player's play settings: each hall's rates for pachinko and for slots, and
// the balances its store (貯玉) held when the player began keeping play data.
// They are the player's settings' part of type PlaySettings
// (ledger/player_settings.h), kept with the name registry: one record per hall
// with rates (type kRatesType) and one per starting balance (type kStoresType),
// each written only when set, each at most 54 bytes as every reader holds them.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "play/play_calc.h"

namespace velmo::play {

inline constexpr std::uint8_t kRatesType = 0x41;
inline constexpr std::uint8_t kStoresType = 0x42;
inline constexpr std::size_t kMaxHallName = 32;  // the registry dialog's limit

struct PlaySettings {
    std::vector<HallRates> halls;     // halls with rates, in the order they were set
    std::vector<StoreStart> stores;   // starting balances, one per store
    bool operator==(const PlaySettings&) const = default;
    // The hall's rates; nullptr when it has none.
    const HallRates* rates_of(std::string_view hall) const;
    // The starting balance of a store; 0 when none is set.
    std::int64_t start_of(const StoreKey& key) const;
};

// Sets a hall's rates: a hall with no rate left is taken out.
void set_rates(PlaySettings& settings, HallRates rates);
// Sets a store's starting balance: 0 takes it out.
void set_store_start(PlaySettings& settings, const StoreKey& key, std::int64_t pieces);

// Follows the registry dialog: a hall renamed takes its rates and starting
// balances to its new name (they replace what the new name had); a hall
// deleted (new_name nullopt) takes them with it. While another row of the
// registry still lists the old name (`listed`: the names it lists now), they
// stay with that row, and a renamed one gets a copy.
void follow_hall(PlaySettings& settings, const std::string& old_name, const std::optional<std::string>& new_name,
                 std::span<const std::string> listed);

// Registers the two records' codecs; before the registry is first read.
void register_registry_records();

// A rates record: a length byte and the hall's name (CP932, at most 32 bytes),
// then for pachinko and for slots the lending price in hundredths of a yen
// (4 bytes, big-endian) and the exchange rate in tenths of a piece (2 bytes).
std::string encode_rates_record(const HallRates& rates);
std::optional<HallRates> decode_rates_record(std::string_view data);
// A starting balance record: the name as above, the kind (1 pachinko, 2 slots),
// the lending price (4 bytes) and the pieces (4 bytes).
std::string encode_store_record(const StoreStart& start);
std::optional<StoreStart> decode_store_record(std::string_view data);

}  // namespace velmo::play
