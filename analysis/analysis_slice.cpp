#include "analysis/analysis_slice.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <tuple>

#include "framework/runtime.h"
#include "views/ledger_figures.h"
#include "views/summary_calc.h"

namespace velmo::analysis {

namespace {

std::vector<std::string> texts_of(const NameNumbers& names) {
    std::vector<std::string> out;
    out.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) out.emplace_back(names.name(static_cast<std::uint32_t>(i)));
    return out;
}

bool in_months(const Filter& f, int month) { return month >= f.first_month && month <= f.last_month; }

// The amounts of the filtered machine in a record (its entries of that name summed);
// none when the record does not hold it.
std::optional<MachinePlay> machine_amounts(const AnalysisLedger& ledger, const RecordPlay& r, std::uint32_t machine) {
    std::optional<MachinePlay> out;
    for (std::uint32_t i = 0; i < r.play_count; ++i) {
        const MachinePlay& p = ledger.plays[r.first_play + i];
        if (p.machine != machine) continue;
        if (!out) out = MachinePlay{machine, 0, 0};
        out->investment += p.investment;
        out->payout += p.payout;
    }
    return out;
}

// A record's play data, made where it is put (no copy of the large value).
struct PlayDataOf {
    const LedgerRecord& record;
    operator play::RecordPlayData() const { return play::read_play_data(record); }
};

}  // namespace

AnalysisLedger analysis_ledger(std::span<const YearRecords> years) {
    AnalysisLedger out;
    NameNumbers halls;
    NameNumbers machines;
    NameNumbers extras;
    for (const YearRecords& y : years) {
        out.years.push_back(y.year);
        const RecordFigures figures = figures_of(y.records);
        // Room for the play data of the year's records that may have some, at once.
        out.play_data.reserve(out.play_data.size() +
                              static_cast<std::size_t>(std::count_if(y.records.begin(), y.records.end(), [](const LedgerRecord& rec) {
                                  return !rec.extensions.empty();
                              })));
        std::vector<std::uint32_t> machine_number(figures.names.size());
        for (std::size_t i = 0; i < figures.names.size(); ++i)
            machine_number[i] = machines.number(figures.names.name(static_cast<std::uint32_t>(i)));
        for (std::size_t i = 0; i < figures.rows.size(); ++i) {
            const RowFigures& row = figures.rows[i];
            const LedgerRecord& rec = y.records[i];
            RecordPlay r;
            r.date = Date{y.year, row.month, row.day};
            r.weekday = is_valid_date(y.year, row.month, row.day) ? day_of_week(y.year, row.month, row.day) : 0;
            r.hall = halls.number(rec.hall);
            r.extra = y.extra_counts ? extras.number(rec.extra) : kNoExtra;
            r.investment = row.investment;
            r.payout = row.payout;
            r.first_play = static_cast<std::uint32_t>(out.plays.size());
            r.play_count = row.machine_count;
            for (const MachineFigure& m : row.machine_entries()) {
                out.plays.push_back(MachinePlay{machine_number[m.name], m.investment, m.payout});
                if (out.plays.back().machine != out.plays[r.first_play].machine) r.one_machine = false;
            }
            // Play data, read once here; a record without extension fields has none.
            if (!rec.extensions.empty()) {
                // Read straight into its place (the data is large), and taken back when empty.
                const play::RecordPlayData& data = out.play_data.emplace_back(PlayDataOf{rec});
                if (data.empty()) {
                    out.play_data.pop_back();
                } else {
                    if (const auto minutes = play::visit_minutes(data.time)) r.minutes = *minutes;
                    r.play_data = static_cast<std::uint32_t>(out.play_data.size() - 1);
                    out.play_sums.push_back(play::play_sums(data));
                }
            }
            out.records.push_back(r);
        }
    }
    // Several years analysed as one, in date order.
    std::stable_sort(out.records.begin(), out.records.end(), [](const RecordPlay& a, const RecordPlay& b) {
        return std::tie(a.date.year, a.date.month, a.date.day) < std::tie(b.date.year, b.date.month, b.date.day);
    });
    // A play day is a date: records of one date count once even when a hand-made
    // file does not keep them together.
    std::uint32_t play_day = 0;
    for (std::size_t i = 0; i < out.records.size(); ++i) {
        const Date& d = out.records[i].date;
        const Date* before = i > 0 ? &out.records[i - 1].date : nullptr;
        if (!before || std::tie(d.year, d.month, d.day) != std::tie(before->year, before->month, before->day)) ++play_day;
        out.records[i].play_day = play_day;
    }
    out.halls = texts_of(halls);
    out.machines = texts_of(machines);
    out.extras = texts_of(extras);
    return out;
}

