// Parts of loading the full year, each alone: reading the file, decoding it into
// a list of fields, and the summaries that follow a load. Arg 0: the full year;
// 1: the same year with play data on every machine entry.
#include <benchmark/benchmark.h>

#include "bench/bench_program.h"
#include "ledger/ledger_codec.h"
#include "shell/tform1.h"

namespace {

using velmo::bench::program;

const QString& year_file(const benchmark::State& state) {
    return state.range(0) == 1 ? program().play_file : program().file;
}

void BM_LoadPart_ReadFile(benchmark::State& state) {
    for (auto _ : state) {
        velmo::FileRead read = velmo::read_input_file(year_file(state));
        benchmark::DoNotOptimize(read.bytes.data());
    }
}
BENCHMARK(BM_LoadPart_ReadFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadPart_Decode(benchmark::State& state) {
    const std::string bytes = velmo::read_input_file(year_file(state)).bytes;
    for (auto _ : state) {
        velmo::DecodedLedger file;
        velmo::decode_ledger(bytes, file);
        benchmark::DoNotOptimize(file.fields.data());
    }
}
BENCHMARK(BM_LoadPart_Decode)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadPart_Summaries(benchmark::State& state) {
    velmo::bench::Program& p = program();
    p.load(year_file(state));
    for (auto _ : state) p.form1->refresh_after_load();
}
BENCHMARK(BM_LoadPart_Summaries)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
