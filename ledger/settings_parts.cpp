#include "ledger/settings_parts.h"

#include <algorithm>

namespace velmo {

const SettingsParts::Slot* SettingsParts::find(std::type_index type) const {
    for (const Slot& s : slots_)
        if (s.type == type) return &s;
    return nullptr;
}

void SettingsParts::erase(std::type_index type) {
    std::erase_if(slots_, [type](const Slot& s) { return s.type == type; });
}

bool SettingsParts::operator==(const SettingsParts& other) const {
    if (slots_.size() != other.slots_.size()) return false;
    for (const Slot& s : slots_) {
        const Slot* o = other.find(s.type);
        if (!o || !s.same(s.value, o->value)) return false;
    }
    return true;
}

namespace {

std::vector<RegistryRecordCodec>& codecs() {
    static std::vector<RegistryRecordCodec> list;
    return list;
}

}  // namespace

bool register_registry_codec(RegistryRecordCodec codec) {
    if (codec.type < kFirstSettingsType || codec.type > kLastSettingsType || !codec.encode || !codec.decode) return false;
    std::vector<RegistryRecordCodec>& list = codecs();
    const auto at = std::lower_bound(list.begin(), list.end(), codec.type,
                                     [](const RegistryRecordCodec& c, std::uint8_t type) { return c.type < type; });
    if (at != list.end() && at->type == codec.type)
        *at = std::move(codec);
    else
        list.insert(at, std::move(codec));
    return true;
}

const std::vector<RegistryRecordCodec>& registry_codecs() { return codecs(); }

const RegistryRecordCodec* registry_codec(std::uint8_t type) {
    for (const RegistryRecordCodec& c : codecs())
        if (c.type == type) return &c;
    return nullptr;
}

}  // namespace velmo
