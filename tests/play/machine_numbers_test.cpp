// Machine numbers: their registry records, how they follow the registry's
// machines, the CSV import, the command-line modes, and the 期待値 chart.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "framework/cp932.h"
#include "framework/draw.h"
#include "framework/instance_lock.h"
#include "ledger/registry_file.h"
#include "play/expect_chart.h"
#include "play/machine_numbers.h"
#include "play/numbers_csv.h"
#include "play/numbers_dialog.h"
#include "entry/tform3.h"
#include "tests/support/app_fixture.h"
#include <functional>
#include "shell/beyond_hooks.h"
#include "tests/support/private_program.h"

namespace velmo::testing {
namespace {

using play::Kind;
using play::MachineNumbers;
using play::MachineNumberTable;

MachineNumbers pachinko(const std::string& name, std::int32_t odds, std::int32_t mean) {
    MachineNumbers s;
    s.machine = name;
    s.kind = Kind::Pachinko;
    s.pachinko = {odds, mean, 20};
    return s;
}

MachineNumbers slot(const std::string& name) {
    MachineNumbers s;
    s.machine = name;
    s.kind = Kind::Slot;
    s.slot[0] = {970, 2871, 4369, 252, 96};
    s.slot[5] = {1100, 2400, 2400, 252, 96};
    return s;
}

TEST(MachineNumberRecords, WrittenBeforeTheEndByteOnlyWhenSet) {
    register_settings_records();
    Registry reg;
    reg.machines = {"A", "B"};
    const std::string without = encode_registry(reg);
    EXPECT_EQ(encode_registry(decode_registry(without)), without);
    MachineNumberTable all_numbers;
    all_numbers.machines = {pachinko("A", 3197, 1380), slot("B")};
    reg.settings.set(all_numbers);
    const std::string with = encode_registry(reg);
    // 43 L "A" 00000C7D 00000564 0014; 44 L "B" 01 03CA 000B37 001111 00FC 0060; 44 ... 06 ...
    const std::string p = std::string("\x43\x0C\x01" "A\x00\x00\x0C\x7D\x00\x00\x05\x64\x00\x14", 14);
    const std::string s1 = std::string("\x44\x0F\x01" "B\x01\x03\xCA\x00\x0B\x37\x00\x11\x11\x00\xFC\x00\x60", 17);
    ASSERT_GT(with.size(), without.size());
    EXPECT_EQ(with.substr(without.size() - 1, p.size() + s1.size()), p + s1);
    const Registry back = decode_registry(with);
    EXPECT_FALSE(back.damaged);
    EXPECT_EQ(back.settings.get<MachineNumberTable>(), all_numbers);
    EXPECT_EQ(encode_registry(back), with);
    // Records this version does not read stay as they are: no mean payout, setting 7, cut short.
    for (const std::string& bad : {std::string("\x43\x0C\x01" "A\x00\x00\x0C\x7D\x00\x00\x00\x00\x00\x14", 14),
                                   std::string("\x44\x0F\x01" "B\x07\x03\xCA\x00\x0B\x37\x00\x11\x11\x00\xFC\x00\x60", 17),
                                   std::string("\x44\x03\x01" "BC", 5)}) {
        const std::string file = without.substr(0, without.size() - 1) + bad + "\xFF";
        const Registry kept = decode_registry(file);
        EXPECT_EQ(kept.settings.get<MachineNumberTable>(), MachineNumberTable{});
        EXPECT_EQ(encode_registry(kept), file);
    }
    // The longest name keeps a record within the 54 bytes every reader holds.
    const std::string longest(play::kMaxMachineName, 'x');
    play::SlotSetting most{play::kMaxPayoutRatio, play::kMaxOdds, play::kMaxOdds, play::kMaxMedals, play::kMaxMedals};
    EXPECT_LE(play::encode_slot_record(longest, 6, most).size(), kRegistryRecordMax);
    EXPECT_EQ(play::decode_numbers_record(play::kSlotNumbersType, play::encode_slot_record(longest, 6, most))->slot[5], most);
}

TEST(MachineNumberRecords, FollowTheMachinesOfTheRegistry) {
    const MachineNumberTable base{{pachinko("A", 3197, 1380), slot("B")}};
    struct Case {
        const char* what;
        const char* old_name;
        std::optional<std::string> new_name;
        std::vector<std::string> listed;
        std::vector<std::string> want;  // machines with numbers, in order
    } cases[] = {
        {"renamed", "A", "C", {"C", "B"}, {"B", "C"}},
        {"renamed onto one with numbers", "A", "B", {"B", "B"}, {"B"}},
        {"deleted", "B", std::nullopt, {"A"}, {"A"}},
        {"deleted while listed twice", "B", std::nullopt, {"A", "B"}, {"A", "B"}},
        {"renamed while listed twice: a copy", "A", "C", {"A", "C", "B"}, {"A", "B", "C"}},
    };
    for (const Case& c : cases) {
        MachineNumberTable s = base;
        play::follow_machine(s, c.old_name, c.new_name, c.listed);
        std::vector<std::string> names;
        for (const MachineNumbers& m : s.machines) names.push_back(m.machine);
        EXPECT_EQ(names, c.want) << c.what;
    }
    MachineNumberTable onto = base;
    play::follow_machine(onto, "A", std::string("B"), std::vector<std::string>{"B", "B"});
    EXPECT_EQ(onto.of("B")->kind, Kind::Pachinko) << "the new name's numbers are replaced";
}

TEST(NumbersCsv, ReadsWhatPlayersCopy) {
    const std::string csv =
        "\xEF\xBB\xBF" "種別,機種,大当たり確率,平均出玉,荒さ,設定,機械割,BB確率,RB確率,BB枚数,RB枚数,備考\r\n"
        "パチンコ,海A,1/319.7,\"1,380\",,,,,,,,甘\r\n"
        "パチンコ,ミドルB,１／１９９．８,１５００玉,3.5,,,,,,,\r\n"
        "スロット,ジャグ,,,,1,97.0%,1/287.4,1/455.1,252,96,\r\n"
        "スロット,ジャグ,,,,6,110.0,255.0,255.0,252,96,\r\n";
    const play::NumbersImport in = play::read_numbers_csv(csv);
    ASSERT_EQ(in.problem_count, 0u) << in.problems.front().reason.toStdString();
    ASSERT_EQ(in.machines.size(), 3u);
    EXPECT_EQ(in.machines[0].pachinko, (play::PachinkoNumbers{3197, 1380, 20}));
    EXPECT_EQ(in.machines[1].pachinko, (play::PachinkoNumbers{1998, 1500, 35}));
    EXPECT_EQ(in.machines[2].slot[0], (play::SlotSetting{970, 2874, 4551, 252, 96}));
    EXPECT_EQ(in.machines[2].slot[5], (play::SlotSetting{1100, 2550, 2550, 252, 96}));
    // Into the registry: the numbers replace a machine's old ones, new machines at the end.
    MachineNumberTable all_numbers{{slot("海A")}};
    std::vector<std::string> machines = {"ジャグ"};
    for (MachineNumbers& m : all_numbers.machines) m.machine = *to_cp932(QString::fromUtf8(m.machine.c_str()));
    machines[0] = *to_cp932(QStringLiteral("ジャグ"));
    const auto added = play::apply_numbers_import(in, all_numbers, machines);
    EXPECT_EQ(added.size(), 2u);
    ASSERT_EQ(machines.size(), 3u);
    EXPECT_EQ(machines[1], *to_cp932(QStringLiteral("海A")));
    EXPECT_EQ(all_numbers.of(machines[1])->kind, Kind::Pachinko);
    // --specs prints them in the registry's order, in the import's columns.
    const std::string text = play::numbers_text(all_numbers, machines);
    EXPECT_EQ(text,
              "機種\t種別\t大当たり確率\t平均出玉\t荒さ\t設定\t機械割\tBB確率\tRB確率\tBB枚数\tRB枚数\n"
              "ジャグ\tスロット\t\t\t\t1\t97.0\t1/287.4\t1/455.1\t252\t96\n"
              "ジャグ\tスロット\t\t\t\t6\t110.0\t1/255.0\t1/255.0\t252\t96\n"
              "海A\tパチンコ\t1/319.7\t1380\t2.0\t\t\t\t\t\t\n"
              "ミドルB\tパチンコ\t1/199.8\t1500\t3.5\t\t\t\t\t\t\n");
}

TEST(NumbersCsv, RefusesAFaultyFileWhole) {
    const std::string head = "機種,種別,大当たり確率,平均出玉,設定,機械割\n";
    struct Case {
        const char* what;
        std::string csv;
        const char* reason;
    } cases[] = {
        {"no kind column", "機種,大当たり確率\nA,1/319.7\n", "列「種別」がありません"},
        {"an unknown kind", head + "A,アレンジ,1/99,1000,,\n", "列「種別」はパチンコかスロットにしてください"},
        {"no probability", head + "A,パチンコ,,1000,,\n", "列「大当たり確率」が空です"},
        {"a probability that is no number", head + "A,パチンコ,1/abc,1000,,\n", "列「大当たり確率」の値が読めないか、範囲を超えています"},
        {"setting 7", head + "A,スロット,,,7,100.0\n", "列「設定」の値が読めないか、範囲を超えています"},
        {"a setting twice", head + "A,スロット,,,1,100.0\nA,スロット,,,1,101.0\n", "機種「A」の設定 1 は 2 行目にもあります"},
        {"a machine twice", head + "A,パチンコ,1/99,1000,,\nA,パチンコ,1/99,1000,,\n", "機種「A」は 2 行目にもあります"},
        {"no machine", head, "機種の行がありません"},
    };
    for (const Case& c : cases) {
        const play::NumbersImport in = play::read_numbers_csv(c.csv);
        ASSERT_FALSE(in.problems.empty()) << c.what;
        EXPECT_TRUE(in.machines.empty()) << c.what;
        EXPECT_EQ(in.problems.front().reason.toStdString(), c.reason) << c.what;
    }
}

QString run(const PrivateProgram& copy, const QTemporaryDir& work, const QStringList& args, int& status, QString* out = nullptr) {
    QProcess p;
    p.setProcessEnvironment(program_environment(work.path()));
    p.start(copy.path(), args);
    p.waitForFinished(60000);
    status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
    return QString::fromUtf8(p.readAllStandardError());
}

TEST(NumbersCommands, ImportUnderTheLockAndPrint) {
    register_settings_records();  // to read back what the program wrote
    PrivateProgram copy;
    ASSERT_FALSE(copy.path().isEmpty());
    QTemporaryDir work;
    const QString lst = copy.file(QStringLiteral("velmo.lst"));
    Registry reg;
    reg.machines = {*to_cp932(QStringLiteral("海A"))};
    reg.masks = std::vector<std::uint16_t>{5};
    const std::string before = encode_registry(reg);
    {
        QFile f(lst);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before.data(), static_cast<qint64>(before.size()));
    }
    const QString csv = work.filePath(QStringLiteral("all_numbers.csv"));
    auto write_csv = [&](const std::string& text) {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), static_cast<qint64>(text.size()));
    };
    auto lst_bytes = [&] {
        QFile f(lst);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
    };
    int status = 0;
    // A faulty file: messages, status 1, nothing changed.
    write_csv("機種,種別,大当たり確率,平均出玉\n海A,パチンコ,1/0,1380\n");
    EXPECT_NE(run(copy, work, {QStringLiteral("--import-specs"), csv}, status), QString());
    EXPECT_EQ(status, 1);
    EXPECT_EQ(lst_bytes(), before);
    // While the program runs: status 1, nothing changed.
    write_csv("機種,種別,大当たり確率,平均出玉\n海A,パチンコ,319.7,1380\n新台,パチンコ,99.9,1000\n");
    {
        InstanceLock held;
        ASSERT_EQ(held.acquire_in(copy.folder(), QStringLiteral("velmo")).state, LockState::Acquired);
        EXPECT_NE(run(copy, work, {QStringLiteral("--import-specs"), csv}, status), QString());
        EXPECT_EQ(status, 1);
        EXPECT_EQ(lst_bytes(), before);
    }
    EXPECT_EQ(run(copy, work, {QStringLiteral("--import-specs"), csv}, status), QString());
    EXPECT_EQ(status, 0);
    const Registry after = decode_registry(lst_bytes());
    ASSERT_EQ(after.machines.size(), 2u);
    EXPECT_EQ(after.machines[1], *to_cp932(QStringLiteral("新台")));
    EXPECT_EQ(after.masks, (std::vector<std::uint16_t>{5, 0}));
    EXPECT_EQ(after.settings.get<MachineNumberTable>().machines.size(), 2u);
    QString out;
    EXPECT_EQ(run(copy, work, {QStringLiteral("--specs")}, status, &out), QString());
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(out.contains(QStringLiteral("海A\tパチンコ\t1/319.7\t1380\t2.0"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("新台\tパチンコ\t1/99.9\t1000\t2.0"))) << out.toStdString();
    run(copy, work, {QStringLiteral("--import-specs")}, status);
    EXPECT_EQ(status, 2);
}

