// The lifetime-record file: exact bytes, round trips, and damaged input.
#include <gtest/gtest.h>

#include <random>

#include "framework/cp932.h"
#include "records/records_codec.h"

using namespace velmo;

namespace {

std::string x(std::string_view s) { return scramble_cell_text(s); }

std::string sjis(const char8_t* s) { return cp932_literal(s); }

RecordsImage sample_image() {
    RecordsImage image;
    image.total_text = sjis(u8"生涯収支 ＋1500");
    image.win_text = sjis(u8"3勝1敗 75％");
    image.tables[0] = {{sjis(u8"2004年"), "1000", "2500", "1500", "1500", sjis(u8"3勝1敗 75％")}};
    image.tables[1] = {{"1", sjis(u8"2004/ 3/15"), "A", "B", "1000", "2500", "1500"}};
    image.tables[3] = {{"1", sjis(u8"2004年３月"), "1000", "2500", "1500", sjis(u8"1勝0敗 100％")}};
    return image;
}

}  // namespace

TEST(RecordsCodec, GoldenBytes) {
    RecordsImage image;
    image.total_text = "T";
    image.win_text = "";
    image.tables[0] = {{"2004", "", "7", "", "", ""}};
    image.tables[4] = {{"1", "ab"}};
    std::string expected = std::string("vr") + '\0' + '\x01' + "T" + '\0';
    const char* year_cells[] = {"2004", "", "7", "", "", ""};
    for (int c = 0; c < 6; ++c) {
        std::string text = year_cells[c];
        expected += std::string{'\x01', '\x01', static_cast<char>(c), static_cast<char>(text.size())} + x(text);
    }
    expected += std::string{'\x05', '\x01', '\x00', '\x01'} + x("1");
    expected += std::string{'\x05', '\x01', '\x01', '\x02'} + x("ab");
    EXPECT_EQ(encode_records(image), expected);
    // The mask is fixed: "ab" is stored as 0xC4 0xC7.
    EXPECT_EQ(x("ab"), "\xC4\xC7");
    // Nothing at all: the magic and an empty header.
    EXPECT_EQ(encode_records(RecordsImage{}), std::string("vr\0\0\0", 5));
}

TEST(RecordsCodec, RoundTripKeepsEveryCellInFileOrder) {
    const RecordsImage image = sample_image();
    DecodedRecords d;
    ASSERT_EQ(decode_records(encode_records(image), d), RecordsDecode::Ok);
    EXPECT_TRUE(d.complete);
    EXPECT_TRUE(d.has_header);
    EXPECT_EQ(d.total_text, image.total_text);
    EXPECT_EQ(d.win_text, image.win_text);
    ASSERT_EQ(d.cells.size(), 6u + 7u + 6u);
    std::size_t k = 0;
    for (int t = 0; t < kRecordTables; ++t)
        for (std::size_t i = 0; i < image.tables[static_cast<std::size_t>(t)].size(); ++i)
            for (std::size_t c = 0; c < image.tables[static_cast<std::size_t>(t)][i].size(); ++c, ++k) {
                EXPECT_EQ(d.cells[k].table, t);
                EXPECT_EQ(d.cells[k].row, static_cast<int>(i) + 1);
                EXPECT_EQ(d.cells[k].col, static_cast<int>(c));
                EXPECT_EQ(d.cells[k].text, image.tables[static_cast<std::size_t>(t)][i][c]);
            }
}

TEST(RecordsCodec, LongTextsAreCutWithoutSplittingACharacter) {
    RecordsImage image;
    // 1 ASCII byte, then 70 two-byte characters: 141 bytes; 127 would split the 64th character.
    std::string hall = "a";
    for (int i = 0; i < 70; ++i) hall += sjis(u8"ホ");
    image.tables[1] = {{"1", "d", hall}};
    image.win_text = hall;
    DecodedRecords d;
    ASSERT_EQ(decode_records(encode_records(image), d), RecordsDecode::Ok);
    ASSERT_EQ(d.cells.size(), 3u);
    EXPECT_EQ(d.cells[2].text.size(), 127u);
    EXPECT_EQ(d.cells[2].text, hall.substr(0, 127));
    EXPECT_EQ(d.win_text.size(), 127u);

    // An odd split: 2 ASCII bytes then two-byte characters; 127 falls inside one.
    std::string odd = "ab";
    for (int i = 0; i < 70; ++i) odd += sjis(u8"ホ");
    image.tables[1] = {{"1", odd}};
    ASSERT_EQ(decode_records(encode_records(image), d), RecordsDecode::Ok);
    EXPECT_EQ(d.cells[1].text, odd.substr(0, 126));
}

