#include "analysis/analyze_cli.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_calc.h"
#include "analysis/analysis_slice.h"
#include "analysis/year_files.h"
#include "framework/cp932.h"
#include "framework/command_args.h"
#include "framework/runtime.h"
#include "ledger/ledger_csv.h"

namespace velmo {

namespace {

constexpr std::string_view kUsage =
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
    constexpr std::string_view kOptions[] = {"--hall", "--machine", "--weekday", "--months"};
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, kOptions, cl)) return command_line_mistake(*mistake, kUsage);
    Options o;
    for (const std::string& f : cl.files) o.files.push_back(QFile::decodeName(f.c_str()));
    for (const auto& [name, value] : cl.options) {
        if (name == "--hall") {
            o.hall = value;
        } else if (name == "--machine") {
            o.machine = value;
        } else if (name == "--weekday") {
            o.weekday = analysis::weekday_of_name(value);
            if (o.weekday == 0)
                return command_line_mistake("曜日は 月 火 水 木 金 土 日 のどれかで指定してください: " + value, kUsage);
        } else {
            const auto range = analysis::month_range(value);
            if (!range) return command_line_mistake("月は 1-12 のように指定してください: " + value, kUsage);
            o.months = *range;
        }
    }
    if (o.files.empty()) return command_line_mistake("収支ファイルがありません", kUsage);

    // A file named twice (also through another path or a link) is read once.
    std::vector<analysis::YearFile> files;
    std::vector<QString> read;
    for (const QString& path : o.files) {
        if (std::any_of(read.begin(), read.end(), [&](const QString& r) { return same_file(r, path); })) continue;
        read.push_back(path);
        analysis::YearFileRead year = analysis::read_year_file(path);
        if (year.fault != analysis::YearFileFault::None) return command_failure(ledger_fault_message(path, year.fault));
        files.push_back(std::move(year.file));
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
