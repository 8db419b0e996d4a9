// velmorant --import-csv: the records of a CSV file added to a ledger file
// without a window, as the window's import adds them; on every fault the ledger
// keeps its bytes, and a save killed at any step leaves the old or the new ones.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "framework/cp932.h"
#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "ledger/csv_cli.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_csv.h"
#include "ledger/record_build.h"
#include "play/play_csv.h"
#include "play/play_data.h"
#include "tests/support/private_program.h"

namespace velmo::play {
namespace {

using testing::PrivateProgram;

const std::string kGoodCsv =
    "日付,ホール名,機種,投資,回収,開始,終了,種別,貸玉料金,交換率,現金投資,終了玉,貯玉預入,回転数\r\n"
    "2004/3/20,A,海,10000,,10:00,12:30,パチンコ,4,28,10000,2500,2500,350\r\n"
    "2004/3/1,B,山,3000,500,,,,,,,,,90\r\n";

std::string ledger_bytes() {
    LedgerImage image;
    image.year = "2004";
    const RecordCells c = build_record({{"M", "1000", "0"}}, 3, 10);
    image.records.push_back({c.date, "", "A", c.machines, c.detail, c.totals, std::to_string(c.balance), "", 0});
    return encode_ledger(image);
}

std::string file_bytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

void put(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class ImportCsvCommand : public ::testing::Test {
protected:
    struct Run {
        int code = -1;
        QString out, err;
    };
    Run run(const QStringList& args) {
        QProcessEnvironment env = testing::program_environment(data.path());
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(program.path(), QStringList{QStringLiteral("--import-csv")} + args);
        Run r;
        if (!p.waitForFinished(60000)) return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    QString at(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
    QTemporaryDir data;
    PrivateProgram program;
};

TEST_F(ImportCsvCommand, AddsTheRecordsInDateOrderWithTheirPlayData) {
    put(at("vq2004.vqd"), ledger_bytes());
    put(at("in.csv"), kGoodCsv);
    const Run r = run({at("vq2004.vqd"), at("in.csv")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u("2 件の記録を追加しました\n"));
    EXPECT_EQ(r.err, QString());

    DecodedLedger file;
    HeldLedger held;
    ASSERT_EQ(decode_held_ledger(file_bytes(at("vq2004.vqd")), file, held), DecodeResult::Ok);
    ASSERT_FALSE(file.damaged());
    ASSERT_EQ(held.records.size(), 3u);
    // 3/1 before the ledger's 3/10, 3/20 after it, as the window places them.
    EXPECT_EQ(held.records[0].hall, "B");
    EXPECT_EQ(held.records[1].hall, "A");
    EXPECT_EQ(held.records[2].hall, "A");
    EXPECT_EQ(held.records[2].balance, std::to_string(8929 - 10000));  // 回収 from 2,500 balls at 28玉
    const RecordPlayData d = read_play_data(held.records[2]);
    EXPECT_EQ(d.time, (VisitTime{600, 750}));
    EXPECT_EQ(d.machines[0].store_in, 2500);
    EXPECT_EQ(read_play_data(held.records[0]).machines[0].spins, 90);

    // The store now holds the 2,500 balls: a later visit may take them out, not one more.
    put(at("out.csv"), "日付,ホール名,機種,投資,回収,種別,貸玉料金,交換率,持ち玉投資,貯玉引出\r\n"
                       "2004/3/25,A,海,,0,P,4,28,2501,2501\r\n");
    const std::string before = file_bytes(at("vq2004.vqd"));
    const Run over = run({at("vq2004.vqd"), at("out.csv")});
    EXPECT_EQ(over.code, 1);
    EXPECT_TRUE(over.err.contains(u("2行目: 貯玉引出が貯玉残高（2,500）より多くなっています"))) << over.err.toStdString();
    EXPECT_EQ(file_bytes(at("vq2004.vqd")), before);
}

TEST_F(ImportCsvCommand, EveryFaultExitsWithStatusAndLeavesTheLedgerAsItWas) {
    const std::string good = ledger_bytes();
    const struct {
        const char* name;
        std::string ledger;  // "<missing>": no ledger file
        std::string csv;
        bool lock_held;
        QStringList args;  // empty: the ledger and the file
        int code;
        const char* said;
    } cases[] = {
        {"faulty line", good, "日付,ホール名,機種,投資,回収,回転数\r\n2004/3/1,A,M,0,0,1\r\n2004/3/2,A,M,0,0,-1\r\n", false, {}, 1,
         "3行目: 回転数が0以上の整数ではありません"},
        {"pieces disagree", good, "日付,ホール名,機種,投資,回収,交換率,終了玉\r\n2004/3/2,A,M,0,5000,28,280\r\n", false, {}, 1,
         "2行目: 回収が実戦データから計算した額（1000）と合いません"},
        {"damaged ledger", good.substr(0, good.size() - 3), kGoodCsv, false, {}, 1, "壊れています"},
        {"missing ledger", "<missing>", kGoodCsv, false, {}, 1, "がありません"},
        {"missing file", good, "<missing>", false, {}, 1, "を開けません"},
        {"program running", good, kGoodCsv, true, {}, 1, "実行中です"},
        {"no file named", good, kGoodCsv, false, {QStringLiteral("vq2004.vqd")}, 2, "読み込むCSVファイルがありません"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(at("vq2004.vqd"));
        QFile::remove(at("in.csv"));
        if (c.ledger != "<missing>") put(at("vq2004.vqd"), c.ledger);
        if (c.csv != "<missing>") put(at("in.csv"), c.csv);
        InstanceLock lock;
        if (c.lock_held) {
            ASSERT_EQ(lock.acquire_in(program.folder(), QStringLiteral("velmo")).state, LockState::Acquired);
        }
        const Run r = run(c.args.isEmpty() ? QStringList{at("vq2004.vqd"), at("in.csv")} : c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.said))) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
        EXPECT_EQ(file_bytes(at("vq2004.vqd")), c.ledger);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("vq2004")).size(),
                  c.ledger == "<missing>" ? 0 : 1);
    }
}

// A save killed before each of its steps, with the ledger under one name and
// under two (rewritten in place): the ledger holds the old bytes or the new
// ones, or, rewritten in place, the copy of the old bytes lies beside it.
TEST_F(ImportCsvCommand, KilledDuringItsSaveLeavesTheOldOrTheNewLedger) {
    register_csv_columns();
    set_program_dir(data.path());  // the lock apart from every other test's
    const QString ledger = at("vq2004.vqd");
    const QByteArray ledger_name = QFile::encodeName(ledger);
    const QByteArray csv_name = QFile::encodeName(at("in.csv"));
    put(at("in.csv"), kGoodCsv);
    const std::string old_bytes = ledger_bytes();

    enum class Ending { Completed, Killed, Other };
    const auto import_in_child = [&](std::optional<int> kill_at) {
        const pid_t child = ::fork();
        if (child == 0) {
            SaveSteps steps;
            steps.kill_at = kill_at;
            steps.chunk = 16;
            set_save_steps(&steps);
            const char* args[] = {ledger_name.constData(), csv_name.constData()};
            if (!std::freopen("/dev/null", "w", stdout)) ::_exit(3);
            ::_exit(import_csv_command(2, args));
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return Ending::Other;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Ending::Completed;
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Ending::Killed;
        return Ending::Other;
    };
    const auto reset = [&](bool linked) {
        QDir d(dir.path());
        for (const QString& e : d.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (e != QStringLiteral("in.csv")) d.remove(e);
        put(ledger, old_bytes);
        if (linked) {
            ASSERT_EQ(::link(ledger_name.constData(), QFile::encodeName(at("other")).constData()), 0);
        }
    };

    reset(false);
    ASSERT_EQ(import_in_child(std::nullopt), Ending::Completed);
    const std::string new_bytes = file_bytes(ledger);
    ASSERT_NE(new_bytes, old_bytes);

    for (const bool linked : {false, true}) {
        bool completed = false;
        for (int step = 1; step < 200 && !completed; ++step) {
            SCOPED_TRACE((linked ? "two names, step " : "one name, step ") + std::to_string(step));
            reset(linked);
            const Ending e = import_in_child(step);
            ASSERT_NE(e, Ending::Other);
            completed = e == Ending::Completed;
            const std::string now = file_bytes(ledger);
            if (now == old_bytes || now == new_bytes) continue;
            ASSERT_TRUE(linked) << "a ledger replaced by a rename is never neither";
            ASSERT_TRUE(has_interrupted_save(ledger));
            EXPECT_EQ(file_bytes(interrupted_save_copy(ledger)), old_bytes);
        }
        EXPECT_TRUE(completed);
    }
    set_program_dir(QString());
}

}  // namespace
}  // namespace velmo::play
