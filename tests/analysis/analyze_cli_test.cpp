// velmorant --analyze as a player's script runs it: the figures of generated
// years checked against sums made here straight from the records' texts, and
// the refusals with their exit codes.
#include <QDate>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <map>

#include <unistd.h>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/year_files.h"
#include "bench/ledger_gen.h"
#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"
#include "tests/support/figures_check.h"

namespace velmo {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome analyze(const QStringList& args) {
    QProcess child;
    child.start(QStringLiteral(VELMO_EXE), QStringList{QStringLiteral("--analyze")} + args);
    child.waitForFinished(60000);
    return {child.exitCode(), child.readAllStandardOutput().toStdString(), child.readAllStandardError().toStdString()};
}

std::map<std::string, std::string> lines_of(const std::string& out) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        values[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
        start = end + 1;
    }
    return values;
}

// The figures made from the records' texts alone, for records that pass keep:
// keep(year, record) gives the amounts that count, or false.
struct Sums {
    long long visits = 0, days = 0, investment = 0, payout = 0, wins = 0, losses = 0, draws = 0;
    long long largest_win = 0, largest_loss = 0;
    long long win_streak = 0, loss_streak = 0;  // longest runs, in date order
};

class AnalyzeCommand : public ::testing::Test {
protected:
    void SetUp() override {
        bench::LedgerShape shape;
        shape.records = 300;
        shape.halls = 6;
        shape.machines = 3;
        for (const int year : {2003, 2004}) {
            shape.seed = static_cast<unsigned>(year);
            images[year] = bench::generated_ledger(std::to_string(year), shape);
            write_file_atomic(file(year), encode_ledger(images[year]));
        }
    }
    QString file(int year) const { return dir.filePath(QStringLiteral("vq%1.vqd").arg(year)); }

    template <typename Keep>
    Sums sums(Keep keep) const {
        Sums s;
        std::string last_day;
        long long wins_run = 0, losses_run = 0;
        for (const auto& [year, image] : images) {
            for (const LedgerRecord& r : image.records) {
                long long investment = 0, payout = 0;
                if (!keep(year, r, investment, payout)) continue;
                ++s.visits;
                const std::string day = std::to_string(year) + r.date;
                if (day != last_day) ++s.days;
                last_day = day;
                s.investment += investment;
                s.payout += payout;
                const long long balance = payout - investment;
                (balance > 0 ? s.wins : balance < 0 ? s.losses : s.draws) += 1;
                wins_run = balance > 0 ? wins_run + 1 : 0;
                losses_run = balance < 0 ? losses_run + 1 : 0;
                s.win_streak = std::max(s.win_streak, wins_run);
                s.loss_streak = std::max(s.loss_streak, losses_run);
                s.largest_win = std::max(s.largest_win, balance);
                s.largest_loss = std::min(s.largest_loss, balance);
            }
        }
        return s;
    }

    QTemporaryDir dir;
    std::map<int, LedgerImage> images;
};

// A record's day sums.
bool whole(const LedgerRecord& r, long long& investment, long long& payout) {
    const DayTotals t = day_totals_texts(r.totals);
    investment = std::stoll(t.investment);
    payout = std::stoll(t.payout);
    return true;
}

