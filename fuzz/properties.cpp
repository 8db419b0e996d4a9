#include "fuzz/properties.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <type_traits>

#include "budget/budget.h"
#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_csv.h"
#include "ledger/ledger_model.h"
#include "ledger/packed_fields.h"
#include "ledger/record_fields.h"
#include "ledger/registry_file.h"
#include "play/play_csv.h"
#include "play/play_data.h"
#include "play/machine_numbers.h"
#include "play/play_settings.h"
#include "records/records_codec.h"

namespace velmo::fuzz {

namespace {

// A text as the file keeps it when the writer cuts it to max bytes.
std::string stored(const std::string& text, std::size_t max) { return truncate_cp932(text, max); }

std::string quoted(std::string_view text) {
    std::ostringstream os;
    os << '"';
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') os << c;
        else {
            static const char* hex = "0123456789abcdef";
            os << "\\x" << hex[c >> 4] << hex[c & 15];
        }
    }
    os << '"';
    return os.str();
}

// Notes the first difference of two values; what names the value and is only
// worked out for a difference.
template <typename T, typename Name>
void compare(std::ostringstream& why, const Name& what, const T& expected, const T& got) {
    if (expected == got || why.tellp() != 0) return;
    why << what() << ": expected ";
    if constexpr (std::is_same_v<T, std::string>) why << quoted(expected) << ", read back " << quoted(got);
    else why << static_cast<long long>(expected) << ", read back " << static_cast<long long>(got);
}

// The image as the file holds it: texts cut as the writer cuts them.
LedgerImage as_stored(LedgerImage image) {
    image.year = year_field(image.year);
    if (image.extra) {
        image.extra->name = stored(image.extra->name, kShortTextMax);
        image.extra->width_text = stored(image.extra->width_text, kShortTextMax);
        for (auto& v : image.extra->list) v = stored(v, kShortTextMax);
    }
    for (LedgerRecord& r : image.records) {
        for (std::string* t : {&r.date, &r.extra, &r.hall, &r.machines, &r.totals, &r.balance})
            *t = stored(*t, kShortTextMax);
        r.detail = stored(r.detail, kLongTextMax);
        r.comment = stored(r.comment, kLongTextMax);
    }
    for (AttributeEntry& a : image.attributes)
        for (auto& c : a.columns) c = stored(c, kShortTextMax);
    return image;
}

std::string compare_ledgers(const LedgerImage& expected, const LedgerImage& got) {
    std::ostringstream why;
    compare(why, [] { return "year"; }, expected.year, got.year);
    compare(why, [] { return "extra column present"; }, expected.extra.has_value(), got.extra.has_value());
    if (expected.extra && got.extra) {
        const ExtraColumnBlock& x = *expected.extra;
        const ExtraColumnBlock& y = *got.extra;
        compare(why, [] { return "extra column name"; }, x.name, y.name);
        compare(why, [] { return "extra column width"; }, x.width_text, y.width_text);
        compare(why, [] { return "extra column place"; }, x.col, y.col);
        compare(why, [] { return "extra column alignment"; }, x.align, y.align);
        compare(why, [] { return "extra column position"; }, x.pos_index, y.pos_index);
        compare(why, [] { return "extra column presets"; }, x.list.size(), y.list.size());
        for (std::size_t i = 0; i < x.list.size() && i < y.list.size(); ++i)
            compare(why, [&] { return "extra column preset " + std::to_string(i + 1); }, x.list[i], y.list[i]);
    }
    compare(why, [] { return "records"; }, expected.records.size(), got.records.size());
    for (std::size_t i = 0; i < expected.records.size() && i < got.records.size(); ++i) {
        const LedgerRecord& a = expected.records[i];
        const LedgerRecord& b = got.records[i];
        const auto n = [i](const char* field) { return "record " + std::to_string(i + 1) + " " + field; };
        compare(why, [&] { return n("date"); }, a.date, b.date);
        compare(why, [&] { return n("extra"); }, a.extra, b.extra);
        compare(why, [&] { return n("hall"); }, a.hall, b.hall);
        compare(why, [&] { return n("machines"); }, a.machines, b.machines);
        compare(why, [&] { return n("detail"); }, a.detail, b.detail);
        compare(why, [&] { return n("totals"); }, a.totals, b.totals);
        compare(why, [&] { return n("balance"); }, a.balance, b.balance);
        compare(why, [&] { return n("comment"); }, a.comment, b.comment);
        compare(why, [&] { return n("mark"); }, a.mark, b.mark);
        compare(why, [&] { return n("extension fields"); }, a.extensions.size(), b.extensions.size());
        for (std::size_t k = 0; k < a.extensions.size() && k < b.extensions.size(); ++k) {
            compare(why, [&] { return n("extension tag"); }, a.extensions[k].tag, b.extensions[k].tag);
            compare(why, [&] { return n("extension text"); }, a.extensions[k].text, b.extensions[k].text);
        }
    }
    compare(why, [] { return "attribute rows"; }, expected.attributes.size(), got.attributes.size());
    for (std::size_t i = 0; i < expected.attributes.size() && i < got.attributes.size(); ++i) {
        const AttributeEntry& a = expected.attributes[i];
        const AttributeEntry& b = got.attributes[i];
        compare(why, [] { return "attribute row index"; }, a.index, b.index);
        for (std::size_t c = 0; c < a.columns.size(); ++c)
            compare(why, [&] { return "attribute " + std::to_string(a.index) + " column " + std::to_string(c); },
                    a.columns[c], b.columns[c]);
    }
    return why.str();
}

std::string second_save(const std::string& first, const std::string& second) {
    if (first == second) return {};
    std::size_t at = 0;
    while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
    return "the second save differs from the first at byte " + std::to_string(at) + " (sizes " +
           std::to_string(first.size()) + " and " + std::to_string(second.size()) + ")";
}

}  // namespace

