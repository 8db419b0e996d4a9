#include "bench/ledger_gen.h"

#include <algorithm>
#include <random>

#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_model.h"
#include "play/play_calc.h"
#include "play/play_data.h"

namespace velmo::bench {

namespace {

std::string field(const std::string& text) { return std::string(1, static_cast<char>(text.size())) + text; }

const char8_t* const kHallNames[] = {u8"駅前会館", u8"北口センター", u8"本店", u8"ベイサイド", u8"中央通り店",
                                     u8"国道沿い店", u8"南町ホール", u8"新館", u8"東口プラザ", u8"西町店"};
const char8_t* const kMachineNames[] = {u8"海物語", u8"北斗", u8"番長", u8"ジャグラー", u8"花の慶次",
                                        u8"牙狼", u8"エヴァ", u8"まどか", u8"バジリスク", u8"ハーデス",
                                        u8"ルパン", u8"化物語", u8"沖ドキ", u8"モンハン"};
const char8_t* const kExtraValues[] = {u8"晴れ", u8"曇り", u8"雨", u8"朝一", u8"夕方", u8"イベント", u8"新台",
                                       u8"並び", u8"旧イベ", u8"連休", u8"給料日", u8"平日", u8"雪", u8"深夜"};

}  // namespace

LedgerImage generated_ledger(const std::string& year, const LedgerShape& shape) {
    std::mt19937 rng(shape.seed);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const int y = std::stoi(year);

    std::vector<std::string> halls;
    for (int i = 0; i < shape.halls; ++i) {
        std::string name = cp932_literal(kHallNames[i % 10]);
        if (i >= 10) name += std::to_string(i / 10 + 1) + cp932_literal(u8"号店");
        halls.push_back(name);
    }

    // Machine names: the fourteen base names, then numbered variants of them.
    std::vector<std::string> machines;
    for (int i = 0; i < std::max(1, shape.machine_kinds); ++i) {
        std::string name = cp932_literal(kMachineNames[i % 14]);
        if (i >= 14) name += std::to_string(i / 14 + 1) + cp932_literal(u8"号機");
        machines.push_back(name);
    }

    LedgerImage image;
    image.year = year;
    if (shape.extra) {
        ExtraColumnBlock x;
        x.name = cp932_literal(u8"条件");
        x.width_text = "56";
        x.col = 6;
        x.align = 1;
        x.pos_index = 4;
        for (const char8_t* v : kExtraValues) x.list.push_back(cp932_literal(v));
        image.extra = x;
    }

    // Dates: the records spread evenly over the days of the year, in order.
    const int days_in_year = is_valid_date(y, 2, 29) ? 366 : 365;
    for (int j = 0; j < shape.records; ++j) {
        int day_of_year = static_cast<int>(static_cast<long long>(j) * days_in_year / shape.records);
        int month = 1;
        while (day_of_year >= days_in_month(y, month)) day_of_year -= days_in_month(y, month++);

        LedgerRecord r;
        r.date = make_date_text(month, day_of_year + 1);
        r.hall = halls[static_cast<size_t>(pick(static_cast<int>(halls.size())))];
        if (shape.extra) r.extra = cp932_literal(kExtraValues[pick(14)]);
        long long invest_sum = 0, payout_sum = 0;
        std::string detail(1, static_cast<char>(shape.machines));
        std::string names;
        play::RecordPlayData play_data;
        for (int k = 0; k < shape.machines; ++k) {
            std::string name = machines[static_cast<size_t>(pick(static_cast<int>(machines.size())))];
            long long invest = 1000 * (1 + pick(30));
            long long payout = pick(3) == 0 ? 0 : 100 * pick(440);
            if (shape.play && k < kMachinesPerRecord) {
                // Pachinko at 4円 28玉 and slots at 20円 5.6枚 by turns; every third
                // entry brings held pieces out of the store, every other one puts its
                // end pieces in. No random draw: the records stay those without play data.
                play::MachineData& m = play_data.machines[static_cast<std::size_t>(k)];
                const bool slot = (j + k) % 2 == 1;
                m.kind = slot ? play::Kind::Slot : play::Kind::Pachinko;
                m.lending_price = slot ? 2000 : 400;
                m.exchange_rate = slot ? 56 : 280;
                m.cash = invest;
                if ((j + k) % 3 == 0) m.held_in = m.store_out = slot ? 50 : 250;
                m.end_pieces = payout * m.exchange_rate / 1000;
                if ((j + k) % 2 == 0) m.store_in = *m.end_pieces;
                m.spins = slot ? 800 + payout % 700 : 150 + payout % 400;
                m.hits = payout % 7;
                if (slot) m.rb = payout % 5;
                else m.paid = *m.end_pieces;
                const play::ComputedAmounts amounts = play::computed_amounts(m);
                invest = amounts.investment.value_or(invest);
                payout = amounts.payout.value_or(payout);
            }
            invest_sum += invest;
            payout_sum += payout;
            detail += field(name) + field(std::to_string(invest)) + field(std::to_string(payout));
            names += (k ? cp932_literal(u8"、") : std::string()) + name;
        }
        r.machines = truncate_cp932(names, 100);
        r.detail = detail;
        r.totals = field(std::to_string(invest_sum)) + field(std::to_string(payout_sum));
        r.balance = std::to_string(payout_sum - invest_sum);
        if (pick(4) == 0) r.comment = cp932_literal(u8"設定良さそう。また来る。");
        if (shape.play) {
            play_data.time.start = 9 * 60 + (j % 12) * 30;
            play_data.time.end = (*play_data.time.start + 180 + (j % 9) * 40) % (24 * 60);
            play::write_play_data(r.extensions, play_data);
        }
        image.records.push_back(std::move(r));
    }
    return image;
}

Registry generated_registry() {
    Registry reg;
    for (const char8_t* hall : kHallNames) reg.halls.push_back(cp932_literal(hall));
    for (const char8_t* machine : kMachineNames) reg.machines.push_back(cp932_literal(machine));
    const char8_t* const attributes[] = {u8"甘デジ", u8"ミドル", u8"ＡＴ機", u8"ノーマル", u8"新台", u8"高継続"};
    for (std::size_t i = 0; i < std::size(attributes); ++i) reg.attribute_names[i] = cp932_literal(attributes[i]);
    std::vector<std::uint16_t> masks;
    for (std::size_t i = 0; i < reg.machines.size(); ++i)
        masks.push_back(static_cast<std::uint16_t>((1u << (i % 6)) | (i % 3 == 0 ? 1u << ((i + 2) % 6) : 0u) |
                                                   (i % 4 == 0 ? 1u << 5 : 0u)));
    reg.masks = masks;
    return reg;
}

}  // namespace velmo::bench
