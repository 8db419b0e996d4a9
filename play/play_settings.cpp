#include "play/play_settings.h"

#include <algorithm>

#include "ledger/settings_parts.h"

namespace velmo::play {

namespace {

void put(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint64_t get(std::string_view data, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<std::uint8_t>(data[at + static_cast<std::size_t>(i)]);
    return v;
}

void put_name(std::string& out, const std::string& name) {
    const std::string_view n = std::string_view(name).substr(0, kMaxHallName);
    out.push_back(static_cast<char>(n.size()));
    out += n;
}

// The name and the position after it; nullopt for a name running past the data.
std::optional<std::pair<std::string, std::size_t>> take_name(std::string_view data) {
    if (data.empty()) return std::nullopt;
    const std::size_t n = static_cast<std::uint8_t>(data[0]);
    if (n == 0 || n > kMaxHallName || n + 1 > data.size()) return std::nullopt;
    return std::make_pair(std::string(data.substr(1, n)), n + 1);
}

bool rates_valid(const KindRates& r) {
    return r.lending_price >= 0 && r.lending_price <= kMaxLendingPrice && r.exchange_rate >= 0 &&
           r.exchange_rate <= kMaxExchangeRate;
}

bool no_rates(const HallRates& h) { return h.pachinko == KindRates{} && h.slot == KindRates{}; }

}  // namespace

const HallRates* PlaySettings::rates_of(std::string_view hall) const {
    for (const HallRates& h : halls)
        if (h.hall == hall) return &h;
    return nullptr;
}

std::int64_t PlaySettings::start_of(const StoreKey& key) const {
    for (const StoreStart& s : stores)
        if (s.key == key) return s.pieces;
    return 0;
}

void set_rates(PlaySettings& settings, HallRates rates) {
    auto it = std::find_if(settings.halls.begin(), settings.halls.end(),
                           [&](const HallRates& h) { return h.hall == rates.hall; });
    if (no_rates(rates)) {
        if (it != settings.halls.end()) settings.halls.erase(it);
    } else if (it != settings.halls.end()) {
        *it = std::move(rates);
    } else {
        settings.halls.push_back(std::move(rates));
    }
}

void set_store_start(PlaySettings& settings, const StoreKey& key, std::int64_t pieces) {
    auto it = std::find_if(settings.stores.begin(), settings.stores.end(), [&](const StoreStart& s) { return s.key == key; });
    if (pieces == 0) {
        if (it != settings.stores.end()) settings.stores.erase(it);
    } else if (it != settings.stores.end()) {
        it->pieces = pieces;
    } else {
        settings.stores.push_back({key, pieces});
    }
}

void follow_hall(PlaySettings& settings, const std::string& old_name, const std::optional<std::string>& new_name,
                 std::span<const std::string> listed) {
    if (new_name && *new_name == old_name) return;
    const bool old_stays = std::find(listed.begin(), listed.end(), old_name) != listed.end();
    if (new_name) {
        if (const HallRates* r = settings.rates_of(old_name)) {
            HallRates moved = *r;
            moved.hall = *new_name;
            set_rates(settings, std::move(moved));
        }
        std::vector<StoreStart> moved;
        for (const StoreStart& s : settings.stores)
            if (s.key.hall == old_name) moved.push_back({{*new_name, s.key.kind, s.key.lending_price}, s.pieces});
        if (!moved.empty())
            std::erase_if(settings.stores, [&](const StoreStart& s) { return s.key.hall == *new_name; });
        for (const StoreStart& s : moved) set_store_start(settings, s.key, s.pieces);
    }
    if (old_stays) return;
    std::erase_if(settings.halls, [&](const HallRates& h) { return h.hall == old_name; });
    std::erase_if(settings.stores, [&](const StoreStart& s) { return s.key.hall == old_name; });
}

std::string encode_rates_record(const HallRates& rates) {
    std::string out;
    put_name(out, rates.hall);
    for (const KindRates* k : {&rates.pachinko, &rates.slot}) {
        put(out, static_cast<std::uint64_t>(std::clamp(k->lending_price, 0, kMaxLendingPrice)), 4);
        put(out, static_cast<std::uint64_t>(std::clamp(k->exchange_rate, 0, kMaxExchangeRate)), 2);
    }
    return out;
}

std::optional<HallRates> decode_rates_record(std::string_view data) {
    const auto name = take_name(data);
    if (!name || data.size() != name->second + 12) return std::nullopt;
    HallRates h;
    h.hall = name->first;
    std::size_t at = name->second;
    for (KindRates* k : {&h.pachinko, &h.slot}) {
        k->lending_price = static_cast<std::int32_t>(get(data, at, 4));
        k->exchange_rate = static_cast<std::int32_t>(get(data, at + 4, 2));
        at += 6;
        if (!rates_valid(*k)) return std::nullopt;
    }
    if (no_rates(h)) return std::nullopt;
    return h;
}

std::string encode_store_record(const StoreStart& start) {
    std::string out;
    put_name(out, start.key.hall);
    out.push_back(start.key.kind == Kind::Slot ? 2 : 1);
    put(out, static_cast<std::uint64_t>(std::clamp(start.key.lending_price, 0, kMaxLendingPrice)), 4);
    put(out, static_cast<std::uint64_t>(std::clamp<std::int64_t>(start.pieces, 0, kMaxPieces)), 4);
    return out;
}

std::optional<StoreStart> decode_store_record(std::string_view data) {
    const auto name = take_name(data);
    if (!name || data.size() != name->second + 9) return std::nullopt;
    const std::size_t at = name->second;
    const auto kind = static_cast<std::uint8_t>(data[at]);
    StoreStart s;
    s.key.hall = name->first;
    if (kind != 1 && kind != 2) return std::nullopt;
    s.key.kind = kind == 2 ? Kind::Slot : Kind::Pachinko;
    s.key.lending_price = static_cast<std::int32_t>(get(data, at + 1, 4));
    s.pieces = static_cast<std::int64_t>(get(data, at + 5, 4));
    if (s.key.lending_price < 1 || s.key.lending_price > kMaxLendingPrice || s.pieces < 1 || s.pieces > kMaxPieces)
        return std::nullopt;
    return s;
}

void register_registry_records() {
    RegistryRecordCodec rates;
    rates.type = kRatesType;
    rates.encode = [](const SettingsParts& parts) {
        std::vector<std::string> out;
        for (const HallRates& h : parts.get<PlaySettings>().halls)
            if (!no_rates(h) && !h.hall.empty()) out.push_back(encode_rates_record(h));
        return out;
    };
    // Every record read adds its hall; a later one for the same hall replaces it.
    rates.decode = [](std::string_view data, SettingsParts& parts) {
        const auto h = decode_rates_record(data);
        if (!h) return false;
        PlaySettings s = parts.get<PlaySettings>();
        set_rates(s, *h);
        parts.set(s);
        return true;
    };
    register_registry_codec(std::move(rates));
    RegistryRecordCodec stores;
    stores.type = kStoresType;
    stores.encode = [](const SettingsParts& parts) {
        std::vector<std::string> out;
        for (const StoreStart& s : parts.get<PlaySettings>().stores)
            if (s.pieces > 0 && !s.key.hall.empty()) out.push_back(encode_store_record(s));
        return out;
    };
    stores.decode = [](std::string_view data, SettingsParts& parts) {
        const auto s = decode_store_record(data);
        if (!s) return false;
        PlaySettings p = parts.get<PlaySettings>();
        set_store_start(p, s->key, s->pieces);
        parts.set(p);
        return true;
    };
    register_registry_codec(std::move(stores));
}

}  // namespace velmo::play
