#pragma once
// The records of one or more years as the analysis reads them, and the slice
// of them a filter picks: the visits with their amounts, the play days, and the
// tables by month, weekday, hall, machine and extra value. The amounts come
// from the same kept figures the summaries use (figures_of); a record's play
// data (play/play_data.h) is read with it, once. No widget here.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis_calc.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"  // year_text_value, the one reader of a ledger's year
#include "play/play_calc.h"
#include "play/play_settings.h"
#include "play/play_year.h"

namespace velmo::analysis {

// A table row from fewer visits than this is marked as too small to mean much.
inline constexpr int kFewVisits = 10;

// One machine entry of a record.
struct MachinePlay {
    std::uint32_t machine = 0;  // number into AnalysisLedger::machines
    std::int64_t investment = 0;
    std::int64_t payout = 0;
};

// The extra value of a record whose year has no extra column of the name
// analysed: it matches no extra value and has no row of the extra table.
inline constexpr std::uint32_t kNoExtra = UINT32_MAX;
// A record without play data.
inline constexpr std::uint32_t kNoPlayData = UINT32_MAX;

// One record, read once.
struct RecordPlay {
    Date date;
    int weekday = 0;               // Sunday = 1 .. Saturday = 7; 0 for a date that does not exist
    std::uint32_t play_day = 0;    // equal for the records of one date, numbered in date order
    std::uint32_t hall = 0;        // number into AnalysisLedger::halls
    std::uint32_t extra = 0;       // number into AnalysisLedger::extras; kNoExtra when its year's column is another
    std::int64_t investment = 0;   // the record's day sums
    std::int64_t payout = 0;
    std::uint32_t first_play = 0;  // its machine entries: plays[first_play, first_play + play_count)
    std::uint32_t play_count = 0;
    std::uint32_t play_data = kNoPlayData;  // number into AnalysisLedger::play_data
    std::int32_t minutes = -1;              // of the visit's time; -1 without both ends
    bool one_machine = true;                // every machine entry is the same machine
};

// The records of the years read, in date order (a stable order: records of one
// date keep their ledger order), with the names they hold numbered.
struct AnalysisLedger {
    std::vector<RecordPlay> records;
    std::vector<MachinePlay> plays;
    std::vector<std::string> halls;     // CP932, numbered in order of first reading
    std::vector<std::string> machines;  // CP932
    std::vector<std::string> extras;    // CP932 extra values
    std::vector<int> years;             // the years read, in the order given
    std::vector<play::RecordPlayData> play_data;  // of the records that have any
    std::vector<play::PlaySums> play_sums;        // play_sums of each of play_data, in step
};

// The records of one ledger with its year. Its extra values count only when
// its extra column is the one analysed (the open year's, by its name): values of
// a column of another name mean something else.
struct YearRecords {
    int year = 0;
    std::span<const LedgerRecord> records;
    bool extra_counts = true;
};

AnalysisLedger analysis_ledger(std::span<const YearRecords> years);

// Which records count. A record matches a machine filter when one of its
// machines is that machine; then only that machine's amounts count. The other
// filters take whole records.
struct Filter {
    std::optional<std::uint32_t> hall;
    std::optional<std::uint32_t> machine;
    std::optional<std::uint32_t> extra;
    int weekday = 0;  // Sunday = 1 .. Saturday = 7; 0 any day
    int first_month = 1;
    int last_month = 12;
};

// The visits of the records that match, in date order, with the amounts that count.
struct Slice {
    std::vector<Visit> visits;
    std::vector<std::uint32_t> records;  // index into AnalysisLedger::records of each visit
    int play_days = 0;                   // play days among the matching records
};
Slice slice_of(const AnalysisLedger& ledger, const Filter& filter);

// One row of a table: its key (month 1..12, weekday 1..7, or the number of a
// hall, machine or extra value) with the sums of its visits.
struct TableRow {
    std::uint32_t key = 0;
    int visits = 0;
    std::int64_t investment = 0;
    std::int64_t payout = 0;
    // Of the visits with a time (by machine: of those that played that machine alone).
    int timed_visits = 0;
    std::int64_t minutes = 0;
    std::int64_t timed_balance = 0;
    std::int64_t balance() const { return payout - investment; }
    bool few() const { return visits < kFewVisits; }
    // 時給 of the timed visits, yen; none without a minute played.
    std::optional<std::int64_t> hourly() const;
};

enum class TableKey { Month, Weekday, Hall, Machine, Extra };
inline constexpr std::array kTableKeys{TableKey::Month, TableKey::Weekday, TableKey::Hall, TableKey::Machine,
                                       TableKey::Extra};

// The rows of a table over the matching records, keys with visits only, in key
// order. By machine, each machine a record holds (only the filtered one under a
// machine filter) counts one visit with that machine's amounts.
std::vector<TableRow> table_rows(const AnalysisLedger& ledger, const Slice& slice, const Filter& filter,
                                 TableKey key);

// Everything the window shows for a slice.
struct Figures {
    Slice slice;
    Overview overview;
    Histogram histogram;
    std::vector<std::int64_t> running;  // the running total after each visit
    std::array<std::vector<TableRow>, kTableKeys.size()> tables;  // in the order of kTableKeys
    play::PlayFigures play;  // play.records == 0: the slice has no play data
};
Figures compute_figures(const AnalysisLedger& ledger, const Filter& filter);

// ---- Play data of a slice ----

// The play data of a visit of the slice as its figures count it: the record's,
// or under a machine filter that machine's entries only, with the visit's time
// only when the record played that machine alone (its hours are not the
// machine's otherwise). Empty for a record without play data.
play::RecordPlayData visit_play_data(const AnalysisLedger& ledger, const RecordPlay& record, const Filter& filter);

// The play figures of the slice's visits (play_figures, over their balances as counted).
play::PlayFigures slice_play_figures(const AnalysisLedger& ledger, const Slice& slice, const Filter& filter);

// The play figures --analyze prints after the overview's, in this order:
// 実戦記録数, 稼働時間 (tenths of an hour), 時給, 交換差損, 持ち玉比率 (tenths of
// a percent), 貯玉評価額. Figures the slice has no data for are not defined.
enum class PlayFigureId { Records, Hours, Hourly, ExchangeLoss, HeldRatio, StoreValue };
inline constexpr std::size_t kPlayFigures = static_cast<std::size_t>(PlayFigureId::StoreValue) + 1;
using PlayFigureTable = std::array<OverviewFigure, kPlayFigures>;
PlayFigureTable play_figure_table(const play::PlayFigures& figures, std::optional<std::int64_t> store_value);
inline const OverviewFigure& figure(const PlayFigureTable& figures, PlayFigureId id) {
    return figures[static_cast<std::size_t>(id)];
}

// One store as it stands, with its value in yen when a rate is known.
struct StoreLine {
    play::StoreBalance store;
    std::optional<std::int64_t> value;  // store_value: the hall's rate, else the last visit's
};

// The stores at the end of the slice: from the starting balances, every entry
// of `earlier` (the play data of the years before those read, in date order),
// then every record read up to the end of the filter's last month in the last
// year read, whatever its weekday, machine or extra value (a balance runs over
// every visit). Under a hall filter only that hall's stores. In the registry's
// hall order (hall_order), then kind, then lending price.
std::vector<StoreLine> slice_stores(const AnalysisLedger& ledger, const Filter& filter,
                                    std::span<const play::PlayEntry> earlier, const play::PlaySettings& settings,
                                    std::span<const std::string> hall_order);

// The sum of the stores' values; none when no store has one.
std::optional<std::int64_t> stores_value(std::span<const StoreLine> stores);

// ---- Names on the command line ----

// "月" .. "日" (UTF-8) as a weekday, Sunday = 1 .. Saturday = 7; 0 for anything else.
int weekday_of_name(std::string_view utf8);
// "M-N" (1 <= M <= N <= 12) or "M" as a month range; none for anything else.
std::optional<std::pair<int, int>> month_range(std::string_view text);
// The number of a name in names; none when it is not there.
std::optional<std::uint32_t> name_number(std::span<const std::string> names, std::string_view name);

}  // namespace velmo::analysis
