#pragma once
// A small year with play data of two machines, numbers for one of them, and
// its expected-value figures worked by hand. 海物語: パチンコ 1/200.0, 1,500
// balls a hit, 荒さ 2.0; ジャグラー has no numbers. v = 100/28 at 28玉, L = 4.
//
//   3/1  A  海物語    4円 28玉: 現金 10,000 (C = 2,500), 出玉 3,000, 終了 1,500,
//                     500 spins, 10:00-12:00; 収支 5,357 − 10,000 = −4,643
//                     U = 2,500 + 3,000 − 1,500 = 4,000; r = 31.25; c = 0.625
//                     E = 500 × 7.5 v − (10,000 + 1,500 v) = 2,250 v − 10,000 = −1,964.29
//                     r* = 250 (2.5 + 0.375 v) ÷ 7.5 v = 35.83; σ² = (1,500 v)² × 5
//   3/5  B  ジャグラー 20円 5.6枚: 現金 20,000, 終了 1,500; 収支 +6,786 (no numbers)
//   5/2  B  海物語    4円 28玉: 現金 5,000, 300 spins, 終了 0; 収支 −5,000
//                     U = 1,250; r = 60.0; E = 2,250 v − 5,000 = 3,035.71
//                     r* = 1,000 ÷ 7.5 v = 37.33; σ² = (1,500 v)² × 3
// The year: ΣE = 4,500 v − 15,000 = 1,071.43; 運 = −9,643 − 1,071.43 = −10,714.43;
// √Σσ² = 1,500 v √8 = 15,152.29; z = −0.707; 期待時給 = −1,964.29 ÷ 2 h = −982.14;
// 平均回転率 = 250 × 800 ÷ 5,250 = 38.10; 平均ボーダー差 = (500 × −4.583 + 300 × 22.667) ÷ 800 = 5.64.
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "play/machine_numbers.h"
#include "tests/analysis/play_ledger.h"

namespace velmo::testing {

inline std::vector<LedgerRecord> expect_records() {
    play::RecordPlayData first;
    first.time = {10 * 60, 12 * 60};
    first.machines[0] = machine(play::Kind::Pachinko, 400, 280);
    first.machines[0].cash = 10000;
    first.machines[0].paid = 3000;
    first.machines[0].end_pieces = 1500;
    first.machines[0].spins = 500;

    play::RecordPlayData second;
    second.machines[0] = machine(play::Kind::Slot, 2000, 56);
    second.machines[0].cash = 20000;
    second.machines[0].end_pieces = 1500;
    second.machines[0].spins = 800;

    play::RecordPlayData third;
    third.machines[0] = machine(play::Kind::Pachinko, 400, 280);
    third.machines[0].cash = 5000;
    third.machines[0].end_pieces = 0;
    third.machines[0].spins = 300;

    return {
        with_play(play_record(3, 1, "A", {{"海物語", 10000, 5357}}), first),
        with_play(play_record(3, 5, "B", {{"ジャグラー", 20000, 26786}}), second),
        with_play(play_record(5, 2, "B", {{"海物語", 5000, 0}}), third),
    };
}

inline LedgerImage expect_ledger() {
    LedgerImage image;
    image.year = "2024";
    image.records = expect_records();
    return image;
}

// 海物語's numbers; mean_payout 1,500 unless given.
inline play::MachineNumberTable expect_numbers(std::int32_t mean_payout = 1500) {
    play::MachineNumberTable all_numbers;
    play::MachineNumbers numbers;
    numbers.machine = cp932_literal("海物語");
    numbers.kind = play::Kind::Pachinko;
    numbers.pachinko = {2000, mean_payout, 20};
    play::set_numbers(all_numbers, numbers);
    return all_numbers;
}

inline Registry expect_registry() {
    Registry reg;
    reg.halls = {"A", "B"};
    reg.settings.set(expect_numbers());
    return reg;
}

}  // namespace velmo::testing
