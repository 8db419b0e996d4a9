#include "views/summary_calc.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>

#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_model.h"
#include "ledger/number_text.h"
#include "ledger/packed_fields.h"
#include "views/ledger_figures.h"
#include "views/name_index.h"
#include "views/win_rate.h"

namespace velmo {

namespace {

constexpr std::int64_t kScaleStep = 20000;

void count_mark(WinCounts& counts, int mark) {
    if (mark > 0) ++counts.wins;
    else if (mark < 0) ++counts.losses;
    else ++counts.draws;
}

void add(SummaryLine& line, const Amounts& amounts) {
    line.investment += amounts.investment;
    line.payout += amounts.payout;
}

// Whether two rows have the same date text. Texts of different months or days
// differ, so only rows of the same month and day compare their texts.
bool same_date(const SummaryRow& a, const SummaryRow& b) {
    return same_play_day(a.month, a.day, a.date, b.month, b.day, b.date);
}

// Sums the play day (a run of rows with equal date text) that starts at row i
// and moves i past it.
Amounts take_play_day(std::span<const SummaryRow> rows, std::size_t& i) {
    Amounts day = rows[i].amounts;
    ++i;
    while (i < rows.size() && same_date(rows[i], rows[i - 1])) {
        day.investment += rows[i].amounts.investment;
        day.payout += rows[i].amounts.payout;
        ++i;
    }
    return day;
}

// Visits every play day in ledger order: fn(first row index, summed amounts).
template <typename Fn>
void for_each_play_day(std::span<const SummaryRow> rows, Fn fn) {
    std::size_t i = 0;
    while (i < rows.size()) {
        const std::size_t first = i;
        const Amounts day = take_play_day(rows, i);
        fn(first, day);
    }
}

}  // namespace

MonthlySummary summarize_months(std::span<const SummaryRow> rows) {
    MonthlySummary out;
    if (rows.empty()) return out;
    std::size_t i = 0;
    int m = 1;
    SummaryLine month;
    std::int64_t running = 0;
    int rm = 0;
    do {
        rm = i < rows.size() ? rows[i].month : 0;
        if (rm < 1 || rm > 12) rm = 0;
        if (rm == m) {
            const Amounts day = take_play_day(rows, i);
            add(month, day);
            count_result(month.counts, day.investment, day.payout);
        } else {
            // Month m is complete (or had no play).
            auto index = static_cast<std::size_t>(m - 1);
            running += month.balance();
            out.lines[index] = month;
            out.running[index] = running;
            out.year_investment += month.investment;
            out.year_payout += month.payout;
            month = SummaryLine{};
            ++m;
        }
    } while (m <= rm);
    out.months = m - 1;
    out.year_balance = running;
    out.average = out.months > 0 ? running / out.months : 0;
    return out;
}

MonthlyTexts monthly_texts(const MonthlySummary& months, const WinCounts& year_play_days) {
    const auto rate = [](const WinCounts& c) { return format_win_rate(c.wins, c.losses, c.draws); };
    MonthlyTexts texts;
    for (int m = 1; m <= months.months; ++m) {
        const auto i = static_cast<std::size_t>(m - 1);
        const SummaryLine& line = months.lines[i];
        texts[i] = {std::to_string(line.investment), std::to_string(line.payout), std::to_string(line.balance()),
                    std::to_string(months.running[i]), rate(line.counts)};
    }
    texts[12] = {std::to_string(months.year_investment), std::to_string(months.year_payout), {},
                 std::to_string(months.year_balance), rate(year_play_days)};
    return texts;
}

const std::string& month_label(int month) {
    static const std::array<std::string, 12> labels = {
        SJ(u8"１月"), SJ(u8"２月"), SJ(u8"３月"), SJ(u8"４月"), SJ(u8"５月"),   SJ(u8"６月"),
        SJ(u8"７月"), SJ(u8"８月"), SJ(u8"９月"), SJ(u8"１０月"), SJ(u8"１１月"), SJ(u8"１２月")};
    return labels[static_cast<std::size_t>(std::clamp(month, 1, 12) - 1)];
}

WeekdaySummary summarize_weekdays(std::span<const SummaryRow> rows, int year) {
    WeekdaySummary out;
    for_each_play_day(rows, [&](std::size_t first, const Amounts& day) {
        const int month = rows[first].month;
        const int d = rows[first].day;
        if (!is_valid_date(year, month, d)) return;
        SummaryLine& line = out.days[static_cast<std::size_t>(day_of_week(year, month, d) - 1)];
        add(line, day);
        count_result(line.counts, day.investment, day.payout);
    });
    for (const SummaryLine& line : out.days) {
        out.total.investment += line.investment;
        out.total.payout += line.payout;
        out.total.counts.wins += line.counts.wins;
        out.total.counts.losses += line.counts.losses;
        out.total.counts.draws += line.counts.draws;
    }
    return out;
}

std::vector<Group> collect_groups(std::span<const SummaryRow> rows, std::size_t limit, bool skip_empty) {
    std::vector<Group> groups;
    if (limit == 0) return groups;
    std::vector<std::uint32_t> group_of;  // group number + 1 of each key number, 0: none yet
    group_of.reserve(64);
    for (const SummaryRow& row : rows) {
        if (skip_empty && row.key.empty()) continue;
        if (row.key_number >= group_of.size()) group_of.resize(std::size_t{row.key_number} + 1, 0);
        std::uint32_t& g = group_of[row.key_number];
        if (g == 0) {
            groups.push_back(Group{std::string(row.key), SummaryLine{}});
            g = static_cast<std::uint32_t>(groups.size());
        }
        SummaryLine& line = groups[g - 1].line;
        add(line, row.amounts);
        count_mark(line.counts, row.mark);
        if (groups.size() >= limit) break;
    }
    return groups;
}

std::vector<Group> rank_groups(std::vector<Group> groups) {
    std::vector<std::size_t> order(groups.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        std::int64_t ba = groups[a].line.balance();
        std::int64_t bb = groups[b].line.balance();
        if (ba != bb) return ba > bb;
        return a > b;  // equal balances: the later one first
    });
    std::vector<Group> ranked;
    ranked.reserve(groups.size());
    for (std::size_t i : order) ranked.push_back(std::move(groups[i]));
    return ranked;
}

