#include "budget/budget.h"

#include <algorithm>

#include "ledger/settings_parts.h"

namespace velmo::budget {

namespace {

std::int64_t clamped(std::uint32_t word) {
    // Stored as signed 32-bit figures: a negative one is off, a too large one the bound.
    const auto value = static_cast<std::int32_t>(word);
    return std::clamp<std::int64_t>(value, 0, kMaxAmount);
}

void put_word(std::string& out, std::int64_t amount) {
    const auto word = static_cast<std::uint32_t>(std::clamp<std::int64_t>(amount, 0, kMaxAmount));
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<char>((word >> shift) & 0xFF));
}

std::uint32_t word_at(std::string_view data, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) word = (word << 8) | static_cast<std::uint8_t>(data[at + i]);
    return word;
}

}  // namespace

void register_registry_record() {
    RegistryRecordCodec codec;
    codec.type = kRegistryType;
    codec.encode = [](const SettingsParts& parts) -> std::vector<std::string> {
        const Budget& budget = parts.get<Budget>();
        if (!budget.any()) return {};
        return {encode_record(budget)};
    };
    // The last record of eight bytes counts; one of another length is kept as it is.
    codec.decode = [](std::string_view data, SettingsParts& parts) {
        const std::optional<Budget> budget = decode_record(data);
        if (budget) parts.set(*budget);
        return budget.has_value();
    };
    register_registry_codec(std::move(codec));
}

std::string encode_record(const Budget& budget) {
    std::string out;
    put_word(out, budget.monthly);
    put_word(out, budget.per_visit);
    return out;
}

std::optional<Budget> decode_record(std::string_view data) {
    if (data.size() != 8) return std::nullopt;
    return Budget{clamped(word_at(data, 0)), clamped(word_at(data, 4))};
}

std::optional<std::int64_t> read_amount(const QString& text) {
    const std::optional<std::int64_t> amount = velmo::read_amount(text);
    if (!amount || *amount > kMaxAmount) return std::nullopt;
    return amount;
}

MonthSums month_sums(std::span<const RecordFigure> records) {
    MonthSums sums{};
    for (const RecordFigure& r : records)
        if (r.month >= 1 && r.month <= 12) sums[static_cast<std::size_t>(r.month)] += r.balance;
    return sums;
}

std::vector<int> newly_over(std::int64_t budget, const MonthSums& before, const MonthSums& after,
                            std::span<const int> months) {
    std::vector<int> out;
    for (int m = 1; m <= 12; ++m) {
        if (std::find(months.begin(), months.end(), m) == months.end()) continue;
        const auto k = static_cast<std::size_t>(m);
        if (over_budget(budget, after[k]) && !over_budget(budget, before[k])) out.push_back(m);
    }
    return out;
}

QString month_notice(int month, std::int64_t budget, std::int64_t month_balance) {
    return QString::number(month) + QStringLiteral("月の損失が予算（") + yen_qtext(budget) + QStringLiteral("円）を超えました（現在 ") +
           yen_qtext(month_balance) + QStringLiteral("円）");
}

QString visit_notice(std::int64_t limit, std::int64_t investment) {
    return QStringLiteral("1回の投資が上限（") + yen_qtext(limit) + QStringLiteral("円）を超えています（") + yen_qtext(investment) +
           QStringLiteral("円）");
}

QString status_text(std::int64_t budget, std::int64_t month_balance) {
    const std::int64_t left = budget + month_balance;
    return (left >= 0 ? QStringLiteral("予算残り ") : QStringLiteral("予算超過 ")) + yen_qtext(left) + QStringLiteral("円");
}

}  // namespace velmo::budget
