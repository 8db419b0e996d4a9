// The order of a save's steps on the disk, what a failed save tells, and the
// question before a read-only file is replaced.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/dialogs.h"
#include "framework/runtime.h"
#include "framework/save_dialogs.h"

namespace velmo {
namespace {

class SaveOnDisk : public ::testing::Test {
protected:
    void TearDown() override {
        set_save_steps(nullptr);
        set_write_fault(std::nullopt);
    }
    QString at(const char* name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    std::string local(const char* name) const { return QFile::encodeName(at(name)).toStdString(); }
    void make(const char* name, const std::string& bytes, bool linked, mode_t mode = 0644) {
        QFile f(at(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        f.close();
        ASSERT_EQ(::chmod(local(name).c_str(), mode), 0);
        if (linked) {
            ASSERT_EQ(::link(local(name).c_str(), local("other").c_str()), 0);
        }
    }
    std::string bytes_of(const char* name) const { return read_file(at(name)).value_or("<none>"); }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QTemporaryDir dir;
};

// The new bytes are synced before they replace the old ones and the folder
// after; in place, the copy of the old bytes is whole and synced under its
// name before the file's first byte changes, and removed only after the
// file's own sync.
TEST_F(SaveOnDisk, TheNewBytesAndTheCopyAreSyncedBeforeTheyCount) {
    const std::vector<std::string> renamed = {"create", "write", "truncate", "fsync", "close", "rename", "fsync-folder"};
    std::vector<std::string> in_place = renamed;
    for (const char* s : {"write", "truncate", "fsync", "close", "unlink", "fsync-folder"}) in_place.emplace_back(s);
    for (const bool linked : {false, true}) {
        make("a.vqd", "old", linked);
        SaveSteps steps;
        set_save_steps(&steps);
        ASSERT_TRUE(write_file_atomic(at("a.vqd"), "new bytes"));
        set_save_steps(nullptr);
        EXPECT_EQ(steps.log, linked ? in_place : renamed);
        EXPECT_EQ(bytes_of("a.vqd"), "new bytes");
        EXPECT_EQ(entries(), linked ? (QStringList{QStringLiteral("a.vqd"), QStringLiteral("other")})
                                    : QStringList{QStringLiteral("a.vqd")});
        QFile::remove(at("a.vqd"));
        QFile::remove(at("other"));
    }
}

// A failed save says why; an in-place write that fails and cannot put the old
// bytes back says the file may be damaged and where its old bytes are, and the
// next start offers them.
TEST_F(SaveOnDisk, AFailureNamesItsCauseAndATornFileItsCopy) {
    struct Case {
        int error;
        const char* cause;
    };
    for (const Case c : {Case{ENOSPC, "（ディスクの空きが足りません）"}, Case{EACCES, "（書き込む権限がありません）"},
                         Case{EROFS, "（読み取り専用のドライブです）"}, Case{EFBIG, "（ファイルの大きさの上限を超えます）"},
                         Case{0, ""}}) {
        SaveResult r;
        r.error = c.error;
        EXPECT_EQ(save_failure_message(QStringLiteral("/x/a.vqd"), r),
                  QString::fromUtf8("/x/a.vqd に保存できませんでした") + QString::fromUtf8(c.cause));
    }

    // A full disk, seen through the whole path of the ledger's own save.
    make("a.vqd", "old bytes", false);
    ScriptedDialogs dialogs;
    set_write_fault(4);
    EXPECT_FALSE(save_with_dialogs(at("a.vqd"), "new bytes"));
    set_write_fault(std::nullopt);
    EXPECT_EQ(dialogs.texts(),
              std::vector<QString>{at("a.vqd") + QString::fromUtf8(" に保存できませんでした（ディスクの空きが足りません）")});
    EXPECT_EQ(bytes_of("a.vqd"), "old bytes");

    // In place: the second write to the file fails, and so does every later step.
    dialogs.shown.clear();
    make("b.vqd", "old bytes of b", true);
    SaveSteps steps;
    steps.chunk = 4;
    // The copy takes ten steps (create, four writes, truncate, sync, close,
    // rename, folder sync); the file's first write is step 11.
    steps.fail_from = 12;
    set_save_steps(&steps);
    const SaveResult torn = write_file_atomic(at("b.vqd"), "NEW BYTES OF B");
    set_save_steps(nullptr);
    EXPECT_FALSE(torn.ok);
    EXPECT_TRUE(torn.maybe_damaged);
    EXPECT_EQ(bytes_of("b.vqd"), "NEW bytes of b");  // one write of four bytes got through
    const QString copy = at(".b.vqd.backup");
    EXPECT_EQ(QFile::decodeName(QByteArray::fromStdString(torn.old_copy)), copy);
    EXPECT_EQ(save_failure_message(at("b.vqd"), torn),
              at("b.vqd") + QString::fromUtf8(" に保存できませんでした（ディスクの読み書きに失敗しました）。"
                                              "ファイルが壊れている可能性があります。保存前の内容は ") +
                  copy + QString::fromUtf8(" にあります"));
    EXPECT_EQ(bytes_of(".b.vqd.backup"), "old bytes of b");
    // A second failed save keeps that copy rather than copying the torn bytes.
    set_write_fault(2);
    EXPECT_FALSE(write_file_atomic(at("b.vqd"), "other new bytes"));
    set_write_fault(std::nullopt);
    EXPECT_EQ(bytes_of(".b.vqd.backup"), "old bytes of b");
    dialogs.answers = {true};
    offer_interrupted_save(at("b.vqd"));
    EXPECT_EQ(bytes_of("b.vqd"), "old bytes of b");
    EXPECT_EQ(bytes_of("other"), "old bytes of b");
    EXPECT_FALSE(QFile::exists(copy));
}

// A read-only file is replaced only when the user says so, with one name or
// two, and keeps its mode and its names.
TEST_F(SaveOnDisk, AReadOnlyFileIsAskedAboutWithOneNameOrTwo) {
    ScriptedDialogs dialogs;
    for (const bool linked : {false, true}) {
        for (const bool yes : {false, true}) {
            make("r.vqd", "old", linked, 0444);
            dialogs.shown.clear();
            dialogs.answers = {yes};
            EXPECT_EQ(save_with_dialogs(at("r.vqd"), "new"), yes);
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{read_only_question(at("r.vqd"))});
            EXPECT_EQ(bytes_of("r.vqd"), yes ? "new" : "old");
            if (linked) {
                EXPECT_EQ(bytes_of("other"), bytes_of("r.vqd"));
            }
            struct stat st {};
            ASSERT_EQ(::stat(local("r.vqd").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0444u);
            EXPECT_EQ(st.st_nlink, linked ? 2u : 1u);
            QFile::remove(at("other"));
            ::chmod(local("r.vqd").c_str(), 0644);
            QFile::remove(at("r.vqd"));
        }
    }
    // A writable file is not asked about.
    make("w.vqd", "old", false);
    dialogs.shown.clear();
    EXPECT_TRUE(save_with_dialogs(at("w.vqd"), "new"));
    EXPECT_TRUE(dialogs.shown.empty());
}

// Temporaries an interrupted save left, of either path, go with the next save
// whichever path it takes; the copy of an unfinished save is never one of them.
TEST_F(SaveOnDisk, LeftoversGoWithTheNextSaveOfEitherPath) {
    for (const bool linked : {false, true}) {
        make("t.lst", "old", linked);
        make(".t.lst.ab12CD", "left by a rename", false);
        make(".t.lst.backup.Zz9yX8", "an unfinished copy", false);
        make(".t.lst.backups", "not ours", false);
        ASSERT_TRUE(write_file_atomic(at("t.lst"), "new"));
        QStringList expected{QStringLiteral(".t.lst.backups"), QStringLiteral("t.lst")};
        if (linked) expected << QStringLiteral("other");
        expected.sort();
        QStringList left = entries();
        left.sort();
        EXPECT_EQ(left, expected) << linked;
        for (const QString& e : entries()) QFile::remove(dir.path() + QLatin1Char('/') + e);
    }
    make("t.lst", "old", false);
    make(".t.lst.backup", "a copy", false);
    EXPECT_EQ(remove_leftover_temporaries(at("t.lst")), 0);
}

// A new file takes the user's umask, as any program's new file does; a file
// that exists keeps its own mode whatever the umask.
TEST_F(SaveOnDisk, ANewFileTakesTheUmaskAndAnOldOneKeepsItsMode) {
    struct Case {
        mode_t umask;
        mode_t created;
    };
    for (const Case c : {Case{022, 0644}, Case{077, 0600}, Case{002, 0664}}) {
        const mode_t saved = ::umask(c.umask);
        const bool made = write_file_atomic(at("n.vqd"), "new").ok;
        make("o.vqd", "old", false, 0640);
        const bool replaced = write_file_atomic(at("o.vqd"), "new").ok;
        ::umask(saved);
        ASSERT_TRUE(made && replaced);
        struct stat st {};
        ASSERT_EQ(::stat(local("n.vqd").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.created) << c.umask;
        ASSERT_EQ(::stat(local("o.vqd").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << c.umask;
        QFile::remove(at("n.vqd"));
        QFile::remove(at("o.vqd"));
    }
}

}  // namespace
}  // namespace velmo
