// The play figures --analyze appends and the stores --stores prints, on a small
// year worked out by hand (tests/analysis/play_ledger.h), with the player's
// registry beside the program.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analyze_cli.h"
#include "framework/command_args.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "shell/beyond_hooks.h"
#include "tests/analysis/expect_ledger.h"
#include "play/play_settings.h"
#include "tests/analysis/play_ledger.h"

namespace velmo::testing {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

class PlayCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        set_program_dir(dir.path());
        play::register_registry_records();
    }
    void TearDown() override { set_program_dir(QString()); }

    QString write_ledger(const QString& name, const LedgerImage& image) const {
        const QString file = dir.filePath(name);
        EXPECT_TRUE(write_file_atomic(file, encode_ledger(image)).ok);
        return file;
    }
    void write_registry(const Registry& reg) const {
        ASSERT_TRUE(write_file_atomic(dir.filePath(QStringLiteral("velmo.lst")), encode_registry(reg)).ok);
    }
    template <typename Command>
    static Outcome run(Command command, const std::vector<std::string>& args) {
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        ::testing::internal::CaptureStdout();
        const int status = command(static_cast<int>(argv.size()), argv.data());
        return {status, ::testing::internal::GetCapturedStdout()};
    }
    // The lines after the overview's 22: the play figures' 6, then (tail) the expected-value figures.
    static std::vector<std::string> play_lines(const std::string& out) {
        std::vector<std::string> lines = after_overview(out);
        if (lines.size() > 6) lines.resize(6);
        return lines;
    }
    static std::vector<std::string> expect_lines(const std::string& out) {
        std::vector<std::string> lines = after_overview(out);
        return lines.size() > 6 ? std::vector<std::string>(lines.begin() + 6, lines.end()) : std::vector<std::string>{};
    }
    static std::vector<std::string> after_overview(const std::string& out) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            lines.push_back(out.substr(start, end - start));
            start = end + 1;
        }
        return lines.size() > 22 ? std::vector<std::string>(lines.begin() + 22, lines.end()) : lines;
    }

    QTemporaryDir dir;
};

std::vector<std::string> play_keys(const char* records, const char* hours, const char* hourly, const char* loss,
                                   const char* held, const char* stores) {
    return {std::string("実戦記録数\t") + records, std::string("稼働時間\t") + hours, std::string("時給\t") + hourly,
            std::string("交換差損\t") + loss, std::string("持ち玉比率\t") + held, std::string("貯玉評価額\t") + stores};
}

TEST_F(PlayCommands, AnalyzeAppendsThePlayFiguresOfTheSlice) {
    write_registry(hand_play_registry());
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), hand_play_ledger()).toStdString();
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } table[] = {
        // 270 + 180 min = 7.5 h; 時給 (-4,642 + 6,786) × 60 / 450 = 285.9; 交換差損 1,071.43 + 2,142.86 + 0;
        // 持ち玉比率 1,000 / (2,500 + 1,000 + 3,000 + 1,000) = 13.33%; stores 7,143 + 8,929 + 17,857 (C has no rate).
        {"the year", {}, play_keys("3", "7.5", "286", "3214", "13.3", "33929")},
        // -4,642 × 60 / 270 = -1,031.6; 1,000 / 3,500 = 28.57%; A's stores only: 7,143 + 8,929.
        {"hall A", {"--hall", "A"}, play_keys("1", "4.5", "-1032", "1071", "28.6", "16072")},
        // 6,786 × 60 / 180; no held pieces at all; B's slot store at its last visit's 5.6枚.
        {"hall B", {"--hall", "B"}, play_keys("2", "3.0", "2262", "2143", "0.0", "17857")},
        // Before any visit: A's starting balances, 1,000 × 100/28 + 2,000 × 100/28.
        {"no visit yet", {"--months", "1-2"}, play_keys("0", "—", "—", "—", "—", "10714")},
        {"March", {"--months", "3-3"}, play_keys("2", "7.5", "286", "3214", "22.2", "33929")},
        // A machine alone: its record played only it, so the visit's time is its time.
        {"one machine", {"--machine", "ジャグラー"}, play_keys("1", "3.0", "2262", "2143", "0.0", "33929")},
        // The record of 4/10 has no play data.
        {"no play data", {"--months", "4-4"}, play_keys("0", "—", "—", "—", "—", "33929")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> args{ledger};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome r = run(analyze_command, args);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(play_lines(r.out), row.expected) << r.out;
    }
}

