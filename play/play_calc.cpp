#include "play/play_calc.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "play/exact_sum.h"

namespace velmo::play {

namespace {

std::string with_commas(std::int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return v < 0 ? "-" + digits : digits;
}

std::string field(Field f) { return field_names()[static_cast<std::size_t>(f)]; }

}  // namespace

std::int64_t round_div(__int128 num, __int128 den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const __int128 q = (abs128(num) * 2 + den) / (den * 2);
    return static_cast<std::int64_t>(num < 0 ? -q : q);
}

std::int64_t pieces_yen(std::int64_t pieces, std::int32_t exchange_tenths) {
    return round_div(static_cast<__int128>(pieces) * 1000, exchange_tenths);
}

ComputedAmounts computed_amounts(const MachineData& m) {
    ComputedAmounts out;
    const std::int64_t held = m.held_in.value_or(0);
    if (m.cash || m.held_in) {
        if (held == 0)
            out.investment = m.cash.value_or(0);
        else if (m.exchange_rate > 0)
            out.investment = round_div(static_cast<__int128>(m.cash.value_or(0)) * m.exchange_rate + held * 1000,
                                       m.exchange_rate);
    }
    if (m.end_pieces && m.exchange_rate > 0) out.payout = pieces_yen(*m.end_pieces, m.exchange_rate);
    return out;
}


std::vector<std::string> machine_faults(const MachineData& m, std::optional<std::int64_t> store_balance) {
    std::vector<std::string> faults;
    if (m.store_in && *m.store_in > m.end_pieces.value_or(0))
        faults.push_back(field(Field::StoreIn) + "が" + field(Field::EndPieces) + "より多くなっています");
    if (m.store_out && *m.store_out > m.held_in.value_or(0))
        faults.push_back(field(Field::StoreOut) + "が" + field(Field::HeldIn) + "より多くなっています");
    if (m.store_out && store_balance && *m.store_out > *store_balance)
        faults.push_back(field(Field::StoreOut) + "が貯玉残高（" + with_commas(*store_balance) + "）より多くなっています");
    if ((m.store_out.value_or(0) > 0 || m.store_in.value_or(0) > 0) && (m.kind == Kind::None || m.lending_price == 0))
        faults.push_back("貯玉を使うには" + field(Field::Kind) + "と" + field(Field::LendingPrice) + "が必要です");
    return faults;
}

PlaySums play_sums(const RecordPlayData& data) {
    PlaySums out;
    out.has_data = !data.time.empty();
    out.minutes = visit_minutes(data.time);
    const auto add_cash = [](std::array<PlaySums::Cash, kMachinesPerRecord>& sums, std::uint8_t& count,
                             std::int32_t price, std::int32_t rate, std::int64_t cash) {
        for (std::uint8_t i = 0; i < count; ++i)
            if (sums[i].price == price && sums[i].rate == rate) {
                sums[i].cash += cash;
                return;
            }
        sums[count++] = PlaySums::Cash{price, rate, cash};
    };
    for (const MachineData& m : data.machines) {
        // An empty entry adds nothing below.
        if (!out.has_data && !m.empty()) out.has_data = true;
        const std::int64_t cash = m.cash.value_or(0);
        // 交換差損: cash buys cash ÷ price pieces, each worth 1000 ÷ rate yen.
        if (m.cash && m.lending_price > 0 && m.exchange_rate > 0) {
            out.any_loss = true;
            add_cash(out.loss, out.loss_count, m.lending_price, m.exchange_rate, cash);
        }
        // 持ち玉比率: held pieces among all pieces put in (cash counted in pieces).
        if (cash > 0 && m.lending_price == 0) continue;
        if (m.held_in || (m.cash && m.lending_price > 0)) {
            out.any_pieces = true;
            out.held += m.held_in.value_or(0);
            if (cash > 0) add_cash(out.bought, out.bought_count, m.lending_price, 0, cash);
        }
    }
    return out;
}

PlayFigures play_figures(std::span<const PlayVisit> visits) {
    std::vector<PlaySums> sums;
    std::vector<SummedVisit> summed;
    sums.reserve(visits.size());
    summed.reserve(visits.size());
    for (const PlayVisit& v : visits)
        if (v.data) summed.push_back(SummedVisit{v.balance, &sums.emplace_back(play_sums(*v.data))});
    return play_figures(summed);
}

PlayFigures play_figures(std::span<const SummedVisit> visits) {
    PlayFigures out;
    bool any_time = false;
    std::int64_t timed_balance = 0;
    bool any_loss = false, any_pieces = false;
    std::int64_t held = 0;
    // Cash summed by the rates it was put in at: both sums below are linear in
    // the cash for given rates, so their fractions are made once per pair of
    // rates, not once per entry.
    struct CashAt {
        std::int32_t price;
        std::int32_t rate;
        __int128 cash;
    };
    std::vector<CashAt> loss_cash, bought_cash;
    const auto add_cash = [](std::vector<CashAt>& sums, const PlaySums::Cash& c) {
        for (CashAt& s : sums)
            if (s.price == c.price && s.rate == c.rate) {
                s.cash += c.cash;
                return;
            }
        sums.push_back(CashAt{c.price, c.rate, c.cash});
    };
    for (const SummedVisit& v : visits) {
        if (!v.sums) continue;
        const PlaySums& s = *v.sums;
        any_loss = any_loss || s.any_loss;
        any_pieces = any_pieces || s.any_pieces;
        held += s.held;
        for (std::uint8_t i = 0; i < s.loss_count; ++i) add_cash(loss_cash, s.loss[i]);
        for (std::uint8_t i = 0; i < s.bought_count; ++i) add_cash(bought_cash, s.bought[i]);
        if (!s.has_data) continue;
        ++out.records;
        if (s.minutes) {
            any_time = true;
            out.minutes += *s.minutes;
            timed_balance += v.balance;
        }
    }
    ExactSum loss, bought;
    for (const CashAt& c : loss_cash) {
        const __int128 den = static_cast<__int128>(c.price) * c.rate;
        loss.add(c.cash * den - c.cash * 100'000, den);
    }
    for (const CashAt& c : bought_cash) bought.add(c.cash * 100, c.price);
    if (any_time) {
        out.hours_tenths = round_div(out.minutes, 6);
        if (out.minutes > 0) out.hourly = round_div(static_cast<__int128>(timed_balance) * 60, out.minutes);
    }
    if (any_loss) out.exchange_loss = loss.rounded();
    if (any_pieces) {
        if (bought.exact()) {
            const __int128 total = bought.num() + static_cast<__int128>(held) * bought.den();
            if (total > 0) out.held_ratio_tenths = round_div(static_cast<__int128>(held) * 1000 * bought.den(), total);
        } else {
            const long double total = bought.approx() + static_cast<long double>(held);
            if (total > 0) out.held_ratio_tenths = std::llround(1000.0L * static_cast<long double>(held) / total);
        }
    }
    return out;
}

std::vector<StoreBalance> store_balances(std::span<const StoreStart> starts, std::span<const StoreVisit> visits) {
    std::map<StoreKey, StoreBalance> stores;
    auto at = [&](const StoreKey& key) -> StoreBalance& {
        auto it = stores.find(key);
        if (it == stores.end()) it = stores.emplace(key, StoreBalance{key, 0, 0, 0, 0}).first;
        return it->second;
    };
    for (const StoreStart& s : starts) at(s.key).start += s.pieces;
    for (const StoreVisit& v : visits) {
        if (!v.data) continue;
        for (const MachineData& m : v.data->machines) {
            if (m.kind == Kind::None || m.lending_price == 0) continue;
            if (!m.store_out && !m.store_in) continue;
            StoreBalance& s = at(StoreKey{std::string(v.hall), m.kind, m.lending_price});
            s.withdrawals += m.store_out.value_or(0);
            s.deposits += m.store_in.value_or(0);
            if (m.exchange_rate > 0) s.last_exchange = m.exchange_rate;
        }
    }
    std::vector<StoreBalance> out;
    out.reserve(stores.size());
    for (auto& [key, s] : stores) out.push_back(std::move(s));
    return out;
}

std::optional<std::int64_t> store_value(const StoreBalance& store, std::span<const HallRates> rates) {
    std::int32_t rate = 0;
    for (const HallRates& h : rates)
        if (h.hall == store.key.hall) rate = h.of(store.key.kind).exchange_rate;
    if (rate == 0) rate = store.last_exchange;
    if (rate == 0) return std::nullopt;
    return pieces_yen(store.pieces(), rate);
}

void sort_stores(std::vector<StoreBalance>& stores, std::span<const std::string> hall_order) {
    auto rank = [&](const std::string& hall) {
        const auto it = std::find(hall_order.begin(), hall_order.end(), hall);
        return static_cast<std::size_t>(it - hall_order.begin());
    };
    std::stable_sort(stores.begin(), stores.end(), [&](const StoreBalance& a, const StoreBalance& b) {
        const std::size_t ra = rank(a.key.hall), rb = rank(b.key.hall);
        if (ra != rb) return ra < rb;
        if (a.key.hall != b.key.hall) return a.key.hall < b.key.hall;
        if (a.key.kind != b.key.kind) return a.key.kind < b.key.kind;
        return a.key.lending_price < b.key.lending_price;
    });
}

}  // namespace velmo::play
