// Time of the CSV import of a full year (1023 records of 9 machines, as the
// program exports it), and, with --velmo_csv_shapes, the time and peak memory of
// importing files of the largest size the program reads, each in a process of
// its own so that its peak is its own:
//   velmo_bench --velmo_csv_shapes=1   prints one line per shape: seconds, peak MB, outcome
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/csv_shapes.h"
#include "bench/ledger_gen.h"
#include "ledger/ledger_csv.h"

namespace {

velmo::CsvImportTarget empty_2024() {
    velmo::CsvImportTarget target;
    target.year = "2024";
    return target;
}

void BM_CsvImportFullYear(benchmark::State& state) {
    const velmo::LedgerImage year = velmo::bench::generated_ledger("2024", velmo::bench::LedgerShape{});
    velmo::LedgerImage plain = year;
    plain.extra.reset();  // the target ledger has no extra column: its values are left out
    const std::string file = velmo::export_csv(plain);
    std::size_t records = 0;
    for (auto _ : state) {
        const velmo::CsvImport import = velmo::read_csv_import(file, empty_2024());
        records = import.records.size();
        benchmark::DoNotOptimize(import);
    }
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_CsvImportFullYear)->Unit(benchmark::kMillisecond);

constexpr std::size_t kLimit = 64u << 20;  // the program's read limit

// Lines after head up to the read limit, in one buffer of that size, so that
// making the file costs its own bytes only.
std::string repeated(const std::string& head, const std::function<std::string(std::size_t)>& line) {
    std::string out;
    out.reserve(kLimit);
    out += head;
    for (std::size_t i = 1;; ++i) {
        const std::string next = line(i);
        if (out.size() + next.size() > kLimit) return out;
        out += next;
    }
}

}  // namespace

namespace velmo::bench {

int csv_shapes_report() {
    const std::string head = "記録番号,日付,曜日,ホール名,機種,投資,回収,収支,コメント\r\n";
    const struct {
        const char* name;
        std::function<std::string()> make;
    } shapes[] = {
        {"well-formed records",
         [&] {
             return repeated(head, [](std::size_t i) {
                 return std::to_string(i) + ",2024-03-05,火,駅前ホール,海物語,10000,25000,15000,よく出た\r\n";
             });
         }},
        {"one 64 MB quoted field",
         [&] {
             std::string file;
             file.reserve(kLimit);
             file += head + "1,2024-03-05,,\"";
             file.append(kLimit - file.size() - 20, 'h');
             file += "\",M,1,2,,\r\n";
             return file;
         }},
        {"one line of commas", [] { return std::string(kLimit, ','); }},
        {"lines of 1", [] { return repeated("", [](std::size_t) { return std::string("1\n"); }); }},
        {"lines of x", [] { return repeated("", [](std::size_t) { return std::string("x\n"); }); }},
    };
    std::printf("shape\tMB\tseconds\trecords\tproblems\n");
    for (const auto& shape : shapes) {
        int out[2];
        if (::pipe(out) != 0) return 1;
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string file = shape.make();
            const auto start = std::chrono::steady_clock::now();
            const CsvImport import = read_csv_import(file, empty_2024());
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            char line[200];
            const int n = std::snprintf(line, sizeof line, "%.1f\t%.3f\t%zu\t%zu", file.size() / 1048576.0, seconds,
                                        import.records.size(), import.problem_count);
            (void)!::write(out[1], line, static_cast<std::size_t>(n));
            ::_exit(0);
        }
        ::close(out[1]);
        char line[200] = {};
        (void)!::read(out[0], line, sizeof line - 1);
        ::close(out[0]);
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        // The child's peak: its own input, the file's bytes, included.
        std::printf("%s\t%s\t(peak %.0f MB)\n", shape.name, line, usage.ru_maxrss / 1024.0);
    }
    return 0;
}

}  // namespace velmo::bench