std::int64_t bar_scale(std::int64_t best, std::int64_t worst) {
    std::int64_t top = best;
    if (best + worst < 0) top = -worst;
    if (top <= 0) return 0;
    std::int64_t k = top / kScaleStep + (top % kScaleStep != 0 ? 1 : 0);
    return kScaleStep * k;
}

std::string scale_caption(std::int64_t value) { return SJ(u8"±") + std::to_string(value); }

int bar_length(int first_width, std::int64_t scale, std::int64_t value) {
    if (value == 0 || scale <= 0) return 0;
    float magnitude = static_cast<float>(value < 0 ? -value : value);
    float ratio = static_cast<float>(scale) / magnitude;
    float length = static_cast<float>(4 * first_width) / ratio;
    return static_cast<int>(length);
}

BarPiece bar_piece(int length, int covered, int cell_width, int cell_right) {
    BarPiece piece;
    if (length <= covered) {
        int gap = covered - length;
        if (gap >= cell_width) return piece;
        piece.drawn = true;
        piece.end = true;
        piece.right = cell_right - gap;
        return piece;
    }
    piece.drawn = true;
    piece.right = cell_right;
    return piece;
}


int ranked_row_count(std::size_t groups) {
    const auto n = static_cast<int>(std::min<std::size_t>(groups, 100000));
    return n <= kRankedShownRows ? kRankedShownRows + 1 : n + 1;
}


std::array<std::string, 4> scale_captions(std::int64_t scale) {
    const std::int64_t quarter = scale / 4;
    return {scale_caption(quarter), scale_caption(2 * quarter), scale_caption(3 * quarter), scale_caption(4 * quarter)};
}



}  // namespace velmo
