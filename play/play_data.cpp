#include "play/play_data.h"

#include <algorithm>
#include <charconv>

namespace velmo::play {

namespace {

std::optional<std::int64_t> read_whole(std::string_view text, std::int64_t max) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > max) return std::nullopt;
    return v;
}

std::string fixed_text(std::int64_t units, int decimals) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    std::string out = std::to_string(units / scale);
    std::int64_t frac = units % scale;
    if (frac == 0) return out;
    std::string digits = std::to_string(frac + scale).substr(1);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return out + "." + digits;
}

}  // namespace

const std::array<const char*, kFieldCount>& field_names() {
    static const std::array<const char*, kFieldCount> names = {
        "種別", "貸玉料金", "交換率", "現金投資", "持ち玉投資", "貯玉引出",
        "終了玉", "貯玉預入", "回転数", "大当たり", "RB", "出玉"};
    return names;
}

bool RecordPlayData::empty() const {
    return time.empty() && std::all_of(machines.begin(), machines.end(), [](const MachineData& m) { return m.empty(); });
}

std::string price_text(std::int32_t hundredths) { return fixed_text(hundredths, 2); }
std::string rate_text(std::int32_t tenths) { return fixed_text(tenths, 1); }

std::optional<std::int32_t> read_decimal(std::string_view text, int decimals, std::int32_t max) {
    // One pass over the characters: a year's analysis reads thousands of these.
    std::int64_t v = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    int whole = 0;
    for (; i < n && text[i] != '.'; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9' || ++whole > 6) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (whole == 0) return std::nullopt;
    int frac = 0;
    if (i < n) {  // the point, then one to `decimals` digits
        if (++i == n) return std::nullopt;
        for (; i < n; ++i) {
            const char c = text[i];
            if (c < '0' || c > '9' || ++frac > decimals) return std::nullopt;
            v = v * 10 + (c - '0');
        }
    }
    for (; frac < decimals; ++frac) v *= 10;
    if (v < 1 || v > max) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<int> read_time(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return std::nullopt;
    const auto h = read_whole(text.substr(0, colon), 23);
    const auto m = read_whole(text.substr(colon + 1), 59);
    if (!h || !m) return std::nullopt;
    return static_cast<int>(*h * 60 + *m);
}

std::string time_text(int minutes) {
    char buf[8];
    const int h = minutes / 60 % 24, m = minutes % 60;
    buf[0] = static_cast<char>('0' + h / 10);
    buf[1] = static_cast<char>('0' + h % 10);
    buf[2] = ':';
    buf[3] = static_cast<char>('0' + m / 10);
    buf[4] = static_cast<char>('0' + m % 10);
    return std::string(buf, 5);
}

std::string encode_machine(const MachineData& m) {
    std::array<std::string, kFieldCount> f;
    if (m.kind == Kind::Pachinko) f[0].push_back('P');
    if (m.kind == Kind::Slot) f[0].push_back('S');
    if (m.lending_price > 0) f[1] = price_text(m.lending_price);
    if (m.exchange_rate > 0) f[2] = rate_text(m.exchange_rate);
    const std::array<const std::optional<std::int64_t>*, 9> counts = {
        &m.cash, &m.held_in, &m.store_out, &m.end_pieces, &m.store_in, &m.spins, &m.hits, &m.rb, &m.paid};
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (*counts[i]) f[i + 3] = std::to_string(std::clamp<std::int64_t>(**counts[i], 0, kMaxPieces));
    std::size_t last = f.size();
    while (last > 0 && f[last - 1].empty()) --last;
    std::string out;
    for (std::size_t i = 0; i < last; ++i) {
        if (i) out += ',';
        out += f[i];
    }
    return out;
}

std::optional<MachineData> decode_machine(std::string_view text) {
    MachineData m;
    std::optional<std::int64_t>* const counts[] = {&m.cash,     &m.held_in, &m.store_out, &m.end_pieces, &m.store_in,
                                                   &m.spins,    &m.hits,    &m.rb,        &m.paid};
    // The fields one by one, each read as it is scanned: a year's analysis reads thousands.
    const char* p = text.data();
    const char* const end = p + text.size();
    for (std::size_t i = 0; i < static_cast<std::size_t>(kFieldCount); ++i) {
        if (i >= 3) {
            // A whole number of at most ten digits, within its field's limit.
            std::int64_t v = 0;
            int digits = 0;
            for (; p != end && *p != ','; ++p) {
                const char c = *p;
                if (c < '0' || c > '9' || ++digits > 10) return std::nullopt;
                v = v * 10 + (c - '0');
            }
            if (digits > 0) {
                if (v > (i == 3 ? kMaxYen : kMaxPieces)) return std::nullopt;
                *counts[i - 3] = v;
            }
        } else {
            const char* q = p;
            while (q != end && *q != ',') ++q;
            const std::string_view v(p, static_cast<std::size_t>(q - p));
            p = q;
            if (!v.empty()) {
                if (i == 0) {
                    if (v == "P") m.kind = Kind::Pachinko;
                    else if (v == "S") m.kind = Kind::Slot;
                    else return std::nullopt;
                } else {
                    const auto value = i == 1 ? read_decimal(v, 2, kMaxLendingPrice) : read_decimal(v, 1, kMaxExchangeRate);
                    if (!value) return std::nullopt;
                    (i == 1 ? m.lending_price : m.exchange_rate) = *value;
                }
            }
        }
        if (p == end) break;
        ++p;  // the comma
    }
    return m;
}

std::string encode_time(const VisitTime& t) {
    std::string out;
    if (t.start) out = time_text(*t.start);
    out += '-';
    if (t.end) out += time_text(*t.end);
    return out;
}

std::optional<VisitTime> decode_time(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    VisitTime t;
    const std::string_view a = text.substr(0, dash), b = text.substr(dash + 1);
    if (!a.empty() && !(t.start = read_time(a))) return std::nullopt;
    if (!b.empty() && !(t.end = read_time(b))) return std::nullopt;
    return t;
}

RecordPlayData read_play_data(const std::vector<ExtensionField>& extensions) {
    RecordPlayData data;
    for (const ExtensionField& e : extensions) {
        if (e.tag == kTagVisitTime) {
            if (auto t = decode_time(e.text)) data.time = *t;
        } else if (e.tag >= kTagFirstMachine && e.tag < kTagFirstMachine + kMachinesPerRecord) {
            if (auto m = decode_machine(e.text)) data.machines[static_cast<std::size_t>(e.tag - kTagFirstMachine)] = *m;
        }
    }
    return data;
}

RecordPlayData read_play_data(const LedgerRecord& record) { return read_play_data(record.extensions); }

namespace {

// Sets one field: a new value replaces the text in place unless that text
// already reads as it; none takes out a field that held data, and keeps one
// that reads as none or not at all (no data of this version to drop).
template <typename Value, typename Decode>
void put_field(std::vector<ExtensionField>& extensions, std::uint8_t tag, const Value& value, const std::string& text,
               Decode decode) {
    auto at = std::find_if(extensions.begin(), extensions.end(), [&](const ExtensionField& e) { return e.tag == tag; });
    if (at == extensions.end()) {
        if (!value.empty()) set_extension(extensions, tag, text);
        return;
    }
    if (const auto held = decode(at->text)) {
        if (value.empty()) {
            if (!held->empty()) extensions.erase(at);
        } else if (!(*held == value)) {
            set_extension(extensions, tag, text);
        }
        return;
    }
    if (!value.empty()) set_extension(extensions, tag, text);
}

}  // namespace

void write_play_data(std::vector<ExtensionField>& extensions, const RecordPlayData& data) {
    put_field(extensions, kTagVisitTime, data.time, encode_time(data.time), decode_time);
    for (std::size_t i = 0; i < data.machines.size(); ++i)
        put_field(extensions, static_cast<std::uint8_t>(kTagFirstMachine + i), data.machines[i],
                  encode_machine(data.machines[i]), decode_machine);
}

}  // namespace velmo::play
