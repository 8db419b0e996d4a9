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
                                           Target{"records", fuzz::check_records}),
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