TEST_F(AnalyzeCommand, FiguresOfSlicesMatchSumsOfTheRecords) {
    const std::string hall = images[2003].records[0].hall;
    const std::string machine = unpack_machine_detail(images[2004].records[0].detail)[0].name;
    const struct {
        const char* what;
        QStringList args;
        std::function<bool(int, const LedgerRecord&, long long&, long long&)> keep;
    } table[] = {
        {"both years", {}, [](int, const LedgerRecord& r, long long& i, long long& p) { return whole(r, i, p); }},
        {"one hall",
         {QStringLiteral("--hall"), from_cp932(hall)},
         [&](int, const LedgerRecord& r, long long& i, long long& p) { return r.hall == hall && whole(r, i, p); }},
        {"one machine: its entries only",
         {QStringLiteral("--machine"), from_cp932(machine)},
         [&](int, const LedgerRecord& r, long long& i, long long& p) { return testing::add_machine_amounts(r, machine, i, p); }},
        {"Mondays of March to May",
         {QStringLiteral("--weekday"), QStringLiteral("月"), QStringLiteral("--months"), QStringLiteral("3-5")},
         [](int year, const LedgerRecord& r, long long& i, long long& p) {
             const QDate d(year, date_text_month(r.date), date_text_day(r.date));
             return d.dayOfWeek() == 1 && d.month() >= 3 && d.month() <= 5 && whole(r, i, p);
         }},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        // The later year first: the figures come in date order all the same.
        const Outcome run = analyze(QStringList{file(2004), file(2003)} + row.args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Sums s = sums(row.keep);
        ASSERT_GT(s.visits, 1);
        std::map<std::string, std::string> got = lines_of(run.out);
        ASSERT_EQ(got.size(), 36u) << run.out;  // the 22 of the overview, the 6 play figures, the 8 expected-value ones
        const long long balance = s.payout - s.investment;
        const long long mean_twice = balance * 2 / s.visits;  // halves away from zero
        const long long mean = mean_twice / 2 + mean_twice % 2;
        const std::map<std::string, std::string> expected = {
            {"来店数", std::to_string(s.visits)},        {"遊技日数", std::to_string(s.days)},
            {"投資", std::to_string(s.investment)},      {"回収", std::to_string(s.payout)},
            {"収支", std::to_string(balance)},           {"勝", std::to_string(s.wins)},
            {"敗", std::to_string(s.losses)},            {"分", std::to_string(s.draws)},
            {"平均", std::to_string(mean)},              {"最大勝ち", std::to_string(s.largest_win)},
            {"最大負け", std::to_string(s.largest_loss)}, {"最長連勝", std::to_string(s.win_streak)},
            {"最長連敗", std::to_string(s.loss_streak)}};
        for (const auto& [name, value] : expected) EXPECT_EQ(got[name], value) << name;
        EXPECT_TRUE(got["判定"] == "プラス" || got["判定"] == "マイナス" || got["判定"] == "未確定") << got["判定"];
    }
    // The output starts with the visits and keeps its order: the overview's 22 figures, the play
    // figures, then the expected-value ones.
    const Outcome run = analyze({file(2003)});
    EXPECT_EQ(run.out.substr(0, run.out.find('\t')), "来店数");
    std::size_t line_22 = 0;
    for (int i = 0; i < 21; ++i) line_22 = run.out.find('\n', line_22) + 1;
    EXPECT_EQ(run.out.substr(line_22, 27), "現在のドローダウン");
    EXPECT_NE(run.out.find("貯玉評価額\t—\n期待値記録数\t0\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "平均ボーダー差\t—\n");
}

TEST_F(AnalyzeCommand, RefusesWhatItCannotUse) {
    std::string bytes = encode_ledger(images[2003]);
    write_file_atomic(dir.filePath(QStringLiteral("cut.vqd")), bytes.substr(0, bytes.size() / 2));
    write_file_atomic(dir.filePath(QStringLiteral("text.vqd")), "not a ledger");
    const struct {
        QStringList args;
        int status;
    } table[] = {
        {{dir.filePath(QStringLiteral("missing.vqd"))}, 1},
        {{dir.filePath(QStringLiteral("cut.vqd"))}, 1},
        {{dir.filePath(QStringLiteral("text.vqd"))}, 1},
        {{file(2003), dir.filePath(QStringLiteral("cut.vqd"))}, 1},
        {{file(2003), QStringLiteral("--hall"), QStringLiteral("どこにもない店")}, 1},
        {{file(2003), QStringLiteral("--machine"), QStringLiteral("ない機種")}, 1},
        {{file(2003), QStringLiteral("--weekday"), QStringLiteral("月曜")}, 2},
        {{file(2003), QStringLiteral("--weekday"), QStringLiteral("Mon")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("5-3")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("3-1")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("0-5")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("13")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("３-５")}, 2},
        {{file(2003), QStringLiteral("--months"), QStringLiteral("3-")}, 2},
        {{file(2003), QStringLiteral("--months"), QString()}, 2},
        {{}, 2},
        {{QStringLiteral("--hall"), QStringLiteral("x")}, 2},
        {{file(2003), QStringLiteral("--hall")}, 2},
        {{file(2003), QStringLiteral("--year"), QStringLiteral("2003")}, 2},
        {{file(2003), QStringLiteral("--bogus")}, 2},
        {{file(2003), QStringLiteral("--"), QStringLiteral("--hall")}, 1},  // after "--", a file that is not there
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.args.join(QLatin1Char(' ')).toStdString());
        const Outcome run = analyze(row.args);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        // One line on standard error, for a file and for the command line alike.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("velmorant: ", 0), 0u) << run.err;
    }
}

// A file named twice, by the same name, another path, a symbolic or a hard link,
// is read once: its visits are not counted twice.
TEST_F(AnalyzeCommand, AFileNamedTwiceIsReadOnce) {
    const Outcome once = analyze({file(2003)});
    ASSERT_EQ(once.status, 0) << once.err;
    ASSERT_TRUE(QFile::link(file(2003), dir.filePath(QStringLiteral("link.vqd"))));
    ASSERT_EQ(::link(QFile::encodeName(file(2003)).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("hard.vqd"))).constData()),
              0);
    const QStringList others[] = {
        {file(2003)},
        {dir.path() + QStringLiteral("/./vq2003.vqd")},
        {dir.filePath(QStringLiteral("link.vqd"))},
        {dir.filePath(QStringLiteral("hard.vqd")), file(2003)},
    };
    for (const QStringList& other : others) {
        SCOPED_TRACE(other.join(QLatin1Char(' ')).toStdString());
        const Outcome twice = analyze(QStringList{file(2003)} + other);
        EXPECT_EQ(twice.status, 0) << twice.err;
        EXPECT_EQ(twice.out, once.out);
    }
}

