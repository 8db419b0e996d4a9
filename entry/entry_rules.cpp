#include "entry/entry_rules.h"

#include <charconv>
#include <climits>

#include "framework/cp932.h"
#include "ledger/ledger_model.h"

namespace velmo {

bool is_amount_key(int k) {
    return (k >= 48 && k <= 57) || (k >= 96 && k <= 105) || k == 8 || k == 9 || k == 13 ||
           (k >= 16 && k <= 18) || (k >= 37 && k <= 40) || k == 45 || k == 46 || k == 144;
}

bool refuses_amount_key(int k, const QString& text, bool shortcut) {
    if (shortcut) return false;
    const bool typed = !text.isEmpty() && text.front().unicode() >= 0x20 && text.front().unicode() != 0x7F;
    if (!typed) return !is_amount_key(k) && ((k >= 65 && k <= 90) || k == 32 || k == 189 || k == 190);
    for (QChar c : text)
        if (!c.isDigit() || (c.unicode() > u'9' && (c.unicode() < 0xFF10 || c.unicode() > 0xFF19))) return true;
    return false;
}

std::optional<QString> pasted_amount(const QString& text) {
    QString out;
    for (QChar c : text.trimmed()) {
        const char16_t v = c.unicode();
        if (v >= u'0' && v <= u'9') out += c;
        else if (v >= 0xFF10 && v <= 0xFF19) out += QChar(u'0' + (v - 0xFF10));
        else if (v != u',' && v != 0xFF0C) return std::nullopt;
    }
    return out;
}

std::optional<long long> amount_value(std::string_view text) {
    if (text.empty()) return 0;
    long long v = 0;
    const char* begin = text.data();
    if (*begin == '+') ++begin;
    auto [end, ec] = std::from_chars(begin, text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || begin == end) return std::nullopt;
    if (v > INT_MAX || v < INT_MIN) return std::nullopt;
    return v;
}

AmountUpdate update_amounts(MachineAmounts amounts, int r, long long investment, long long payout) {
    AmountUpdate out;
    const bool in_rows = r >= 1 && r <= kMachinesPerRecord;
    if (in_rows) {
        amounts.investment[static_cast<size_t>(r - 1)] = std::to_string(investment);
        amounts.payout[static_cast<size_t>(r - 1)] = std::to_string(payout);
    }
    long long sum_bet = 0, sum_pay = 0;
    for (size_t i = 0; i < amounts.investment.size(); ++i) {
        sum_bet += cell_number(amounts.investment[i]);
        sum_pay += cell_number(amounts.payout[i]);
    }
    out.row = {std::to_string(investment), std::to_string(payout), std::to_string(payout - investment)};
    if (payout == -investment) out.row = {};
    out.totals = {std::to_string(sum_bet), std::to_string(sum_pay), std::to_string(sum_pay - sum_bet)};
    return out;
}

const std::string& totals_label() { return SJ(u8"      合    計"); }

LedgerRecord corrected_record(const LedgerRecord& entered, const LedgerRecord& stored, const RecordEdits& edits) {
    LedgerRecord row = stored;
    if (edits.date) row.date = entered.date;
    if (edits.hall) row.hall = entered.hall;
    if (edits.machines) {
        row.machines = entered.machines;
        row.balance = entered.balance;
        row.detail = entered.detail;
        row.totals = entered.totals;
    }
    if (edits.extra) row.extra = entered.extra;
    if (edits.comment) row.comment = entered.comment;
    return row;
}

bool record_amounts_fit(const RecordCells& record) {
    auto fits = [](long long v) { return v >= INT_MIN && v <= INT_MAX; };
    return fits(record.investment) && fits(record.payout) && fits(record.balance);
}

const QString& amounts_too_large_text() {
    static const QString text =
        QString::fromUtf8("金額の合計が大きすぎます（投資・回収の合計と収支は 2147483647 まで）");
    return text;
}

}  // namespace velmo
