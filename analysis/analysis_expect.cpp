#include "analysis/analysis_expect.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace velmo::analysis {

LedgerExpect ledger_expect(const AnalysisLedger& ledger, const play::MachineNumberTable& all_numbers) {
    LedgerExpect out;
    out.entries.resize(ledger.plays.size());
    if (all_numbers.machines.empty() || ledger.play_data.empty()) return out;
    // Each machine's numbers made ready once; none for a machine without them.
    std::vector<std::optional<play::PreparedNumbers>> prepared(ledger.machines.size());
    for (std::size_t m = 0; m < ledger.machines.size(); ++m)
        if (const play::MachineNumbers* numbers = all_numbers.of(ledger.machines[m])) prepared[m] = play::prepare_numbers(*numbers);
    for (const RecordPlay& r : ledger.records) {
        if (r.play_data == kNoPlayData) continue;
        const play::RecordPlayData& data = ledger.play_data[r.play_data];
        for (std::uint32_t i = 0; i < r.play_count && i < data.machines.size(); ++i) {
            const std::uint32_t p = r.first_play + i;
            const play::MachineData& m = data.machines[i];
            const std::optional<play::PreparedNumbers>& numbers = prepared[ledger.plays[p].machine];
            if (m.empty() || !numbers) continue;
            out.entries[p] = play::entry_expect(m, &*numbers);
        }
    }
    return out;
}

SliceExpect slice_expect(const AnalysisLedger& ledger, const LedgerExpect& expect, const Figures& figures,
                         const Filter& filter) {
    SliceExpect out;
    if (expect.entries.size() != ledger.plays.size()) return out;
    const Slice& slice = figures.slice;
    out.minutes.resize(ledger.records.size());
    out.minutes_alone.resize(ledger.records.size());
    // For each table, the row of each key.
    std::array<std::vector<std::size_t>, kTableKeys.size()> row_of;
    std::array<std::vector<std::vector<play::ExpectEntry>>, kTableKeys.size()> row_entries;
    for (std::size_t t = 0; t < kTableKeys.size(); ++t) {
        const std::vector<TableRow>& rows = figures.tables[t];
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (row_of[t].size() <= rows[i].key) row_of[t].resize(rows[i].key + 1, SIZE_MAX);
            row_of[t][rows[i].key] = i;
        }
        row_entries[t].resize(rows.size());
    }
    const auto add_to_row = [&](std::size_t t, std::uint32_t key, const play::ExpectEntry& e) {
        if (key < row_of[t].size() && row_of[t][key] != SIZE_MAX) row_entries[t][row_of[t][key]].push_back(e);
    };
    for (const std::uint32_t index : slice.records) {
        const RecordPlay& r = ledger.records[index];
        if (r.play_data == kNoPlayData) continue;
        if (r.minutes >= 0) {
            if (r.one_machine) out.minutes_alone[index] = r.minutes;
            if (!filter.machine || r.one_machine) out.minutes[index] = r.minutes;
        }
        for (std::uint32_t i = 0; i < r.play_count; ++i) {
            const std::uint32_t p = r.first_play + i;
            const MachinePlay& play = ledger.plays[p];
            if (filter.machine && play.machine != *filter.machine) continue;
            const play::EntryExpect& e = expect.entries[p];
            if (e.state == play::ExpectState::NoNumbers) continue;
            out.shown = true;
            const play::ExpectEntry entry{&e, play.payout - play.investment, index};
            out.entries.push_back(entry);
            for (std::size_t t = 0; t < kTableKeys.size(); ++t) {
                switch (kTableKeys[t]) {
                    case TableKey::Month: add_to_row(t, static_cast<std::uint32_t>(r.date.month), entry); break;
                    case TableKey::Weekday: add_to_row(t, static_cast<std::uint32_t>(r.weekday), entry); break;
                    case TableKey::Hall: add_to_row(t, r.hall, entry); break;
                    case TableKey::Machine: add_to_row(t, play.machine, entry); break;
                    case TableKey::Extra: add_to_row(t, r.extra, entry); break;
                }
            }
        }
    }
    if (!out.shown) return out;
    out.figures = play::expect_figures(out.entries, out.minutes);
    for (std::size_t t = 0; t < kTableKeys.size(); ++t) {
        // A machine's row counts a visit's time only when the visit played that machine alone.
        const std::vector<std::optional<int>>& minutes =
            kTableKeys[t] == TableKey::Machine ? out.minutes_alone : out.minutes;
        out.tables[t].reserve(row_entries[t].size());
        for (const std::vector<play::ExpectEntry>& entries : row_entries[t])
            out.tables[t].push_back(play::expect_figures(entries, minutes));
    }
    return out;
}

std::string z_text(long double z) {
    const long long hundredths = std::llround(z * 100);
    const unsigned long long size = static_cast<unsigned long long>(std::llabs(hundredths));
    std::string fraction = std::to_string(size % 100);
    if (fraction.size() < 2) fraction.insert(0, "0");
    return (hundredths < 0 ? "-" : "") + std::to_string(size / 100) + "." + fraction;
}

std::vector<std::pair<std::string, std::string>> expect_lines(const play::ExpectFigures& f) {
    const std::string undefined = "—";
    const auto whole = [&](const std::optional<std::int64_t>& v) { return v ? std::to_string(*v) : undefined; };
    const auto tenths = [&](const std::optional<std::int64_t>& v) {
        return v ? figure_text(OverviewFigure{"", FigureFormat::Hours, v}) : undefined;
    };
    return {
        {"期待値記録数", std::to_string(f.counted)},
        {"仕事量", whole(f.work)},
        {"期待時給", whole(f.hourly)},
        {"運", whole(f.luck)},
        {"運の標準偏差", whole(f.luck_sd)},
        {"運の偏り", f.z ? z_text(*f.z) : undefined},
        {"平均回転率", tenths(f.mean_rate_tenths)},
        {"平均ボーダー差", tenths(f.mean_border_gap_tenths)},
    };
}

}  // namespace velmo::analysis
