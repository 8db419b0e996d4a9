// A save killed at any step of its writing loses nothing: for the ledger, the
// registry and the lifetime records, each with one name (replaced by a rename)
// and with two (rewritten in place), a child process saves new bytes over old
// ones and is killed before its N-th step, for every N; the next start shows
// the old or the new content exactly, or offers the copy of the old bytes,
// which restores them. Never a file that is neither.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/ledger_gen.h"
#include "framework/cp932.h"
#include "framework/runtime.h"
#include "framework/save_dialogs.h"
#include "ledger/ledger_codec.h"
#include "ledger/registry_file.h"
#include "records/records_codec.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

enum class Ending { Completed, Killed, Other };

class KillDuringSave : public AppFixture {
public:
    // Each file read as a start reads it; what the windows then hold, as the file's bytes.
    std::string start_ledger() {
        form1->year_text = "2004";
        load(path(QStringLiteral("vq2004.vqd")));
        return encode_ledger(form1->ledger_image());
    }
    std::string start_registry() {
        read_registry();
        return encode_registry(registry_from_windows());
    }
    std::string start_records() {
        form5.reset();
        form5 = std::make_unique<TForm5>();  // reads the file, as at start
        return encode_records(form5->records_image());
    }

protected:
    QString at(const QString& name) const { return path(name); }
    std::string local(const QString& name) const { return QFile::encodeName(path(name)).toStdString(); }

