#include "ledger/amount_text.h"

#include <QString>

#include <algorithm>

namespace velmo {

namespace {

bool is_minus(QChar c) {
    // ASCII hyphen-minus, the minus sign, the full-width hyphen-minus, and the
    // black and white triangles of Japanese accounts.
    return c == QLatin1Char('-') || c == QChar(0x2212) || c == QChar(0xFF0D) || c == QChar(0x25B2) ||
           c == QChar(0x25B3);
}

bool is_yen(QChar c) { return c == QChar(0xFFE5) || c == QChar(0x00A5) || c == QLatin1Char('\\'); }

}  // namespace

std::optional<std::int64_t> read_amount(const QString& text, AmountSign sign) {
    QStringView t = QStringView(text).trimmed();
    if (t.isEmpty()) return 0;
    bool negative = false;
    if (sign == AmountSign::Allowed && t.size() >= 2 &&
        ((t.front() == QLatin1Char('(') && t.back() == QLatin1Char(')')) ||
         (t.front() == QChar(0xFF08) && t.back() == QChar(0xFF09)))) {
        negative = true;
        t = t.sliced(1, t.size() - 2).trimmed();
    }
    // A minus and a yen sign in either order: "-¥5,000" and "¥-5,000".
    bool yen = false;
    for (int k = 0; k < 2 && !t.isEmpty(); ++k) {
        if (!yen && is_yen(t.front())) {
            yen = true;
            t = t.sliced(1).trimmed();
        } else if (sign == AmountSign::Allowed && !negative && is_minus(t.front())) {
            negative = true;
            t = t.sliced(1).trimmed();
        }
    }
    if (t.endsWith(QChar(0x5186))) t = t.chopped(1).trimmed();  // 円
    std::uint64_t value = 0;
    bool beyond = false;
    int digits = 0;
    int group = -1;  // digits since the last separator; -1 before the first one
    for (QChar c : t) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) c = QChar(c.unicode() - 0xFF10 + '0');
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const auto d = static_cast<std::uint64_t>(c.unicode() - '0');
            if (value > (static_cast<std::uint64_t>(kAmountBeyond) - d) / 10) beyond = true;
            else value = value * 10 + d;
            ++digits;
            if (group >= 0) ++group;
        } else if (c == QLatin1Char(',') || c == QChar(0xFF0C)) {
            // Thousands separators, the first after one to three digits and then every third.
            if (digits == 0 || (group >= 0 && group != 3) || (group < 0 && digits > 3)) return std::nullopt;
            group = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || (group >= 0 && group != 3)) return std::nullopt;
    const std::int64_t size = beyond ? kAmountBeyond : static_cast<std::int64_t>(value);
    return negative ? -size : size;
}

std::string yen_text(std::int64_t yen) {
    // The size as unsigned, so that the most negative figure has one too.
    std::uint64_t size = yen < 0 ? 0 - static_cast<std::uint64_t>(yen) : static_cast<std::uint64_t>(yen);
    std::string text;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) text.push_back(',');
        text.push_back(static_cast<char>('0' + size % 10));
        size /= 10;
        ++digits;
    } while (size != 0);
    if (yen < 0) text.push_back('-');
    std::reverse(text.begin(), text.end());
    return text;
}

QString yen_qtext(std::int64_t yen) { return QString::fromStdString(yen_text(yen)); }

}  // namespace velmo
