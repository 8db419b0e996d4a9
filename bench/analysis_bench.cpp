// Time of the analysis on the full generated year (1023 records of 9 machines):
// every figure of the window with no filter and with one hall, the records read
// for it, all years of a folder of ten ledger files read from disk, and the
// window opened over the loaded year on the offscreen platform. The variants
// with play data (on every machine entry, a time on every record) run beside
// those without, so that the two compare in one run.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "analysis/analysis_slice.h"
#include "analysis/analysis_window.h"
#include "analysis/year_files.h"
#include "bench/bench_program.h"
#include "bench/ledger_gen.h"

namespace {

using namespace velmo::analysis;

// The full year, without (play false) or with play data.
const std::vector<velmo::LedgerRecord>& full_year(bool play = false) {
    static const auto make = [](bool with_play) {
        velmo::bench::LedgerShape shape;
        shape.play = with_play;
        return velmo::bench::generated_ledger("2024", shape).records;
    };
    static const std::vector<velmo::LedgerRecord> records = make(false);
    static const std::vector<velmo::LedgerRecord> played = make(true);
    return play ? played : records;
}

AnalysisLedger read_full_year(bool play = false) {
    const YearRecords year{2024, full_year(play)};
    return analysis_ledger({&year, 1});
}

// Arg 0: the full year; 1: with play data.
void BM_AnalysisReadYear(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(read_full_year(state.range(0) == 1));
}
BENCHMARK(BM_AnalysisReadYear)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Args: no filter (0) or the hall of the first record (1); without (0) or with (1) play data.
void BM_AnalysisFigures(benchmark::State& state) {
    const AnalysisLedger ledger = read_full_year(state.range(1) == 1);
    Filter filter;
    if (state.range(0) == 1) filter.hall = ledger.records.front().hall;
    int visits = 0;
    for (auto _ : state) {
        const Figures f = compute_figures(ledger, filter);
        visits = f.overview.visits;
        benchmark::DoNotOptimize(f);
    }
    state.counters["visits"] = visits;
}
BENCHMARK(BM_AnalysisFigures)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMicrosecond);

// 全年 over ten year files: each read from disk and decoded, then every figure.
void BM_AnalysisTenYears(benchmark::State& state) {
    QTemporaryDir dir;
    for (int year = 2015; year < 2025; ++year) {
        velmo::bench::LedgerShape shape;
        shape.seed = static_cast<unsigned>(year);
        velmo::write_file_atomic(dir.filePath(QStringLiteral("vq%1.vqd").arg(year)),
                                 velmo::encode_ledger(velmo::bench::generated_ledger(std::to_string(year), shape)));
    }
    for (auto _ : state) {
        std::vector<YearFile> files;
        for (const QString& path : year_files_in(dir.path())) files.push_back(read_year_file(path).file);
        std::vector<YearRecords> years;
        for (const YearFile& f : files) years.push_back({f.year, f.records});
        const AnalysisLedger ledger = analysis_ledger(years);
        benchmark::DoNotOptimize(compute_figures(ledger, {}));
    }
}
BENCHMARK(BM_AnalysisTenYears)->Unit(benchmark::kMillisecond);

// The window made, shown and painted over the loaded full year, then closed.
// Arg 0: the full year; 1: with play data.
void BM_AnalysisWindowOpen(benchmark::State& state) {
    velmo::bench::Program& p = velmo::bench::program();
    p.load(state.range(0) == 1 ? p.play_file : p.file);
    for (auto _ : state) {
        auto window = std::make_unique<AnalysisWindow>(p.form1->ledger_view(), p.form1->player_settings());
        window->show();
        QApplication::processEvents();
        window->repaint();
        benchmark::DoNotOptimize(window->figures().overview.visits);
    }
}
BENCHMARK(BM_AnalysisWindowOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
