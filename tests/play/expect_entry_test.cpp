// The figures of a visit's play where the player sees them: the 実戦データ
// dialog while typing (a pachinko row worked by hand, a slot row weighed between
// two settings, a row of a machine without numbers), the rows it refuses, and
// the CSV export's 回転率, ボーダー, 仕事量 and 運, which an import skips.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/cp932.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/registry_file.h"
#include "ledger/record_build.h"
#include "ledger/record_fields.h"
#include "play/expect_text.h"
#include "play/play_csv.h"
#include "play/play_dialog.h"
#include "shell/beyond_hooks.h"
#include "tests/support/app_fixture.h"
#include "tests/support/private_program.h"
#include "tests/support/typing.h"

namespace velmo::testing {
namespace {

using play::Field;
using play::Kind;
using play::PlayDialog;

// x = 200, M = 1,500 (荒さ 2.0).
play::MachineNumbers pachinko_numbers(const char* name) {
    play::MachineNumbers s;
    s.machine = sj(name);
    s.kind = Kind::Pachinko;
    s.pachinko = {2000, 1500, play::kDefaultSpread};
    return s;
}

// 設定1: 97.0%, BB 1/300, RB 1/400; 設定6: 112.0%, BB and RB 1/250; 300 and 100 medals.
play::MachineNumbers slot_numbers(const char* name) {
    play::MachineNumbers s;
    s.machine = sj(name);
    s.kind = Kind::Slot;
    s.slot[0] = {970, 3000, 4000, 300, 100};
    s.slot[5] = {1120, 2500, 2500, 300, 100};
    return s;
}

play::MachineNumberTable all_numbers() {
    play::MachineNumberTable out;
    play::set_numbers(out, pachinko_numbers("海"));
    play::set_numbers(out, slot_numbers("北斗"));
    return out;
}

class ExpectInDialog : public AppFixture {
protected:
    // A dialog of three rows: 海 and 北斗 with numbers, 花 without.
    std::unique_ptr<PlayDialog> open(play::MachineNumberTable numbers = all_numbers()) {
        play::PlayDialogInput input;
        input.hall = sj("A");
        input.names = {sj("海"), sj("北斗"), sj("花")};
        input.all_numbers = std::move(numbers);
        auto d = std::make_unique<PlayDialog>(std::move(input));
        d->show();
        return d;
    }
    static void type(QLineEdit* edit, const char* text) {
        edit->clear();
        type_text(edit, u(text));
    }
    // A row's kind, rates and counts as the player types them (nullptr: left empty).
    static void fill(PlayDialog& d, int row, int kind, const char* price, const char* rate,
                     std::initializer_list<std::pair<Field, const char*>> counts) {
        d.kind_box(row)->setCurrentIndex(kind);
        type(d.edit(row, Field::LendingPrice), price);
        type(d.edit(row, Field::ExchangeRate), rate);
        for (const auto& [f, text] : counts) type(d.edit(row, f), text);
    }
    static std::vector<std::string> figures(const PlayDialog& d, int row) {
        std::vector<std::string> out;
        for (int c = PlayDialog::kRateColumn; c <= PlayDialog::kSettingColumn; ++c)
            out.push_back(d.computed_text(row, c).toStdString());
        return out;
    }
};

TEST_F(ExpectInDialog, FiguresFollowTheTypingOfEachRow) {
    auto d = open();
    ASSERT_TRUE(d->shows_figures());
    // 海: 10,000円 at 4円 and 28玉 (2,500 balls), 500 spins. r = 50.0, r* = 250 × 4 ÷ (7.5 × 100/28) = 37.3,
    // E = 3,750 × 100/28 − 10,000 = 3,392.9, σ = 100/28 × 1,500 × √5 = 11,978.9.
    fill(*d, 0, 1, "4", "28", {{Field::Cash, "10000"}, {Field::Spins, "500"}});
    // 北斗: 20,000円 at 20円 and 5.6枚 (1,000 medals), 1,000 games, BB 4, RB 4: P(6) = 0.609,
    // E = 0.391 × −3,750 + 0.609 × 4,285.7 = 1,142.8, σ = 100/5.6 × √(1000 × Σ P(s)(p_BB 300² + p_RB 100²)).
    fill(*d, 1, 2, "20", "5.6", {{Field::Cash, "20000"}, {Field::Spins, "1000"}, {Field::Hits, "4"}, {Field::Rb, "4"}});
    // 花 has no numbers: nothing whatever its play.
    fill(*d, 2, 1, "4", "28", {{Field::Cash, "10000"}, {Field::Spins, "500"}});
    const struct {
        int row;
        std::vector<std::string> shown;  // 回転率, ボーダー, ボーダー差, 仕事量, σ, 推定設定
    } cases[] = {
        {0, {"50.0", "37.3", "+12.7", "3,393円", "11,979円", ""}},
        {1, {"", "", "", "1,143円", "10,872円", "設定6（61%）"}},
        {2, {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(figures(*d, c.row), c.shown) << c.row;

    // A correction is followed at once: 1,000 more spins on the same balls, then the rate taken away.
    type(d->edit(0, Field::Spins), "1500");
    EXPECT_EQ(figures(*d, 0), (std::vector<std::string>{"150.0", "37.3", "+112.7", "30,179円", "20,748円", ""}));
    type(d->edit(0, Field::ExchangeRate), "");
    EXPECT_EQ(figures(*d, 0), std::vector<std::string>(6));
}

TEST_F(ExpectInDialog, DialogWithoutNumbersHasNoFigureColumns) {
    auto d = open(play::MachineNumberTable{});
    EXPECT_FALSE(d->shows_figures());
    EXPECT_EQ(d->table->columnCount(), PlayDialog::kPayoutColumn + 1);
    // Numbers of another machine only change nothing either.
    play::MachineNumberTable other;
    play::set_numbers(other, pachinko_numbers("別"));
    EXPECT_EQ(open(other)->table->columnCount(), PlayDialog::kPayoutColumn + 1);
}

// Spins of a machine with numbers need pieces played; the dialog names the
// field and stays open. Without numbers the same row is taken as before.
TEST_F(ExpectInDialog, SpinsWithoutPiecesPlayedAreRefused) {
    const struct {
        int row;  // 0: 海 (numbers), 2: 花 (none)
        std::initializer_list<std::pair<Field, const char*>> counts;
        const char* message;  // nullptr: accepted
        Field focus;
    } cases[] = {
        {0, {{Field::Spins, "300"}}, "1機種目（海）の回転数に打ち込んだ玉がありません（現金投資 + 持ち玉投資 + 出玉 − 終了玉 が 0）",
         Field::Spins},
        {0, {{Field::Spins, "300"}, {Field::HeldIn, "500"}, {Field::EndPieces, "500"}},
         "1機種目（海）の回転数に打ち込んだ玉がありません（現金投資 + 持ち玉投資 + 出玉 − 終了玉 が 0）", Field::Spins},
        {0, {{Field::Spins, "300"}, {Field::EndPieces, "500"}},
         "1機種目（海）の終了玉が打ち込んだ玉（現金投資 + 持ち玉投資 + 出玉）より多くなっています", Field::EndPieces},
        {0, {{Field::Spins, "300"}, {Field::HeldIn, "500"}}, nullptr, Field::Kind},
        {0, {{Field::Spins, "0"}}, nullptr, Field::Kind},  // no spins: nothing to weigh
        {2, {{Field::Spins, "300"}}, nullptr, Field::Kind},
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        auto d = open();
        fill(*d, c.row, 1, "4", "28", c.counts);
        d->accept();
        if (!c.message) {
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{}) << c.row;
            EXPECT_EQ(d->result(), QDialog::Accepted);
            continue;
        }
        ASSERT_EQ(dialogs.texts().size(), 1u);
        EXPECT_EQ(dialogs.texts()[0], u(c.message));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->focusWidget(), d->edit(c.row, c.focus));
        EXPECT_EQ(d->edit(c.row, Field::Spins)->text(), QStringLiteral("300"));  // what was typed stays
    }
}

// ---- The exports ----

LedgerRecord record(int month, int day, const std::vector<MachineEntry>& machines, const play::RecordPlayData& data) {
    const RecordCells c = build_record(machines, month, day);
    LedgerRecord r{c.date, "", "A", c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0};
    if (!data.empty()) play::write_play_data(r.extensions, data);
    return r;
}

play::MachineData played(Kind kind, std::int32_t price, std::int32_t rate, std::int64_t cash, std::int64_t spins) {
    play::MachineData m;
    m.kind = kind;
    m.lending_price = price;
    m.exchange_rate = rate;
    m.cash = cash;
    m.spins = spins;
    return m;
}

// 海 as in the dialog (10,000円 in, nothing back) and 花 without numbers on March 5;
// 北斗 as in the dialog with 5,000円 back on March 6; a record without play data.
LedgerImage year_with_play() {
    play::RecordPlayData first;
    first.machines[0] = played(Kind::Pachinko, 400, 280, 10000, 500);
    first.machines[1] = played(Kind::Pachinko, 400, 280, 1000, 60);
    play::RecordPlayData second;
    second.machines[0] = played(Kind::Slot, 2000, 56, 20000, 1000);
    second.machines[0].hits = 4;
    second.machines[0].rb = 4;
    LedgerImage image;
    image.year = "2004";
    image.records = {record(3, 5, {{sj("海"), "10000", "0"}, {sj("花"), "1000", "0"}}, first),
                     record(3, 6, {{sj("北斗"), "20000", "5000"}}, second),
                     record(3, 7, {{"M", "1000", "0"}}, {})};
    return image;
}

class ExpectCsv : public ::testing::Test {
protected:
    void TearDown() override { play::register_csv_columns(); }  // the program's columns for every later test
    void use(const play::MachineNumberTable& numbers) {
        numbers_ = numbers;
        play::register_csv_columns([this] { return &numbers_; });
    }
    play::MachineNumberTable numbers_;
};

std::vector<std::string> lines_of(const std::string& csv) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find("\r\n", at);
        out.push_back(csv.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

TEST_F(ExpectCsv, YearWithFiguresGainsTheirColumnsAfterThePlayData) {
    play::register_csv_columns();
    const std::vector<std::string> plain = lines_of(export_csv(year_with_play()));
    use(all_numbers());
    const std::vector<std::string> with = lines_of(export_csv(year_with_play()));
    // Each line as without numbers, with 回転率, ボーダー, 仕事量 and 運 (実収支 − 仕事量) after 出玉.
    const char* const added[] = {
        ",回転率,ボーダー,仕事量,運",
        ",50.0,37.3,3393,-13393",  // 海: −10,000 − 3,392.9
        ",,,,",                    // 花: no numbers
        ",,,1143,-16143",          // 北斗: −15,000 − 1,142.8
        ",,,,",                    // no play data
    };
    ASSERT_EQ(with.size(), plain.size());
    ASSERT_EQ(with.size(), std::size(added));
    for (std::size_t i = 0; i < with.size(); ++i) EXPECT_EQ(with[i], plain[i] + added[i]) << i;
}

TEST_F(ExpectCsv, YearWithoutFiguresWritesTheSameBytesAsBefore) {
    play::register_csv_columns();
    LedgerImage without_play = year_with_play();
    for (LedgerRecord& r : without_play.records) r.extensions.clear();
    LedgerImage incomplete = year_with_play();  // play data without exchange rates: no figure to give
    for (LedgerRecord& r : incomplete.records) {
        play::RecordPlayData d = play::read_play_data(r);
        for (play::MachineData& m : d.machines) m.exchange_rate = 0;
        play::write_play_data(r.extensions, d);
    }
    play::MachineNumberTable other;
    play::set_numbers(other, pachinko_numbers("別"));
    const LedgerImage with_play = year_with_play();
    const struct {
        const char* what;
        const LedgerImage& image;
        play::MachineNumberTable numbers;
    } cases[] = {
        {"no numbers at all", with_play, {}},
        {"numbers of other machines", with_play, other},
        {"no play data", without_play, all_numbers()},
        {"play data without rates", incomplete, all_numbers()},
    };
    for (const auto& c : cases) {
        play::register_csv_columns();
        const std::string before = export_csv(c.image);
        use(c.numbers);
        EXPECT_EQ(export_csv(c.image), before) << c.what;
        EXPECT_EQ(before.find("回転率"), std::string::npos) << c.what;
    }
}

TEST_F(ExpectCsv, ExportedFiguresAreSkippedWhenTheFileIsReadBack) {
    use(all_numbers());
    const LedgerImage image = year_with_play();
    std::string csv = export_csv(image);
    ASSERT_NE(csv.find("3393,-13393"), std::string::npos);
    CsvImportTarget target;
    target.year = "2004";
    // As exported, and with the figures changed by hand (to a word, to other numbers) and a
    // figure on the line of a record without play data: none of it is data.
    const char* const figures[] = {"回転率,ボーダー,仕事量,運", "50.0,37.3,abc,1", ",,,", "x,y,9,9", "1,2,3,4"};
    std::string edited = "\xEF\xBB\xBF";
    const std::vector<std::string> lines = lines_of(csv.substr(3));
    ASSERT_EQ(lines.size(), std::size(figures));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::size_t cut = lines[i].size();
        for (int k = 0; k < 4; ++k) cut = lines[i].rfind(',', cut - 1);
        edited += lines[i].substr(0, cut + 1) + figures[i] + "\r\n";
    }
    for (const std::string* file : {&csv, &edited}) {
        const CsvImport back = read_csv_import(*file, target);
        ASSERT_EQ(back.problems.size(), 0u) << back.problems.front().reason.toStdString();
        EXPECT_EQ(back.ignored_columns, std::vector<QString>{});
        ASSERT_EQ(back.records.size(), image.records.size());
        for (std::size_t i = 0; i < image.records.size(); ++i) {
            EXPECT_EQ(play::read_play_data(back.records[i]), play::read_play_data(image.records[i])) << i;
            EXPECT_EQ(back.records[i].detail, image.records[i].detail) << i;
            EXPECT_EQ(back.records[i].extensions, image.records[i].extensions) << i;
        }
    }
}

// The window's exports use the numbers the player keeps, as they stand at the export.
TEST_F(ExpectInDialog, WindowExportUsesThePlayersNumbers) {
    const LedgerImage image = year_with_play();
    const std::string plain = export_csv(image);
    EXPECT_EQ(plain.find("回転率"), std::string::npos);
    form1->player_settings().set(all_numbers());
    const std::string with = export_csv(image);
    EXPECT_NE(with.find(",50.0,37.3,3393,-13393\r\n"), std::string::npos);
    form1->player_settings().set(play::MachineNumberTable{});
    EXPECT_EQ(export_csv(image), plain);
}

// --export-csv reads the numbers from the user's registry, as the window's export
// uses the player's settings; without a registry it writes what it always wrote.
TEST_F(ExpectCsv, CommandLineExportUsesTheNumbersOfTheRegistry) {
    register_settings_records();
    PrivateProgram copy;
    ASSERT_FALSE(copy.path().isEmpty());
    QTemporaryDir work;
    const QString ledger = work.filePath(QStringLiteral("vq2004.vqd"));
    const auto put = [](const QString& path, const std::string& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    };
    put(ledger, encode_ledger(year_with_play()));
    const auto exported = [&] {
        QProcess p;
        QProcessEnvironment env = program_environment(work.path());
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        p.setProcessEnvironment(env);
        p.start(copy.path(), {QStringLiteral("--export-csv"), ledger});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.readAllStandardOutput().toStdString();
    };
    DecodedLedger file;
    ASSERT_EQ(decode_ledger(encode_ledger(year_with_play()), file), DecodeResult::Ok);
    const LedgerImage image = ledger_image_of(file);
    play::register_csv_columns();
    const std::string plain = export_csv(image);
    EXPECT_EQ(exported(), plain);

    Registry reg;
    reg.machines = {sj("海"), sj("北斗")};
    reg.settings.set(all_numbers());
    put(copy.file(QStringLiteral("velmo.lst")), encode_registry(reg));
    use(all_numbers());
    const std::string with = export_csv(image);
    ASSERT_NE(with, plain);
    EXPECT_EQ(exported(), with);
}

}  // namespace
}  // namespace velmo::testing
