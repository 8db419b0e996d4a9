// Where the registry and the lifetime records live: beside a program run from a
// folder of its user's, in the user's data folder for an installed program or
// one whose folder the user cannot write (tried as an unprivileged user).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "framework/runtime.h"
#include "framework/user_files.h"

namespace velmo {
namespace {

using P = UserFilePlace;

TEST(UserFilePlaces, ReadWhereTheFileIsAndWriteWhereTheProgramKeepsIt) {
    struct Case {
        bool own, in_program, in_data;
        P read, write;
    };
    const Case cases[] = {
        // A program folder of the user's: its own files, else the data folder's.
        {true, false, false, P::ProgramDir, P::ProgramDir},
        {true, true, false, P::ProgramDir, P::ProgramDir},
        {true, true, true, P::ProgramDir, P::ProgramDir},
        {true, false, true, P::DataDir, P::ProgramDir},
        // An installed program: the data folder, else a file left beside the program.
        {false, false, false, P::DataDir, P::DataDir},
        {false, false, true, P::DataDir, P::DataDir},
        {false, true, true, P::DataDir, P::DataDir},
        {false, true, false, P::ProgramDir, P::DataDir},
    };
    for (const Case& c : cases) {
        const UserFilePlaces got = user_file_places({c.own, c.in_program, c.in_data});
        EXPECT_EQ(got.read, c.read) << c.own << c.in_program << c.in_data;
        EXPECT_EQ(got.write, c.write) << c.own << c.in_program << c.in_data;
    }
}

class UserFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        saved_data_home = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_home().toLocal8Bit());
    }
    void TearDown() override {
        set_program_dir(QString());
        if (saved_data_home.isEmpty()) qunsetenv("XDG_DATA_HOME");
        else qputenv("XDG_DATA_HOME", saved_data_home);
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString data_home() const { return path(QStringLiteral("home/data")); }
    QString data_dir() const { return data_home() + QStringLiteral("/velmorant/"); }
    // A program folder as a package installs it: prefix/bin beside prefix/share/applications.
    QString installed_program_dir() const {
        EXPECT_TRUE(QDir().mkpath(path(QStringLiteral("usr/bin"))));
        EXPECT_TRUE(QDir().mkpath(path(QStringLiteral("usr/share/applications"))));
        EXPECT_TRUE(write_file_atomic(path(QStringLiteral("usr/share/applications/velmorant.desktop")), "[Desktop Entry]\n"));
        return path(QStringLiteral("usr/bin/"));
    }

    QTemporaryDir dir;
    QByteArray saved_data_home;
};

TEST_F(UserFiles, AProgramInAFolderOfItsOwnKeepsThemBesideItself) {
    set_program_dir(dir.path());
    EXPECT_TRUE(program_dir_is_own());
    const QString lst = QStringLiteral("velmo.lst");
    EXPECT_EQ(user_file_write_path(lst, true), path(lst));
    EXPECT_FALSE(QFileInfo::exists(data_dir())) << "nothing is made in the data folder";
    // A registry only in the data folder is read from there until one is saved here.
    ASSERT_TRUE(QDir().mkpath(data_dir()));
    ASSERT_TRUE(write_file_atomic(data_dir() + lst, "x"));
    EXPECT_EQ(user_file_read_path(lst), data_dir() + lst);
    ASSERT_TRUE(write_file_atomic(path(lst), "y"));
    EXPECT_EQ(user_file_read_path(lst), path(lst));
}

TEST_F(UserFiles, AnInstalledProgramKeepsThemInThePrivateDataFolderEvenForRoot) {
    set_program_dir(installed_program_dir());
    EXPECT_FALSE(program_dir_is_own());
    const QString rcd = QStringLiteral("velmo.rcd");
    // Asking where changes nothing; the first write makes the folders, for the user alone.
    EXPECT_EQ(user_file_write_path(rcd), data_dir() + rcd);
    EXPECT_FALSE(QFileInfo::exists(data_home()));
    EXPECT_EQ(user_file_write_path(rcd, true), data_dir() + rcd);
    for (const QString& folder : {data_home(), data_dir()}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0) << folder.toStdString();
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder.toStdString();
    }
    // Records left beside the program are read until the data folder has its own.
    ASSERT_TRUE(write_file_atomic(path(QStringLiteral("usr/bin/")) + rcd, "x"));
    EXPECT_EQ(user_file_read_path(rcd), path(QStringLiteral("usr/bin/")) + rcd);
    ASSERT_TRUE(write_file_atomic(user_file_write_path(rcd, true), "y"));
    EXPECT_EQ(user_file_read_path(rcd), data_dir() + rcd);
}

TEST_F(UserFiles, WithoutXdgDataHomeTheHomesLocalShareIsUsed) {
    const QByteArray home = qgetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", path(QStringLiteral("someone")).toLocal8Bit());
    EXPECT_EQ(user_data_dir(), path(QStringLiteral("someone/.local/share/velmorant/")));
    qputenv("XDG_DATA_HOME", "relative/data");  // not absolute: ignored
    EXPECT_EQ(user_data_dir(), path(QStringLiteral("someone/.local/share/velmorant/")));
    qputenv("HOME", home);
}

// A program folder the user cannot write (root's, mode 0755), tried by the
// unprivileged user 65534 in a child process: the registry goes to the user's
// data folder, and the program folder stays untouched.
TEST_F(UserFiles, AnUnprivilegedUserOfAFolderItCannotWriteSavesInItsDataFolder) {
    const bool as_root = ::geteuid() == 0;
    const QString program = path(QStringLiteral("program/"));
    ASSERT_TRUE(QDir().mkpath(program));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("home"))));
    if (as_root) {
        ASSERT_EQ(::chown(QFile::encodeName(path(QStringLiteral("home"))).constData(), 65534, 65534), 0);
    } else {
        ASSERT_EQ(::chmod(QFile::encodeName(program).constData(), 0555), 0);
    }
    set_program_dir(program);
    const QString lst = QStringLiteral("velmo.lst");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (as_root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        if (program_dir_is_own()) ::_exit(11);
        const QString target = user_file_write_path(lst, true);
        if (target != data_dir() + lst) ::_exit(12);
        ::_exit(write_file_atomic(target, "registry") ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 setuid, 11 folder taken as own, 12 wrong place, 13 write failed";
    EXPECT_FALSE(QFileInfo::exists(program + lst));
    EXPECT_EQ(read_file(data_dir() + lst).value_or(std::string()), "registry");
    if (as_root) {
        EXPECT_EQ(QFileInfo(data_dir() + lst).ownerId(), 65534u);
    }
    ::chmod(QFile::encodeName(program).constData(), 0755);
}

}  // namespace
}  // namespace velmo
