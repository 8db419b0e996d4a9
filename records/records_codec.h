#pragma once
// The lifetime-record file "velmo.rcd": the bytes "vr", then records until the
// end of the file, each starting with a tag byte.
//   tag 0      header: length, text, length, text (the lifetime balance caption
//              and the lifetime win/loss caption, stored as they are)
//   tags 1..5  one cell of a table (tag - 1 = the grid's Tag): row, column,
//              length, text with every byte combined with kCellMask
//   tags 6..   row, column, length, text: not used here, skipped
// Lengths are one byte and never above 127; texts are CP932 without terminator.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

inline constexpr int kRecordTables = 5;  // per-year, best/worst records, best/worst months
inline constexpr unsigned char kCellMask = 0xA5;
inline constexpr std::size_t kMaxRecordText = 127;
inline constexpr int kMaxRecordIndex = 127;  // largest row or column number the file holds

// What is written: the two captions and, per table, its rows from row 1 on with
// every column from 0 to the last.
struct RecordsImage {
    std::string total_text;  // the lifetime balance caption
    std::string win_text;    // the lifetime win/loss caption
    std::array<std::vector<std::vector<std::string>>, kRecordTables> tables;
};

// The file's bytes. A text longer than 127 bytes is cut to the longest prefix of
// at most 127 bytes that keeps its last two-byte character whole; rows past 127
// are not written, as the file cannot number them.
std::string encode_records(const RecordsImage& image);

struct RecordCell {
    int table = 0;  // 0..4, the grid's Tag
    int row = 0;    // 0..255 as stored
    int col = 0;
    std::string text;  // unscrambled
};

struct DecodedRecords {
    bool has_header = false;
    std::string total_text;
    std::string win_text;
    std::vector<RecordCell> cells;  // in file order
    // False when reading stopped early: the file ended inside a record, or a
    // length byte above 127 showed the rest cannot be read.
    bool complete = true;
};

enum class RecordsDecode { Ok, WrongMagic };

// Reads a whole file. Never reads past bytes; a damaged file gives what was read
// before the damage.
RecordsDecode decode_records(std::string_view bytes, DecodedRecords& out);

// What the lifetime window holds of a decoded file, as it would write it back:
// the captions (empty without a header) and the tables as their rows. Cells
// outside a table are dropped (row 0, columns past the grid, ranking column 0,
// ranks past 10). The per-year grid starts with year_grid_rows rows and grows
// only for a year (column 0) beyond them, so a later cell of such a row is kept
// and an earlier one is not; its rows are those with a year, in row order. A
// ranking holds its rows from rank 1 up to the first without column 1, each with
// its rank number in column 0.
RecordsImage held_records(const DecodedRecords& file, int year_grid_rows);

// The scrambling of cell texts; applying it twice gives the text back.
std::string scramble_cell_text(std::string_view text);

}  // namespace velmo
