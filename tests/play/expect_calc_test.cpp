// 期待値 arithmetic: the players' own worked figures, a slot posterior worked by
// hand, sessions without spins, and slices mixing entries with and without numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "play/expect_calc.h"

namespace velmo::play {
namespace {

MachineNumbers pachinko(std::int32_t odds, std::int32_t mean, std::int32_t spread = kDefaultSpread) {
    MachineNumbers s;
    s.machine = "P";
    s.kind = Kind::Pachinko;
    s.pachinko = {odds, mean, spread};
    return s;
}

MachineData ball(std::int32_t price, std::int32_t rate, std::int64_t cash, std::int64_t held, std::int64_t spins) {
    MachineData m;
    m.kind = Kind::Pachinko;
    m.lending_price = price;
    m.exchange_rate = rate;
    if (cash) m.cash = cash;
    if (held) m.held_in = held;
    m.spins = spins;
    return m;
}

TEST(ExpectCalc, BorderOfTheWorkedChecks) {
    // x = 200, M = 1,500, 2,500 balls played at 4円.
    const MachineNumbers numbers = pachinko(2000, 1500);
    struct Case {
        const char* what;
        std::int32_t rate;
        std::int64_t cash, held;
        std::int64_t border_tenths;
    } cases[] = {
        {"28玉, all cash", 280, 10000, 0, 373},
        {"等価 (25玉)", 250, 10000, 0, 333},
        {"28玉, half held", 280, 5000, 1250, 353},
        {"held only: 250 x ÷ M whatever the rate", 280, 0, 2500, 333},
    };
    for (const Case& c : cases) {
        const EntryExpect e = entry_expect(ball(400, c.rate, c.cash, c.held, 500), &numbers);
        ASSERT_TRUE(e.ready()) << c.what;
        EXPECT_EQ(e.border_tenths(), c.border_tenths) << c.what;
        EXPECT_EQ(e.rate_tenths(), 500) << c.what;  // 500 spins on 2,500 balls
        EXPECT_EQ(*e.rate_tenths() - *e.border_tenths(), *e.border_gap_tenths()) << c.what;
    }
}

TEST(ExpectCalc, WorkPerSpinOfTheWorkedCheck) {
    // x = 105.5, M = 1,380, 28玉, held balls only, r = 20.5: 205 spins on 2,500 balls.
    const MachineNumbers numbers = pachinko(1055, 1380);
    const EntryExpect e = entry_expect(ball(0, 280, 0, 2500, 205), &numbers);
    ASSERT_TRUE(e.ready());
    EXPECT_EQ(e.rate_tenths(), 205);
    EXPECT_EQ(std::llround(e.yen() / 205 * 100), 316);  // +3.16円 a spin
    // E = 205 × 1380 ÷ 105.5 × 100/28 − 2500 × 100/28 = 957,500 ÷ 1,477 = 648.27…
    EXPECT_TRUE(e.exact);
    EXPECT_EQ(e.num * 1477, e.den * 957'500);
    EXPECT_EQ(e.value_yen(), 648);
    // σ = v M √(k n ÷ x) = 100/28 × 1380 × √(2 × 205 ÷ 105.5)
    EXPECT_NEAR(static_cast<double>(e.sigma()), 100.0 / 28 * 1380 * std::sqrt(2.0 * 205 / 105.5), 1e-6);
}

TEST(ExpectCalc, CashBeyondWhatWasPlayedCountsAsBought) {
    // 1,000 balls bought (4,000円), 200 left at the end: 800 played, all bought.
    const MachineNumbers numbers = pachinko(2000, 1500);
    MachineData m = ball(400, 280, 4000, 0, 100);
    m.end_pieces = 200;
    const EntryExpect e = entry_expect(m, &numbers);
    ASSERT_TRUE(e.ready());
    // E = 100 × 1500 ÷ 200 × 100/28 − 800 × 4 = 2678.57 − 3200
    EXPECT_EQ(e.value_yen(), -521);
    EXPECT_EQ(e.border_tenths(), 373);   // all bought: the all-cash border
    EXPECT_EQ(e.rate_tenths(), 313);     // 250 × 100 ÷ 800 = 31.25
}

TEST(ExpectCalc, SessionsWithoutSpins) {
    const MachineNumbers numbers = pachinko(2000, 1500);
    // Nothing played: E = 0, no 回転率.
    const EntryExpect idle = entry_expect(ball(400, 280, 0, 0, 0), &numbers);
    ASSERT_TRUE(idle.ready());
    EXPECT_EQ(idle.value_yen(), 0);
    EXPECT_EQ(idle.sigma(), 0);
    EXPECT_FALSE(idle.rate_tenths());
    // 1,000円 played without a spin: the cost alone.
    const EntryExpect lost = entry_expect(ball(400, 280, 1000, 0, 0), &numbers);
    ASSERT_TRUE(lost.ready());
    EXPECT_EQ(lost.value_yen(), -1000);
    EXPECT_EQ(lost.rate_tenths(), 0);
    // Spins without pieces played are refused.
    MachineData none = ball(400, 280, 0, 0, 30);
    EXPECT_EQ(entry_expect(none, &numbers).state, ExpectState::NotPlayed);
    none.end_pieces = 10;
    none.spins = 0;
    EXPECT_EQ(entry_expect(none, &numbers).state, ExpectState::NotPlayed);
}

TEST(ExpectCalc, WhatAnEntryNeeds) {
    const MachineNumbers numbers = pachinko(2000, 1500);
    const MachineData m = ball(400, 280, 1000, 0, 50);
    MachineData slot = m, no_spins = m, no_rate = m, no_price = m, no_kind = m;
    slot.kind = Kind::Slot;
    no_spins.spins.reset();
    no_rate.exchange_rate = 0;
    no_price.lending_price = 0;
    no_kind.kind = Kind::None;
    struct Case {
        const char* what;
        MachineData data;
        const MachineNumbers* numbers;
        ExpectState want;
    } cases[] = {
        {"no numbers", m, nullptr, ExpectState::NoNumbers},
        {"numbers of a slot machine", slot, &numbers, ExpectState::NoNumbers},
        {"no spins", no_spins, &numbers, ExpectState::Incomplete},
        {"no exchange rate", no_rate, &numbers, ExpectState::Incomplete},
        {"cash without a lending price", no_price, &numbers, ExpectState::Incomplete},
        {"no kind: the machine's", no_kind, &numbers, ExpectState::Ready},
    };
    for (const Case& c : cases) EXPECT_EQ(entry_expect(c.data, c.numbers).state, c.want) << c.what;
}

MachineNumbers two_settings() {
    MachineNumbers s;
    s.machine = "S";
    s.kind = Kind::Slot;
    s.slot[0] = {970, 3000, 4000, 300, 100};   // 設定1: 97.0%, BB 1/300, RB 1/400
    s.slot[5] = {1100, 2500, 3000, 300, 100};  // 設定6: 110.0%, BB 1/250, RB 1/300
    s.slot[2] = {1000, 0, 0, 0, 0};            // 設定3 without probabilities: not weighed
    return s;
}

MachineData medals(std::int64_t games, std::optional<std::int64_t> bb, std::optional<std::int64_t> rb) {
    MachineData m;
    m.kind = Kind::Slot;
    m.lending_price = 2000;  // 20円
    m.exchange_rate = 56;    // 5.6枚
    m.cash = 10000;          // 500 medals
    m.spins = games;
    m.hits = bb;
    m.rb = rb;
    return m;
}

TEST(ExpectCalc, SlotPosteriorWorkedByHand) {
    const MachineNumbers numbers = two_settings();
    // 3,000 games, 12 BB, 10 RB. ln L1 − ln L6 = 12 ln(250/300) + 3000 (1/250 − 1/300)
    //   + 10 ln(300/400) + 3000 (1/300 − 1/400) = −2.18786 + 2 − 2.87682 + 2.5 = −0.56468,
    // P(1) = 1 ÷ (1 + e^0.56468) = 0.36247, P(6) = 0.63753.
    const EntryExpect e = entry_expect(medals(3000, 12, 10), &numbers);
    ASSERT_TRUE(e.ready());
    EXPECT_NEAR(e.posterior[0], 0.36247, 1e-5);
    EXPECT_NEAR(e.posterior[5], 0.63753, 1e-5);
    EXPECT_EQ(e.posterior[2], 0);
    EXPECT_EQ(e.likely_setting, 6);
    // 9,000 medals at v = 100/5.6, 500 of them bought for 10,000円:
    // cost = 10000 + 8500 × 100/5.6 = 161,785.71; E1 = 9000 × 0.97 × 100/5.6 − cost = −5,892.86,
    // E6 = 9000 × 1.10 × 100/5.6 − cost = 15,000; E = 0.36247 E1 + 0.63753 E6 = 7,427.06.
    EXPECT_FALSE(e.exact);
    EXPECT_NEAR(static_cast<double>(e.yen()), 7427.06, 0.01);
    EXPECT_EQ(e.value_yen(), 7427);
    // σ² = v² G Σ P(s)(p_BB b² + p_RB r²)
    const double v = 100 / 5.6;
    const double var = v * v * 3000 * (0.362465 * (90000.0 / 300 + 10000.0 / 400) + 0.637535 * (90000.0 / 250 + 10000.0 / 300));
    EXPECT_NEAR(static_cast<double>(e.sigma()), std::sqrt(var), 0.5);
}

TEST(ExpectCalc, SlotWithoutCountsOrWeighableSettings) {
    MachineNumbers numbers = two_settings();
    // Counts not kept: both settings as likely as before.
    const EntryExpect even = entry_expect(medals(3000, std::nullopt, std::nullopt), &numbers);
    EXPECT_NEAR(even.posterior[0], 0.5, 1e-12);
    EXPECT_NEAR(even.posterior[5], 0.5, 1e-12);
    // No setting with probabilities: the chosen one alone, exactly; none chosen, no E.
    numbers.slot[0] = {970, 0, 0, 0, 0};
    numbers.slot[5] = {};
    EXPECT_EQ(entry_expect(medals(3000, 12, 10), &numbers).state, ExpectState::NoNumbers);
    EXPECT_EQ(entry_expect(medals(3000, 12, 10), &numbers, 2).state, ExpectState::NoNumbers);  // 設定2 has no 機械割
    const EntryExpect chosen = entry_expect(medals(3000, 12, 10), &numbers, 1);
    ASSERT_TRUE(chosen.ready());
    EXPECT_TRUE(chosen.exact);
    EXPECT_EQ(chosen.likely_setting, 1);
    EXPECT_EQ(chosen.value_yen(), -5893);
    EXPECT_EQ(chosen.sigma(), 0);
}

TEST(ExpectCalc, SliceMixesEntriesWithAndWithoutNumbers) {
    const MachineNumbers numbers = pachinko(1055, 1380);
    const EntryExpect a = entry_expect(ball(0, 280, 0, 2500, 205), &numbers);       // E 648.27, r 20.5
    const EntryExpect b = entry_expect(ball(400, 280, 10000, 0, 500), &numbers);   // U 2500, r 50
    const EntryExpect none = entry_expect(ball(400, 280, 10000, 0, 500), static_cast<const MachineNumbers*>(nullptr));
    const std::vector<ExpectEntry> entries = {
        {&a, 3000, 0}, {&none, -50000, 0}, {&b, -2000, 1}, {&none, 70000, 2}};
    const std::vector<std::optional<int>> minutes = {90, std::nullopt, 600};
    const ExpectFigures f = expect_figures(entries, minutes);
    EXPECT_EQ(f.counted, 2);
    // E_b = 500 × 1380 ÷ 105.5 × 100/28 − 10000 = 23,358.15 − 10000 = 13,358.15;
    // ΣE = 648.27 + 13,358.15 = 14,006.42; 運 = 3000 − 2000 − 14,006.42.
    EXPECT_EQ(f.work, 14006);
    EXPECT_EQ(f.luck, -13006);
    // Only record 0 has a time and an E (record 2 has a time but no E): 648.27 ÷ 1.5 h.
    EXPECT_EQ(f.hourly, 432);
    // Σ250n ÷ ΣU = 250 × 705 ÷ 5000 = 35.25
    EXPECT_EQ(f.mean_rate_tenths, 353);
    ASSERT_TRUE(f.z);
    EXPECT_NEAR(static_cast<double>(*f.z), (1000 - 14006.42) / std::sqrt(static_cast<double>(a.variance + b.variance)),
                1e-3);
    EXPECT_EQ(f.luck_sd, std::llround(std::sqrt(a.variance + b.variance)));
    // n-weighted ボーダー差 (border 250 × 105.5 ÷ 1380 = 19.11 held, 21.40 bought).
    EXPECT_EQ(f.mean_border_gap_tenths,
              std::llround(10 * (205 * (a.rate - a.border) + 500 * (b.rate - b.border)) / 705));
    // Nothing with numbers: nothing to show.
    const std::vector<ExpectEntry> bare = {{&none, 100, 0}};
    const ExpectFigures empty = expect_figures(bare, minutes);
    EXPECT_EQ(empty.counted, 0);
    EXPECT_FALSE(empty.work || empty.luck || empty.hourly || empty.z || empty.mean_rate_tenths);
}

TEST(ExpectCalc, SumsBeyondThirtyTwoBitsStayExact) {
    // Each entry E = 99,999,999 × 1500 ÷ 200 × 100/25 − 4 × U, U = 99,999,999 × 250 ÷ 50 (r = 50):
    // 2,999,999,970 − 1,999,999,980 = 999,999,990 exactly; five of them pass 2³².
    const MachineNumbers numbers = pachinko(2000, 1500);
    MachineData m = ball(400, 250, 0, 499'999'995, 99'999'999);
    m.lending_price = 0;
    m.held_in.reset();
    m.paid = 499'999'995;
    const EntryExpect e = entry_expect(m, &numbers);
    ASSERT_TRUE(e.ready());
    // Held and paid balls are worth v = 4円 at 等価: cost = U × 4.
    EXPECT_EQ(e.value_yen(), 99'999'999LL * 30 - 499'999'995LL * 4);
    std::vector<ExpectEntry> entries(5, ExpectEntry{&e, 2'000'000'000, 0});
    const ExpectFigures f = expect_figures(entries, {});
    EXPECT_EQ(f.work, 5 * e.value_yen());
    EXPECT_EQ(f.luck, 5 * (2'000'000'000 - e.value_yen()));
    EXPECT_EQ(f.mean_rate_tenths, 500);
}

TEST(ExpectCalc, HalvesRoundOnceAwayFromZero) {
    // 1/1.0, two balls a hit, at 40玉 (v = 2.5): one spin on one held ball,
    // E = 2 × 2.5 − 2.5 = 2.5, which alone rounds to 3.
    const MachineNumbers numbers = pachinko(10, 2);
    const EntryExpect e = entry_expect(ball(0, 400, 0, 1, 1), &numbers);
    ASSERT_TRUE(e.ready());
    EXPECT_EQ(e.yen(), 2.5L);
    EXPECT_EQ(e.value_yen(), 3);
    // Two of them sum to 5, not 6; 運 of one is −2.5, rounded to −3.
    const std::vector<ExpectEntry> two(2, ExpectEntry{&e, 0, 0});
    EXPECT_EQ(expect_figures(two, {}).work, 5);
    EXPECT_EQ(expect_figures(two, {}).luck, -5);
    const std::vector<ExpectEntry> one(1, ExpectEntry{&e, 0, 0});
    EXPECT_EQ(expect_figures(one, {}).luck, -3);
    EXPECT_EQ(luck_yen(e, 0), -3);
    EXPECT_EQ(luck_yen(e, 5), 3);  // 2.5 → 3
    const std::vector<ExpectEntry> won(1, ExpectEntry{&e, 1, 0});
    EXPECT_EQ(expect_figures(won, {}).luck, -2);  // 1 − 2.5 = −1.5 → −2
}

TEST(ExpectCalc, LuckSentence) {
    struct Case {
        long double z;
        const char* want;
    } cases[] = {
        {0, "ほぼ期待値どおりです"},
        {-0.99L, "ほぼ期待値どおりです"},
        {1, "期待値より上振れしています"},
        {-1.5L, "期待値より下振れしています"},
        {2, "期待値より上振れしています（偶然では説明しにくい水準）"},
        {-3, "期待値より下振れしています（偶然では説明しにくい水準）"},
    };
    for (const Case& c : cases) EXPECT_EQ(luck_sentence(c.z), c.want) << static_cast<double>(c.z);
}

TEST(ExpectCalc, RunningPointsOnePerRecordWithAnE) {
    const MachineNumbers numbers = pachinko(2000, 1500);
    const EntryExpect a = entry_expect(ball(400, 250, 1000, 0, 0), &numbers);  // E = −1000
    const EntryExpect none;
    const std::vector<ExpectEntry> entries = {{&a, 500, 0}, {&a, -500, 0}, {&none, 9999, 1}, {&a, 0, 2}};
    const auto points = expect_points(entries);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].record, 0u);
    EXPECT_EQ(points[0].balance, 0);
    EXPECT_EQ(points[0].work, -2000);
    EXPECT_EQ(points[1].record, 2u);
    EXPECT_EQ(points[1].work, -3000);
}

}  // namespace
}  // namespace velmo::play
