#include "play/play_input.h"

#include "play/play_data.h"

namespace velmo::play {

namespace {

// The text in ASCII, without spaces, separators and a unit at its end.
std::string plain(const QString& text, bool drop_separators) {
    QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    for (const QString& unit : {QStringLiteral("円"), QStringLiteral("玉"), QStringLiteral("枚")})
        if (t.endsWith(unit)) {
            t.chop(unit.size());
            t = t.trimmed();
            break;
        }
    if (drop_separators) {
        // Thousands separators only between digits.
        QString out;
        for (qsizetype i = 0; i < t.size(); ++i) {
            const bool between = i > 0 && i + 1 < t.size() && t[i - 1].isDigit() && t[i + 1].isDigit();
            if (t[i] == QLatin1Char(',') && between) continue;
            out += t[i];
        }
        t = out;
    }
    return t.toStdString();
}

TypedNumber decimal(const QString& text, int decimals, std::int32_t max) {
    const std::string t = plain(text, true);
    if (t.empty()) return {};
    const auto v = read_decimal(t, decimals, max);
    if (!v) return {false, std::nullopt};
    return {true, *v};
}

}  // namespace

TypedNumber read_price(const QString& text) { return decimal(text, 2, kMaxLendingPrice); }
TypedNumber read_rate(const QString& text) { return decimal(text, 1, kMaxExchangeRate); }

TypedNumber read_count(const QString& text, std::int64_t max) {
    const std::string t = plain(text, true);
    if (t.empty()) return {};
    if (t.size() > 12) return {false, std::nullopt};
    std::int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return {false, std::nullopt};
        v = v * 10 + (c - '0');
    }
    if (v > max) return {false, std::nullopt};
    return {true, v};
}

TypedNumber read_clock(const QString& text) {
    const std::string t = plain(text, false);
    if (t.empty()) return {};
    const auto m = read_time(t);
    if (!m) return {false, std::nullopt};
    return {true, *m};
}

}  // namespace velmo::play