LedgerImage saved_ledger_image(const DecodedLedger& file) {
    LedgerImage image;
    image.year = file.year;
    if (file.extra) {
        ExtraColumnBlock x = *file.extra;
        // The window keeps the width in whole steps of 14 pixels.
        const int steps = std::max(0, static_cast<int>(cell_number(x.width_text))) / 14;
        x.width_text = std::to_string(steps * 14);
        image.extra = std::move(x);
    }
    HeldLedger held = held_ledger(file);
    // Only records up to the last record marker count; the rest are not written.
    const auto count = static_cast<std::size_t>(std::max(file.last_record, 0));
    if (held.records.size() > count) held.records.resize(count);
    image.records = std::move(held.records);
    for (AttributeEntry& a : held.attributes)
        if (!a.columns[0].empty()) image.attributes.push_back(std::move(a));
    return image;
}

std::string check_ledger(std::string_view bytes) {
    DecodedLedger read;
    if (decode_ledger(bytes, read) == DecodeResult::WrongFormat) return {};  // refused: nothing is written
    const LedgerImage held = saved_ledger_image(read);
    const std::string first = encode_ledger(held);
    DecodedLedger again;
    if (decode_ledger(first, again) == DecodeResult::WrongFormat) return "the program's own ledger is refused";
    if (again.truncated) return "the program's own ledger reads as cut short";
    const LedgerImage reread = saved_ledger_image(again);
    if (std::string why = compare_ledgers(as_stored(held), reread); !why.empty()) return why;
    // Play data reads back the same, and a record's play data written back
    // unchanged (a correction committed as it was) leaves its fields as they were.
    for (std::size_t i = 0; i < held.records.size() && i < reread.records.size(); ++i) {
        const play::RecordPlayData data = play::read_play_data(held.records[i]);
        if (!(data == play::read_play_data(reread.records[i])))
            return "the play data of record " + std::to_string(i + 1) + " differs after a save";
        std::vector<ExtensionField> rewritten = held.records[i].extensions;
        play::write_play_data(rewritten, data);
        if (!(rewritten == held.records[i].extensions))
            return "the play data of record " + std::to_string(i + 1) + " written back unchanged changes its fields";
    }
    return second_save(first, encode_ledger(reread));
}

