#pragma once
// The settings a player makes, as values: each module that offers one keeps
// its own part (a type of its own, compared with ==), and the name registry
// keeps each part as a record of its own type, read and written by the codec
// the module registered. Nothing here knows what the parts are.
#include <any>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace velmo {

class SettingsParts {
public:
    // The part of type Part; a default Part while none is set.
    template <typename Part>
    const Part& get() const {
        if (const Slot* s = find(typeid(Part))) return *std::any_cast<Part>(&s->value);
        static const Part none{};
        return none;
    }
    // Sets the part of type Part. A part equal to a default Part is held as none,
    // so that settings put back to their defaults compare equal to none set.
    template <typename Part>
    void set(const Part& value) {
        erase(typeid(Part));
        if (value == Part{}) return;
        slots_.push_back({typeid(Part), value, [](const std::any& a, const std::any& b) {
                              return *std::any_cast<Part>(&a) == *std::any_cast<Part>(&b);
                          }});
    }
    bool empty() const { return slots_.empty(); }
    // The same parts with equal values, in any order.
    bool operator==(const SettingsParts& other) const;

private:
    struct Slot {
        std::type_index type;
        std::any value;
        bool (*same)(const std::any&, const std::any&);
    };
    const Slot* find(std::type_index type) const;
    void erase(std::type_index type);

    std::vector<Slot> slots_;
};

// One record of the name registry: its type byte and its data bytes (at most 255).
struct RegistryRecord {
    std::uint8_t type = 0;
    std::string data;
    bool operator==(const RegistryRecord&) const = default;
};

// How a module keeps its part of the settings in the name registry.
struct RegistryRecordCodec {
    std::uint8_t type = 0;  // kFirstSettingsType..kLastSettingsType
    // The data bytes (at most 255 each) of the records of this type for the
    // settings, in the order they are written; none while the part is not set.
    std::function<std::vector<std::string>(const SettingsParts&)> encode;
    // Takes a record's data into the settings, once for each record of the type
    // in file order; false for data it does not read, which the registry then
    // keeps as it keeps a record of an unknown type.
    std::function<bool(std::string_view data, SettingsParts&)> decode;
};

// The record types open to settings: after the window's own types, below the
// types no save writes.
inline constexpr std::uint8_t kFirstSettingsType = 0x40;
inline constexpr std::uint8_t kLastSettingsType = 0x7F;

// Adds a codec, or replaces the one registered for its type; a codec of a
// type outside kFirstSettingsType..kLastSettingsType, or without both
// functions, is refused (false).
bool register_registry_codec(RegistryRecordCodec codec);
// The codecs, in the order of their types; the registry writes their records so.
const std::vector<RegistryRecordCodec>& registry_codecs();
// The codec of a type; nullptr when none is registered.
const RegistryRecordCodec* registry_codec(std::uint8_t type);

}  // namespace velmo
