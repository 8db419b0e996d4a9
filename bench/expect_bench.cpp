// Time of the 期待値 figures: every expected-value figure of the full year
// (1023 records × 9 machines, all with play data and machine numbers; the
// target is 300 µs), and the 期待値 chart of ten years (target 20 ms).
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/ledger_gen.h"
#include "play/expect_calc.h"
#include "play/expect_chart.h"

namespace {

using namespace velmo::play;

// Play data for every machine entry of the generated years: a third of the
// machines slots (settings 1, 2, 4, 5, 6 with numbers), the rest pachinko.
struct Year {
    std::vector<MachineNumbers> all_numbers;
    std::vector<PreparedNumbers> prepared;
    std::vector<MachineData> data;
    std::vector<std::uint32_t> machine, record;
    std::vector<std::int64_t> balance;
    std::vector<std::optional<int>> minutes;
};

std::unique_ptr<Year> make_years(int years) {
    auto y = std::make_unique<Year>();
    const velmo::bench::LedgerShape shape;
    for (int k = 0; k < shape.machine_kinds; ++k) {
        MachineNumbers s;
        s.machine = "M" + std::to_string(k);
        if (k % 3 == 2) {
            s.kind = Kind::Slot;
            for (int set : {0, 1, 3, 4, 5})
                s.slot[static_cast<std::size_t>(set)] = {970 + 25 * set, 2900 - 80 * set, 4400 - 150 * set, 252, 96};
        } else {
            s.kind = Kind::Pachinko;
            s.pachinko = {1995 + 300 * k, 1300 + 20 * k, 20};
        }
        y->all_numbers.push_back(s);
    }
    for (const MachineNumbers& s : y->all_numbers) y->prepared.push_back(prepare_numbers(s));
    unsigned seed = shape.seed;
    const auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const int records = shape.records * years;
    for (int r = 0; r < records; ++r) {
        y->minutes.push_back(r % 4 ? std::optional<int>(300 + static_cast<int>(next(300))) : std::nullopt);
        for (int i = 0; i < shape.machines; ++i) {
            const auto k = next(static_cast<unsigned>(shape.machine_kinds));
            MachineData m;
            m.kind = y->all_numbers[k].kind;
            if (m.kind == Kind::Slot) {
                m.lending_price = 2000;
                m.exchange_rate = 56;
                m.cash = 1000 * (1 + next(40));
                m.spins = 500 + next(6000);
                m.hits = *m.spins / 280;
                m.rb = *m.spins / 400;
            } else {
                m.lending_price = 400;
                m.exchange_rate = 280;
                m.cash = 1000 * (1 + next(40));
                m.held_in = next(3000);
                m.paid = next(8000);
                m.end_pieces = next(4000);
                m.spins = 200 + next(1500);
            }
            y->data.push_back(m);
            y->machine.push_back(static_cast<std::uint32_t>(k));
            y->record.push_back(static_cast<std::uint32_t>(r));
            y->balance.push_back(static_cast<std::int64_t>(next(60000)) - 30000);
        }
    }
    return y;
}

std::vector<EntryExpect> entries_of(const Year& y) {
    std::vector<EntryExpect> out;
    out.reserve(y.data.size());
    for (std::size_t i = 0; i < y.data.size(); ++i) out.push_back(entry_expect(y.data[i], &y.prepared[y.machine[i]]));
    return out;
}

std::vector<ExpectEntry> slice_of(const Year& y, const std::vector<EntryExpect>& e) {
    std::vector<ExpectEntry> out;
    out.reserve(e.size());
    for (std::size_t i = 0; i < e.size(); ++i) out.push_back({&e[i], y.balance[i], y.record[i]});
    return out;
}

// Every figure of a year: each entry's E, σ, r, r* and posterior, then the slice's sums.
void BM_ExpectYear(benchmark::State& state) {
    const auto y = make_years(1);
    for (auto _ : state) {
        const std::vector<EntryExpect> e = entries_of(*y);
        const std::vector<ExpectEntry> slice = slice_of(*y, e);
        benchmark::DoNotOptimize(expect_figures(slice, y->minutes));
    }
}
BENCHMARK(BM_ExpectYear)->Unit(benchmark::kMicrosecond);

// Its two halves: the entries' figures (Arg 1: pachinko only), and the sums.
void BM_ExpectYearEntries(benchmark::State& state) {
    auto y = make_years(1);
    if (state.range(0) == 1)
        for (std::size_t i = 0; i < y->data.size(); ++i)
            if (y->all_numbers[y->machine[i]].kind == Kind::Slot) y->data[i].spins.reset();
    for (auto _ : state) benchmark::DoNotOptimize(entries_of(*y));
}
BENCHMARK(BM_ExpectYearEntries)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ExpectYearSums(benchmark::State& state) {
    const auto y = make_years(1);
    const std::vector<EntryExpect> e = entries_of(*y);
    const std::vector<ExpectEntry> slice = slice_of(*y, e);
    for (auto _ : state) benchmark::DoNotOptimize(expect_figures(slice, y->minutes));
}
BENCHMARK(BM_ExpectYearSums)->Unit(benchmark::kMicrosecond);

// The chart of ten years at a screen ratio of 2: the running sums and the painting.
void BM_ExpectChartTenYears(benchmark::State& state) {
    const auto y = make_years(10);
    const std::vector<EntryExpect> e = entries_of(*y);
    const std::vector<ExpectEntry> slice = slice_of(*y, e);
    const ExpectFigures figures = expect_figures(slice, y->minutes);
    QImage image(QSize(900, 480) * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    for (auto _ : state) {
        ExpectChartData data{expect_points(slice), {QStringLiteral("2015/1/3"), QStringLiteral("2024/12/30")}, figures};
        QPainter p(&image);
        paint_expect_chart(p, QRect(0, 0, 900, 480), data);
    }
}
BENCHMARK(BM_ExpectChartTenYears)->Unit(benchmark::kMillisecond);

}  // namespace
