// The recovery copy of the full generated year (1023 records of 9 machines):
// the time of one write (the year taken from the windows, encoded and saved
// beside the user's files), and how many writes a burst of 20 changes makes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <benchmark/benchmark.h>

#include "bench/bench_program.h"
#include "recovery/recovery_keeper.h"
#include "shell/tform1.h"

namespace {

velmo::recovery::RecoveryKeeper& loaded_keeper() {
    velmo::bench::Program& p = velmo::bench::program();
    p.load();
    p.form1->dirty |= TForm1::kLedgerChanged;
    return *p.form1->findChild<velmo::recovery::RecoveryKeeper*>();
}

// Arg 0: the copy written after changes (left to the system to sync); 1: the
// synced copy made as the program is ended.
void BM_RecoveryCopyFullYear(benchmark::State& state) {
    velmo::recovery::RecoveryKeeper& keeper = loaded_keeper();
    const auto durability = state.range(0) ? velmo::Durability::Synced : velmo::Durability::Unsynced;
    for (auto _ : state) keeper.write_now(durability);
    velmo::bench::program().form1->dirty = 0;
}
BENCHMARK(BM_RecoveryCopyFullYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RecoveryBurstOf20Changes(benchmark::State& state) {
    velmo::recovery::RecoveryKeeper& keeper = loaded_keeper();
    TForm1& f = *velmo::bench::program().form1;
    int writes = 0;
    for (auto _ : state) {
        const int before = keeper.writes();
        for (int i = 0; i < 20; ++i) {
            f.StringGrid5->set_cell(2, 1 + i, "comment " + std::to_string(i));
            f.refresh_after_change({1 + i});
            QCoreApplication::processEvents();
        }
        // Until the copy is written, and as long again for a second one.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2 * velmo::recovery::RecoveryKeeper::kDelayMs + 200) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        writes = keeper.writes() - before;
    }
    state.counters["writes"] = writes;
    f.dirty = 0;
}
BENCHMARK(BM_RecoveryBurstOf20Changes)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
