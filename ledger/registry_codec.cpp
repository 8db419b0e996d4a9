// The name registry file as bytes.
#include <algorithm>

#include "framework/cp932.h"
#include "ledger/registry_file.h"

namespace velmo {

namespace {

// A bounded reader over the file's bytes.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    bool at_end() const { return pos_ >= bytes_.size(); }
    std::optional<std::uint8_t> byte() {
        if (at_end()) return std::nullopt;
        return static_cast<std::uint8_t>(bytes_[pos_++]);
    }
    // Exactly n bytes, or nullopt (and the reader at the end) when fewer remain.
    std::optional<std::string_view> take(std::size_t n) {
        if (bytes_.size() - pos_ < n) {
            pos_ = bytes_.size();
            return std::nullopt;
        }
        std::string_view out = bytes_.substr(pos_, n);
        pos_ += n;
        return out;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

void put_text_record(std::string& out, std::uint8_t type, const std::string& text) {
    // The length is one byte; names never come near it, but cut cleanly if one did.
    const std::string t = truncate_cp932(text, 255);
    out.push_back(static_cast<char>(type));
    out.push_back(static_cast<char>(t.size()));
    out += t;
}

void put_record(std::string& out, std::uint8_t type, std::string_view data) {
    out.push_back(static_cast<char>(type));
    out.push_back(static_cast<char>(data.size()));
    out += data;
}

// A type a record kept unread may have: none of the window's own, no end byte
// and none from 0x80 up, so that the file reads back as it was written.
bool is_unread_type(std::uint8_t type) {
    using namespace registry_type;
    for (std::uint8_t own : {kHall, kMachine, kAttributeName, kMasks, kHsize, kVsize})
        if (type == own) return false;
    return type < 0x80;
}

void put_word(std::string& out, std::uint16_t w) {
    out.push_back(static_cast<char>(w >> 8));
    out.push_back(static_cast<char>(w & 0xFF));
}

}  // namespace

Registry decode_registry(std::string_view bytes) {
    Registry reg;
    ByteReader in(bytes);
    for (;;) {
        const auto type = in.byte();
        // Every file this program writes ends with the end byte and nothing after it.
        if (!type || *type == registry_type::kEnd) {
            if (!type || !in.at_end()) reg.damaged = true;
            break;
        }
        // Types from 0x80 up are never written (the end byte aside): the bytes are no record.
        if (*type >= 0x80) reg.damaged = true;
        const auto length = in.byte();
        const auto data = length ? in.take(*length) : std::nullopt;
        if (!data) {  // truncated record: keep what came before it
            reg.damaged = true;
            break;
        }
        // Names longer than the reader holds keep their first 54 bytes.
        const std::string text = truncate_cp932(*data, kRegistryRecordMax);
        switch (*type) {
        case registry_type::kHall:
            reg.halls.push_back(text);
            break;
        case registry_type::kMachine:
            reg.machines.push_back(text);
            break;
        case registry_type::kAttributeName: {
            const auto index = in.byte();
            if (!index || *index >= kAttributeCount) {
                reg.damaged = true;
                break;
            }
            reg.attribute_names[*index] = text;
            break;
        }
        case registry_type::kMasks: {
            if (data->size() < 2) {  // no count to read
                reg.damaged = true;
                break;
            }
            const int count = static_cast<std::uint8_t>((*data)[0]) * 256 + static_cast<std::uint8_t>((*data)[1]);
            if (count == 0) break;  // a count of 0 leaves the masks as they were
            // One mask per machine named before it, as every save writes them.
            if (static_cast<std::size_t>(count) != reg.machines.size()) reg.damaged = true;
            std::vector<std::uint16_t> masks(static_cast<std::size_t>(count), 0);
            for (auto& m : masks) {
                const auto word = in.take(2);
                if (!word) {  // truncated: the rest stay 0
                    reg.damaged = true;
                    break;
                }
                m = static_cast<std::uint16_t>(static_cast<std::uint8_t>((*word)[0]) * 256 +
                                               static_cast<std::uint8_t>((*word)[1]));
            }
            reg.masks = std::move(masks);
            break;
        }
        case registry_type::kHsize:
            if (!data->empty()) reg.hsize_level = std::min<int>(static_cast<std::uint8_t>((*data)[0]), kMaxHsizeLevel);
            break;
        case registry_type::kVsize:
            if (!data->empty()) reg.vsize_level = std::min<int>(static_cast<std::uint8_t>((*data)[0]), kMaxVsizeLevel);
            break;
        default: {
            if (*type >= 0x80) break;  // no record: the damage is told above
            // Settings and records of later versions are read from their whole data:
            // they are no names and are not cut at 54 bytes.
            const RegistryRecordCodec* codec = registry_codec(*type);
            if (!codec || !codec->decode(*data, reg.settings)) reg.unread.push_back({*type, std::string(*data)});
            break;
        }
        }
    }
    // One mask per machine, whatever count the file claimed.
    if (reg.masks) reg.masks->resize(reg.machines.size(), 0);
    return reg;
}

std::string encode_registry(const Registry& reg) {
    std::string out;
    for (const auto& hall : reg.halls) put_text_record(out, registry_type::kHall, hall);
    for (const auto& machine : reg.machines) put_text_record(out, registry_type::kMachine, machine);
    for (int i = 0; i < kAttributeCount; ++i) {
        const std::string& name = reg.attribute_names[static_cast<std::size_t>(i)];
        if (name.empty()) continue;
        put_text_record(out, registry_type::kAttributeName, name);
        out.push_back(static_cast<char>(i));
    }
    const std::size_t count = std::min<std::size_t>(reg.machines.size(), 0xFFFF);
    out.push_back(static_cast<char>(registry_type::kMasks));
    out.push_back(2);
    put_word(out, static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i)
        put_word(out, reg.masks && i < reg.masks->size() ? (*reg.masks)[i] : 0);
    const auto step = [&](std::uint8_t type, const std::optional<int>& level) {
        out.push_back(static_cast<char>(type));
        out.push_back(1);
        out.push_back(static_cast<char>(static_cast<std::uint8_t>(level.value_or(0))));
    };
    step(registry_type::kHsize, reg.hsize_level);
    step(registry_type::kVsize, reg.vsize_level);
    for (const RegistryRecordCodec& codec : registry_codecs()) {
        for (const std::string& data : codec.encode(reg.settings))
            if (data.size() <= 255) put_record(out, codec.type, data);
    }
    for (const RegistryRecord& r : reg.unread)
        if (r.data.size() <= 255 && is_unread_type(r.type)) put_record(out, r.type, r.data);
    out.push_back(static_cast<char>(registry_type::kEnd));
    return out;
}

}  // namespace velmo