// Play days are dates: a hand-made file whose records are not in date order
// counts each date once.
TEST_F(AnalyzeCommand, PlayDaysAreDistinctDatesWhateverTheOrderOfTheRecords) {
    LedgerImage image;
    image.year = "2026";
    for (const auto& [month, day] : {std::pair{3, 5}, std::pair{3, 1}, std::pair{3, 5}}) {
        const RecordCells c = build_record({{"M", "1000", "500"}}, month, day);
        image.records.push_back({c.date, "", "H", c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0});
    }
    write_file_atomic(dir.filePath(QStringLiteral("vq2026.vqd")), encode_ledger(image));
    const Outcome run = analyze({dir.filePath(QStringLiteral("vq2026.vqd"))});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> got = lines_of(run.out);
    EXPECT_EQ(got["来店数"], "3");
    EXPECT_EQ(got["遊技日数"], "2");
}

TEST_F(AnalyzeCommand, YearFilesHoldTheTextsTheWindowHoldsAfterALoad) {
    // A record the file leaves empty between others.
    LedgerImage image = images[2003];
    image.records.resize(6);
    image.records[3] = LedgerRecord{};
    std::string bytes = encode_ledger(image);
    DecodedLedger decoded;
    ASSERT_EQ(decode_ledger(bytes, decoded), DecodeResult::Ok);
    const HeldLedger held = held_ledger(decoded);
    write_file_atomic(dir.filePath(QStringLiteral("vq2010.vqd")), bytes);
    const analysis::YearFileRead read = analysis::read_year_file(dir.filePath(QStringLiteral("vq2010.vqd")));
    ASSERT_EQ(read.fault, analysis::YearFileFault::None);
    EXPECT_EQ(read.file.year, 2003);
    EXPECT_TRUE(read.file.has_extra);
    ASSERT_EQ(read.file.records.size(), held.records.size());
    for (std::size_t i = 0; i < held.records.size(); ++i) {
        const LedgerRecord& a = read.file.records[i];
        const LedgerRecord& b = held.records[i];
        EXPECT_EQ(std::tie(a.date, a.hall, a.extra, a.detail, a.totals, a.balance),
                  std::tie(b.date, b.hall, b.extra, b.detail, b.totals, b.balance))
            << i;
    }
}

}  // namespace
}  // namespace velmo
