// The recovery copy of unsaved records: its bytes, when it is written and
// removed, and what the next opening of the ledger offers after the program
// was killed or ended by a signal (a real child process of the test).
#include <QDir>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "framework/cp932.h"
#include "framework/runtime.h"
#include "ledger/ledger_codec.h"
#include "ledger/ledger_model.h"
#include "ledger/ledger_view.h"
#include "recovery/recovery_file.h"
#include "recovery/recovery_keeper.h"
#include "tests/support/app_fixture.h"

namespace velmo::testing {
namespace {

using recovery::RecoveryCopy;
using recovery::RecoveryKeeper;

TEST(RecoveryFile, ACopyReadsBackWholeAndNothingElseReads) {
    RecoveryCopy copy;
    copy.ledger_path = QString::fromUtf8("/home/遊技/vq2004.vqd");
    copy.taken_ms = 1796000000123;
    copy.ledger_bytes = std::string("vq\0\x01 ledger bytes", 17);
    const std::string bytes = recovery::encode_copy(copy);
    const auto back = recovery::decode_copy(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->ledger_path, copy.ledger_path);
    EXPECT_EQ(back->taken_ms, copy.taken_ms);
    EXPECT_EQ(back->ledger_bytes, copy.ledger_bytes);
    // Cut anywhere, or with bytes after it: not a copy.
    for (std::size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(recovery::decode_copy(bytes.substr(0, n))) << n;
    EXPECT_FALSE(recovery::decode_copy(bytes + "x"));
    std::string bad_time = bytes;
    bad_time[bytes.find("1796")] = 'x';
    EXPECT_FALSE(recovery::decode_copy(bad_time));
    // Two ledgers never share a copy; one ledger always has the same one.
    const QString a = recovery::copy_path_for(QStringLiteral("/d"), QStringLiteral("/x/vq2004.vqd"));
    EXPECT_EQ(a, recovery::copy_path_for(QStringLiteral("/d/"), QStringLiteral("/x/vq2004.vqd")));
    EXPECT_NE(a, recovery::copy_path_for(QStringLiteral("/d"), QStringLiteral("/y/vq2004.vqd")));
    EXPECT_TRUE(a.startsWith(QStringLiteral("/d/vq2004.vqd-")));
}

TEST(RecoveryFile, DifferingRecordsCountEachAddedDeletedOrCorrectedRecordOnce) {
    const auto year = [](std::initializer_list<const char*> halls) {
        LedgerImage image;
        for (const char* h : halls) {
            LedgerRecord r;
            r.date = " 3/1";
            r.hall = h;
            image.records.push_back(r);
        }
        return image;
    };
    struct Case {
        LedgerImage a, b;
        int differing;
    };
    const Case cases[] = {
        {year({"A", "B"}), year({"A", "B"}), 0},
        {year({"A", "B"}), year({"A", "C"}), 1},
        {year({"A", "B", "C"}), year({"A"}), 2},
        {year({}), year({"A", "B"}), 2},
        {year({"X", "B", "C"}), year({"A", "B"}), 2},
        {year({"A", "N", "B", "C"}), year({"A", "B", "C"}), 1},  // one entered between others
        {year({"C", "B", "A"}), year({"A", "B", "C"}), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(recovery::differing_records(c.a, c.b), c.differing);
        EXPECT_EQ(recovery::differing_records(c.b, c.a), c.differing);
    }
}

class Recovery : public AppFixture {
protected:
    RecoveryKeeper& keeper() { return *form1->findChild<RecoveryKeeper*>(); }
    QString copy_of(const QString& ledger) { return keeper().copy_path(ledger); }
    // The event loop runs long enough for a pending copy to be written.
    void settle_timers() { QTest::qWait(RecoveryKeeper::kDelayMs + 200); }
    QStringList copies() const {
        return QDir(dir.path()).entryList({QStringLiteral("*.recovery*")}, QDir::Files | QDir::Hidden, QDir::Name);
    }
    std::string ledger_now() { return encode_ledger(snapshot(form1->ledger_view())); }
    std::optional<RecoveryCopy> read_copy(const QString& ledger) {
        const auto bytes = read_file(copy_of(ledger));
        return bytes ? recovery::decode_copy(*bytes) : std::nullopt;
    }
};

// Written after a change, coalesced, and gone once the save question is settled
// either way; a session that changes nothing writes nothing.
TEST_F(Recovery, TheCopyFollowsTheChangesAndGoesWhenTheQuestionIsSettled) {
    for (const bool save : {true, false}) {
        start_empty_2004_ledger();
        const QString ledger = form1->file_name;
        settle_timers();
        EXPECT_TRUE(copies().isEmpty());
        const int before = keeper().writes();
        // A burst of changes: one copy.
        for (int day = 1; day <= (save ? 20 : 2); ++day) enter_in_march(day, "H", "M", "1000", "2500");
        settle_timers();
        EXPECT_EQ(keeper().writes() - before, 1);
        const auto copy = read_copy(ledger);
        ASSERT_TRUE(copy.has_value());
        EXPECT_EQ(copy->ledger_bytes, ledger_now());
        EXPECT_EQ(copy->ledger_path, QFileInfo(ledger).absoluteFilePath());
        // A later change is in the copy within the delay.
        enter_in_march(25, "H2", "M2", "500", "0");
        settle_timers();
        EXPECT_EQ(read_copy(ledger)->ledger_bytes, ledger_now());

        dialogs.answers = {save};
        form1->save_ledger();
        EXPECT_TRUE(copies().isEmpty()) << save;
        EXPECT_EQ(QFile::exists(ledger), save);
        QFile::remove(ledger);
    }
}

// A child process enters records through the entry dialog and is ended with
// SIGKILL after its copy was written, or with SIGTERM at once (right after the
// commit, or while a dialog's event loop runs); the next opening of the ledger
// offers every committed record, and taking them back opens them unsaved.
TEST_F(Recovery, AKilledOrSignalledSessionLosesNoCommittedRecord) {
    enum class End { KillAfterCopy, TermAfterCommit, TermInDialog };
    for (const End end : {End::KillAfterCopy, End::TermAfterCommit, End::TermInDialog}) {
        write_bytes(QStringLiteral("vq2004.vqd"), std::string());
        QFile::remove(path(QStringLiteral("vq2004.vqd")));
        start_empty_2004_ledger();
        enter_in_march(2, "Saved hall", "M", "1000", "3000");
        dialogs.answers = {true};
        form1->save_ledger();  // one record on disk
        const std::string saved = read_bytes(QStringLiteral("vq2004.vqd"));

        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            // The painter's worker threads did not come along with the fork: nothing is painted here.
            for (QWidget* w : QApplication::topLevelWidgets()) w->setUpdatesEnabled(false);
            if (end != End::KillAfterCopy) recovery::end_cleanly_on_signals(keeper());
            enter_in_march(5, "Hall A", "M1", "2000", "0");
            enter_in_march(9, "Hall B", "M2", "10000", "25000");
            if (end == End::KillAfterCopy) {
                QTest::qWait(RecoveryKeeper::kDelayMs + 200);
                ::raise(SIGKILL);
            }
            const char byte = 1;
            (void)!::write(ready[1], &byte, 1);
            if (end == End::TermInDialog) {
                QEventLoop dialog_loop;  // as a modal question would run one
                QTimer::singleShot(5000, &dialog_loop, &QEventLoop::quit);
                dialog_loop.exec();
            } else {
                QTest::qWait(5000);
            }
            ::_exit(3);  // the signal never came
        }
        ::close(ready[1]);
        char byte = 0;
        if (end != End::KillAfterCopy) {
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
            ::kill(child, SIGTERM);
        }
        ::close(ready[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (end == End::KillAfterCopy) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), saved);  // nothing saved

        // What the child held, as this process would have held it.
        enter_in_march(5, "Hall A", "M1", "2000", "0");
        enter_in_march(9, "Hall B", "M2", "10000", "25000");
        const std::string expected = ledger_now();

        // The next start: asked, with the two records that differ; taken back.
        dialogs.shown.clear();
        dialogs.answers = {true};
        load(path(QStringLiteral("vq2004.vqd")));
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, QStringLiteral("question"));
        EXPECT_TRUE(dialogs.shown[0].text.startsWith(path(QStringLiteral("vq2004.vqd")) + u(" に保存されていない変更")));
        EXPECT_TRUE(dialogs.shown[0].text.contains(u("保存されたものと違う記録 2 件")));
        EXPECT_EQ(ledger_now(), expected);
        EXPECT_EQ(form1->rec_count, 3);
        EXPECT_TRUE(form1->ledger_view().unsaved());
        // Declined at the close: the copy goes, the file stays as saved.
        dialogs.answers = {false};
        form1->save_ledger();
        EXPECT_TRUE(copies().isEmpty());
        EXPECT_EQ(read_bytes(QStringLiteral("vq2004.vqd")), saved);
    }
}

// Declined, the copy is kept aside under the name shown until the next start;
// a copy of a ledger that no longer exists is offered too; a damaged copy is
// named and put aside; a copy that holds what the file holds goes unasked.
TEST_F(Recovery, DeclinedMissingDamagedAndNeedlessCopies) {
    start_empty_2004_ledger();
    const QString ledger = form1->file_name;  // never saved
    enter_in_march(5, "Hall A", "M1", "2000", "0");
    settle_timers();
    const QString copy = copy_of(ledger);
    const std::string copy_bytes = read_bytes(QFileInfo(copy).fileName());
    ASSERT_TRUE(recovery::decode_copy(copy_bytes));

    // The ledger does not exist: offered all the same; declined, kept aside.
    form1->dirty = 0;
    dialogs.shown.clear();
    dialogs.answers = {false, true};  // decline the copy; then start a new ledger
    load(ledger);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(dialogs.shown[0].text.contains(recovery::discarded_path(copy)));
    EXPECT_EQ(dialogs.shown[1].text, u("2004年の収支表を新規で作成します"));
    EXPECT_EQ(form1->rec_count, 0);
    EXPECT_EQ(copies(), QStringList{QFileInfo(recovery::discarded_path(copy)).fileName()});
    // The next start removes it.
    RecoveryKeeper next_start(form1->ledger_view(), dir.path(), nullptr);
    EXPECT_TRUE(copies().isEmpty());

    // Damaged: named once, put aside, the ledger opened as it is.
    write_bytes(QFileInfo(copy).fileName(), copy_bytes.substr(0, copy_bytes.size() - 4));
    dialogs.shown.clear();
    dialogs.answers = {true};
    load(ledger);
    ASSERT_GE(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, QStringLiteral("message"));
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(copy + u(" は壊れているため使えません")));
    EXPECT_FALSE(QFile::exists(copy));

