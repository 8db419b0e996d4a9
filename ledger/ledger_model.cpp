#include "ledger/ledger_model.h"

#include <algorithm>
#include <charconv>

#include "framework/runtime.h"
#include "ledger/number_text.h"

namespace velmo {

std::string make_date_text(int month, int day) {
    std::string m = std::to_string(month);
    if (m.size() < 2) m.insert(m.begin(), ' ');
    return m + "/" + std::to_string(day);
}

namespace {
// Integer value of a part of a date text, leading spaces allowed.
int part_int(std::string_view text, std::size_t from, std::size_t count) {
    if (from >= text.size()) return 0;
    std::string_view part = text.substr(from, count);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    if (part.empty()) return 0;
    int v = 0;
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (ec != std::errc() || end != part.data() + part.size() || v < 0) return 0;
    return v;
}
}  // namespace

int date_text_month(std::string_view text) { return part_int(text, 0, 2); }
int date_text_day(std::string_view text) { return part_int(text, 3, 2); }

QDate calendar_date_in_year(const std::string& year_text, const QDate& today) {
    int year = year_text_value(year_text);
    if (year < 1 || year > 9999) year = today.year();
    int day = std::min(today.day(), days_in_month(year, today.month()));
    return QDate(year, today.month(), day);
}

std::optional<std::int64_t> parse_number(std::string_view text) {
    const std::size_t digits_from = !text.empty() && text.front() == '-' ? 1 : 0;
    if (digits_from == text.size()) return std::nullopt;
    if (text.size() - digits_from <= 18) return parse_short_number(text);
    for (std::size_t i = digits_from; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

std::int64_t cell_number(std::string_view text) {
    const std::size_t digits_from = !text.empty() && text.front() == '-' ? 1 : 0;
    if (digits_from == text.size()) return 0;
    for (std::size_t i = digits_from; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return 0;
    const std::optional<std::int64_t> v = parse_number(text);
    // Digits beyond 64 bits are beyond the bound as well.
    if (!v) return digits_from == 1 ? -kCellFigureMax - 1 : kCellFigureMax;
    return std::clamp(*v, -kCellFigureMax - 1, kCellFigureMax);
}

std::optional<std::string> ledger_year_text(std::string_view typed) {
    const std::optional<std::int64_t> v = parse_number(typed);
    if (!v || *v < 1 || *v > 9999) return std::nullopt;
    std::string text = std::to_string(*v);
    return std::string(4 - text.size(), '0') + text;
}

int year_text_value(std::string_view text) { return part_int(text, 0, text.size()); }

}  // namespace velmo
