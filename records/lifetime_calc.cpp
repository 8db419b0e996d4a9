#include "records/lifetime_calc.h"

#include <algorithm>
#include <limits>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"
#include "ledger/record_fields.h"

namespace velmo {

namespace {

constexpr std::int64_t kMaxCount = 999'999'999;

std::int64_t add_saturating(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}

// Byte offset of the first whole character equal to the two-byte character
// mark at or after from; npos when there is none.
std::size_t find_char(std::string_view text, std::string_view mark, std::size_t from) {
    std::size_t i = 0;
    while (i < text.size()) {
        const bool lead = is_cp932_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        if (i >= from && lead && text.substr(i, 2) == mark) return i;
        i += lead ? 2 : 1;
    }
    return std::string_view::npos;
}

// The run of ASCII digits that ends right before byte offset end. CP932 trail
// bytes are never digits, so reading backwards cannot split a character.
std::int64_t digits_before(std::string_view text, std::size_t end) {
    std::size_t begin = end;
    while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
    if (begin == end) return 0;
    if (end - begin > 9) return kMaxCount;
    std::int64_t v = 0;
    for (std::size_t i = begin; i < end; ++i) v = v * 10 + (text[i] - '0');
    return v;
}

std::string prefix4(const std::string& text) { return text.substr(0, std::min<std::size_t>(4, text.size())); }

}  // namespace

WinLossDraw parse_win_rate(std::string_view text) {
    WinLossDraw out;
    const std::string& win = SJ(u8"勝");
    const std::string& loss = SJ(u8"敗");
    const std::string& draw = SJ(u8"分");
    const std::size_t w = find_char(text, win, 0);
    if (w == std::string_view::npos) return out;
    out.wins = digits_before(text, w);
    const std::size_t l = find_char(text, loss, w + 2);
    if (l == std::string_view::npos) return out;
    out.losses = digits_before(text, l);
    const std::size_t after = l + 2;
    if (after < text.size() && text[after] == ' ') return out;
    const std::size_t d = find_char(text, draw, after);
    if (d != std::string_view::npos) out.draws = digits_before(text, d);
    return out;
}

std::string lifetime_win_text(const WinLossDraw& c) {
    std::string out = std::to_string(c.wins) + SJ(u8"勝") + std::to_string(c.losses) + SJ(u8"敗");
    const std::int64_t decided = c.wins + c.losses;
    if (decided > 0) {
        if (c.draws != 0) out += std::to_string(c.draws) + SJ(u8"分");
        out += ' ';
        out += std::to_string(c.wins * 100 / decided) + SJ(u8"％");
    } else {
        out += std::to_string(c.draws) + SJ(u8"分 0％");
    }
    return out;
}

std::string lifetime_balance_text(std::int64_t sum) {
    std::string sign = sum > 0 ? SJ(u8"＋") : (sum == 0 ? SJ(u8"±") : std::string());
    return SJ(u8"生涯収支 ") + sign + std::to_string(sum);
}

LifetimeSums sum_years(std::vector<TableRow>& rows, bool write_running) {
    LifetimeSums s;
    for (TableRow& row : rows) {
        row.resize(std::max(row.size(), kYearColumns));
        s.investment = add_saturating(s.investment, cell_number(row[1]));
        s.payout = add_saturating(s.payout, cell_number(row[2]));
        s.balance = add_saturating(s.balance, cell_number(row[3]));
        if (write_running) row[4] = std::to_string(s.balance);
        const WinLossDraw c = parse_win_rate(row[5]);
        s.counts.wins += c.wins;  // at most 127 rows of at most 999999999 each
        s.counts.losses += c.losses;
        s.counts.draws += c.draws;
    }
    return s;
}

TableRow year_row(const std::string& year_text, const std::string& investment, const std::string& payout,
                  const std::string& balance, const std::string& win_rate) {
    TableRow row(kYearColumns);
    row[0] = year_text + SJ(u8"年");
    row[1] = investment;
    row[2] = payout;
    row[3] = balance;
    row[5] = win_rate;
    return row;
}

std::size_t place_year_row(std::vector<TableRow>& rows, const std::string& year_text, TableRow row) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string year = rows[i].empty() ? std::string() : prefix4(rows[i][0]);
        if (year == year_text) {
            rows[i] = std::move(row);
            return i;
        }
        if (year > year_text) {
            rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i), std::move(row));
            return i;
        }
    }
    rows.push_back(std::move(row));
    return rows.size() - 1;
}

bool remove_year_row(std::vector<TableRow>& rows, const std::string& year_text) {
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (!it->empty() && prefix4((*it)[0]) == year_text) {
            rows.erase(it);
            return true;
        }
    }
    return false;
}

void remove_year_entries(std::vector<TableRow>& ranks, const std::string& year_text) {
    std::erase_if(ranks, [&](const TableRow& r) { return r.size() > 1 && prefix4(r[1]) == year_text; });
}

