#pragma once
// The ledger file as bytes: a tagged stream of one year's play records.
// decode_ledger never reads out of bounds, whatever the input; encode_ledger
// writes only what decode_ledger reads back unchanged.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

inline constexpr std::size_t kShortTextMax = 127;  // one length byte, read as signed by older readers
inline constexpr std::size_t kLongTextMax = 2025;  // longest long text a reader keeps
inline constexpr int kMaxRecordNumber = 1023;  // records a year holds at most

enum LedgerTag : std::uint8_t {
    kTagDate = 0x00,
    kTagHall = 0x01,
    kTagMachines = 0x02,
    kTagDetail = 0x06,
    kTagTotals = 0x07,
    kTagBalance = 0x08,
    kTagNone = 0x09,
    kTagExtra = 0x0A,
    kTagComment = 0x10,
    kTagMark = 0x20,
    kTagAttribute = 0x30,
    kTagRecord = 0xFF,
};

struct ExtraColumnBlock {
    std::string name;        // header text
    std::string width_text;  // decimal pixels
    std::uint8_t col = 6;    // grid index 2..6
    std::uint8_t align = 0;  // 0 left, 1 centre, 2 right
    std::uint8_t pos_index = 4;
    std::vector<std::string> list;  // preset values
};

// One field of the stream, for the record it belongs to.
struct LedgerField {
    int record = 0;  // 1..1023
    std::uint8_t tag = 0;
    std::string text;
};

// The four stored columns of an attribute summary row.
struct AttributeEntry {
    int index = 0;  // 1..16
    std::array<std::string, 4> columns;  // grid columns 1, 2, 3 and 5
};

struct DecodedLedger {
    std::string year;  // four bytes
    std::optional<ExtraColumnBlock> extra;
    int stored_count = 0;
    int last_record = 0;       // number of the last valid record marker (0: none)
    int highest_record = 0;    // highest valid record number seen
    std::vector<LedgerField> fields;  // in file order
    std::vector<AttributeEntry> attributes;
    bool truncated = false;    // the stream ended before its end byte
    // Something in the stream no writer puts there: an impossible record number or
    // attribute index, a field before any record, a value out of range, a text
    // longer than kept, bytes after the end byte.
    bool garbled = false;
    // Part of the file could not be read as it was written.
    bool damaged() const { return truncated || garbled; }
};

enum class DecodeResult { Ok, WrongFormat };

DecodeResult decode_ledger(std::string_view bytes, DecodedLedger& out);

// Takes the fields of a ledger as decode_ledger reads them, without a copy.
class LedgerFieldReceiver {
public:
    virtual ~LedgerFieldReceiver() = default;
    // Once for a file of the right format, before its first field: the year, the
    // extra block and the stored count are read (or the file ended before them).
    virtual void head(const DecodedLedger& file) = 0;
    // A field of a valid record, in file order; text lies in the decoded bytes
    // (a long text already cut to what is kept).
    virtual void field(int record, std::uint8_t tag, std::string_view text) = 0;
    // Extension fields of a valid record that follow each other in the file, each
    // whole, as the file holds them: a 0xFF lead, its tag, a length byte and that
    // many bytes. By default each goes to field() in file order; a receiver that
    // keeps them together takes the run at once.
    virtual void extension_run(int record, std::string_view run);
};

// As decode_ledger, but the fields go to receiver instead of out.fields.
DecodeResult decode_ledger(std::string_view bytes, DecodedLedger& out, LedgerFieldReceiver& receiver);

// A field of a tag this program does not read itself (data a later version
// keeps with the record): its tag and its short text, kept as the file gave
// them and written back after the record's own fields.
struct ExtensionField {
    std::uint8_t tag = 0;
    std::string text;  // at most kExtensionTextMax bytes
    bool operator==(const ExtensionField&) const = default;
};
inline constexpr std::size_t kExtensionTextMax = 255;  // what one length byte can say

// True for a tag that carries a record's extension field: every tag the
// reader does not take as one of the record's own fields, the mark, the
// attribute rows, the empty field or a record marker.
bool is_extension_tag(std::uint8_t tag);

// A record as written, one text per field.
struct LedgerRecord {
    std::string date, extra, hall, machines, detail, totals, balance, comment;
    std::int8_t mark = 0;
    // In file order, one per tag; written after the fields above.
    std::vector<ExtensionField> extensions{};
};

// Sets the extension field of a tag: the text replaces that of a field with the
// same tag, in its place, or is added at the end. A tag that is no extension
// tag is ignored.
void set_extension(std::vector<ExtensionField>& fields, std::uint8_t tag, std::string_view text);
// The extension fields as one byte string, each field in order framed as the
// ledger file frames it (0xFF, its tag, a length byte and the text), as the year
// window keeps them in a cell: a record's run of them in a file is kept as it is.
std::string pack_extensions(const std::vector<ExtensionField>& fields);
// The fields of a packed string; a damaged string yields the fields read so far.
std::vector<ExtensionField> unpack_extensions(std::string_view packed);
// set_extension on a packed string.
void set_packed_extension(std::string& packed, std::uint8_t tag, std::string_view text);

struct LedgerImage {
    std::string year;  // written as exactly four bytes
    std::optional<ExtraColumnBlock> extra;
    std::vector<LedgerRecord> records;  // record j + 1 at index j
    std::vector<AttributeEntry> attributes;  // written in the given order
};

std::string encode_ledger(const LedgerImage& image);

// What the year window holds of a decoded file, before anything is computed from
// it: records 1..highest_record (record r at index r - 1), each field with the
// last text the file gave it (extra-column texts only when the file has the
// block; an empty or missing machines text held as " "; marks 0; the extension
// fields as set_extension keeps them), and the attribute rows in index order,
// one per index: the last entry the file gave it.
struct HeldLedger {
    std::vector<LedgerRecord> records;
    std::vector<AttributeEntry> attributes;
};

// Takes the texts out of file (pass a copy to keep it whole).
HeldLedger held_ledger(DecodedLedger file);

// Reads a ledger file straight into what the year window holds of it (the
// rules of held_ledger), without keeping the list of fields: the loader of
// every reader that wants a file's records.
DecodeResult decode_held_ledger(std::string_view bytes, DecodedLedger& out, HeldLedger& held);

// The four-byte year field for a year text of any length.
std::string year_field(std::string_view year_text);

}  // namespace velmo
