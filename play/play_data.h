#pragma once
// 実戦データ: what a player keeps of a visit beside its two amounts — per machine
// entry the kind of machine, the hall's lending price and exchange rate, the
// cash and held pieces put in, the pieces at the end, what went out of and into
// the hall's store (貯玉), and the counts of the play; per record the time of
// the visit. Every field is optional; a record without any has no play data.
//
// Kept in the ledger as extension fields of the record (ledger/ledger_codec.h),
// short ASCII texts that a reader without play data skips:
//   tag 0x40        the visit's time: "HH:MM-HH:MM", either side may be empty
//   tag 0x41 + i    machine entry i (0..8) of the record's machine_detail:
//                   twelve fields joined by ",", in the order of kMachineFields
//                   (an empty field: not given; trailing empty fields left off):
//                   kind "P" or "S", lending price in yen (at most two
//                   decimals), exchange rate in pieces per 100円 (at most one
//                   decimal), then whole numbers without separators.
// A text this version cannot read stays in the record as it is and counts as
// no play data; fields after the twelfth are ignored.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/packed_fields.h"

namespace velmo::play {

inline constexpr std::uint8_t kTagVisitTime = 0x40;
inline constexpr std::uint8_t kTagFirstMachine = 0x41;  // machine i at kTagFirstMachine + i

enum class Kind : std::uint8_t { None, Pachinko, Slot };

// Lending prices in hundredths of a yen (4円 = 400, 0.5円 = 50, 20円 = 2000),
// exchange rates in tenths of a piece per 100円 (28玉 = 280, 5.6枚 = 56); 0: not set.
inline constexpr std::int32_t kMaxLendingPrice = 99'999;  // 999.99円
inline constexpr std::int32_t kMaxExchangeRate = 9'999;   // 999.9 pieces per 100円
inline constexpr std::int64_t kMaxYen = 99'999'999;
inline constexpr std::int64_t kMaxPieces = 99'999'999;

// The fields of a machine entry, in stored order, with the names the dialog,
// its messages and the CSV columns use.
enum class Field : int {
    Kind, LendingPrice, ExchangeRate, Cash, HeldIn, StoreOut, EndPieces, StoreIn, Spins, Hits, Rb, Paid
};
inline constexpr int kFieldCount = 12;
// UTF-8 names: 種別, 貸玉料金, 交換率, 現金投資, 持ち玉投資, 貯玉引出, 終了玉, 貯玉預入, 回転数, 大当たり, RB, 出玉.
const std::array<const char*, kFieldCount>& field_names();

struct MachineData {
    Kind kind = Kind::None;
    std::int32_t lending_price = 0;  // hundredths of a yen; 0: not set
    std::int32_t exchange_rate = 0;  // tenths of a piece per 100円; 0: not set
    std::optional<std::int64_t> cash;        // 現金投資, yen
    std::optional<std::int64_t> held_in;     // 持ち玉投資, pieces
    std::optional<std::int64_t> store_out;   // 貯玉引出, pieces (of held_in)
    std::optional<std::int64_t> end_pieces;  // 終了玉
    std::optional<std::int64_t> store_in;    // 貯玉預入, pieces (of end_pieces)
    std::optional<std::int64_t> spins;       // 回転数 (slots: games)
    std::optional<std::int64_t> hits;        // 大当たり (slots: BB)
    std::optional<std::int64_t> rb;          // RB (slots)
    std::optional<std::int64_t> paid;        // 出玉 (pachinko)
    bool empty() const { return *this == MachineData{}; }
    bool operator==(const MachineData&) const = default;
};

// Minutes after midnight, 0..1439.
struct VisitTime {
    std::optional<int> start;
    std::optional<int> end;
    bool empty() const { return !start && !end; }
    bool operator==(const VisitTime&) const = default;
};

// The play data of one record; machines[i] belongs to machine entry i.
struct RecordPlayData {
    VisitTime time;
    std::array<MachineData, kMachinesPerRecord> machines{};
    bool empty() const;
    bool operator==(const RecordPlayData&) const = default;
};

std::string encode_machine(const MachineData& m);
// nullopt for a text this version does not read (a value out of range, a
// character out of place).
std::optional<MachineData> decode_machine(std::string_view text);
std::string encode_time(const VisitTime& t);
std::optional<VisitTime> decode_time(std::string_view text);

// The play data a record keeps (fields that do not read count as none).
RecordPlayData read_play_data(const LedgerRecord& record);
RecordPlayData read_play_data(const std::vector<ExtensionField>& extensions);
// Sets the record's play data: the fields of play data it has replace those in
// place, the others go; the record's other extension fields stay as they are.
// A field whose stored text reads as the same data is left untouched.
void write_play_data(std::vector<ExtensionField>& extensions, const RecordPlayData& data);

// "4", "0.5", "20", "5.6": the shortest decimal of a value in hundredths or tenths.
std::string price_text(std::int32_t hundredths);
std::string rate_text(std::int32_t tenths);
// A decimal text with at most `decimals` places, as a whole number of
// 10^-decimals units, within 1..max; nullopt otherwise.
std::optional<std::int32_t> read_decimal(std::string_view text, int decimals, std::int32_t max);
// "HH:MM" (H may be one digit); nullopt for anything else or a time past 23:59.
std::optional<int> read_time(std::string_view text);
std::string time_text(int minutes);

}  // namespace velmo::play