    // A copy of exactly the saved file: removed without a word.
    write_bytes(QStringLiteral("vq2004.vqd"), encode_ledger(LedgerImage{"2004", std::nullopt, {}, {}}));
    RecoveryCopy same;
    same.ledger_path = QFileInfo(ledger).canonicalFilePath();
    same.taken_ms = 1;
    same.ledger_bytes = read_bytes(QStringLiteral("vq2004.vqd"));
    write_bytes(QFileInfo(copy).fileName(), recovery::encode_copy(same));
    dialogs.shown.clear();
    load(ledger);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(QFile::exists(copy));
}

// Two ledgers left unsaved one after the other keep a copy each, and each
// opening offers its own.
TEST_F(Recovery, TwoLedgersKeepACopyEach) {
    for (const char* name : {"vq2004.vqd", "other/vq2004.vqd"}) {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("other")));
        form1->year_text = "2004";
        dialogs.answers = {true};
        load(path(QString::fromLatin1(name)));  // a new ledger; the last one never settled, as after a kill
        enter_in_march(name[0] == 'v' ? 3 : 4, "H", "M", "100", "0");
        settle_timers();
    }
    EXPECT_EQ(copies().size(), 2);
    for (const char* name : {"vq2004.vqd", "other/vq2004.vqd"}) {
        dialogs.shown.clear();
        dialogs.answers = {true};
        load(path(QString::fromLatin1(name)));
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_TRUE(dialogs.shown[0].text.startsWith(path(QString::fromLatin1(name)) + u(" に保存されていない変更")));
        ASSERT_EQ(form1->rec_count, 1);
        EXPECT_EQ(form1->StringGrid1->cell(0, 1), make_date_text(3, name[0] == 'v' ? 3 : 4));
    }
}

}  // namespace
}  // namespace velmo::testing