std::string check_registry(std::string_view bytes) {
    // The budget's, the hall rates' and the store balances' records are read as the program reads them.
    // So are the machine numbers' records.
    static const bool registered =
        (budget::register_registry_record(), play::register_registry_records(), play::register_numbers_records(), true);
    (void)registered;
    const Registry read = decode_registry(bytes);
    const std::string first = encode_registry(read);
    const Registry again = decode_registry(first);
    std::ostringstream why;
    const auto names = [&](const char* what, const std::vector<std::string>& a, const std::vector<std::string>& b) {
        compare(why, [&] { return std::string(what) + " count"; }, a.size(), b.size());
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            compare(why, [&] { return std::string(what) + " " + std::to_string(i + 1); }, stored(a[i], 255), b[i]);
    };
    names("hall", read.halls, again.halls);
    names("machine", read.machines, again.machines);
    for (int i = 0; i < kAttributeCount; ++i)
        compare(why, [&] { return "attribute name " + std::to_string(i); }, read.attribute_names[static_cast<std::size_t>(i)],
                again.attribute_names[static_cast<std::size_t>(i)]);
    // A file without masks gives every machine the empty mask.
    const std::vector<std::uint16_t> no_masks(read.machines.size(), 0);
    const auto& masks_before = read.masks ? *read.masks : no_masks;
    const std::vector<std::uint16_t> none_after(again.machines.size(), 0);
    const auto& masks_after = again.masks ? *again.masks : none_after;
    compare(why, [] { return "mask count"; }, masks_before.size(), masks_after.size());
    for (std::size_t i = 0; i < masks_before.size() && i < masks_after.size(); ++i)
        compare(why, [&] { return "mask " + std::to_string(i + 1); }, masks_before[i], masks_after[i]);
    compare(why, [] { return "width step"; }, read.hsize_level.value_or(0), again.hsize_level.value_or(0));
    compare(why, [] { return "height step"; }, read.vsize_level.value_or(0), again.vsize_level.value_or(0));
    // The settings the registered codecs read come back the same, and so does
    // every record no codec reads, whole and in order.
    if (!(read.settings == again.settings)) return "the settings read differ after a save";
    compare(why, [] { return "unread records"; }, read.unread.size(), again.unread.size());
    for (std::size_t i = 0; i < read.unread.size() && i < again.unread.size(); ++i) {
        compare(why, [&] { return "unread record " + std::to_string(i + 1) + " type"; }, read.unread[i].type,
                again.unread[i].type);
        compare(why, [&] { return "unread record " + std::to_string(i + 1) + " data"; }, read.unread[i].data,
                again.unread[i].data);
    }
    const budget::Budget& b = read.settings.get<budget::Budget>();
    for (const std::int64_t amount : {b.monthly, b.per_visit})
        if (amount < 0 || amount > budget::kMaxAmount) return "a budget amount outside 0..99,999,999 was read";
    // After the window's own records: the settings' records (the budget's only
    // when set, then each hall's rates and each starting store balance), then the
    // unread records, then the end byte.
    Registry plain = again;
    plain.settings = {};
    plain.unread.clear();
    const std::string without = encode_registry(plain);
    std::string expected = without.substr(0, without.size() - 1);
    if (b.any()) expected += std::string("\x40\x08", 2) + budget::encode_record(b);
    const play::PlaySettings& p = read.settings.get<play::PlaySettings>();
    for (const play::HallRates& h : p.halls) {
        const std::string data = play::encode_rates_record(h);
        expected += std::string(1, static_cast<char>(play::kRatesType)) + std::string(1, static_cast<char>(data.size())) + data;
    }
    for (const play::StoreStart& st : p.stores) {
        const std::string data = play::encode_store_record(st);
        expected += std::string(1, static_cast<char>(play::kStoresType)) + std::string(1, static_cast<char>(data.size())) + data;
    }
    // Each pachinko machine's numbers, then each slot machine's settings, 1 to 6.
    const auto record = [&](std::uint8_t type, const std::string& data) {
        expected += std::string(1, static_cast<char>(type)) + std::string(1, static_cast<char>(data.size())) + data;
    };
    const play::MachineNumberTable& all_numbers = read.settings.get<play::MachineNumberTable>();
    for (const play::MachineNumbers& m : all_numbers.machines)
        if (m.kind == play::Kind::Pachinko && m.has_numbers())
            record(play::kPachinkoNumbersType, play::encode_pachinko_record(m.machine, m.pachinko));
    for (const play::MachineNumbers& m : all_numbers.machines) {
        if (m.kind != play::Kind::Slot) continue;
        for (int s = 0; s < play::kSlotSettings; ++s) {
            const play::SlotSetting& n = m.slot[static_cast<std::size_t>(s)];
            if (n.empty()) continue;
            if (n.payout_ratio < 0 || n.bb_odds < 0 || n.bb_odds > play::kMaxOdds || n.rb_odds > play::kMaxOdds)
                return "slot numbers out of range were read";
            record(play::kSlotNumbersType, play::encode_slot_record(m.machine, s + 1, n));
        }
    }
    for (const RegistryRecord& r : read.unread) expected += std::string(1, static_cast<char>(r.type)) +
                                                             std::string(1, static_cast<char>(r.data.size())) + r.data;
    if (first != expected + "\xFF") return "the settings or the unread records are not where they belong";
    if (std::string w = why.str(); !w.empty()) return w;
    return second_save(first, encode_registry(again));
}

