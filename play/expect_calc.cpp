#include "play/expect_calc.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace velmo::play {

namespace {

using i128 = __int128;

// A sum of 仕事量: the exact entries as fractions over few denominators, the
// others (slot entries weighed over several settings) in long double. It is
// exact, and rounded exactly, while every entry is.
class WorkSum {
public:
    void add(const EntryExpect& e) {
        if (e.exact)
            exact_.add(e.num, e.den);
        else
            approx_ += e.approx;
        inexact_ = inexact_ || !e.exact;
    }
    // The sum plus a whole number of yen (a balance), rounded once: E yields
    // ΣE with plus = 0 and, negated, Σ(実収支 − E) with the balances.
    std::int64_t rounded(std::int64_t plus = 0, bool negate = false) const {
        const ExactSum s = exact_.total();
        if (!inexact_ && s.exact()) {
            i128 num = negate ? -s.num() : s.num(), scaled = 0, sum = 0;
            if (!__builtin_mul_overflow(static_cast<i128>(plus), s.den(), &scaled) &&
                !__builtin_add_overflow(num, scaled, &sum))
                return round_div(sum, s.den());
        }
        const long double v = s.approx() + approx_;
        return std::llround(static_cast<long double>(plus) + (negate ? -v : v));
    }
    // The sum × 60 ÷ minutes, rounded once (minutes > 0).
    std::int64_t per_hour(std::int64_t minutes) const {
        const ExactSum s = exact_.total();
        i128 num = 0, den = 0;
        if (!inexact_ && s.exact() && !__builtin_mul_overflow(s.num(), static_cast<i128>(60), &num) &&
            !__builtin_mul_overflow(s.den(), static_cast<i128>(minutes), &den))
            return round_div(num, den);
        return std::llround((s.approx() + approx_) * 60.0L / static_cast<long double>(minutes));
    }
    long double value() const { return exact_.total().approx() + approx_; }

private:
    FractionBuckets exact_;
    long double approx_ = 0;
    bool inexact_ = false;
};

// e^d for −60 ≤ d ≤ 0, to a relative 1e-15: 2^k × e^r with |r| ≤ ln2 ÷ 2 by
// its series. The posterior's weights need no more, and the library's exp was
// most of the time of a year's figures (a call in a tight loop of plain SSE code).
double weight_exp(double d) {
    constexpr double kLn2 = 0.693147180559945309417232121458;
    const double k = std::nearbyint(d / kLn2);
    const double r = d - k * kLn2;
    // Σ r^i ÷ i! for i ≤ 13, by Horner's rule with the coefficients made once.
    static constexpr auto kInverseFactorials = [] {
        std::array<double, 14> c{};
        double f = 1;
        for (int i = 0; i < 14; ++i) {
            if (i > 0) f *= i;
            c[static_cast<std::size_t>(i)] = 1 / f;
        }
        return c;
    }();
    double sum = kInverseFactorials[13];
    for (int i = 12; i >= 0; --i) sum = sum * r + kInverseFactorials[static_cast<std::size_t>(i)];
    const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(k) + 1023) << 52;
    return sum * std::bit_cast<double>(bits);
}

