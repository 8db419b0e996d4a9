// Time of the refresh sequence and of loading a full year ledger.
//
//   velmo_bench                         runs the benchmarks
//   velmo_bench --velmo_write=FILE [--velmo_records=N] [--velmo_machines=M] [--velmo_halls=H] [--velmo_year=YYYY]
//                                       writes a generated ledger file and exits
//   velmo_bench --velmo_write=FILE ... [--velmo_kinds=K]   K distinct machine names
//   velmo_bench --velmo_shot=DIR --velmo_file=FILE [--velmo_hold=MS]
//                                       shows FILE in the main window and saves the
//                                       monthly, weekday, hall and machine tabs as
//                                       DIR/tab1..4.png; with --velmo_hold the machine
//                                       tab then stays on screen for MS milliseconds
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench/bench_program.h"
#include "bench/ledger_gen.h"
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/tform1.h"

namespace {

using velmo::bench::Program;
using velmo::bench::Windows;
using velmo::bench::program;

void BM_LoadLedger(benchmark::State& state) {
    Program& p = program();
    for (auto _ : state) p.load();
    if (p.form1->rec_count != 1023) state.SkipWithError("the ledger did not load whole");
}
BENCHMARK(BM_LoadLedger)->Unit(benchmark::kMicrosecond);

void BM_RefreshSequence(benchmark::State& state) {
    Program& p = program();
    p.load();
    for (auto _ : state) p.form1->refresh_after_change();
    state.counters["records"] = p.form1->rec_count;
}
BENCHMARK(BM_RefreshSequence)->Unit(benchmark::kMicrosecond);

template <void (TForm1::*Pass)()>
void BM_Pass(benchmark::State& state) {
    Program& p = program();
    p.load();
    for (auto _ : state) (p.form1.get()->*Pass)();
}
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::recompute_totals)->Name("BM_recompute_totals")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_monthly)->Name("BM_compute_monthly")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_weekday)->Name("BM_compute_weekday")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_hall_summary)->Name("BM_compute_hall_summary")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Pass, &TForm1::compute_extra_summary)->Name("BM_compute_extra_summary")->Unit(benchmark::kMicrosecond);

// The machine table of a full year: 1023 records of 9 machines, with 14 machine
// names (argument 0) or with 300, so that reading stops at the 200th (argument 1).
void BM_compute_machine_summary(benchmark::State& state) {
    Program& p = program();
    p.load(state.range(0) == 0 ? p.file : p.many_machines_file);
    for (auto _ : state) p.form1->compute_machine_summary();
    int machines = 0;
    while (!p.form1->StringGrid7->cell(1, machines + 1).empty()) ++machines;
    state.counters["machines"] = machines;
    if (machines != (state.range(0) == 0 ? 14 : 200)) state.SkipWithError("unexpected machine count");
}
BENCHMARK(BM_compute_machine_summary)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

const char* option(int argc, char** argv, const char* name) {
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=') return argv[i] + n + 1;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const char* out = option(argc, argv, "--velmo_write")) {
        velmo::bench::LedgerShape shape;
        shape.records = 130;
        shape.machines = 2;
        shape.halls = 8;
        if (const char* v = option(argc, argv, "--velmo_records")) shape.records = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_machines")) shape.machines = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_halls")) shape.halls = std::atoi(v);
        if (const char* v = option(argc, argv, "--velmo_kinds")) shape.machine_kinds = std::atoi(v);
        const char* year = option(argc, argv, "--velmo_year");
        auto image = velmo::bench::generated_ledger(year ? year : "2024", shape);
        return velmo::write_file_atomic(QString::fromLocal8Bit(out), velmo::encode_ledger(image)) ? 0 : 1;
    }
    if (const char* shots = option(argc, argv, "--velmo_shot")) {
        // Shows the main window with a ledger and saves the summary tabs as pictures.
        const char* file = option(argc, argv, "--velmo_file");
        if (!file) return 2;
        Windows w;
        w.form1->arguments = QStringList{QString::fromLocal8Bit(file)};
        w.form1->show();
        for (int tab : {1, 2, 3, 4}) {
            w.form1->PageControl1->setCurrentIndex(tab);
            for (int i = 0; i < 20; ++i) QApplication::processEvents();
            w.form1->grab().save(QStringLiteral("%1/tab%2.png").arg(QString::fromLocal8Bit(shots)).arg(tab));
        }
        if (const char* hold = option(argc, argv, "--velmo_hold")) {
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() < std::atoi(hold)) QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    velmo::bench::g_program.reset();
    return 0;
}