namespace {

// Why an imported record does not fit the ledger; empty when it does.
std::string record_out_of_limits(const LedgerRecord& r, int year) {
    const int month = date_text_month(r.date), day = date_text_day(r.date);
    if (!is_valid_date(year, month, day)) return "date " + quoted(r.date);
    if (r.hall.size() > kShortTextMax || r.extra.size() > kShortTextMax) return "text longer than a field holds";
    if (r.comment.size() > 2000) return "comment longer than 2000 bytes";
    const std::vector<MachineEntry> machines = unpack_machine_detail(r.detail);
    if (machines.empty() || machines.size() > static_cast<std::size_t>(kMachinesPerRecord)) return "machine count";
    long long investment = 0, payout = 0;
    for (const MachineEntry& m : machines) {
        if (m.name.empty() || m.name.size() > kShortTextMax) return "machine name " + quoted(m.name);
        const auto bet = parse_number(m.investment), pay = parse_number(m.payout);
        if (!bet || !pay || *bet < 0 || *pay < 0 || *bet > INT32_MAX || *pay > INT32_MAX) return "machine amounts";
        investment += *bet;
        payout += *pay;
    }
    if (investment > INT32_MAX || payout > INT32_MAX) return "record sums";
    if (r.balance != std::to_string(payout - investment)) return "balance " + quoted(r.balance);
    return {};
}

}  // namespace

