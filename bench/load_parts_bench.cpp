// Parts of loading the full year, each alone: reading the file, decoding it into
// a list of fields, and the summaries that follow a load.
#include <benchmark/benchmark.h>

#include "bench/bench_program.h"
#include "ledger/ledger_codec.h"
#include "shell/tform1.h"

namespace {

using velmo::bench::program;

void BM_LoadPart_ReadFile(benchmark::State& state) {
    for (auto _ : state) {
        velmo::FileRead read = velmo::read_input_file(program().file);
        benchmark::DoNotOptimize(read.bytes.data());
    }
}
BENCHMARK(BM_LoadPart_ReadFile)->Unit(benchmark::kMicrosecond);

void BM_LoadPart_Decode(benchmark::State& state) {
    const std::string bytes = velmo::read_input_file(program().file).bytes;
    for (auto _ : state) {
        velmo::DecodedLedger file;
        velmo::decode_ledger(bytes, file);
        benchmark::DoNotOptimize(file.fields.data());
    }
}
BENCHMARK(BM_LoadPart_Decode)->Unit(benchmark::kMicrosecond);

void BM_LoadPart_Summaries(benchmark::State& state) {
    velmo::bench::Program& p = program();
    p.load();
    for (auto _ : state) p.form1->refresh_after_load();
}
BENCHMARK(BM_LoadPart_Summaries)->Unit(benchmark::kMicrosecond);

}  // namespace