// The chart of a year: bands around the 仕事量 line, drawn at twice the pixels on a
// scaled screen, its texts inside the picture. VELMO_CHART_PNG keeps a copy to look at.
TEST(ExpectChartPaint, BandsAroundTheWorkLine) {
    std::vector<play::ExpectPoint> points;
    long double bal = 0, work = 0, var = 0;
    std::vector<QString> dates;
    for (int i = 0; i < 120; ++i) {
        work += 900;
        var += 4.0e7L;
        bal += 900 + ((i * 7919) % 23 - 11) * 2500.0L;
        points.push_back({static_cast<std::uint32_t>(i), bal, work, std::sqrt(var)});
        dates.push_back(QStringLiteral("2024/%1/%2").arg(1 + i / 10).arg(1 + i % 28));
    }
    play::ExpectChartData data{points, dates, {}};
    data.figures.counted = 240;
    data.figures.work = 108000;
    data.figures.luck = std::llround(bal - work);
    data.figures.luck_sd = std::llround(std::sqrt(var));
    QImage image(QSize(800, 420) * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    {
        QPainter p(&image);
        play::paint_expect_chart(p, QRect(0, 0, 800, 420), data);
    }
    if (!qEnvironmentVariableIsEmpty("VELMO_CHART_PNG")) image.save(qEnvironmentVariable("VELMO_CHART_PNG"));
    // The start: 0 on the 仕事量 line with no band; at the end the band is wide and tinted.
    const double plot_left = 6 + 76, plot_right = 800 - 6 - 12;
    int tinted = 0;
    for (int y = 40; y < 360; ++y) {
        const QColor c = image.pixelColor(static_cast<int>((plot_right - 3) * 2), y * 2);
        if (c != QColor(Qt::white) && c.blue() > c.red()) ++tinted;
    }
    EXPECT_GT(tinted, 60);
    EXPECT_NE(image.pixelColor(static_cast<int>(plot_left * 2) - 1, 200 * 2), QColor(Qt::white));  // the axis
    // Under the plot three lines of text, each at least two pixels apart from the next: the
    // dates, the totals, the count.
    int lines = 0;
    int white_rows = 4;
    for (int y = 370 * 2; y < 420 * 2; ++y) {  // under the plot
        bool ink = false;
        for (int x = static_cast<int>(plot_left + 2) * 2; x < 300 * 2 && !ink; ++x) ink = image.pixelColor(x, y) != QColor(Qt::white);
        if (ink && white_rows >= 4) ++lines;
        white_rows = ink ? 0 : white_rows + 1;
    }
    EXPECT_EQ(lines, 3);
    // Nothing to draw: a sentence, no axis.
    QImage empty(400, 200, QImage::Format_RGB32);
    {
        QPainter p(&empty);
        play::paint_expect_chart(p, empty.rect(), {});
    }
    int ink = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) ink += empty.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_GT(ink, 50);
}

}  // namespace
}  // namespace velmo::testing

