#pragma once
// 期待値: what a machine entry's play was worth by the machine's numbers
// (仕事量 E), its spread (σ), and how far the result strayed from it (運 =
// 実収支 − E); for pachinko also 回転率 r against the ボーダー r*. Pure: plain
// values in, plain values out.
//
// With v the yen value of a piece at exchange, L the lending price, C = 現金投資 ÷ L:
// パチンコ (n spins, x the hit odds, M the net balls of a hit, k the spread factor):
//   U = C + 持ち玉投資 + 出玉 − 終了玉 (pieces played), c = min(C, U) ÷ U,
//   r = 250n ÷ U, r* = 250 (cL + (1 − c)v) ÷ (M ÷ x × v),
//   E = n M ÷ x × v − (min(C, U) L + (U − min(C, U)) v),  σ = v M √(k n ÷ x).
// スロット (G games at 3 medals, c' = min(C, 3G)): per setting s with a payout
// ratio w_s, E_s = 3G w_s v − (c' L + (3G − c') v); the settings are weighed by
// the Poisson likelihood of the BB and RB counts (all equally likely before);
// E = Σ P(s) E_s, σ = v √(G Σ P(s)(p_BB,s b_s² + p_RB,s r_s²)).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "play/exact_sum.h"
#include "play/machine_numbers.h"
#include "play/play_data.h"

namespace velmo::play {

// A machine's numbers made ready for many entries (the logarithms of the slot
// probabilities taken once).
struct PreparedNumbers {
    const MachineNumbers* numbers = nullptr;
    // Per setting: whether it takes part in the posterior (機械割 and both
    // probabilities given), ln p_BB, p_BB, ln p_RB, p_RB.
    std::array<bool, kSlotSettings> candidate{};
    std::array<double, kSlotSettings> ln_bb{}, bb{}, ln_rb{}, rb{};
    int candidates = 0;
};
PreparedNumbers prepare_numbers(const MachineNumbers& numbers);

enum class ExpectState {
    NoNumbers,   // no machine numbers of the entry's kind
    Incomplete,  // spins, exchange rate, or the lending price of cash are missing
    NotPlayed,   // pachinko: spins but no pieces played (U ≤ 0); refused
    Ready,
};

struct EntryExpect {
    ExpectState state = ExpectState::NoNumbers;
    Kind kind = Kind::None;
    // 仕事量: exact as num ÷ den when exact, else approx (slot posteriors
    // weigh with probabilities that are no fractions).
    bool exact = false;
    __int128 num = 0;
    __int128 den = 1;
    long double approx = 0;
    long double variance = 0;  // σ² in yen²
    // パチンコ: spins, pieces played (U = played_num ÷ played_den) and r* =
    // border_num ÷ border_den; r and r* as values for sums and drawing.
    std::int64_t spins = 0;
    __int128 played_num = 0;
    __int128 played_den = 1;
    __int128 border_num = 0;
    __int128 border_den = 0;  // 0: no r (U = 0)
    double rate = 0, border = 0;
    // スロット: P(s) of settings 1..6, the most likely one (1..6; 0 none) and its P.
    std::array<double, kSlotSettings> posterior{};
    int likely_setting = 0;
    double likely_probability = 0;

    bool ready() const { return state == ExpectState::Ready; }
    long double yen() const;         // E
    std::int64_t value_yen() const;  // E rounded once
    long double sigma() const;
    // r, r* and r − r* in tenths, each rounded once; nullopt without pieces played.
    std::optional<std::int64_t> rate_tenths() const;
    std::optional<std::int64_t> border_tenths() const;
    std::optional<std::int64_t> border_gap_tenths() const;
};

// The figures of one machine entry. numbers: the machine's numbers, nullptr when
// it has none. chosen_setting (1..6): the setting the player believes in, used
// when no setting can be weighed by its counts.
EntryExpect entry_expect(const MachineData& m, const PreparedNumbers* numbers, std::optional<int> chosen_setting = {});
EntryExpect entry_expect(const MachineData& m, const MachineNumbers* numbers, std::optional<int> chosen_setting = {});

// 運 of one entry: its 実収支 − E, rounded once (a ready entry).
std::int64_t luck_yen(const EntryExpect& e, std::int64_t balance);

// One machine entry of a slice: its figures, its 実収支 (回収 − 投資) and the
// number of its record (an index into the records' minutes).
struct ExpectEntry {
    const EntryExpect* expect = nullptr;
    std::int64_t balance = 0;
    std::uint32_t record = 0;
};

struct ExpectFigures {
    int counted = 0;  // entries with E: "仕事量はスペック登録済みの N 件から"
    std::optional<std::int64_t> work;      // 仕事量 ΣE
    std::optional<std::int64_t> hourly;    // 期待時給: ΣE ÷ Σ hours of the records with a time and an E
    std::optional<std::int64_t> luck;      // 運 Σ(実収支 − E)
    std::optional<std::int64_t> luck_sd;   // 運の標準偏差 √Σσ², yen
    std::optional<long double> z;          // 運の偏り Σ(実収支 − E) ÷ √Σσ²
    std::optional<std::int64_t> mean_rate_tenths;        // 平均回転率 Σ250n ÷ ΣU (pachinko)
    std::optional<std::int64_t> mean_border_gap_tenths;  // 平均ボーダー差, weighted by n
};
// record_minutes[i]: the visit time of record i, nullopt without one.
ExpectFigures expect_figures(std::span<const ExpectEntry> entries, std::span<const std::optional<int>> record_minutes);

// The plain sentence for z (UTF-8): "ほぼ期待値どおりです" while |z| < 1, else
// "期待値より上振れしています" / "期待値より下振れしています", with
// "（偶然では説明しにくい水準）" from |z| ≥ 2.
std::string luck_sentence(long double z);

// The running sums the 期待値 chart draws, one point per record with an E, in
// the order of the entries (date order): 実収支 and 仕事量 of the entries with
// an E so far, and √Σσ² of them.
struct ExpectPoint {
    std::uint32_t record = 0;
    long double balance = 0;
    long double work = 0;
    long double sd = 0;
};
std::vector<ExpectPoint> expect_points(std::span<const ExpectEntry> entries);

}  // namespace velmo::play
