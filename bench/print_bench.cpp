// Time of printing the full generated year (1023 records) into a PDF file,
// A4 at 300 and at 600 dots per inch: the report's pages drawn through
// QPrinter's PDF engine and written out.
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include "bench/bench_program.h"
#include "framework/printer.h"

namespace {

void BM_PrintYearToPdf(benchmark::State& state) {
    velmo::bench::Program& p = velmo::bench::program();
    p.load();
    const QString out = p.dir.path() + QStringLiteral("/year.pdf");
    velmo::PdfFilePrinter pdf(out, static_cast<int>(state.range(0)));
    velmo::set_printer(&pdf);
    for (auto _ : state) p.form1->Print1Click();
    velmo::set_printer(nullptr);
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(out).size()) / 1024;
    if (QFileInfo(out).size() == 0) state.SkipWithError("no PDF written");
}
BENCHMARK(BM_PrintYearToPdf)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