EntryExpect pachinko_expect(const MachineData& m, const PachinkoNumbers& p) {
    EntryExpect e;
    e.kind = Kind::Pachinko;
    const std::int64_t cash = m.cash.value_or(0);
    if (!m.spins || m.exchange_rate <= 0 || (cash > 0 && m.lending_price <= 0)) {
        e.state = ExpectState::Incomplete;
        return e;
    }
    const i128 n = *m.spins, R = m.exchange_rate, X = p.odds, M = p.mean_payout;
    // Without cash the lending price plays no part; 1 keeps the fractions whole.
    const i128 L = m.lending_price > 0 ? m.lending_price : 1;
    // Pieces played other than bought: held + paid − end; U = (100 cash + Q L) ÷ L.
    const i128 Q = static_cast<i128>(m.held_in.value_or(0)) + m.paid.value_or(0) - m.end_pieces.value_or(0);
    const i128 U = 100 * static_cast<i128>(cash) + Q * L;
    e.spins = m.spins.value_or(0);
    e.played_num = U;
    e.played_den = L;
    if (U < 0 || (U == 0 && n > 0)) {
        e.state = ExpectState::NotPlayed;
        return e;
    }
    e.state = ExpectState::Ready;
    e.exact = true;
    // Over den = 100 X R: the hits' worth n M ÷ x × v = n M 10⁶ ÷ den; the cost
    // of the pieces is cash plus the rest at v while the cash bought no more than
    // was played (Q ≥ 0), else U × L, all of it bought.
    e.den = 100 * X * R;
    const i128 cost = Q >= 0 ? (static_cast<i128>(cash) * R + Q * 1000) * X * 100 : U * X * R;
    e.num = n * M * 1'000'000 - cost;
    // σ² = v² M² k n ÷ x = 10⁶ M² K n ÷ (R² X), in floating point: it is only
    // ever taken under a square root.
    const double mean = p.mean_payout, rate = m.exchange_rate, odds = p.odds;
    e.variance = 1e6 * mean * mean * p.spread * static_cast<double>(*m.spins) / (rate * rate * odds);
    if (U > 0) {
        // r = 250 n L ÷ U; r* = Nb ÷ Db (the header's formula with c and v written out).
        e.border_num = Q >= 0 ? (static_cast<i128>(cash) * R + Q * 1000) * X * L : X * R * L;
        e.border_den = Q >= 0 ? 40 * U * M : 4000 * M;
        // The same in double, for the weighted mean and the picture.
        const double l = static_cast<double>(L), q = static_cast<double>(Q), c = static_cast<double>(cash);
        const double u = c * 100 + q * l;
        e.rate = 250.0 * static_cast<double>(*m.spins) * l / u;
        e.border = Q >= 0 ? (c * rate + q * 1000) * odds * l / (40 * u * mean) : odds * rate * l / (4000 * mean);
    }
    return e;
}

EntryExpect slot_expect(const MachineData& m, const PreparedNumbers& prepared, std::optional<int> chosen) {
    const MachineNumbers& numbers = *prepared.numbers;
    EntryExpect e;
    e.kind = Kind::Slot;
    const std::int64_t cash = m.cash.value_or(0);
    if (!m.spins || m.exchange_rate <= 0 || (cash > 0 && m.lending_price <= 0)) {
        e.state = ExpectState::Incomplete;
        return e;
    }
    // The settings weighed: those with counts to weigh them by, else the chosen one.
    std::array<double, kSlotSettings> weight{};
    if (prepared.candidates > 0) {
        const double G = static_cast<double>(*m.spins);
        std::array<double, kSlotSettings> log_like{};
        double best = -HUGE_VAL;
        for (int s = 0; s < kSlotSettings; ++s) {
            if (!prepared.candidate[static_cast<std::size_t>(s)]) continue;
            const auto i = static_cast<std::size_t>(s);
            // ln of the Poisson likelihood, without the terms every setting shares.
            double l = 0;
            if (m.hits) l += static_cast<double>(*m.hits) * prepared.ln_bb[i] - G * prepared.bb[i];
            if (m.rb) l += static_cast<double>(*m.rb) * prepared.ln_rb[i] - G * prepared.rb[i];
            log_like[i] = l;
            best = std::max(best, l);
        }
        double total = 0;
        for (int s = 0; s < kSlotSettings; ++s) {
            const auto i = static_cast<std::size_t>(s);
            if (!prepared.candidate[i]) continue;
            // Settings far less likely than the best weigh nothing a double can hold.
            const double d = log_like[i] - best;
            weight[i] = d < -60 ? 0 : d == 0 ? 1 : weight_exp(d);
            total += weight[i];
        }
        for (double& w : weight) w /= total;
    } else if (chosen && *chosen >= 1 && *chosen <= kSlotSettings &&
               numbers.slot[static_cast<std::size_t>(*chosen - 1)].payout_ratio > 0) {
        weight[static_cast<std::size_t>(*chosen - 1)] = 1;
    } else {
        e.state = ExpectState::NoNumbers;
        return e;
    }
    e.state = ExpectState::Ready;
    e.posterior = weight;
    const auto likely = std::max_element(weight.begin(), weight.end());
    e.likely_setting = static_cast<int>(likely - weight.begin()) + 1;
    e.likely_probability = *likely;

    const i128 T = 3 * static_cast<i128>(*m.spins), R = m.exchange_rate;
    const i128 L = m.lending_price > 0 ? m.lending_price : 1;
    // Over den = 100 L R: the cost is cash plus the rest at v while the cash
    // bought no more than was played, else 3G × L.
    e.den = 100 * L * R;
    const i128 cost = 100 * static_cast<i128>(cash) <= T * L
                          ? static_cast<i128>(cash) * L * R * 100 + (T * L - 100 * static_cast<i128>(cash)) * 100'000
                          : T * L * L * R;
    const double v = 1000.0 / static_cast<double>(R);
    // E_s = 3G w_s v − cost = (3G W_s 100 L − cost) ÷ den with W in tenths of a
    // percent, so E = (3G 100 L Σ P(s) W_s − cost) ÷ den.
    long double ratio = 0;
    double spread = 0;
    for (int s = 0; s < kSlotSettings; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (weight[i] == 0) continue;
        const SlotSetting& set = numbers.slot[i];
        if (weight[i] == 1) {
            // One setting alone: its E is a fraction and stays exact.
            e.exact = true;
            e.num = T * set.payout_ratio * 100 * L - cost;
        }
        ratio += static_cast<long double>(weight[i]) * set.payout_ratio;
        const double pb = set.bb_odds > 0 ? 10.0 / set.bb_odds : 0, pr = set.rb_odds > 0 ? 10.0 / set.rb_odds : 0;
        spread += weight[i] * (pb * set.bb_medals * set.bb_medals + pr * set.rb_medals * set.rb_medals);
    }
    // Several settings weigh in with probabilities that are no fractions: E is a long double then.
    if (!e.exact) {
        e.approx = (static_cast<long double>(T * 100 * L) * ratio - static_cast<long double>(cost)) /
                   static_cast<long double>(e.den);
        e.den = 1;
    }
    e.variance = v * v * static_cast<double>(*m.spins) * spread;
    return e;
}

}  // namespace