std::string check_csv(std::string_view bytes) {
    // The import reads play data's columns as the program does.
    static const bool registered = (play::register_csv_columns(), true);
    (void)registered;
    for (const bool with_extra : {false, true}) {
        CsvImportTarget target;
        target.year = "2004";
        target.has_extra = with_extra;
        if (with_extra) target.extra_name = cp932_literal("天気");
        const CsvImport first = read_csv_import(bytes, target);
        if (!first.problems.empty()) {
            if (!first.records.empty()) return "records given with problems";
            continue;
        }
        const std::string extra = with_extra ? " (extra column)" : "";
        if (first.records.empty() || first.records.size() > static_cast<std::size_t>(kMaxRecordNumber))
            return "record count " + std::to_string(first.records.size()) + extra;
        for (std::size_t i = 0; i < first.records.size(); ++i)
            if (std::string why = record_out_of_limits(first.records[i], 2004); !why.empty())
                return "record " + std::to_string(i + 1) + extra + ": " + why;
        LedgerImage image;
        image.year = "2004";
        if (with_extra) image.extra = ExtraColumnBlock{target.extra_name, "14", 2, 0, 0, {}};
        image.records = first.records;
        const CsvImport again = read_csv_import(export_csv(image), target);
        if (!again.problems.empty()) return "export refused on import" + extra + ": " + again.problems.front().reason.toStdString();
        std::ostringstream why;
        compare(why, [&] { return "record count" + extra; }, first.records.size(), again.records.size());
        for (std::size_t i = 0; i < first.records.size() && i < again.records.size(); ++i) {
            const LedgerRecord& a = first.records[i];
            const LedgerRecord& b = again.records[i];
            const auto field = [&](const char* name, const std::string& x, const std::string& y) {
                compare(why, [&] { return "record " + std::to_string(i + 1) + " " + name + extra; }, x, y);
            };
            field("date", a.date, b.date);
            field("extra", a.extra, b.extra);
            field("hall", a.hall, b.hall);
            field("machines", a.machines, b.machines);
            field("detail", a.detail, b.detail);
            field("totals", a.totals, b.totals);
            field("balance", a.balance, b.balance);
            field("comment", a.comment, b.comment);
            field("play data", pack_extensions(a.extensions), pack_extensions(b.extensions));
        }
        if (std::string w = why.str(); !w.empty()) return w;
    }
    return {};
}

std::string check_records(std::string_view bytes) {
    DecodedRecords read;
    if (decode_records(bytes, read) == RecordsDecode::WrongMagic) return {};  // nothing read
    const RecordsImage held = held_records(read, kYearGridRowsAtStart);
    const std::string first = encode_records(held);
    DecodedRecords again;
    if (decode_records(first, again) == RecordsDecode::WrongMagic) return "the program's own records are refused";
    if (!again.complete) return "the program's own records read as damaged";
    const RecordsImage reread = held_records(again, kYearGridRowsAtStart);
    std::ostringstream why;
    compare(why, [] { return "lifetime balance caption"; }, stored(held.total_text, kMaxRecordText), reread.total_text);
    compare(why, [] { return "lifetime win/loss caption"; }, stored(held.win_text, kMaxRecordText), reread.win_text);
    for (int t = 0; t < kRecordTables; ++t) {
        const auto& a = held.tables[static_cast<std::size_t>(t)];
        const auto& b = reread.tables[static_cast<std::size_t>(t)];
        const auto name = [t](const std::string& what) { return "table " + std::to_string(t) + " " + what; };
        compare(why, [&] { return name("rows"); }, a.size(), b.size());
        for (std::size_t r = 0; r < a.size() && r < b.size(); ++r) {
            compare(why, [&] { return name("row " + std::to_string(r + 1) + " cells"); }, a[r].size(), b[r].size());
            for (std::size_t c = 0; c < a[r].size() && c < b[r].size(); ++c)
                compare(why, [&] { return name("row " + std::to_string(r + 1) + " column " + std::to_string(c)); },
                        stored(a[r][c], kMaxRecordText), b[r][c]);
        }
    }
    if (std::string w = why.str(); !w.empty()) return w;
    return second_save(first, encode_records(reread));
}

void require(const std::string& failure, const char* target) {
    if (failure.empty()) return;
    std::fprintf(stderr, "%s round trip failed: %s\n", target, failure.c_str());
    std::abort();
}

}  // namespace velmo::fuzz
