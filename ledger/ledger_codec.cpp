#include "ledger/ledger_codec.h"

#include <algorithm>

#include "framework/cp932.h"

namespace velmo {

namespace {

// A bounded reader over the file's bytes: every read past the end fails.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    bool at_end() const { return pos_ >= data_.size(); }
    bool byte(std::uint8_t& b) {
        if (at_end()) return false;
        b = static_cast<std::uint8_t>(data_[pos_++]);
        return true;
    }
    bool bytes(std::size_t n, std::string_view& out) {
        if (data_.size() - pos_ < n) {
            out = data_.substr(pos_);
            pos_ = data_.size();
            return false;
        }
        out = data_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    bool bytes(std::size_t n, std::string& out) {
        std::string_view v;
        const bool ok = bytes(n, v);
        out.assign(v);
        return ok;
    }
    std::size_t position() const { return pos_; }
    // The bytes read since an earlier position.
    std::string_view since(std::size_t from) const { return data_.substr(from, pos_ - from); }
    // Reads a whole extension field (lead, tag, length and text) when one comes
    // next; false, with nothing read, for anything else.
    bool extension_field() {
        const std::size_t left = data_.size() - pos_;
        if (left < 3 || static_cast<std::uint8_t>(data_[pos_]) != 0xFF ||
            !is_extension_tag(static_cast<std::uint8_t>(data_[pos_ + 1])))
            return false;
        const std::size_t n = static_cast<std::uint8_t>(data_[pos_ + 2]);
        if (left - 3 < n) return false;
        pos_ += 3 + n;
        return true;
    }
    bool word(int& w) {
        std::uint8_t hi = 0, lo = 0;
        if (!byte(hi) || !byte(lo)) return false;
        w = hi * 256 + lo;
        return true;
    }
    // One length byte, then that many bytes (a length byte is taken as unsigned).
    template <typename Text>
    bool short_text(Text& out) {
        std::uint8_t n = 0;
        if (!byte(n)) return false;
        return bytes(n, out);
    }
    // Two length bytes, then that many; only the first kLongTextMax bytes are kept.
    bool long_text(std::string_view& out, bool& cut) {
        int n = 0;
        if (!word(n)) return false;
        bool ok = bytes(static_cast<std::size_t>(n), out);
        if (out.size() > kLongTextMax) {
            out = cp932_prefix(out, kLongTextMax);
            cut = true;
        }
        return ok;
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

void put_short(std::string& out, std::string_view text) {
    std::string t = truncate_cp932(text, kShortTextMax);
    out.push_back(static_cast<char>(t.size()));
    out += t;
}

void put_long(std::string& out, std::string_view text) {
    std::string t = truncate_cp932(text, kLongTextMax);
    out.push_back(static_cast<char>((t.size() >> 8) & 0xFF));
    out.push_back(static_cast<char>(t.size() & 0xFF));
    out += t;
}

void put_tag(std::string& out, std::uint8_t tag) {
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(tag));
}

}  // namespace

std::string year_field(std::string_view year_text) {
    std::string y(year_text.substr(0, 4));
    while (y.size() < 4) y.insert(y.begin(), '0');
    return y;
}

namespace {

// Keeps every field in out.fields.
class FieldList : public LedgerFieldReceiver {
public:
    explicit FieldList(DecodedLedger& out) : out_(out) {}
    void head(const DecodedLedger& file) override {
        // Room for the fields of the records the file says it holds (at most the
        // largest ledger's): a record has eight.
        out_.fields.reserve(static_cast<std::size_t>(std::clamp(file.stored_count, 0, kMaxRecordNumber)) * 8);
    }
    void field(int record, std::uint8_t tag, std::string_view text) override {
        out_.fields.push_back({record, tag, std::string(text)});
    }

private:
    DecodedLedger& out_;
};

}  // namespace

void LedgerFieldReceiver::extension_run(int record, std::string_view run) {
    for (std::size_t i = 0; i + 3 <= run.size();) {
        const std::size_t n = static_cast<std::uint8_t>(run[i + 2]);
        field(record, static_cast<std::uint8_t>(run[i + 1]), run.substr(i + 3, n));
        i += 3 + n;
    }
}

DecodeResult decode_ledger(std::string_view bytes, DecodedLedger& out) {
    FieldList list(out);
    return decode_ledger(bytes, out, list);
}

namespace {

// The part of the file before the fields: the year, the extra block and the
// stored count. False when the file ends before the fields.
bool read_head(Reader& in, DecodedLedger& out) {
    std::string rest;
    if (!in.bytes(5, rest)) {
        out.truncated = true;
        return false;
    }
    if (static_cast<std::uint8_t>(rest[4]) == 0x09) {
        ExtraColumnBlock block;
        std::uint8_t k = 0;
        bool ok = in.short_text(block.name) && in.short_text(block.width_text) && in.byte(block.col) &&
                  in.byte(block.align) && in.byte(block.pos_index) && in.byte(k);
        for (int i = 0; ok && i < k; ++i) {
            std::string value;
            ok = in.short_text(value);
            if (ok) block.list.push_back(std::move(value));
        }
        // A damaged block still yields a usable column: place and alignment within range.
        if (block.col < 2 || block.col > 6 || block.align > 2 || block.pos_index > 4) out.garbled = true;
        if (block.col < 2 || block.col > 6) block.col = 6;
        if (block.align > 2) block.align = 0;
        if (block.pos_index > 4) block.pos_index = static_cast<std::uint8_t>(block.col - 2);
        if (block.list.size() > 10) block.list.resize(10);
        out.extra = std::move(block);
        if (!ok) {
            out.truncated = true;
            return false;
        }
    }
    if (!in.word(out.stored_count)) {
        out.truncated = true;
        return false;
    }
    return true;
}

}  // namespace

DecodeResult decode_ledger(std::string_view bytes, DecodedLedger& out, LedgerFieldReceiver& receiver) {
    out = DecodedLedger{};
    Reader in(bytes);
    std::string head;
    if (!in.bytes(8, head) || head[0] != 'v' || head[1] != 'q' || head[6] != '2') return DecodeResult::WrongFormat;
    out.year = head.substr(2, 4);
    const bool fields_follow = read_head(in, out);
    receiver.head(out);
    if (!fields_follow) return DecodeResult::Ok;
    int current = 0;  // record the fields belong to; 0 while no valid marker was read
    while (true) {
        std::uint8_t lead = 0, tag = 0;
        if (!in.byte(lead)) { out.truncated = true; break; }
        if (lead != 0xFF) {
            // The end byte, which ends the file; anything else here or after it is damage.
            if (lead != 0x00 || !in.at_end()) out.garbled = true;
            break;
        }
        if (!in.byte(tag)) { out.truncated = true; break; }
        std::string_view text;
        bool ok = true;
        switch (tag) {
        case kTagRecord: {
            int r = 0;
            ok = in.word(r);
            if (!ok) break;
            if (r >= 1 && r <= kMaxRecordNumber) {
                current = r;
                out.last_record = r;
                if (r > out.highest_record) out.highest_record = r;
            } else {
                current = 0;  // the fields of an impossible record number are skipped
                out.garbled = true;
            }
            break;
        }
        case kTagDetail:
        case kTagComment:
            ok = in.long_text(text, out.garbled);
            if (current > 0) receiver.field(current, tag, text);
            else out.garbled = true;
            break;
        case kTagMark: {
            std::uint8_t b = 0;
            ok = in.byte(b);
            break;
        }
        case kTagAttribute: {
            std::uint8_t j = 0;
            AttributeEntry e;
            ok = in.byte(j);
            for (auto& c : e.columns)
                if (ok) ok = in.short_text(c);
            if (ok && j >= 1 && j <= 16) {
                e.index = j;
                out.attributes.push_back(std::move(e));
            } else if (ok) {
                out.garbled = true;
            }
            break;
        }
        case kTagNone:
            break;
        case kTagDate:
        case kTagExtra:
        case kTagHall:
        case kTagMachines:
        case kTagTotals:
        case kTagBalance:
            ok = in.short_text(text);
            if (current > 0) receiver.field(current, tag, text);
            else out.garbled = true;
            break;
        default: {
            // Any other tag carries a short text: a field a later version keeps
            // with the record, kept and written back as it is. One before any
            // record, or cut short by the end of the file, belongs to nothing.
            // The whole ones that follow it go with it, as one run.
            const std::size_t first = in.position() - 2;
            ok = in.short_text(text);
            if (!ok) break;
            while (in.extension_field()) {
            }
            if (current > 0) receiver.extension_run(current, in.since(first));
            break;
        }
        }
        if (!ok) { out.truncated = true; break; }
    }
    return DecodeResult::Ok;
}

namespace {

// Builds the records the year window holds from the fields as they come.
class HeldRecords : public LedgerFieldReceiver {
public:
    explicit HeldRecords(HeldLedger& held) : held_(held) {}
    void head(const DecodedLedger& file) override {
        has_extra_ = file.extra.has_value();
        held_.records.clear();
        held_.attributes.clear();
        held_.records.reserve(static_cast<std::size_t>(std::clamp(file.stored_count, 0, kMaxRecordNumber)));
    }
    void field(int record, std::uint8_t tag, std::string_view text) override {
        if (record < 1 || record > kMaxRecordNumber) return;
        const auto index = static_cast<std::size_t>(record - 1);
        if (held_.records.size() <= index) held_.records.resize(index + 1, blank());
        LedgerRecord& r = held_.records[index];
        switch (tag) {
        case kTagDate: r.date = text; break;
        case kTagExtra:
            if (has_extra_) r.extra = text;
            break;
        case kTagHall: r.hall = text; break;
        case kTagMachines: r.machines = text.empty() ? std::string_view(" ") : text; break;
        case kTagDetail: r.detail = text; break;
        case kTagTotals: r.totals = text; break;
        case kTagBalance: r.balance = text; break;
        case kTagComment: r.comment = text; break;
        default: set_extension(r.extensions, tag, text); break;
        }
    }
    // Records 1..highest_record, those the file skipped blank; the attribute
    // rows in index order, the last entry the file gave each index.
    void finish(const DecodedLedger& file) {
        held_.records.resize(static_cast<std::size_t>(std::max(file.highest_record, 0)), blank());
        std::array<const AttributeEntry*, 16> last{};
        for (const AttributeEntry& a : file.attributes)
            if (a.index >= 1 && a.index <= 16) last[static_cast<std::size_t>(a.index - 1)] = &a;
        for (const AttributeEntry* a : last)
            if (a) held_.attributes.push_back(*a);
    }

private:
    // A record without machines shows " ", whether the file gave it an empty text
    // or none (a record the file skipped), so that writing it back changes nothing.
    static LedgerRecord blank() {
        LedgerRecord r;
        r.machines = " ";
        return r;
    }

