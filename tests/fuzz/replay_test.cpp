// Replays the fuzz targets' seed corpora and every input that once failed
// (fuzz/corpus/<target>, fuzz/regressions/<target>) through the same round-trip
// properties, so that a fixed finding stays fixed; and checks on the seeds that
// the properties' picture of a save matches what the windows really write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "fuzz/properties.h"
#include "records/records_codec.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = VELMO_FUZZ_DIR;

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The files of one folder of fuzz/, none when it does not exist.
std::vector<fs::path> inputs(const std::string& kind, const std::string& target) {
    std::vector<fs::path> files;
    const fs::path dir = kFuzzDir / kind / target;
    if (fs::is_directory(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct Target {
    const char* name;
    std::function<std::string(std::string_view)> check;
};

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsAndPastFailuresKeepTheRoundTrip) {
    const Target& t = GetParam();
    const auto seeds = inputs("corpus", t.name);
    // The seeds hold the writer's own files and damaged ones; a lost corpus must not pass unseen.
    ASSERT_GE(seeds.size(), 5u) << "seed corpus missing for " << t.name;
    std::size_t replayed = 0;
    for (const auto& kind : {"corpus", "regressions"}) {
        for (const fs::path& file : inputs(kind, t.name)) {
            EXPECT_EQ(t.check(file_bytes(file)), "") << file;
            ++replayed;
        }
    }
    EXPECT_GE(replayed, seeds.size());
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzReplay,
                         ::testing::Values(Target{"ledger", fuzz::check_ledger}, Target{"registry", fuzz::check_registry},
                                           Target{"records", fuzz::check_records}, Target{"csv", fuzz::check_csv}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

class FuzzSeedsInWindows : public AppFixture {};

// What the windows write after loading a seed is what the ledger property takes
// as the program's save (marks aside: they come from the balances).
TEST_F(FuzzSeedsInWindows, LedgerSaveMatchesTheProperty) {
    int compared = 0;
    for (const fs::path& file : inputs("corpus", "ledger")) {
        const std::string bytes = file_bytes(file);
        DecodedLedger decoded;
        if (decode_ledger(bytes, decoded) == DecodeResult::WrongFormat) continue;
        form1->dirty = 0;
        write_bytes(u("seed.vqd"), bytes);
        load(path(u("seed.vqd")));
        LedgerImage shown = form1->ledger_image();
        for (LedgerRecord& r : shown.records) r.mark = 0;
        EXPECT_EQ(encode_ledger(shown), encode_ledger(fuzz::saved_ledger_image(decoded))) << file;
        ++compared;
    }
    EXPECT_GE(compared, 5);
}

// A load writes each field from the file's bytes into its cell: every cell of
// every record, damaged files and a record named twice included, holds what the
// decoded file holds for it, one load after another in the same window.
TEST_F(FuzzSeedsInWindows, LoadedGridsHoldTheDecodedRecords) {
    std::vector<fs::path> files = inputs("corpus", "ledger");
    for (const fs::path& file : inputs("regressions", "ledger")) files.push_back(file);
    // Record 2 given twice, its second machines text empty; record 3 skipped; an
    // extra text in a file without the extra block.
    LedgerImage twice;
    twice.year = "2006";
    twice.records = {{" 1/2", "", "A", "M1", "", "", "10", "c1", 0},
                     {" 1/3", "", "B", "M2", "", "", "20", "c2", 0},
                     {" 1/4", "", "C", "M3", "", "", "30", "c3", 0},
                     {" 1/5", "", "D", "M4", "", "", "40", "c4", 0}};
    std::string bytes_twice = encode_ledger(twice);
    const std::string again = std::string("\xFF\xFF\x00\x02", 4) + "\xFF\x01\x01" "X" + std::string("\xFF\x02\x00", 3) +
                              "\xFF\x0A\x01" "E" + std::string("\xFF\x10\x00\x02" "c9", 6);
    bytes_twice.insert(bytes_twice.size() - 1, again);
    std::string skipped = bytes_twice;
    const std::string third = std::string("\xFF\xFF\x00\x03", 4);
    const std::size_t at = skipped.find(third);
    ASSERT_NE(at, std::string::npos);
    skipped.replace(at, third.size(), std::string("\xFF\xFF\x00\x05", 4));
    int compared = 0;
    const auto check = [&](const std::string& bytes, const std::string& what) {
        DecodedLedger decoded;
        if (decode_ledger(bytes, decoded) == DecodeResult::WrongFormat) return;
        const bool extra = decoded.extra.has_value();
        const HeldLedger held = held_ledger(decoded);
        write_bytes(u("seed.vqd"), bytes);
        load(path(u("seed.vqd")));
        TForm1& f = *form1;
        ASSERT_EQ(f.rec_count, decoded.highest_record) << what;
        ASSERT_EQ(f.StringGrid5->row_count(), std::max(decoded.stored_count, decoded.highest_record) + 1) << what;
        for (int r = 1; r <= f.rec_count; ++r) {
            const LedgerRecord& want = held.records[static_cast<std::size_t>(r - 1)];
            EXPECT_EQ(f.StringGrid1->cell(0, r), want.date) << what << " record " << r;
            if (extra) {
                EXPECT_EQ(f.StringGrid1->cell(f.extra_col, r), want.extra) << what << " record " << r;
            }
            EXPECT_EQ(f.StringGrid1->cell(f.hall_col, r), want.hall) << what << " record " << r;
            EXPECT_EQ(f.StringGrid1->cell(f.machine_col, r), want.machines) << what << " record " << r;
            EXPECT_EQ(f.StringGrid1->cell(f.balance_col, r), want.balance) << what << " record " << r;
            EXPECT_EQ(f.StringGrid5->cell(0, r), want.detail) << what << " record " << r;
            EXPECT_EQ(f.StringGrid5->cell(1, r), want.totals) << what << " record " << r;
            EXPECT_EQ(f.StringGrid5->cell(2, r), want.comment) << what << " record " << r;
        }
        for (int c = 0; c < f.StringGrid1->col_count(); ++c)
            EXPECT_EQ(f.StringGrid1->cell(c, f.rec_count + 1), "") << what << " column " << c;
        for (const AttributeEntry& a : held.attributes)
            EXPECT_EQ(f.StringGrid10->cell(1, a.index), a.columns[0]) << what << " attribute " << a.index;
        ++compared;
    };
    for (const fs::path& file : files) check(file_bytes(file), file.string());
    check(bytes_twice, "a record given twice");
    check(skipped, "a record skipped");
    EXPECT_GE(compared, 7);
    // The second giving of record 2 is the one kept, its empty machines shown as " ".
    check(bytes_twice, "a record given twice, again");
    EXPECT_EQ(form1->StringGrid1->cell(form1->hall_col, 2), "X");
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 2), " ");
    EXPECT_EQ(form1->StringGrid5->cell(2, 2), "c9");
    check(skipped, "a record skipped, again");
    EXPECT_EQ(form1->rec_count, 5);
    EXPECT_EQ(form1->StringGrid1->cell(form1->machine_col, 3), " ");
    EXPECT_EQ(form1->StringGrid1->cell(0, 3), "");
}

TEST_F(FuzzSeedsInWindows, RecordsSaveMatchesTheProperty) {
    static_assert(fuzz::kYearGridRowsAtStart == TForm5::kYearGridRows);
    int compared = 0;
    for (const fs::path& file : inputs("corpus", "records")) {
        const std::string bytes = file_bytes(file);
        DecodedRecords decoded;
        if (decode_records(bytes, decoded) == RecordsDecode::WrongMagic) continue;
        write_bytes(u("velmo.rcd"), bytes);
        form5 = std::make_unique<TForm5>();  // reads the file as at start-up
        EXPECT_EQ(encode_records(form5->records_image()),
                  encode_records(held_records(decoded, fuzz::kYearGridRowsAtStart)))
            << file;
        ++compared;
    }
    EXPECT_GE(compared, 5);
}

}  // namespace
}  // namespace velmo::testing