PreparedNumbers prepare_numbers(const MachineNumbers& numbers) {
    PreparedNumbers p;
    p.numbers = &numbers;
    if (numbers.kind != Kind::Slot) return p;
    for (int s = 0; s < kSlotSettings; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const SlotSetting& set = numbers.slot[i];
        if (set.payout_ratio <= 0 || set.bb_odds <= 0 || set.rb_odds <= 0) continue;
        p.candidate[i] = true;
        ++p.candidates;
        p.bb[i] = 10.0 / set.bb_odds;
        p.rb[i] = 10.0 / set.rb_odds;
        p.ln_bb[i] = std::log(p.bb[i]);
        p.ln_rb[i] = std::log(p.rb[i]);
    }
    return p;
}

long double EntryExpect::yen() const {
    return exact ? static_cast<long double>(num) / static_cast<long double>(den) : approx;
}

std::int64_t EntryExpect::value_yen() const {
    return exact ? round_div(num, den) : static_cast<std::int64_t>(std::llround(approx));
}

std::optional<std::int64_t> EntryExpect::rate_tenths() const {
    if (border_den == 0) return std::nullopt;
    return round_div(2500 * static_cast<i128>(spins) * played_den, played_num);
}

std::optional<std::int64_t> EntryExpect::border_tenths() const {
    if (border_den == 0) return std::nullopt;
    return round_div(border_num * 10, border_den);
}

std::optional<std::int64_t> EntryExpect::border_gap_tenths() const {
    if (border_den == 0) return std::nullopt;
    // r − r* = (250 n L Db − Nb U) ÷ (U Db)
    const i128 n = spins, L = played_den, U = played_num;
    return round_div((250 * n * L * border_den - border_num * U) * 10, U * border_den);
}

long double EntryExpect::sigma() const { return std::sqrt(variance); }

EntryExpect entry_expect(const MachineData& m, const PreparedNumbers* prepared, std::optional<int> chosen_setting) {
    if (!prepared || !prepared->numbers || !prepared->numbers->has_numbers()) return {};
    const MachineNumbers& numbers = *prepared->numbers;
    // The entry's kind, where it has one, must be the machine's.
    const Kind kind = m.kind == Kind::None ? numbers.kind : m.kind;
    if (kind != numbers.kind) return {};
    return kind == Kind::Pachinko ? pachinko_expect(m, numbers.pachinko) : slot_expect(m, *prepared, chosen_setting);
}

