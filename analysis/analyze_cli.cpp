#include "analysis/analyze_cli.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_calc.h"
#include "analysis/analysis_slice.h"
#include "analysis/year_files.h"
#include "framework/cp932.h"
#include "framework/runtime.h"

namespace velmo {

namespace {

constexpr const char* kUsage =
    "使い方: velmorant --analyze 収支ファイル.vqd [収支ファイル.vqd ...] [--hall ホール名] [--machine 機種名] "
    "[--weekday 月|火|水|木|金|土|日] [--months M-N]";

struct Options {
    std::vector<QString> files;
    std::optional<std::string> hall;     // UTF-8 as given
    std::optional<std::string> machine;
    int weekday = 0;
    std::pair<int, int> months{1, 12};
};

// The number of a name given in UTF-8 among the CP932 names of the ledgers.
std::optional<std::uint32_t> find_name(const std::vector<std::string>& names, const std::string& utf8) {
    const std::optional<std::string> cp932 = to_cp932(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    if (!cp932) return std::nullopt;
    return analysis::name_number(names, *cp932);
}

}  // namespace

int analyze_command(int argc, const char* const* args) {
    Options o;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            o.files.push_back(QFile::decodeName(args[i]));
            continue;
        }
        if (arg != "--hall" && arg != "--machine" && arg != "--weekday" && arg != "--months")
            return command_failure(arg + " は使えないオプションです\n" + kUsage, 2);
        if (i + 1 >= argc) return command_failure(arg + " の後に値がありません\n" + kUsage, 2);
        const std::string value = args[++i];
        if (arg == "--hall") {
            o.hall = value;
        } else if (arg == "--machine") {
            o.machine = value;
        } else if (arg == "--weekday") {
            o.weekday = analysis::weekday_of_name(value);
            if (o.weekday == 0) return command_failure("曜日は 月 火 水 木 金 土 日 のどれかで指定してください: " + value);
        } else {
            const auto range = analysis::month_range(value);
            if (!range) return command_failure("月は 1-12 のように指定してください: " + value);
            o.months = *range;
        }
    }
    if (o.files.empty()) return command_failure(kUsage);

    std::vector<analysis::YearFile> files;
    for (const QString& path : o.files) {
        analysis::YearFileRead read = analysis::read_year_file(path);
        if (read.fault != analysis::YearFileFault::None) return command_failure(ledger_fault_message(path, read.fault));
        files.push_back(std::move(read.file));
    }
    std::vector<analysis::YearRecords> years;
    for (const analysis::YearFile& f : files) years.push_back({f.year, f.records});
    const analysis::AnalysisLedger ledger = analysis::analysis_ledger(years);

    analysis::Filter filter;
    filter.weekday = o.weekday;
    filter.first_month = o.months.first;
    filter.last_month = o.months.second;
    if (o.hall) {
        filter.hall = find_name(ledger.halls, *o.hall);
        if (!filter.hall) return command_failure("ホール「" + *o.hall + "」は記録にありません");
    }
    if (o.machine) {
        filter.machine = find_name(ledger.machines, *o.machine);
        if (!filter.machine) return command_failure("機種「" + *o.machine + "」は記録にありません");
    }
    const analysis::Slice slice = analysis::slice_of(ledger, filter);
    std::string out;
    for (const std::string& line : analysis::overview_lines(analysis::compute_overview(slice.visits, slice.play_days)))
        out += line + "\n";
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return command_failure("標準出力に書き出せません");
    return 0;
}

}  // namespace velmo
