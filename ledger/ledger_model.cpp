#include "ledger/ledger_model.h"

#include <charconv>

#include "framework/runtime.h"

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
    int year = cell_int(year_text);
    if (year < 1 || year > 9999) year = today.year();
    int day = std::min(today.day(), days_in_month(year, today.month()));
    return QDate(year, today.month(), day);
}

int cell_int(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc()) return 0;
    (void)p;
    return v;
}

}  // namespace velmo