TEST_F(PlayCommands, AnalyzeWithoutPlayDataOrRegistryShowsDashes) {
    LedgerImage plain;
    plain.year = "2024";
    plain.records = {play_record(3, 1, "A", {{"海物語", 1000, 0}})};
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), plain).toStdString();
    EXPECT_EQ(play_lines(run(analyze_command, {ledger}).out), play_keys("0", "—", "—", "—", "—", "—"));
    // Starting balances alone have a value: A's 4円 and 0.5円 stores at 28玉.
    write_registry(hand_play_registry());
    EXPECT_EQ(play_lines(run(analyze_command, {ledger}).out), play_keys("0", "—", "—", "—", "—", "10714"));
}

std::vector<std::string> expect_keys(const char* counted, const char* work, const char* hourly, const char* luck,
                                     const char* sd, const char* z, const char* rate, const char* gap) {
    return {std::string("期待値記録数\t") + counted, std::string("仕事量\t") + work, std::string("期待時給\t") + hourly,
            std::string("運\t") + luck, std::string("運の標準偏差\t") + sd, std::string("運の偏り\t") + z,
            std::string("平均回転率\t") + rate, std::string("平均ボーダー差\t") + gap};
}

// tests/analysis/expect_ledger.h: numbers for 海物語, none for ジャグラー.
TEST_F(PlayCommands, AnalyzeAppendsTheExpectedValuesAfterThePlayFigures) {
    register_settings_records();
    write_registry(expect_registry());
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), expect_ledger()).toStdString();
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } table[] = {
        // ジャグラー's visit counts in the play figures, not in these.
        {"the year", {}, expect_keys("2", "1071", "-982", "-10714", "15152", "-0.71", "38.1", "5.6")},
        {"the machine with numbers", {"--machine", "海物語"},
         expect_keys("2", "1071", "-982", "-10714", "15152", "-0.71", "38.1", "5.6")},
        // 3/1 alone: σ = 1,500 v √5 = 11,978.94; z = −2,678.71 ÷ 11,978.94; r* = 35.83.
        {"March", {"--months", "3-3"}, expect_keys("1", "-1964", "-982", "-2679", "11979", "-0.22", "31.3", "-4.6")},
        // 5/2 alone has no time: no 期待時給. z = −8,035.71 ÷ 9,278.84 = −0.866.
        {"hall B", {"--hall", "B"}, expect_keys("1", "3036", "—", "-8036", "9279", "-0.87", "60.0", "22.7")},
        {"the machine without numbers", {"--machine", "ジャグラー"}, expect_keys("0", "—", "—", "—", "—", "—", "—", "—")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> args{ledger};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const Outcome r = run(analyze_command, args);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(expect_lines(r.out), row.expected) << r.out;
        // The play figures keep their place before them.
        EXPECT_EQ(play_lines(r.out)[0].substr(0, 16), "実戦記録数\t");
    }
}

TEST_F(PlayCommands, AnalyzeUnderAMachineFilterCountsThatMachineAlone) {
    register_settings_records();
    write_registry(expect_registry());
    // 3/1's 海物語 and 3/5's ジャグラー played in one visit of two hours.
    const std::vector<LedgerRecord> records = expect_records();
    play::RecordPlayData both = play::read_play_data(records[0]);
    both.machines[1] = play::read_play_data(records[1]).machines[0];
    LedgerImage image;
    image.year = "2024";
    image.records = {with_play(play_record(3, 1, "A", {{"海物語", 10000, 5357}, {"ジャグラー", 20000, 26786}}), both)};
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), image).toStdString();
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> expected;
    } table[] = {
        {"the visit", {}, expect_keys("1", "-1964", "-982", "-2679", "11979", "-0.22", "31.3", "-4.6")},
        // The two hours are not 海物語's alone: no 期待時給.
        {"海物語", {"--machine", "海物語"}, expect_keys("1", "-1964", "—", "-2679", "11979", "-0.22", "31.3", "-4.6")},
        {"ジャグラー", {"--machine", "ジャグラー"}, expect_keys("0", "—", "—", "—", "—", "—", "—", "—")},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> args{ledger};
        args.insert(args.end(), row.options.begin(), row.options.end());
        EXPECT_EQ(expect_lines(run(analyze_command, args).out), row.expected);
    }
}

TEST_F(PlayCommands, AnalyzeWithoutMachineNumbersShowsDashes) {
    register_settings_records();
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), expect_ledger()).toStdString();
    const auto none = expect_keys("0", "—", "—", "—", "—", "—", "—", "—");
    // No registry; a registry without numbers; numbers for a machine the ledger does not hold.
    EXPECT_EQ(expect_lines(run(analyze_command, {ledger}).out), none);
    write_registry(hand_play_registry());
    EXPECT_EQ(expect_lines(run(analyze_command, {ledger}).out), none);
    Registry other = expect_registry();
    play::MachineNumberTable all_numbers = expect_numbers();
    all_numbers.machines[0].machine = cp932_literal("北斗");
    other.settings.set(all_numbers);
    write_registry(other);
    EXPECT_EQ(expect_lines(run(analyze_command, {ledger}).out), none);
    // A ledger without play data, with the numbers there: nothing to weigh.
    write_registry(expect_registry());
    LedgerImage plain;
    plain.year = "2024";
    plain.records = {play_record(3, 1, "A", {{"海物語", 1000, 0}})};
    EXPECT_EQ(expect_lines(run(analyze_command, {write_ledger(QStringLiteral("vq2023.vqd"), plain).toStdString()}).out), none);
}