    HeldLedger& held_;
    bool has_extra_ = false;
};

}  // namespace

HeldLedger held_ledger(DecodedLedger file) {
    HeldLedger held;
    HeldRecords records(held);
    records.head(file);
    for (const LedgerField& f : file.fields) records.field(f.record, f.tag, f.text);
    records.finish(file);
    return held;
}

DecodeResult decode_held_ledger(std::string_view bytes, DecodedLedger& out, HeldLedger& held) {
    HeldRecords records(held);
    const DecodeResult result = decode_ledger(bytes, out, records);
    if (result == DecodeResult::Ok) records.finish(out);
    return result;
}

bool is_extension_tag(std::uint8_t tag) {
    switch (tag) {
    case kTagDate:
    case kTagHall:
    case kTagMachines:
    case kTagDetail:
    case kTagTotals:
    case kTagBalance:
    case kTagNone:
    case kTagExtra:
    case kTagComment:
    case kTagMark:
    case kTagAttribute:
    case kTagRecord:
        return false;
    default:
        return true;
    }
}

void set_extension(std::vector<ExtensionField>& fields, std::uint8_t tag, std::string_view text) {
    if (!is_extension_tag(tag)) return;
    text = text.substr(0, kExtensionTextMax);
    for (ExtensionField& f : fields)
        if (f.tag == tag) {
            f.text = text;
            return;
        }
    fields.push_back({tag, std::string(text)});
}

std::string pack_extensions(const std::vector<ExtensionField>& fields) {
    std::string out;
    for (const ExtensionField& f : fields) {
        if (!is_extension_tag(f.tag)) continue;
        const std::string_view text = std::string_view(f.text).substr(0, kExtensionTextMax);
        out.push_back(static_cast<char>(0xFF));
        out.push_back(static_cast<char>(f.tag));
        out.push_back(static_cast<char>(text.size()));
        out += text;
    }
    return out;
}

std::vector<ExtensionField> unpack_extensions(std::string_view packed) {
    std::vector<ExtensionField> fields;
    Reader in(packed);
    std::uint8_t lead = 0, tag = 0;
    std::string_view text;
    while (in.byte(lead) && lead == 0xFF && in.byte(tag) && in.short_text(text)) set_extension(fields, tag, text);
    return fields;
}

void set_packed_extension(std::string& packed, std::uint8_t tag, std::string_view text) {
    if (!is_extension_tag(tag)) return;
    // A tag the packed fields do not hold yet, in a sound packed string, is
    // appended where it stands: a ledger's load sets every field of a record
    // this way, and unpacking and packing again for each would cost a record's
    // fields squared in allocations.
    Reader in(packed);
    std::uint8_t lead = 0, t = 0;
    std::string_view held;
    bool sound = true;
    while (sound && !in.at_end()) {
        sound = in.byte(lead) && lead == 0xFF && in.byte(t) && in.short_text(held) && t != tag && is_extension_tag(t);
    }
    if (sound) {
        text = text.substr(0, kExtensionTextMax);
        packed.push_back(static_cast<char>(0xFF));
        packed.push_back(static_cast<char>(tag));
        packed.push_back(static_cast<char>(text.size()));
        packed += text;
        return;
    }
    std::vector<ExtensionField> fields = unpack_extensions(packed);
    set_extension(fields, tag, text);
    packed = pack_extensions(fields);
}

std::string encode_ledger(const LedgerImage& image) {
    std::string out = "vq";
    out += year_field(image.year);
    out += "200000";
    if (image.extra) {
        const ExtraColumnBlock& x = *image.extra;
        out.push_back(0x09);
        put_short(out, x.name);
        put_short(out, x.width_text);
        out.push_back(static_cast<char>(x.col));
        out.push_back(static_cast<char>(x.align));
        out.push_back(static_cast<char>(x.pos_index));
        out.push_back(static_cast<char>(x.list.size()));
        for (const auto& v : x.list) put_short(out, v);
    } else {
        out.push_back('0');
    }
    int n = static_cast<int>(image.records.size());
    out.push_back(static_cast<char>((n >> 8) & 0xFF));
    out.push_back(static_cast<char>(n & 0xFF));
    for (int j = 1; j <= n; ++j) {
        const LedgerRecord& r = image.records[static_cast<size_t>(j - 1)];
        put_tag(out, kTagRecord);
        out.push_back(static_cast<char>((j >> 8) & 0xFF));
        out.push_back(static_cast<char>(j & 0xFF));
        put_tag(out, kTagDate);
        put_short(out, r.date);
        if (image.extra) {
            put_tag(out, kTagExtra);
            put_short(out, r.extra);
        }
        put_tag(out, kTagHall);
        put_short(out, r.hall);
        put_tag(out, kTagMachines);
        put_short(out, r.machines);
        put_tag(out, kTagDetail);
        put_long(out, r.detail);
        put_tag(out, kTagTotals);
        put_short(out, r.totals);
        put_tag(out, kTagBalance);
        put_short(out, r.balance);
        put_tag(out, kTagComment);
        put_long(out, r.comment);
        put_tag(out, kTagMark);
        out.push_back(static_cast<char>(r.mark));
        // The fields of later versions, each as the file gave it.
        for (const ExtensionField& e : r.extensions) {
            if (!is_extension_tag(e.tag)) continue;
            const std::string_view text = std::string_view(e.text).substr(0, kExtensionTextMax);
            put_tag(out, e.tag);
            out.push_back(static_cast<char>(text.size()));
            out += text;
        }
    }
    for (const auto& a : image.attributes) {
        put_tag(out, kTagAttribute);
        out.push_back(static_cast<char>(a.index));
        for (const auto& c : a.columns) put_short(out, c);
    }
    out.push_back('\0');
    return out;
}

}  // namespace velmo
