#pragma once
// The numbers of the registry's machines (機種のスペック): for a pachinko machine
// its hit probability 1/x, the net balls of a hit and a spread factor; for a
// slot machine, per 設定 1–6, its payout ratio, the BB and RB probabilities and
// the net medals of one BB and one RB. They are the player's settings' part of
// type MachineNumberTable (ledger/player_settings.h), kept with the name registry:
// one record per pachinko machine (type kPachinkoNumbersType) and one per slot
// machine and setting (type kSlotNumbersType), each written only when set, each at
// most 54 bytes as every reader holds them.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "play/play_data.h"

namespace velmo::play {

inline constexpr std::uint8_t kPachinkoNumbersType = 0x43;
inline constexpr std::uint8_t kSlotNumbersType = 0x44;
inline constexpr std::size_t kMaxMachineName = 40;  // the registry dialog's limit
inline constexpr int kSlotSettings = 6;

// Probabilities as 1/x with x in tenths (319.7 = 3197); 0: not given.
inline constexpr std::int32_t kMaxOdds = 9'999'999;       // 1/999999.9
inline constexpr std::int32_t kMaxMeanPayout = 99'999;    // balls of one hit
inline constexpr std::int32_t kMaxSpread = 999;           // 荒さ in tenths: 99.9
inline constexpr std::int32_t kDefaultSpread = 20;        // 2.0
inline constexpr std::int32_t kMaxPayoutRatio = 9'999;    // 機械割 in tenths of a percent: 999.9%
inline constexpr std::int32_t kMaxMedals = 9'999;         // net medals of one BB or RB

struct PachinkoNumbers {
    std::int32_t odds = 0;         // 大当たり確率 1/x, x in tenths
    std::int32_t mean_payout = 0;  // 平均出玉 M: net balls of one hit
    std::int32_t spread = kDefaultSpread;  // 荒さ k in tenths
    bool operator==(const PachinkoNumbers&) const = default;
};

struct SlotSetting {
    std::int32_t payout_ratio = 0;  // 機械割 in tenths of a percent (105.5% = 1055); 0: not given
    std::int32_t bb_odds = 0;       // BB確率 1/x, x in tenths
    std::int32_t rb_odds = 0;       // RB確率
    std::int32_t bb_medals = 0;     // BB枚数: net medals of one BB
    std::int32_t rb_medals = 0;     // RB枚数
    bool empty() const { return *this == SlotSetting{}; }
    bool operator==(const SlotSetting&) const = default;
};

struct MachineNumbers {
    std::string machine;  // CP932
    Kind kind = Kind::None;
    PachinkoNumbers pachinko;                       // when kind is Pachinko
    std::array<SlotSetting, kSlotSettings> slot{};  // when kind is Slot: 設定 1..6
    // Whether it holds any number of its kind (a numbers without one is not kept).
    bool has_numbers() const;
    bool operator==(const MachineNumbers&) const = default;
};

struct MachineNumberTable {
    std::vector<MachineNumbers> machines;  // in the order they were set
    const MachineNumbers* of(std::string_view machine) const;
    bool operator==(const MachineNumberTable&) const = default;
};

// Sets a machine's numbers: a numbers without numbers takes the machine out.
void set_numbers(MachineNumberTable& all_numbers, MachineNumbers numbers);

// Follows the registry dialog: a machine renamed takes its numbers to its new
// name (they replace what the new name had); a machine deleted (new_name
// nullopt) takes them with it. While another row of the registry still lists
// the old name (`listed`: the names it lists now), they stay with that row,
// and a renamed one gets a copy.
void follow_machine(MachineNumberTable& all_numbers, const std::string& old_name, const std::optional<std::string>& new_name,
                    std::span<const std::string> listed);

// Registers the two records' codecs; before the registry is first read.
void register_numbers_records();

// A pachinko record: a length byte and the machine's name (CP932, at most 40
// bytes), then x in tenths (4 bytes, big-endian), M (4 bytes) and k in tenths (2 bytes).
std::string encode_pachinko_record(const std::string& machine, const PachinkoNumbers& numbers);
// A slot record: the name as above, the setting (1 byte, 1..6), 機械割 (2 bytes),
// BB and RB odds (3 bytes each), BB and RB medals (2 bytes each).
std::string encode_slot_record(const std::string& machine, int setting, const SlotSetting& numbers);
// The numbers a record holds (one setting filled for a slot record); nullopt for
// data this version does not read.
std::optional<MachineNumbers> decode_numbers_record(std::uint8_t type, std::string_view data);

}  // namespace velmo::play