    // The folder holds only the file, with old bytes, and its second name when linked.
    void reset(const QString& name, const std::string& bytes, bool linked) {
        QDir d(dir.path());
        for (const QString& e : d.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (e.contains(name) || e == QStringLiteral("other")) d.remove(e);
        write_bytes(name, bytes);
        if (linked) {
            ASSERT_EQ(::link(local(name).c_str(), local(QStringLiteral("other")).c_str()), 0);
        }
    }

    // Saves bytes over the file in a child process killed before its step kill_at.
    Ending save_in_child(const QString& name, const std::string& bytes, int kill_at, std::size_t chunk) {
        const pid_t child = ::fork();
        if (child == 0) {
            SaveSteps steps;
            steps.kill_at = kill_at;
            steps.chunk = chunk;
            set_save_steps(&steps);
            ::_exit(write_file_atomic(at(name), bytes) ? 0 : 1);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return Ending::Other;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Ending::Completed;
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Ending::Killed;
        return Ending::Other;
    }

    // Names in the folder that belong to the file (its own, hidden copies, kept copies).
    QStringList names_of(const QString& name) const {
        QStringList out;
        for (const QString& e : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
            if (e.contains(name)) out << e;
        return out;
    }
};

struct Kind {
    const char* name;
    std::string old_bytes;
    std::string new_bytes;
    std::string (KillDuringSave::*start)();
};

LedgerImage ledger_of(int records) {
    bench::LedgerShape shape;
    shape.records = records;
    shape.machines = 2;
    shape.extra = false;
    return bench::generated_ledger("2004", shape);
}

RecordsImage records_of(int years) {
    RecordsImage image;
    image.total_text = cp932_literal(u8"生涯収支 ＋1500");
    image.win_text = cp932_literal(u8"3勝1敗 75％");
    for (int y = 0; y < years; ++y)
        image.tables[0].push_back({std::to_string(2000 + y) + cp932_literal(u8"年"), "1000", "2500", "1500", "1500",
                                   cp932_literal(u8"3勝1敗 75％")});
    return image;
}

TEST_F(KillDuringSave, EveryKillPointLeavesTheOldOrTheNewContentOrOffersTheCopy) {
    // A deletion: the new ledger is shorter, so a torn file is new bytes before the old tail.
    LedgerImage deleted = ledger_of(30);
    const std::string old_ledger = encode_ledger(deleted);
    deleted.records.erase(deleted.records.begin() + 20);
    Registry added = bench::generated_registry();
    const std::string old_registry = encode_registry(added);
    added.halls.insert(added.halls.begin(), cp932_literal(u8"新しいホール"));

    const std::vector<Kind> kinds = {
        {"vq2004.vqd", old_ledger, encode_ledger(deleted),
         &KillDuringSave::start_ledger},
        {"velmo.lst", old_registry, encode_registry(added),
         &KillDuringSave::start_registry},
        {"velmo.rcd", encode_records(records_of(3)), encode_records(records_of(4)),
         &KillDuringSave::start_records},
    };
    const QString interrupted = u(" の前回の保存は途中で終わっています");
    for (const Kind& kind : kinds) {
        const QString name = QString::fromLatin1(kind.name);
        // What a start shows of each whole file.
        reset(name, kind.old_bytes, false);
        const std::string shows_old = (this->*kind.start)();
        reset(name, kind.new_bytes, false);
        const std::string shows_new = (this->*kind.start)();
        ASSERT_NE(shows_old, shows_new) << kind.name;
        ASSERT_TRUE(dialogs.shown.empty()) << kind.name;
        // Three writes to a file, so that kills fall inside it.
        const std::size_t chunk = kind.new_bytes.size() / 3 + 1;
        for (const bool linked : {false, true}) {
            int offered = 0;
            bool completed = false;
            for (int kill_at = 1; kill_at < 60 && !completed; ++kill_at) {
                const std::string where = std::string(kind.name) + (linked ? " linked" : " alone") + ", killed before step " +
                                          std::to_string(kill_at);
                reset(name, kind.old_bytes, linked);
                const Ending ending = save_in_child(name, kind.new_bytes, kill_at, chunk);
                ASSERT_NE(ending, Ending::Other) << where;
                completed = ending == Ending::Completed;

                dialogs.shown.clear();
                dialogs.answers = {true};  // restore the copy when it is offered
                const std::string shown = (this->*kind.start)();
                const bool asked = !dialogs.shown.empty() && dialogs.shown[0].kind == QStringLiteral("question") &&
                                   dialogs.shown[0].text.startsWith(path(name) + interrupted);
                for (const auto& s : dialogs.shown)
                    EXPECT_NE(s.text, damaged_file_message(path(name))) << where;  // never a torn file read
                if (asked) {
                    ++offered;
                    EXPECT_EQ(shown, shows_old) << where;
                    EXPECT_EQ(read_bytes(name), kind.old_bytes) << where;
                    // The bytes the file held are kept under a name beside it, the hidden copy gone.
                    const QStringList kept = names_of(name).filter(QStringLiteral(".incomplete-"));
                    EXPECT_EQ(kept.size(), 1) << where;
                } else {
                    EXPECT_TRUE(shown == shows_old || shown == shows_new) << where;
                    EXPECT_TRUE(read_bytes(name) == kind.old_bytes || read_bytes(name) == kind.new_bytes) << where;
                }
                EXPECT_FALSE(names_of(name).contains(QStringLiteral(".") + name + QStringLiteral(".backup"))) << where;
                if (completed) {
                    EXPECT_EQ(read_bytes(name), kind.new_bytes) << where;
                }
                if (linked) {
                    EXPECT_EQ(read_bytes(QStringLiteral("other")), read_bytes(name)) << where;
                }

                // The next save leaves nothing of an interrupted one behind but the kept file.
                ASSERT_TRUE(write_file_atomic(at(name), kind.new_bytes)) << where;
                for (const QString& left : names_of(name))
                    EXPECT_TRUE(left == name || left.contains(QStringLiteral(".incomplete-"))) << where << " " << left.toStdString();
            }
            EXPECT_TRUE(completed) << kind.name;
            // Only the in-place path rewrites the file itself and ever needs its copy.
            if (linked) {
                EXPECT_GT(offered, 0) << kind.name;
            } else {
                EXPECT_EQ(offered, 0) << kind.name;
            }
        }
    }
}

// Declining the copy keeps the file as it is and the copy under a name shown;
// a copy identical to the file (the save died before writing) goes unasked.
TEST_F(KillDuringSave, TheCopyIsKeptWhenDeclinedAndDroppedWhenNothingWasWritten) {
    const QString name = QStringLiteral("vq2004.vqd");
    const std::string old_bytes = encode_ledger(ledger_of(12));
    const std::string torn = old_bytes.substr(0, old_bytes.size() / 2);
    const std::string copy_name = QStringLiteral(".vq2004.vqd.backup").toStdString();
    for (const bool same : {false, true}) {
        reset(name, same ? old_bytes : torn, true);
        write_bytes(QString::fromStdString(copy_name), old_bytes);
        dialogs.shown.clear();
        dialogs.answers = {false};
        offer_interrupted_save(path(name));
        EXPECT_FALSE(names_of(name).contains(QString::fromStdString(copy_name))) << same;
        if (same) {
            EXPECT_TRUE(dialogs.shown.empty());
            continue;
        }
        ASSERT_EQ(dialogs.shown.size(), 1u);
        const QStringList kept = names_of(name).filter(QStringLiteral(".before-save-"));
        ASSERT_EQ(kept.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].text.contains(path(kept[0])));
        EXPECT_EQ(read_bytes(kept[0]), old_bytes);
        EXPECT_EQ(read_bytes(name), torn);
        EXPECT_EQ(read_bytes(QStringLiteral("other")), torn);
    }
}

}  // namespace
}  // namespace velmo::testing