namespace velmo::testing {
namespace {

class MachineNumbersUse : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        register_settings_records();
        start_empty_2004_ledger();
        form3->PageControl1->setCurrentWidget(form3->TabSheet2);
        for (const char* m : {"ジャグ", "海A"}) {
            form3->Edit2->setText(u(m));
            form3->Button1Click();
        }
    }
    const MachineNumberTable& all_numbers() const { return form1->player_settings().get<MachineNumberTable>(); }
    static std::string name(const char* utf8) { return *to_cp932(u(utf8)); }
    // Opens 機種のスペック from the menu, lets fill use it and presses OK; a
    // refused box leaves the dialog open, and it is then cancelled.
    void set_all_numbers(std::function<void(play::NumbersDialog&)> fill) {
        QTimer::singleShot(0, form1.get(), [=, this] {
            auto* dialog = qobject_cast<play::NumbersDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            fill(*dialog);
            dialog->accept();
            if (dialog->isVisible()) dialog->reject();
        });
        form1->findChild<QAction*>(QStringLiteral("machine_numbers_action"))->trigger();
    }
};

TEST_F(MachineNumbersUse, TypedImportedRenamedDeletedAndKept) {
    set_all_numbers([](play::NumbersDialog& d) {
        ASSERT_EQ(d.machine_list->count(), 2);  // 海A, ジャグ as the registry lists them
        d.kind_box->setCurrentIndex(1);
        d.odds_edit->setText(u("１／３１９．７"));
        d.mean_edit->setText(QStringLiteral("1380"));
        d.machine_list->setCurrentRow(1);
        d.kind_box->setCurrentIndex(2);
        d.slot_edit(5, 0)->setText(QStringLiteral("110.0%"));
        d.slot_edit(5, 1)->setText(QStringLiteral("1/255"));
        d.slot_edit(5, 2)->setText(QStringLiteral("255"));
        if (!qEnvironmentVariableIsEmpty("VELMO_DIALOG_PNG")) d.grab().save(qEnvironmentVariable("VELMO_DIALOG_PNG"));
    });
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_NE(all_numbers().of(name("海A")), nullptr);
    EXPECT_EQ(all_numbers().of(name("海A"))->pachinko, (play::PachinkoNumbers{3197, 1380, 20}));
    EXPECT_EQ(all_numbers().of(name("ジャグ"))->slot[5], (play::SlotSetting{1100, 2550, 2550, 0, 0}));

    // A probability without its payout is refused, naming the machine; nothing changes.
    const MachineNumberTable before = all_numbers();
    set_all_numbers([](play::NumbersDialog& d) { d.mean_edit->setText(QStringLiteral("abc")); });
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0], u("海Aの平均出玉が正しくありません"));
    dialogs.shown.clear();
    EXPECT_EQ(all_numbers(), before);

    // A CSV import: the numbers of a machine replaced, a new machine at the end of the registry.
    write_bytes(QStringLiteral("all_numbers.csv"), "機種,種別,大当たり確率,平均出玉\n海A,パチンコ,99.9,1000\n新台,パチンコ,199.8,1500\n");
    dialogs.files.push_back(path(QStringLiteral("all_numbers.csv")));
    set_all_numbers([](play::NumbersDialog& d) { d.import_csv(); });
    EXPECT_EQ(all_numbers().of(name("海A"))->pachinko.odds, 999);
    ASSERT_EQ(form3->ListBox2->count(), 3);
    EXPECT_EQ(form3->ListBox2->item(2)->text(), u("新台"));
    EXPECT_EQ(form1->attr_mask.size(), 3u);

    // Renamed in the registry dialog: the numbers go with the name.
    form3->ListBox2->setCurrentRow(0);
    form3->Edit2->setText(u("海B"));
    form3->Button2Click();
    EXPECT_EQ(all_numbers().of(name("海A")), nullptr);
    ASSERT_NE(all_numbers().of(name("海B")), nullptr);
    EXPECT_EQ(all_numbers().of(name("海B"))->pachinko.odds, 999);
    // Deleted: they go with it.
    form3->ListBox2->setCurrentRow(1);
    form3->Button3Click();
    EXPECT_EQ(all_numbers().of(name("ジャグ")), nullptr);

    // Kept in velmo.lst and read back on the next start.
    ASSERT_TRUE(save_registry_file());
    const MachineNumberTable kept = all_numbers();
    form1->player_settings().load({}, {});
    read_registry();
    EXPECT_EQ(all_numbers(), kept);
    EXPECT_EQ(kept.machines.size(), 2u);
}

}  // namespace
}  // namespace velmo::testing