Slice slice_of(const AnalysisLedger& ledger, const Filter& filter) {
    Slice out;
    out.visits.reserve(ledger.records.size());
    out.records.reserve(ledger.records.size());
    std::optional<std::uint32_t> last_day;
    for (std::size_t i = 0; i < ledger.records.size(); ++i) {
        const RecordPlay& r = ledger.records[i];
        if (filter.hall && r.hall != *filter.hall) continue;
        if (filter.extra && r.extra != *filter.extra) continue;
        if (filter.weekday != 0 && r.weekday != filter.weekday) continue;
        if (!in_months(filter, r.date.month)) continue;
        std::int64_t investment = r.investment;
        std::int64_t payout = r.payout;
        if (filter.machine) {
            const std::optional<MachinePlay> played = machine_amounts(ledger, r, *filter.machine);
            if (!played) continue;
            investment = played->investment;
            payout = played->payout;
        }
        if (last_day != r.play_day) ++out.play_days;
        last_day = r.play_day;
        out.visits.push_back(Visit{r.date, ledger.halls[r.hall], payout - investment, investment, payout});
        out.records.push_back(static_cast<std::uint32_t>(i));
    }
    return out;
}

std::optional<std::int64_t> TableRow::hourly() const {
    if (minutes <= 0) return std::nullopt;
    return play::round_div(static_cast<__int128>(timed_balance) * 60, minutes);
}

std::vector<TableRow> table_rows(const AnalysisLedger& ledger, const Slice& slice, const Filter& filter,
                                 TableKey key) {
    std::size_t keys = 0;
    switch (key) {
        case TableKey::Month: keys = 13; break;
        case TableKey::Weekday: keys = 8; break;
        case TableKey::Hall: keys = ledger.halls.size(); break;
        case TableKey::Machine: keys = ledger.machines.size(); break;
        case TableKey::Extra: keys = ledger.extras.size(); break;
    }
    std::vector<TableRow> rows(keys);
    // The visit a machine's row last counted, so that a machine twice in a record counts once.
    std::vector<std::size_t> counted_in(key == TableKey::Machine ? keys : 0, SIZE_MAX);
    // The visit's time counts in a machine's row only when the record played that machine alone.
    const auto add_time = [&](TableRow& row, const RecordPlay& r, std::int64_t balance) {
        if (r.minutes < 0 || (key == TableKey::Machine && !r.one_machine)) return;
        row.timed_visits += 1;
        row.minutes += r.minutes;
        row.timed_balance += balance;
    };
    const RecordPlay* record = nullptr;
    const auto add = [&](std::size_t k, std::int64_t investment, std::int64_t payout) {
        if (k >= rows.size()) return;
        rows[k].visits += 1;
        rows[k].investment += investment;
        rows[k].payout += payout;
        add_time(rows[k], *record, payout - investment);
    };
    for (std::size_t v = 0; v < slice.visits.size(); ++v) {
        const Visit& visit = slice.visits[v];
        const RecordPlay& r = ledger.records[slice.records[v]];
        record = &r;
        switch (key) {
            case TableKey::Month: add(static_cast<std::size_t>(r.date.month), visit.investment, visit.payout); break;
            case TableKey::Weekday: add(static_cast<std::size_t>(r.weekday), visit.investment, visit.payout); break;
            case TableKey::Hall: add(r.hall, visit.investment, visit.payout); break;
            case TableKey::Extra: add(r.extra, visit.investment, visit.payout); break;
            case TableKey::Machine:
                if (filter.machine) {
                    add(*filter.machine, visit.investment, visit.payout);
                    break;
                }
                // Each machine of the record counts one visit, with its entries summed.
                for (std::uint32_t i = 0; i < r.play_count; ++i) {
                    const MachinePlay& p = ledger.plays[r.first_play + i];
                    if (p.machine >= rows.size()) continue;
                    if (counted_in[p.machine] != v) {
                        counted_in[p.machine] = v;
                        rows[p.machine].visits += 1;
                    }
                    rows[p.machine].investment += p.investment;
                    rows[p.machine].payout += p.payout;
                }
                // A record of one machine: its whole visit, time and all, is that machine's.
                if (r.play_count > 0 && r.one_machine) {
                    const std::uint32_t m = ledger.plays[r.first_play].machine;
                    if (m < rows.size()) add_time(rows[m], r, visit.balance);
                }
                break;
        }
    }
    std::vector<TableRow> out;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].visits == 0) continue;
        rows[k].key = static_cast<std::uint32_t>(k);
        out.push_back(rows[k]);
    }
    return out;
}

Figures compute_figures(const AnalysisLedger& ledger, const Filter& filter) {
    Figures f;
    f.slice = slice_of(ledger, filter);
    f.overview = compute_overview(f.slice.visits, f.slice.play_days);
    f.histogram = balance_histogram(f.slice.visits);
    f.running = running_totals(f.slice.visits);
    for (std::size_t t = 0; t < kTableKeys.size(); ++t) f.tables[t] = table_rows(ledger, f.slice, filter, kTableKeys[t]);
    if (!ledger.play_data.empty()) f.play = slice_play_figures(ledger, f.slice, filter);
    return f;
}

