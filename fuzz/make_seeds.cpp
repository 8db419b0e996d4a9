// Writes the seed corpora of the fuzz targets: files made by the program's own
// writers, and a few damaged copies of them.
//   fuzz_seeds <corpus folder>   (writes <folder>/ledger, /registry, /records)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/cp932.h"
#include "ledger/ledger_codec.h"
#include "ledger/record_fields.h"
#include "budget/budget.h"
#include "ledger/registry_file.h"
#include "play/machine_numbers.h"
#include "play/play_settings.h"
#include "records/records_codec.h"

namespace fs = std::filesystem;
using namespace velmo;

namespace {

fs::path root;

void put(const char* target, const std::string& name, const std::string& bytes) {
    const fs::path dir = root / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// The file cut after n bytes.
std::string cut(const std::string& bytes, std::size_t n) { return bytes.substr(0, std::min(n, bytes.size())); }

// The file with the byte at position at replaced.
std::string with_byte(std::string bytes, std::size_t at, unsigned char b) {
    if (at < bytes.size()) bytes[at] = static_cast<char>(b);
    return bytes;
}

LedgerRecord record(const char* date, const char* hall, const char* machine, int investment, int payout,
                    const char* comment) {
    LedgerRecord r;
    r.date = date;
    r.hall = cp932_literal(hall);
    r.machines = cp932_literal(machine);
    r.detail = pack_machine_detail({{r.machines, std::to_string(investment), std::to_string(payout)}});
    r.totals = pack_day_totals({std::to_string(investment), std::to_string(payout)});
    r.balance = std::to_string(payout - investment);
    r.comment = cp932_literal(comment);
    r.mark = payout > investment ? 1 : payout < investment ? -1 : 0;
    return r;
}

void ledger_seeds() {
    LedgerImage empty;
    empty.year = "2004";
    put("ledger", "empty", encode_ledger(empty));

    LedgerImage year;
    year.year = "2004";
    year.records = {record(" 1/5", "ホール北口", "海物語", 20000, 35000, "朝から並んだ"),
                    record(" 1/12", "駅前会館", "北斗の拳", 30000, 8000, ""),
                    record(" 2/3", "ホール北口", "海物語", 10000, 10000, "二行の\r\nコメント")};
    year.attributes = {AttributeEntry{1, {cp932_literal("甘デジ"), "30000", "45000", "2"}},
                       AttributeEntry{3, {cp932_literal("4号機"), "30000", "8000", "1"}}};
    const std::string plain = encode_ledger(year);
    put("ledger", "three_records", plain);

    LedgerImage extra = year;
    ExtraColumnBlock x;
    x.name = cp932_literal("天気");
    x.width_text = "56";
    x.col = 3;
    x.align = 1;
    x.pos_index = 1;
    x.list = {cp932_literal("晴れ"), cp932_literal("雨"), ""};
    extra.extra = x;
    extra.records[0].extra = cp932_literal("晴れ");
    extra.records[2].extra = cp932_literal("雨");
    const std::string with_extra = encode_ledger(extra);
    put("ledger", "extra_column", with_extra);

    LedgerImage long_texts = year;
    long_texts.records[1].comment = std::string(kLongTextMax, 'c');
    long_texts.records[1].hall = std::string(kShortTextMax, 'h');
    put("ledger", "longest_texts", encode_ledger(long_texts));

    // Fields of later versions after a record's own: tags no reader here takes,
    // the longest text a length byte holds and an empty one.
    LedgerImage later = year;
    later.records[0].extensions = {{0x40, "4.00"}, {0x41, std::string(kExtensionTextMax, 'x')}};
    later.records[2].extensions = {{0x03, ""}};
    put("ledger", "extension_fields", encode_ledger(later));

    // Play data: a visit's time and two machine entries, one with 貯玉 out and in.
    LedgerImage played = year;
    played.records[0].extensions = {{0x40, "22:30-01:15"}, {0x41, "P,4,28,10000,1000,1000,2500,2500,350,2,,1200"},
                                    {0x42, "S,20,5.6,20000,,,1500,,,3,2"}};
    played.records[1].extensions = {{0x43, ",,,,,,,,0"}, {0x40, "9:05-"}};
    put("ledger", "play_data", encode_ledger(played));

    // Damaged copies: cut inside the header, the extra block, a record and the attributes.
    put("ledger", "damaged_header_only", cut(plain, 10));
    put("ledger", "damaged_cut_in_record", cut(plain, plain.size() / 2));
    put("ledger", "damaged_cut_before_end", cut(plain, plain.size() - 1));
    put("ledger", "damaged_cut_in_extra_block", cut(with_extra, 20));
    put("ledger", "damaged_wrong_magic", with_byte(plain, 1, 'x'));
    // A record number of 0 and a length byte that runs past the end.
    put("ledger", "damaged_record_zero", with_byte(plain, 18, 0));
    put("ledger", "damaged_long_length", with_byte(plain, 21, 0xFF));
    // An extra block whose place, alignment and list count are out of range.
    std::string bad_block = with_extra;
    const std::size_t block = 13 + 1 + x.name.size() + 1 + x.width_text.size();
    bad_block = with_byte(bad_block, block, 9);
    bad_block = with_byte(bad_block, block + 1, 7);
    put("ledger", "damaged_extra_block", bad_block);
}

void registry_seeds() {
    Registry reg;
    reg.halls = {cp932_literal("ホール北口"), cp932_literal("駅前会館")};
    reg.machines = {cp932_literal("海物語"), cp932_literal("北斗の拳"), "CR-X"};
    reg.attribute_names[0] = cp932_literal("甘デジ");
    reg.attribute_names[2] = cp932_literal("4号機");
    reg.attribute_names[15] = "ST";
    reg.masks = std::vector<std::uint16_t>{0x0001, 0x0004, 0x8001};
    reg.hsize_level = 3;
    reg.vsize_level = 2;
    const std::string full = encode_registry(reg);
    put("registry", "full", full);
    put("registry", "empty", encode_registry(Registry{}));
    // Hall rates and a store's starting balance, each a record of its own.
    play::register_registry_records();
    Registry rated = reg;
    rated.settings.set(play::PlaySettings{{{reg.halls[0], {400, 280}, {2000, 56}}},
                                          {{{reg.halls[1], play::Kind::Pachinko, 100}, 12000}}});
    put("registry", "play_settings", encode_registry(rated));
    // Machine numbers: a pachinko machine and two settings of a slot machine.
    play::register_numbers_records();
    Registry numbered = reg;
    play::MachineNumberTable all_numbers;
    play::MachineNumbers ball{reg.machines[0], play::Kind::Pachinko, {3197, 1380, 20}, {}};
    play::MachineNumbers slot{reg.machines[2], play::Kind::Slot, {}, {}};
    slot.slot[0] = {970, 2871, 4369, 252, 96};
    slot.slot[5] = {1100, 2400, 2400, 252, 96};
    all_numbers.machines = {ball, slot};
    numbered.settings.set(all_numbers);
    put("registry", "machine_numbers", encode_registry(numbered));
    Registry longest;
    longest.halls = {std::string(kRegistryRecordMax, 'h')};
    put("registry", "longest_name", encode_registry(longest));

    put("registry", "damaged_cut_in_name", cut(full, 5));
    put("registry", "damaged_cut_in_masks", cut(full, full.size() - 9));
    put("registry", "damaged_no_end_byte", cut(full, full.size() - 1));
    // A mask count above the machine count, and an attribute index past 15.
    std::string more_masks = full;
    const std::size_t masks_at = more_masks.find(std::string("\x20\x02\x00\x03", 4));
    if (masks_at != std::string::npos) more_masks[masks_at + 3] = 9;
    put("registry", "damaged_mask_count", more_masks);
    std::string bad_index = full;
    const std::size_t st = bad_index.find(std::string("\x10\x02ST", 4));
    if (st != std::string::npos) bad_index[st + 4] = 40;
    put("registry", "damaged_attribute_index", bad_index);
    // The player's budget before the end byte; a record of another length, and
    // amounts out of range (negative, beyond 99,999,999).
    budget::register_registry_record();
    Registry with_budget = reg;
    with_budget.settings.set(budget::Budget{30000, 20000});
    const std::string budgeted = encode_registry(with_budget);
    put("registry", "budget", budgeted);
    put("registry", "damaged_budget_length", cut(full, full.size() - 1) + std::string("\x40\x04\x00\x00\x75\x30\xFF", 7));
    put("registry", "damaged_budget_amounts",
        cut(full, full.size() - 1) + std::string("\x40\x08\xFF\xFF\xFF\xFF\x7F\xFF\xFF\xFF\xFF", 11));
    // Records of later versions: a type no codec reads, longer than a name, and an empty one.
    Registry later = with_budget;
    later.unread = {{0x41, std::string(80, 'r')}, {0x05, ""}};
    put("registry", "unread_records", encode_registry(later));
}

void records_seeds() {
    RecordsImage image;
    image.total_text = cp932_literal("生涯収支 +27000");
    image.win_text = cp932_literal("2勝1敗1分 66％");
    image.tables[0] = {{"2003", "50000", "62000", "12000", "12000", cp932_literal("1勝1敗0分 50％")},
                       {"2004", "60000", "75000", "15000", "27000", cp932_literal("1勝0敗1分 100％")}};
    image.tables[1] = {{"1", "2004/ 1/5", cp932_literal("ホール北口"), cp932_literal("海物語"), "20000", "35000",
                        "15000"}};
    image.tables[2] = {{"1", "2004/ 1/12", cp932_literal("駅前会館"), cp932_literal("北斗の拳"), "30000", "8000",
                        "-22000"},
                       {"2", "2003/ 5/1", cp932_literal("駅前会館"), "CR-X", "5000", "4000", "-1000"}};
    image.tables[3] = {{"1", "2004/ 1", "50000", "75000", "25000", cp932_literal("1勝0敗 100％")}};
    image.tables[4] = {{"1", "2003/ 5", "5000", "4000", "-1000", cp932_literal("0勝1敗 0％")}};
    const std::string full = encode_records(image);
    put("records", "full", full);
    put("records", "empty", encode_records(RecordsImage{}));

    put("records", "damaged_magic_only", "vr");
    put("records", "damaged_cut_in_header", cut(full, 6));
    put("records", "damaged_cut_in_cell", cut(full, full.size() - 3));
    put("records", "damaged_wrong_magic", with_byte(full, 1, 'q'));
    // A length byte above 127 in the first cell, and cells outside every table.
    const std::size_t first_cell = 3 + 1 + image.total_text.size() + 1 + image.win_text.size();
    put("records", "damaged_length_byte", with_byte(full, first_cell + 3, 0xC0));
    std::string outside = full;
    outside += std::string("\x01\xC8\x00\x01", 4) + scramble_cell_text("9");  // row 200
    outside += std::string("\x02\x05\x09\x01", 4) + scramble_cell_text("9");  // column 9
    outside += std::string("\x09\x01\x01\x00", 4);                            // an unused tag
    put("records", "damaged_cells_outside", outside);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    ledger_seeds();
    registry_seeds();
    records_seeds();
    return 0;
}
