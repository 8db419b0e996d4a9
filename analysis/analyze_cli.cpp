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
#include "analysis/analysis_expect.h"
#include "analysis/analysis_slice.h"
#include "analysis/year_files.h"
#include "framework/cp932.h"
#include "framework/command_args.h"
#include "framework/runtime.h"
#include "framework/user_files.h"
#include "ledger/ledger_csv.h"
#include "ledger/registry_file.h"
#include "play/play_data.h"
#include "play/play_settings.h"
#include "play/play_year.h"
#include "shell/beyond_hooks.h"

namespace velmo {

namespace {

constexpr std::string_view kUsage =
    "使い方: velmorant --analyze 収支ファイル.vqd [収支ファイル.vqd ...] [--hall ホール名] [--machine 機種名] "
    "[--weekday 月|火|水|木|金|土|日] [--months M-N]";
constexpr std::string_view kStoresUsage = "使い方: velmorant --stores 収支ファイル.vqd [収支ファイル.vqd ...]";

struct Options {
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

// The ledgers named, each read once (also when named through another path or a
// link), in the order given; a fault: the message of the first file refused.
struct Ledgers {
    std::vector<analysis::YearFile> files;
    std::optional<std::string> fault;
};
Ledgers read_ledgers(const std::vector<std::string>& names) {
    Ledgers out;
    std::vector<QString> read;
    for (const std::string& name : names) {
        const QString path = QFile::decodeName(name.c_str());
        if (std::any_of(read.begin(), read.end(), [&](const QString& r) { return same_file(r, path); })) continue;
        read.push_back(path);
        analysis::YearFileRead year = analysis::read_year_file(path);
        if (year.fault != analysis::YearFileFault::None) {
            out.fault = ledger_fault_message(path, year.fault);
            return out;
        }
        out.files.push_back(std::move(year.file));
    }
    return out;
}

// The player's registry as the program reads it: the rates and starting
// balances, the machines' numbers, and the halls in list order. A missing or unreadable file has none;
// a damaged one gives what it holds before the damage, as the program reads it.
struct UserRegistry {
    play::PlaySettings settings;
    play::MachineNumberTable all_numbers;
    std::vector<std::string> halls;
};
UserRegistry read_user_registry() {
    register_settings_records();
    UserRegistry out;
    const std::optional<std::string> bytes = read_file(user_file_read_path(QStringLiteral("velmo.lst")));
    if (!bytes) return out;
    Registry reg = decode_registry(*bytes);
    out.settings = reg.settings.get<play::PlaySettings>();
    out.all_numbers = reg.settings.get<play::MachineNumberTable>();
    out.halls = std::move(reg.halls);
    return out;
}

// The play data of the year files before the earliest of those read, in its
// folder: the stores run from the starting balances through every year.
std::vector<play::PlayEntry> years_before(const std::vector<analysis::YearFile>& files) {
    const auto first = std::min_element(files.begin(), files.end(),
                                        [](const analysis::YearFile& a, const analysis::YearFile& b) { return a.year < b.year; });
    if (first == files.end()) return {};
    return play::earlier_years(first->path, first->year);
}

analysis::AnalysisLedger ledger_of(const std::vector<analysis::YearFile>& files) {
    std::vector<analysis::YearRecords> years;
    for (const analysis::YearFile& f : files) years.push_back({f.year, f.records});
    return analysis::analysis_ledger(years);
}

int print(const std::string& out) {
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
        return command_failure("標準出力に書き出せません");
    return 0;
}

}  // namespace

int analyze_command(int argc, const char* const* args) {
    constexpr std::string_view kOptions[] = {"--hall", "--machine", "--weekday", "--months"};
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, kOptions, cl)) return command_line_mistake(*mistake, kUsage);
    Options o;
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
    if (cl.files.empty()) return command_line_mistake("収支ファイルがありません", kUsage);

    const Ledgers ledgers = read_ledgers(cl.files);
    if (ledgers.fault) return command_failure(*ledgers.fault);
    const analysis::AnalysisLedger ledger = ledger_of(ledgers.files);

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
    // The play figures after the overview's, and the stores' value at the slice's end.
    const UserRegistry registry = read_user_registry();
    const std::vector<play::PlayEntry> before = years_before(ledgers.files);
    const std::vector<analysis::StoreLine> stores =
        analysis::slice_stores(ledger, filter, before, registry.settings, registry.halls);
    const play::PlayFigures play = analysis::slice_play_figures(ledger, slice, filter);
    for (const analysis::OverviewFigure& f : analysis::play_figure_table(play, analysis::stores_value(stores)))
        out += std::string(f.name) + "\t" + analysis::figure_text(f) + "\n";
    // The expected-value figures after the play figures, by the machines' numbers in the registry.
    analysis::Figures figures;  // the slice alone: --analyze prints no table
    figures.slice = slice;
    const analysis::SliceExpect expect =
        analysis::slice_expect(ledger, analysis::ledger_expect(ledger, registry.all_numbers), figures, filter);
    for (const auto& [name, text] : analysis::expect_lines(expect.figures)) out += name + "\t" + text + "\n";
    return print(out);
}

namespace {

// One line per store: hall, kind, lending price, pieces and yen ("—" without a rate).
std::vector<std::string> store_lines(std::span<const analysis::StoreLine> stores) {
    std::vector<std::string> lines;
    for (const analysis::StoreLine& s : stores) {
        const QString hall = from_cp932(s.store.key.hall);
        lines.push_back(hall.toStdString() + "\t" + (s.store.key.kind == play::Kind::Slot ? "スロット" : "パチンコ") + "\t" +
                        play::price_text(s.store.key.lending_price) + "\t" + std::to_string(s.store.pieces()) + "\t" +
                        (s.value ? std::to_string(*s.value) : std::string("—")));
    }
    return lines;
}

}  // namespace

int stores_command(int argc, const char* const* args) {
    CommandArgs cl;
    if (const auto mistake = split_command_args(argc, args, {}, cl)) return command_line_mistake(*mistake, kStoresUsage);
    if (cl.files.empty()) return command_line_mistake("収支ファイルがありません", kStoresUsage);
    const Ledgers ledgers = read_ledgers(cl.files);
    if (ledgers.fault) return command_failure(*ledgers.fault);
    const analysis::AnalysisLedger ledger = ledger_of(ledgers.files);
    const UserRegistry registry = read_user_registry();
    const std::vector<play::PlayEntry> before = years_before(ledgers.files);
    std::string out;
    for (const std::string& line :
         store_lines(analysis::slice_stores(ledger, analysis::Filter{}, before, registry.settings, registry.halls)))
        out += line + "\n";
    return print(out);
}

}  // namespace velmo
