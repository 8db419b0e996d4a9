#pragma once
// A small year with play data, its figures worked out by hand, and the
// registry beside it: halls listed B then A, A with rates for pachinko
// (4円, 28玉), B with none; starting stores A 4円パチンコ 1,000玉, A 0.5円パチンコ
// 2,000玉 and C (a hall the registry does not list, without rates) 4円パチンコ 300玉.
//
//   3/1  A  海物語    P 4円 28玉: 現金 10,000, 持ち玉 1,000 (all from the store),
//                     終了 2,500 (all into the store), 10:00-14:30 (270 min)
//                     投資 10,000 + 1,000 × 100/28 = 13,571.43 → 13,571
//                     回収 2,500 × 100/28 = 8,928.57 → 8,929; 収支 -4,642
//   3/5  B  ジャグラー S 20円 5.6枚: 現金 20,000, 終了 1,500 (1,000 into the store),
//                     22:00-01:00 (180 min, over midnight)
//                     回収 1,500 × 100/5.6 = 26,785.71 → 26,786; 収支 +6,786
//   4/10 A  海物語    no play data: 投資 5,000, 回収 0
//   5/2  B  海物語    P 1円 等価 (100玉): 現金 3,000, 終了 0; no time; 収支 -3,000
#include <string>
#include <vector>

#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "play/play_data.h"
#include "play/play_settings.h"
#include "tests/analysis/test_records.h"

namespace velmo::testing {

inline LedgerRecord with_play(LedgerRecord r, const play::RecordPlayData& data) {
    play::write_play_data(r.extensions, data);
    return r;
}

inline play::MachineData machine(play::Kind kind, std::int32_t price, std::int32_t rate) {
    play::MachineData m;
    m.kind = kind;
    m.lending_price = price;
    m.exchange_rate = rate;
    return m;
}

inline std::vector<LedgerRecord> hand_play_records() {
    play::RecordPlayData first;
    first.time = {10 * 60, 14 * 60 + 30};
    first.machines[0] = machine(play::Kind::Pachinko, 400, 280);
    first.machines[0].cash = 10000;
    first.machines[0].held_in = first.machines[0].store_out = 1000;
    first.machines[0].end_pieces = first.machines[0].store_in = 2500;

    play::RecordPlayData second;
    second.time = {22 * 60, 60};
    second.machines[0] = machine(play::Kind::Slot, 2000, 56);
    second.machines[0].cash = 20000;
    second.machines[0].end_pieces = 1500;
    second.machines[0].store_in = 1000;

    play::RecordPlayData fourth;
    fourth.machines[0] = machine(play::Kind::Pachinko, 100, 1000);
    fourth.machines[0].cash = 3000;
    fourth.machines[0].end_pieces = 0;

    return {
        with_play(play_record(3, 1, "A", {{"海物語", 13571, 8929}}), first),
        with_play(play_record(3, 5, "B", {{"ジャグラー", 20000, 26786}}), second),
        play_record(4, 10, "A", {{"海物語", 5000, 0}}),
        with_play(play_record(5, 2, "B", {{"海物語", 3000, 0}}), fourth),
    };
}

inline LedgerImage hand_play_ledger() {
    LedgerImage image;
    image.year = "2024";
    image.records = hand_play_records();
    return image;
}

inline play::PlaySettings hand_play_settings() {
    play::PlaySettings s;
    play::HallRates a;
    a.hall = "A";
    a.pachinko = {400, 280};
    play::set_rates(s, a);
    play::set_store_start(s, {"A", play::Kind::Pachinko, 400}, 1000);
    play::set_store_start(s, {"A", play::Kind::Pachinko, 50}, 2000);
    play::set_store_start(s, {"C", play::Kind::Pachinko, 400}, 300);
    return s;
}

inline Registry hand_play_registry() {
    Registry reg;
    reg.halls = {"B", "A"};
    reg.settings.set(hand_play_settings());
    return reg;
}

}  // namespace velmo::testing
