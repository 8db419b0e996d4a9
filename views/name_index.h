#pragma once
// Numbering of names for the summaries that sum by name.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace velmo {

// Numbers names in order of first appearance, for summing by name without
// copying the names: it holds views, so the texts must outlive the index.
class NameIndex {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    // The number of name and whether it was new (it then takes the next number).
    std::pair<std::size_t, bool> insert(std::string_view name);
    // The number of name, npos when it has none.
    std::size_t find(std::string_view name) const;
    std::size_t size() const { return names_.size(); }

private:
    std::size_t slot_of(std::string_view name, std::uint64_t hash) const;
    void grow();

    std::vector<std::string_view> names_;
    std::vector<std::uint64_t> hashes_;
    std::vector<std::uint32_t> slots_;  // number + 1 of the name in each slot, 0 empty
};

// A quick hash of a name: its length and its bytes, read eight (or four) at a time.
inline std::uint64_t name_hash(std::string_view name) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char* p = name.data();
    std::size_t n = name.size();
    std::uint64_t h = (n + 1) * kMul;
    auto mix = [&](std::uint64_t w) {
        h = (h ^ w) * kMul;
        h ^= h >> 29;
    };
    if (n >= 8) {
        for (; n > 8; n -= 8, p += 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            mix(w);
        }
        std::uint64_t last;  // the last eight bytes, overlapping the ones read
        std::memcpy(&last, name.data() + name.size() - 8, 8);
        mix(last);
    } else if (n >= 4) {
        std::uint32_t first, last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        mix(static_cast<std::uint64_t>(first) << 32 | last);
    } else {
        std::uint64_t w = 0;
        for (std::size_t i = 0; i < n; ++i) w = w << 8 | static_cast<unsigned char>(p[i]);
        mix(w);
    }
    return h ^ (h >> 32);
}

inline std::size_t NameIndex::slot_of(std::string_view name, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    while (slots_[i] != 0) {
        const std::size_t n = slots_[i] - 1;
        if (hashes_[n] == hash && names_[n] == name) return i;
        i = (i + 1) & mask;
    }
    return i;
}

inline void NameIndex::grow() {
    slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t n = 0; n < names_.size(); ++n) {
        std::size_t i = static_cast<std::size_t>(hashes_[n]) & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = static_cast<std::uint32_t>(n + 1);
    }
}

inline std::pair<std::size_t, bool> NameIndex::insert(std::string_view name) {
    if (2 * (names_.size() + 1) > slots_.size()) grow();
    const std::uint64_t hash = name_hash(name);
    const std::size_t i = slot_of(name, hash);
    if (slots_[i] != 0) return {slots_[i] - 1, false};
    names_.push_back(name);
    hashes_.push_back(hash);
    slots_[i] = static_cast<std::uint32_t>(names_.size());
    return {names_.size() - 1, true};
}

inline std::size_t NameIndex::find(std::string_view name) const {
    if (slots_.empty()) return npos;
    const std::size_t i = slot_of(name, name_hash(name));
    return slots_[i] != 0 ? slots_[i] - 1 : npos;
}

}  // namespace velmo
