// Time of the workbook export of the full generated year (1023 records of 9
// machines): its sheets made from the records, the workbook made from the
// sheets, and velmorant --export-xlsx as a script runs it, from reading the
// ledger file to the workbook renamed into place, in the bench's process and as
// a process of its own (the program as installed: start, libraries and all).
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "bench/ledger_gen.h"
#include "export/workbook_tables.h"
#include "export/xlsx_cli.h"
#include "export/xlsx_export.h"
#include "framework/runtime.h"

extern char** environ;

namespace {

const velmo::LedgerImage& full_year() {
    static const velmo::LedgerImage image = velmo::bench::generated_ledger("2024", velmo::bench::LedgerShape{});
    return image;
}

void BM_XlsxSheets(benchmark::State& state) {
    std::size_t lines = 0;
    for (auto _ : state) {
        const velmo::WorkbookTables tables = velmo::workbook_tables(full_year());
        lines = tables.ledger.rows.size();
        benchmark::DoNotOptimize(tables);
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_XlsxSheets)->Unit(benchmark::kMillisecond);

void BM_XlsxWorkbook(benchmark::State& state) {
    const velmo::WorkbookTables tables = velmo::workbook_tables(full_year());
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::optional<std::string> book = velmo::xlsx_bytes(tables);
        bytes = book ? book->size() : 0;
        benchmark::DoNotOptimize(book);
    }
    state.counters["kB"] = static_cast<double>(bytes) / 1024;
}
BENCHMARK(BM_XlsxWorkbook)->Unit(benchmark::kMillisecond);

struct LedgerFile {
    QTemporaryDir dir;
    std::string ledger = dir.filePath(QStringLiteral("vq2024.vqd")).toStdString();
    std::string out = dir.filePath(QStringLiteral("vq2024.xlsx")).toStdString();
    LedgerFile() { velmo::write_file_atomic(QString::fromStdString(ledger), velmo::encode_ledger(full_year())); }
};

void BM_XlsxExportCommand(benchmark::State& state) {
    const LedgerFile f;
    const char* args[] = {f.ledger.c_str(), f.out.c_str()};
    for (auto _ : state)
        if (velmo::export_xlsx_command(2, args) != 0) state.SkipWithError("the export failed");
}
BENCHMARK(BM_XlsxExportCommand)->Unit(benchmark::kMillisecond);

void BM_XlsxExportProcess(benchmark::State& state) {
    const LedgerFile f;
    const std::string exe = VELMO_EXE;
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("--export-xlsx"),
                    const_cast<char*>(f.ledger.c_str()), const_cast<char*>(f.out.c_str()), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = -1;
        if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0 || waitpid(child, &status, 0) != child ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the program failed");
    }
}
BENCHMARK(BM_XlsxExportProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
