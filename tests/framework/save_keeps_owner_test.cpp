// A save keeps everything about the file it replaces: its group, its owner where
// the saver may give it, its mode, and every other name (hard link) the file has.
// Where the tests start as root, saves of files owned by others run as an
// unprivileged user in a child process, with a group of its own; a file of the
// user's own with two names is saved by whoever runs the tests.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "framework/runtime.h"

namespace velmo {
namespace {

constexpr uid_t kUser = 65534;   // nobody
constexpr gid_t kPrimary = 65534;
constexpr gid_t kShared = 4242;  // a second group the user belongs to

struct Owned {
    const char* name;
    uid_t uid;
    gid_t gid;
    mode_t mode;
    bool second_name;  // a hard link "other" to the same file
};

class SaveKeepsOwner : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        if (root()) {
            ASSERT_EQ(::chown(folder().c_str(), kUser, kPrimary), 0);
        }
    }
    static bool root() { return ::geteuid() == 0; }
    std::string folder() const { return QFile::encodeName(dir.path()).toStdString() + "/"; }
    std::string at(const std::string& name) const { return folder() + name; }
    void make(const Owned& f, const std::string& bytes) {
        FILE* out = std::fopen(at(f.name).c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        if (f.uid != ::geteuid() || f.gid != ::getegid()) {
            ASSERT_EQ(::chown(at(f.name).c_str(), f.uid, f.gid), 0);
        }
        ASSERT_EQ(::chmod(at(f.name).c_str(), f.mode), 0);
        if (f.second_name) {
            ASSERT_EQ(::link(at(f.name).c_str(), at("other").c_str()), 0);
        }
    }
    // Saves bytes over name as the unprivileged user; true when the save said so.
    bool save_as_user(const std::string& name, const std::string& bytes) {
        const pid_t child = ::fork();
        if (child == 0) {
            const gid_t groups[] = {kShared};
            const bool dropped = ::setgroups(1, groups) == 0 && ::setgid(kPrimary) == 0 && ::setuid(kUser) == 0;
            ::_exit(dropped && write_file_atomic(QFile::decodeName(at(name).c_str()), bytes) ? 0 : 1);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string bytes_of(const std::string& name) const {
        QFile f(QFile::decodeName(at(name).c_str()));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<none>");
    }
    int entries() const {
        return static_cast<int>(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size());
    }
    QTemporaryDir dir;
};

TEST_F(SaveKeepsOwner, GroupOwnerAndOtherNamesStay) {
    if (!root()) GTEST_SKIP() << "needs to start as root to save as another user";
    const Owned cases[] = {
        {"own.vqd", kUser, kShared, 0640, false},    // replaced by a rename, the group given back
        {"theirs.lst", 0, kShared, 0664, false},    // owner not the saver's to give: written in place
        {"linked.rcd", kUser, kPrimary, 0600, true},  // two names: written in place
    };
    for (const Owned& f : cases) {
        SCOPED_TRACE(f.name);
        make(f, "old bytes, longer than the new ones");
        ASSERT_TRUE(save_as_user(f.name, "new bytes"));
        struct stat st {};
        ASSERT_EQ(::stat(at(f.name).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, f.uid);
        EXPECT_EQ(st.st_gid, f.gid);
        EXPECT_EQ(st.st_mode & 07777, f.mode);
        EXPECT_EQ(bytes_of(f.name), "new bytes");
        if (f.second_name) {
            EXPECT_EQ(st.st_nlink, 2u);
            EXPECT_EQ(bytes_of("other"), "new bytes");
            ::unlink(at("other").c_str());
        }
        // No temporary file and no copy of the old bytes is left beside it.
        EXPECT_EQ(entries(), 1 + static_cast<int>(&f - cases));
    }
}

// The user's own file with a second name, saved by the user: written in place, so
// that both names stay one file with the new bytes, its mode as it was.
TEST_F(SaveKeepsOwner, AFileWithTwoNamesKeepsBothAndItsMode) {
    const struct {
        const char* name;
        mode_t mode;
        const char* bytes;
    } cases[] = {
        {"a.vqd", 0600, "new bytes"},
        {"b.lst", 0640, "new bytes, longer than the old ones were"},
        {"c.rcd", 0664, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make({c.name, ::geteuid(), ::getegid(), c.mode, true}, "old bytes of the file");
        struct stat before {};
        ASSERT_EQ(::stat(at(c.name).c_str(), &before), 0);
        ASSERT_TRUE(write_file_atomic(QFile::decodeName(at(c.name).c_str()), c.bytes));
        struct stat st {}, other {};
        ASSERT_EQ(::stat(at(c.name).c_str(), &st), 0);
        ASSERT_EQ(::stat(at("other").c_str(), &other), 0);
        EXPECT_EQ(st.st_ino, before.st_ino);
        EXPECT_EQ(other.st_ino, st.st_ino);
        EXPECT_EQ(st.st_nlink, 2u);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(bytes_of(c.name), c.bytes);
        EXPECT_EQ(bytes_of("other"), c.bytes);
        EXPECT_EQ(entries(), 2) << "no temporary file and no copy of the old bytes left";
        ::unlink(at(c.name).c_str());
        ::unlink(at("other").c_str());
    }
}

TEST_F(SaveKeepsOwner, AFailedWriteInPlaceLeavesTheOldBytes) {
    make({"linked.vqd", ::geteuid(), ::getegid(), 0644, true}, "the whole old ledger");
    set_write_fault(4);
    EXPECT_FALSE(write_file_atomic(QFile::decodeName(at("linked.vqd").c_str()), "a new ledger"));
    set_write_fault(std::nullopt);
    EXPECT_EQ(bytes_of("linked.vqd"), "the whole old ledger");
    EXPECT_EQ(bytes_of("other"), "the whole old ledger");
    EXPECT_EQ(entries(), 2);
}

}  // namespace
}  // namespace velmo