EntryExpect entry_expect(const MachineData& m, const MachineNumbers* numbers, std::optional<int> chosen_setting) {
    if (!numbers) return {};
    const PreparedNumbers prepared = prepare_numbers(*numbers);
    return entry_expect(m, &prepared, chosen_setting);
}

std::int64_t luck_yen(const EntryExpect& e, std::int64_t balance) {
    WorkSum one;
    one.add(e);
    return one.rounded(balance, true);
}

ExpectFigures expect_figures(std::span<const ExpectEntry> entries, std::span<const std::optional<int>> record_minutes) {
    ExpectFigures out;
    WorkSum work, timed_work;
    std::int64_t balance = 0, timed_minutes = 0;
    long double variance = 0;
    bool any_timed = false;
    std::vector<bool> timed_seen(record_minutes.size(), false);
    FractionBuckets played;
    std::int64_t rate_spins = 0;
    long double gap_weighted = 0;
    std::int64_t gap_spins = 0;
    for (const ExpectEntry& entry : entries) {
        if (!entry.expect || !entry.expect->ready()) continue;
        const EntryExpect& e = *entry.expect;
        ++out.counted;
        work.add(e);
        balance += entry.balance;
        variance += e.variance;
        if (entry.record < record_minutes.size() && record_minutes[entry.record]) {
            timed_work.add(e);
            any_timed = true;
            if (!timed_seen[entry.record]) {
                timed_seen[entry.record] = true;
                timed_minutes += *record_minutes[entry.record];
            }
        }
        if (e.kind == Kind::Pachinko && e.played_num > 0) {
            played.add(e.played_num, e.played_den);
            rate_spins += e.spins;
            if (e.spins > 0) {
                // r − r* weighted by n, in long double: each entry's gap has its
                // own denominator, and only the mean's first decimal is shown.
                gap_weighted += static_cast<long double>(e.spins) * (e.rate - e.border);
                gap_spins += e.spins;
            }
        }
    }
    if (out.counted == 0) return out;
    out.work = work.rounded();
    out.luck = work.rounded(balance, true);
    if (any_timed && timed_minutes > 0) out.hourly = timed_work.per_hour(timed_minutes);
    out.luck_sd = std::llround(std::sqrt(variance));
    if (variance > 0)
        out.z = (static_cast<long double>(balance) - work.value()) / std::sqrt(variance);
    const ExactSum u = played.total();
    if (u.exact() && u.num() > 0) out.mean_rate_tenths = round_div(2500 * static_cast<i128>(rate_spins) * u.den(), u.num());
    else if (!u.exact() && u.approx() > 0) out.mean_rate_tenths = std::llround(2500.0L * rate_spins / u.approx());
    if (gap_spins > 0) out.mean_border_gap_tenths = std::llround(10.0L * gap_weighted / static_cast<long double>(gap_spins));
    return out;
}

std::string luck_sentence(long double z) {
    const long double a = std::fabs(z);
    if (a < 1) return "ほぼ期待値どおりです";
    std::string s = z > 0 ? "期待値より上振れしています" : "期待値より下振れしています";
    if (a >= 2) s += "（偶然では説明しにくい水準）";
    return s;
}

std::vector<ExpectPoint> expect_points(std::span<const ExpectEntry> entries) {
    // Drawn at pixel precision: the running sums are long doubles; the totals
    // a window prints come from expect_figures.
    std::vector<ExpectPoint> points;
    long double balance = 0, work = 0, variance = 0;
    for (const ExpectEntry& entry : entries) {
        if (!entry.expect || !entry.expect->ready()) continue;
        balance += static_cast<long double>(entry.balance);
        work += entry.expect->yen();
        variance += entry.expect->variance;
        if (points.empty() || points.back().record != entry.record) points.push_back({entry.record, 0, 0, 0});
        ExpectPoint& p = points.back();
        p.balance = balance;
        p.work = work;
        p.sd = std::sqrt(variance);
    }
    return points;
}

}  // namespace velmo::play