TEST_F(PlayCommands, StoresInRegistryOrderThenKindThenPrice) {
    write_registry(hand_play_registry());
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), hand_play_ledger()).toStdString();
    const Outcome r = run(stores_command, {ledger});
    ASSERT_EQ(r.status, 0);
    // B before A as the registry lists them; C, not listed, after them; C has no rate and no visit: no value.
    EXPECT_EQ(r.out,
              "B\tスロット\t20\t1000\t17857\n"
              "A\tパチンコ\t0.5\t2000\t7143\n"
              "A\tパチンコ\t4\t2500\t8929\n"
              "C\tパチンコ\t4\t300\t—\n");
}

TEST_F(PlayCommands, StoresCountTheYearsBeforeTheLedger) {
    // A visit of 2023 took 400 out of A's 4円 store.
    play::RecordPlayData before;
    before.machines[0] = machine(play::Kind::Pachinko, 400, 280);
    before.machines[0].held_in = before.machines[0].store_out = 400;
    LedgerImage y2023;
    y2023.year = "2023";
    y2023.records = {with_play(play_record(12, 30, "A", {{"海物語", 1429, 0}}), before)};
    write_ledger(QStringLiteral("vq2023.vqd"), y2023);
    write_registry(hand_play_registry());
    const std::string ledger = write_ledger(QStringLiteral("vq2024.vqd"), hand_play_ledger()).toStdString();
    const Outcome r = run(stores_command, {ledger});
    ASSERT_EQ(r.status, 0);
    // A's 4円 store: 1,000 − 400 (2023) − 1,000 + 2,500 = 2,100 → 2,100 × 100/28 = 7,500.
    EXPECT_NE(r.out.find("A\tパチンコ\t4\t2100\t7500\n"), std::string::npos) << r.out;
    // Both years named: each is read once, and the earlier one is not counted twice.
    EXPECT_EQ(run(stores_command, {dir.filePath(QStringLiteral("vq2023.vqd")).toStdString(), ledger}).out, r.out);
}

TEST_F(PlayCommands, StoresRefuseWhatAnalyzeRefuses) {
    const QString ledger = write_ledger(QStringLiteral("vq2024.vqd"), hand_play_ledger());
    const std::string bytes = read_file(ledger).value_or("");
    ASSERT_TRUE(write_file_atomic(dir.filePath(QStringLiteral("cut.vqd")), bytes.substr(0, bytes.size() / 2)).ok);
    const std::string cut = dir.filePath(QStringLiteral("cut.vqd")).toStdString();
    const struct {
        std::vector<std::string> args;
        int status;
    } table[] = {
        {{cut}, 1},
        {{dir.filePath(QStringLiteral("missing.vqd")).toStdString()}, 1},
        {{}, kCommandLineMistake},
        {{ledger.toStdString(), "--hall", "A"}, kCommandLineMistake},
    };
    for (const auto& row : table) {
        const Outcome stores = run(stores_command, row.args);
        EXPECT_EQ(stores.status, row.status);
        EXPECT_EQ(stores.out, "") << "nothing printed of a refused run";
        if (row.status == 1) {
            EXPECT_EQ(run(analyze_command, row.args).status, 1);
        }
    }
}

TEST_F(PlayCommands, TheProgramRunsStoresWithoutAWindow) {
    write_registry(hand_play_registry());
    const QString ledger = write_ledger(QStringLiteral("vq2024.vqd"), hand_play_ledger());
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // no display needed
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(VELMO_EXE), {QStringLiteral("--stores"), ledger});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    // The program's registry is the one beside it, not this one: B's slot store at its visit's rate all the same.
    const std::string out = child.readAllStandardOutput().toStdString();
    EXPECT_NE(out.find("B\tスロット\t20\t1000\t17857\n"), std::string::npos) << out;
    child.start(QStringLiteral(VELMO_EXE), {QStringLiteral("--stores")});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), kCommandLineMistake);
    EXPECT_NE(child.readAllStandardError().toStdString().find("使い方: velmorant --stores"), std::string::npos);
}

}  // namespace
}  // namespace velmo::testing
