#include "records/records_codec.h"

#include <algorithm>

#include "framework/cp932.h"
#include "records/lifetime_calc.h"

namespace velmo {

namespace {

void put_text(std::string& out, std::string_view text) {
    out.push_back(static_cast<char>(text.size()));
    out.append(text);
}

// Reads bytes from a string without ever passing its end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool at_end() const { return pos_ >= bytes_.size(); }
    bool byte(int& value) {
        if (at_end()) return false;
        value = static_cast<unsigned char>(bytes_[pos_++]);
        return true;
    }
    // A length byte (0..127) and that many bytes. A larger length byte cannot
    // be a length, so the rest of the file is unreadable.
    bool text(std::string& value) {
        int len = 0;
        if (!byte(len)) return false;
        if (len > static_cast<int>(kMaxRecordText)) return false;
        if (bytes_.size() - pos_ < static_cast<std::size_t>(len)) return false;
        value.assign(bytes_.substr(pos_, static_cast<std::size_t>(len)));
        pos_ += static_cast<std::size_t>(len);
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string scramble_cell_text(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) ^ kCellMask);
    return out;
}

std::string encode_records(const RecordsImage& image) {
    std::string out = "vr";
    out.push_back('\0');
    put_text(out, truncate_cp932(image.total_text, kMaxRecordText));
    put_text(out, truncate_cp932(image.win_text, kMaxRecordText));
    for (int t = 0; t < kRecordTables; ++t) {
        const auto& rows = image.tables[static_cast<std::size_t>(t)];
        for (std::size_t i = 0; i < rows.size() && i < static_cast<std::size_t>(kMaxRecordIndex); ++i) {
            const auto& cells = rows[i];
            for (std::size_t c = 0; c < cells.size() && c <= static_cast<std::size_t>(kMaxRecordIndex); ++c) {
                out.push_back(static_cast<char>(t + 1));
                out.push_back(static_cast<char>(i + 1));
                out.push_back(static_cast<char>(c));
                put_text(out, scramble_cell_text(truncate_cp932(cells[c], kMaxRecordText)));
            }
        }
    }
    return out;
}

RecordsDecode decode_records(std::string_view bytes, DecodedRecords& out) {
    out = DecodedRecords{};
    if (bytes.size() < 2 || bytes[0] != 'v' || bytes[1] != 'r') return RecordsDecode::WrongMagic;
    Reader in(bytes.substr(2));
    while (!in.at_end()) {
        int tag = 0;
        in.byte(tag);
        if (tag == 0) {
            std::string total, win;
            if (!in.text(total) || !in.text(win)) {
                out.complete = false;
                break;
            }
            out.has_header = true;
            out.total_text = std::move(total);
            out.win_text = std::move(win);
            continue;
        }
        int row = 0, col = 0;
        std::string text;
        if (!in.byte(row) || !in.byte(col) || !in.text(text)) {
            out.complete = false;
            break;
        }
        if (tag <= kRecordTables) out.cells.push_back(RecordCell{tag - 1, row, col, scramble_cell_text(text)});
    }
    return RecordsDecode::Ok;
}

RecordsImage held_records(const DecodedRecords& file, int year_grid_rows) {
    RecordsImage image;
    if (file.has_header) {
        image.total_text = file.total_text;
        image.win_text = file.win_text;
    }
    // The grids' cells, row 0 included so that row numbers index directly.
    std::vector<std::vector<std::string>> years(static_cast<std::size_t>(std::max(year_grid_rows, 1)),
                                                std::vector<std::string>(kYearColumns));
    std::array<std::vector<std::vector<std::string>>, kRecordTables> ranks;
    for (int t = 1; t < kRecordTables; ++t)
        ranks[static_cast<std::size_t>(t)].assign(kRanks + 1,
                                                  std::vector<std::string>(t <= 2 ? kRecordColumns : kMonthColumns));
    for (const RecordCell& cell : file.cells) {
        if (cell.row < 1 || cell.row > kMaxRecordIndex || cell.col < 0 || cell.table < 0 || cell.table >= kRecordTables)
            continue;
        const auto row = static_cast<std::size_t>(cell.row);
        const auto col = static_cast<std::size_t>(cell.col);
        if (cell.table == 0) {
            if (col >= kYearColumns) continue;
            if (col == 0 && row >= years.size()) years.resize(row + 1, std::vector<std::string>(kYearColumns));
            if (row < years.size()) years[row][col] = cell.text;
        } else {
            auto& grid = ranks[static_cast<std::size_t>(cell.table)];
            if (row > kRanks || col < 1 || col >= grid[row].size()) continue;
            grid[row][col] = cell.text;
        }
    }
    for (std::size_t r = 1; r < years.size(); ++r)
        if (!years[r][0].empty()) image.tables[0].push_back(std::move(years[r]));
    for (int t = 1; t < kRecordTables; ++t) {
        auto& grid = ranks[static_cast<std::size_t>(t)];
        for (std::size_t r = 1; r <= kRanks && !grid[r][1].empty(); ++r) {
            grid[r][0] = std::to_string(r);
            image.tables[static_cast<std::size_t>(t)].push_back(std::move(grid[r]));
        }
    }
    return image;
}

}  // namespace velmo