namespace {

// The value of a ranking entry: its number in column value_col, 0 when unreadable.
std::int64_t entry_value(const TableRow& row, std::size_t value_col) {
    return value_col < row.size() ? cell_number(row[value_col]) : 0;
}

// Where an entry of the value goes among entries of these values (in table
// order): in a best table before the first that is not greater, in a worst
// table before the first that is not smaller. kRanks when it misses the ten.
std::size_t ranking_place(std::span<const std::int64_t> values, bool best, std::int64_t value) {
    std::size_t p = 0;
    for (; p < values.size() && p < kRanks; ++p)
        if (best ? values[p] <= value : values[p] >= value) break;
    return p;
}

// A table taking many entries, with the value of each entry read once. An entry
// is made only when it is still among the ten at the end (make_entry(i) makes
// the i-th entry offered), so an entry pushed out later costs nothing.
class RankingUpdate {
public:
    RankingUpdate(std::vector<TableRow>& ranks, std::size_t value_col, bool best) : ranks_(ranks), best_(best) {
        values_.reserve(ranks.size() + 1);
        places_.reserve(ranks.size() + 1);
        for (std::size_t i = 0; i < ranks.size(); ++i) {
            values_.push_back(entry_value(ranks[i], value_col));
            places_.push_back(Place{true, i});
        }
        find_weakest();
    }
    void offer(std::int64_t value, std::size_t i) {
        // A full table takes no value that every one of its ten beats.
        if (values_.size() >= kRanks && (best_ ? weakest_ > value : weakest_ < value)) return;
        const std::size_t p = ranking_place(values_, best_, value);
        if (p >= kRanks) return;
        values_.insert(values_.begin() + static_cast<std::ptrdiff_t>(p), value);
        places_.insert(places_.begin() + static_cast<std::ptrdiff_t>(p), Place{false, i});
        if (values_.size() > kRanks) {
            values_.resize(kRanks);
            places_.resize(kRanks);
        }
        find_weakest();
    }
    template <typename MakeEntry>
    void finish(MakeEntry make_entry) {
        std::vector<TableRow> out;
        out.reserve(places_.size());
        for (const Place& place : places_)
            out.push_back(place.kept ? std::move(ranks_[place.index]) : make_entry(place.index));
        ranks_ = std::move(out);
    }

private:
    // The smallest (best table) or largest (worst table) of the first ten values.
    void find_weakest() {
        const auto ten = values_.begin() + static_cast<std::ptrdiff_t>(std::min(values_.size(), kRanks));
        if (values_.begin() != ten)
            weakest_ = best_ ? *std::min_element(values_.begin(), ten) : *std::max_element(values_.begin(), ten);
    }

    struct Place {
        bool kept;          // an entry the table held before, at index
        std::size_t index;  // else the index of an offered entry
    };
    std::vector<TableRow>& ranks_;
    bool best_;
    std::vector<std::int64_t> values_;
    std::vector<Place> places_;
    std::int64_t weakest_ = 0;
};

}  // namespace

bool enter_ranking(std::vector<TableRow>& ranks, TableRow entry, std::size_t value_col, bool best,
                   std::int64_t value) {
    std::vector<std::int64_t> values;
    for (std::size_t p = 0; p < ranks.size() && p < kRanks; ++p) values.push_back(entry_value(ranks[p], value_col));
    const std::size_t p = ranking_place(values, best, value);
    if (p >= kRanks) return false;
    ranks.insert(ranks.begin() + static_cast<std::ptrdiff_t>(p), std::move(entry));
    if (ranks.size() > kRanks) ranks.resize(kRanks);
    return true;
}

TableRow record_entry(const std::string& year_text, const RecordTexts& record) {
    const DayTotals totals = day_totals_texts(record.day_totals);
    TableRow row(kRecordColumns);
    row[1].reserve(year_text.size() + 1 + record.date.size());
    row[1] += year_text;
    row[1] += '/';
    row[1] += record.date;
    row[2] = record.hall;
    row[3] = record.machines;
    row[4] = totals.investment;
    row[5] = totals.payout;
    row[6] = record.balance;
    return row;
}

TableRow month_entry(const std::string& year_text, const MonthTexts& month) {
    TableRow row(kMonthColumns);
    row[1] = year_text + SJ(u8"年") + month.label;
    row[2] = month.investment;
    row[3] = month.payout;
    row[4] = month.balance;
    row[5] = month.win_rate;
    return row;
}

void update_rankings(Rankings& rankings, const std::string& year_text, std::span<const std::int64_t> balances,
                     const std::function<RecordTexts(std::size_t)>& record_at, std::span<const MonthTexts> months) {
    remove_year_entries(rankings.best_records, year_text);
    remove_year_entries(rankings.worst_records, year_text);
    remove_year_entries(rankings.best_months, year_text);
    remove_year_entries(rankings.worst_months, year_text);
    RankingUpdate best_records(rankings.best_records, 6, true);
    RankingUpdate worst_records(rankings.worst_records, 6, false);
    for (std::size_t i = 0; i < balances.size(); ++i) {
        const std::int64_t b = balances[i];
        if (b != 0) (b > 0 ? best_records : worst_records).offer(b, i);
    }
    const auto make_record = [&](std::size_t i) { return record_entry(year_text, record_at(i)); };
    best_records.finish(make_record);
    worst_records.finish(make_record);
    RankingUpdate best_months(rankings.best_months, 4, true);
    RankingUpdate worst_months(rankings.worst_months, 4, false);
    for (std::size_t i = 0; i < months.size(); ++i) {
        const std::int64_t b = cell_number(months[i].balance);
        if (b != 0) (b > 0 ? best_months : worst_months).offer(b, i);
    }
    const auto make_month = [&](std::size_t i) { return month_entry(year_text, months[i]); };
    best_months.finish(make_month);
    worst_months.finish(make_month);
}

}  // namespace velmo