TEST(RecordsCodec, WrongMagicAndShortFiles) {
    DecodedRecords d;
    EXPECT_EQ(decode_records("", d), RecordsDecode::WrongMagic);
    EXPECT_EQ(decode_records("v", d), RecordsDecode::WrongMagic);
    EXPECT_EQ(decode_records("vq2004", d), RecordsDecode::WrongMagic);
    EXPECT_EQ(decode_records("vr", d), RecordsDecode::Ok);
    EXPECT_FALSE(d.has_header);
    EXPECT_TRUE(d.cells.empty());
}

TEST(RecordsCodec, UnknownTagsAreSkippedByTheirLength) {
    std::string bytes = std::string("vr") + '\x09' + '\x01' + '\x02' + '\x03' + "xyz";
    bytes += std::string{'\x02', '\x01', '\x06', '\x01'} + x("9");
    DecodedRecords d;
    ASSERT_EQ(decode_records(bytes, d), RecordsDecode::Ok);
    EXPECT_TRUE(d.complete);
    ASSERT_EQ(d.cells.size(), 1u);
    EXPECT_EQ(d.cells[0].table, 1);
    EXPECT_EQ(d.cells[0].col, 6);
    EXPECT_EQ(d.cells[0].text, "9");
}

TEST(RecordsCodec, DamageEndsReadingWithWhatWasRead) {
    const std::string good = encode_records(sample_image());
    DecodedRecords whole;
    decode_records(good, whole);

    // Every truncation: the cells read are a prefix of the whole file's cells.
    for (std::size_t n = 2; n < good.size(); ++n) {
        DecodedRecords d;
        ASSERT_EQ(decode_records(std::string_view(good).substr(0, n), d), RecordsDecode::Ok);
        ASSERT_LE(d.cells.size(), whole.cells.size());
        for (std::size_t i = 0; i < d.cells.size(); ++i) EXPECT_EQ(d.cells[i].text, whole.cells[i].text);
    }

    // A length byte above 127 cannot be a length: reading stops there.
    std::string bytes = std::string("vr") + std::string{'\x01', '\x01', '\x00', '\x01'} + x("a");
    bytes += std::string{'\x01', '\x01', '\x01', '\x80'} + std::string(200, 'z');
    DecodedRecords d;
    ASSERT_EQ(decode_records(bytes, d), RecordsDecode::Ok);
    EXPECT_FALSE(d.complete);
    ASSERT_EQ(d.cells.size(), 1u);
    EXPECT_EQ(d.cells[0].text, "a");
}

TEST(RecordsCodec, RandomAndCorruptedInputIsReadSafely) {
    std::mt19937 rng(20040315);
    const std::string good = encode_records(sample_image());
    auto check = [](const std::string& bytes) {
        DecodedRecords d;
        decode_records(bytes, d);
        for (const RecordCell& c : d.cells) {
            EXPECT_LE(c.text.size(), kMaxRecordText);
            EXPECT_GE(c.table, 0);
            EXPECT_LT(c.table, kRecordTables);
        }
    };
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = (i % 2) ? std::string("vr") : std::string();
        const int n = static_cast<int>(rng() % 400);
        for (int k = 0; k < n; ++k) bytes.push_back(static_cast<char>(rng() & 0xFF));
        check(bytes);
    }
    for (std::size_t pos = 2; pos < good.size(); ++pos)
        for (int v : {0x00, 0x01, 0x05, 0x7F, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[pos] = static_cast<char>(v);
            check(bytes);
        }
}