play::RecordPlayData visit_play_data(const AnalysisLedger& ledger, const RecordPlay& record, const Filter& filter) {
    if (record.play_data == kNoPlayData) return {};
    const play::RecordPlayData& all = ledger.play_data[record.play_data];
    if (!filter.machine) return all;
    play::RecordPlayData out;
    if (record.one_machine) out.time = all.time;
    for (std::uint32_t i = 0; i < record.play_count && i < out.machines.size(); ++i)
        if (ledger.plays[record.first_play + i].machine == *filter.machine) out.machines[i] = all.machines[i];
    return out;
}

play::PlayFigures slice_play_figures(const AnalysisLedger& ledger, const Slice& slice, const Filter& filter) {
    std::vector<play::SummedVisit> visits;
    visits.reserve(slice.visits.size());
    // Under a machine filter each visit's data is cut to that machine, summed and kept here.
    std::vector<play::PlaySums> cut;
    if (filter.machine) cut.reserve(slice.visits.size());
    for (std::size_t v = 0; v < slice.visits.size(); ++v) {
        const RecordPlay& r = ledger.records[slice.records[v]];
        if (r.play_data == kNoPlayData) continue;
        const play::PlaySums* sums = &ledger.play_sums[r.play_data];
        if (filter.machine) sums = &cut.emplace_back(play::play_sums(visit_play_data(ledger, r, filter)));
        visits.push_back(play::SummedVisit{slice.visits[v].balance, sums});
    }
    return play::play_figures(visits);
}

PlayFigureTable play_figure_table(const play::PlayFigures& p, std::optional<std::int64_t> store_value) {
    using F = FigureFormat;
    return {{
        {"実戦記録数", F::Count, p.records},
        {"稼働時間", F::Hours, p.hours_tenths},
        {"時給", F::Yen, p.hourly},
        {"交換差損", F::Yen, p.exchange_loss},
        {"持ち玉比率", F::Rate, p.held_ratio_tenths},
        {"貯玉評価額", F::Yen, store_value},
    }};
}

std::vector<StoreLine> slice_stores(const AnalysisLedger& ledger, const Filter& filter,
                                    std::span<const play::PlayEntry> earlier, const play::PlaySettings& settings,
                                    std::span<const std::string> hall_order) {
    std::vector<play::StoreVisit> visits;
    visits.reserve(earlier.size() + ledger.play_data.size());
    for (const play::PlayEntry& e : earlier) visits.push_back(play::StoreVisit{e.hall, &e.data});
    const int last_year = ledger.years.empty() ? 0 : *std::max_element(ledger.years.begin(), ledger.years.end());
    for (const RecordPlay& r : ledger.records) {
        if (r.date.year > last_year || (r.date.year == last_year && r.date.month > filter.last_month)) break;
        if (r.play_data != kNoPlayData)
            visits.push_back(play::StoreVisit{ledger.halls[r.hall], &ledger.play_data[r.play_data]});
    }
    std::vector<play::StoreBalance> stores = play::store_balances(settings.stores, visits);
    if (filter.hall) {
        const std::string& hall = ledger.halls[*filter.hall];
        std::erase_if(stores, [&](const play::StoreBalance& s) { return s.key.hall != hall; });
    }
    play::sort_stores(stores, hall_order);
    std::vector<StoreLine> out;
    out.reserve(stores.size());
    for (play::StoreBalance& s : stores) {
        const std::optional<std::int64_t> value = play::store_value(s, settings.halls);
        out.push_back(StoreLine{std::move(s), value});
    }
    return out;
}

std::optional<std::int64_t> stores_value(std::span<const StoreLine> stores) {
    std::optional<std::int64_t> total;
    for (const StoreLine& s : stores)
        if (s.value) total = total.value_or(0) + *s.value;
    return total;
}

int weekday_of_name(std::string_view utf8) {
    constexpr std::string_view kNames[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (std::size_t i = 0; i < std::size(kNames); ++i)
        if (utf8 == kNames[i]) return static_cast<int>(i) + 1;
    return 0;
}

std::optional<std::pair<int, int>> month_range(std::string_view text) {
    const auto number = [](std::string_view t) -> std::optional<int> {
        int v = 0;
        const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (t.empty() || error != std::errc() || end != t.data() + t.size() || v < 1 || v > 12) return std::nullopt;
        return v;
    };
    const std::size_t dash = text.find('-');
    const std::optional<int> first = number(text.substr(0, dash));
    const std::optional<int> last = dash == std::string_view::npos ? first : number(text.substr(dash + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    return std::pair{*first, *last};
}

std::optional<std::uint32_t> name_number(std::span<const std::string> names, std::string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) return std::nullopt;
    return static_cast<std::uint32_t>(it - names.begin());
}

}  // namespace velmo::analysis
