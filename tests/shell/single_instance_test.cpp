// The program runs once per set of user files: a second start ends with code 1
// while the first runs, whatever the environment of either start; a start that
// cannot take the lock says why.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/instance_lock.h"
#include "framework/runtime.h"
#include "tests/support/private_program.h"

namespace velmo::testing {
namespace {

QByteArray bytes(const QString& path) { return QFile::encodeName(path); }

// The flocks of /proc/locks held on the file (by inode) or by the process (by pid).
bool lock_is_held(const QString& path, qint64 pid = 0) {
    struct stat st {};
    if (pid == 0 && ::stat(bytes(path).constData(), &st) != 0) return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return false;
    for (const QString& line : QString::fromLatin1(locks.readAll()).split(QLatin1Char('\n'))) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));  // "1: FLOCK ADVISORY WRITE pid dev:inode ..."
        if (f.size() > 5 && f[1] == QStringLiteral("FLOCK") &&
            (pid ? f[4] == QString::number(pid) : f[5].endsWith(QStringLiteral(":%1").arg(st.st_ino))))
            return true;
    }
    return false;
}

// Starts the program, which stops at its question about the missing ledger and
// stays running, and waits until it holds a lock.
bool start_and_hold(QProcess& program, const PrivateProgram& copy, const QProcessEnvironment& env, const QString& work) {
    program.setProcessEnvironment(env);
    program.start(copy.path(), {work + QStringLiteral("/none.vqd")});
    for (int i = 0; i < 400 && program.waitForStarted(10000) && program.state() == QProcess::Running; ++i) {
        if (lock_is_held({}, program.processId())) return true;
        program.waitForFinished(50);
    }
    return false;
}

void stop(QProcess& program) {
    program.kill();
    program.waitForFinished(10000);
}

// The two starts of one user differ in the session's runtime folder: the same, set
// for one start only, or two folders that are not /run/user/<uid> (a terminal
// without a session, su, a container). Both meet one lock, beside the user files.
TEST(SingleInstance, SecondStartExitsWithOneWhileTheFirstRuns) {
    PrivateProgram copy;
    QTemporaryDir a, b, work;
    ASSERT_FALSE(copy.path().isEmpty());
    const auto env_with = [&](const QString& runtime) {
        QProcessEnvironment env = program_environment(work.path());
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        if (!runtime.isEmpty()) env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        return env;
    };
    const std::pair<QString, QString> runtimes[] = {{a.path(), a.path()}, {a.path(), {}}, {{}, a.path()}, {a.path(), b.path()}};
    for (const auto& [first_runtime, second_runtime] : runtimes) {
        SCOPED_TRACE(first_runtime.toStdString() + " then " + second_runtime.toStdString());
        QProcess first, second;
        ASSERT_TRUE(start_and_hold(first, copy, env_with(first_runtime), work.path()));
        EXPECT_TRUE(lock_is_held(copy.file(QStringLiteral("velmo.lock")))) << "beside the user files";
        second.setProcessEnvironment(env_with(second_runtime));
        second.start(copy.path(), {});
        EXPECT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 1);
        EXPECT_EQ(second.readAllStandardError(), QByteArray()) << "a second start shows nothing";
        EXPECT_EQ(first.state(), QProcess::Running);
        stop(second);
        stop(first);
    }
}

TEST(SingleInstance, LockIsFreeAgainWhenItsHolderIsGone) {
    QTemporaryDir folder;
    {
        InstanceLock a;
        ASSERT_EQ(a.acquire_in(folder.path(), QStringLiteral("velmo")).state, LockState::Acquired);
        InstanceLock b;
        EXPECT_EQ(b.acquire_in(folder.path(), QStringLiteral("velmo")).state, LockState::Busy);
    }
    InstanceLock c;
    EXPECT_EQ(c.acquire_in(folder.path(), QStringLiteral("velmo")).state, LockState::Acquired);
}

// A lock file another user left in the shared temporary folder, under the names
// every user once shared, unreadable to us and still held, blocks nothing.
TEST(SingleInstance, AnotherUsersLockInTheSharedFolderDoesNotBlockTheStart) {
    QTemporaryDir shared, work;
    int foreign[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        foreign[i] = ::open(bytes(shared.filePath(i ? QStringLiteral("velmo.lock") : QStringLiteral("Velmorant.lock"))).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(foreign[i], LOCK_EX | LOCK_NB), 0);
        ASSERT_EQ(::fchmod(foreign[i], 0), 0);
    }
    PrivateProgram copy;
    QProcessEnvironment env = program_environment(work.path());
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), shared.path());
    QProcess program;
    EXPECT_TRUE(start_and_hold(program, copy, env, work.path())) << "exit code " << program.exitCode();
    EXPECT_TRUE(lock_is_held(copy.file(QStringLiteral("velmo.lock"))));
    stop(program);
    for (int fd : foreign) ::close(fd);
}

// The lock lies where the user files are written, whatever the session's variable
// says: beside a program in a folder of the user's own, else in the data folder,
// which taking the lock makes (0700) as the first save would.
TEST(SingleInstance, EveryStartOfAUserFindsTheSameLockFolder) {
    QTemporaryDir base;
    const QString data = base.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(base.filePath(QStringLiteral("share/applications"))) &&
                QDir().mkpath(base.filePath(QStringLiteral("bin"))) &&
                QFile(base.filePath(QStringLiteral("share/applications/velmorant.desktop"))).open(QIODevice::WriteOnly));
    const QByteArray saved_runtime = qgetenv("XDG_RUNTIME_DIR"), saved_data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", bytes(data));
    // A program in a folder of the user's own; an installed one (prefix/bin).
    for (const auto& [program, folder] : {std::pair<QString, QString>{base.path(), base.path()},
                                          {base.filePath(QStringLiteral("bin")), data + QStringLiteral("/velmorant")}}) {
        set_program_dir(program);
        for (const QString& runtime : {QString(), data, QStringLiteral("/run/user/%1").arg(::getuid())}) {
            if (runtime.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
            else qputenv("XDG_RUNTIME_DIR", bytes(runtime));
            EXPECT_EQ(lock_folder(), folder) << runtime.toStdString();
        }
        InstanceLock lock;
        EXPECT_EQ(lock.acquire(QStringLiteral("velmo")).path, folder + QStringLiteral("/velmo.lock"));
        EXPECT_TRUE(lock_is_held(folder + QStringLiteral("/velmo.lock")));
    }
    struct stat st {};
    EXPECT_EQ(::stat(bytes(data + QStringLiteral("/velmorant")).constData(), &st) == 0 ? st.st_mode & 07777 : 0, 0700u);
    set_program_dir(QString());
    saved_runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", saved_runtime);
    saved_data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", saved_data);
}

// Folders and lock files another user could have made, removed or pointed elsewhere
// are refused, each with its reason. Owners and permission bits decide, so that the
// refusals hold for root, whom the system lets write anywhere.
TEST(SingleInstance, FoldersAndLockFilesThatAreNotTheUsersOwnAreRefused) {
    enum Spoil { Mode, Chown, Link, File, Missing, LockLink, LockFolder, LockFifo, LockChown };
    const struct {
        Spoil spoil;
        mode_t mode;
        LockProblem problem;  // None: acquired
    } cases[] = {
        {Mode, 0700, LockProblem::None}, {Mode, 0755, LockProblem::None}, {Mode, 01777, LockProblem::None},
        {Mode, 0777, LockProblem::FolderOpenToOthers}, {Mode, 0770, LockProblem::FolderOpenToOthers},
        {Mode, 0500, LockProblem::FolderNotWritable}, {Chown, 0700, LockProblem::FolderNotOwned},
        {Link, 0700, LockProblem::FolderIsLink}, {File, 0700, LockProblem::NotAFolder},
        {Missing, 0700, LockProblem::FolderMissing}, {LockLink, 0700, LockProblem::LockIsLink},
        {LockFolder, 0700, LockProblem::LockNotAFile}, {LockFifo, 0700, LockProblem::LockNotAFile},
        {LockChown, 0700, LockProblem::LockNotOwned},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        QTemporaryDir base;
        const QString folder = base.filePath(QStringLiteral("files")), lock_file = folder + QStringLiteral("/velmo.lock");
        const QByteArray f = bytes(folder), l = bytes(lock_file), elsewhere = bytes(base.filePath(QStringLiteral("elsewhere")));
        ASSERT_EQ(::mkdir(f.constData(), 0700), 0);
        bool made = ::chmod(f.constData(), c.mode) == 0;
        switch (c.spoil) {
            case Mode: break;
            case Chown: made = ::chown(f.constData(), 65534, 65534) == 0; break;  // root only
            case Link: made = ::rename(f.constData(), elsewhere.constData()) == 0 && ::symlink(elsewhere.constData(), f.constData()) == 0; break;
            case File: made = ::rmdir(f.constData()) == 0 && QFile(folder).open(QIODevice::WriteOnly); break;
            case Missing: made = ::rmdir(f.constData()) == 0; break;
            case LockLink: made = ::symlink(elsewhere.constData(), l.constData()) == 0; break;
            case LockFolder: made = ::mkdir(l.constData(), 0700) == 0; break;
            case LockFifo: made = ::mkfifo(l.constData(), 0600) == 0; break;
            case LockChown: made = QFile(lock_file).open(QIODevice::WriteOnly) && ::chown(l.constData(), 65534, 65534) == 0; break;
        }
        if (!made && ::geteuid() != 0) continue;  // only root gives files away
        ASSERT_TRUE(made);
        InstanceLock lock;
        const LockResult r = lock.acquire_in(folder, QStringLiteral("velmo"));
        EXPECT_EQ(r.state, c.problem == LockProblem::None ? LockState::Acquired : LockState::Failed);
        EXPECT_EQ(r.problem, c.problem) << lock_failure_message(r).toStdString();
        EXPECT_EQ(r.path, c.spoil >= LockLink || c.problem == LockProblem::None ? lock_file : folder);
        EXPECT_FALSE(QFileInfo::exists(base.filePath(QStringLiteral("elsewhere/velmo.lock")))) << "nothing made through a link";
        EXPECT_FALSE(c.spoil == LockLink && QFileInfo::exists(base.filePath(QStringLiteral("elsewhere"))));
        ::chmod(f.constData(), 0700);
    }
}

// What a refused start tells: the cause and the folder or file it is about.
TEST(SingleInstance, RefusalMessagesNameTheCauseAndThePlace) {
    const QString folder = QStringLiteral("/home/a/.local/share/velmorant"), file = folder + QStringLiteral("/velmo.lock");
    const struct {
        LockProblem problem;
        const char* text;  // after the first line, "...", the folder or the file
    } cases[] = {
        {LockProblem::FolderMissing, "velmo.lst と velmo.rcd を置くフォルダ ... がなく、作ることもできません。"},
        {LockProblem::NotAFolder, "velmo.lst と velmo.rcd を置くフォルダ ... がフォルダではありません。"},
        {LockProblem::FolderIsLink, "velmo.lst と velmo.rcd を置くフォルダ ... がシンボリックリンクです。"},
        {LockProblem::FolderNotOwned, "velmo.lst と velmo.rcd を置くフォルダ ... の所有者がこのユーザーではありません。"},
        {LockProblem::FolderOpenToOthers, "velmo.lst と velmo.rcd を置くフォルダ ... にほかのユーザーも書き込めます"
                                          "（ほかのユーザーがロックファイルを消したり置いたりできます）。"
                                          "このユーザーだけが書き込めるようにしてください。"},
        {LockProblem::FolderNotWritable, "velmo.lst と velmo.rcd を置くフォルダ ... に書き込めません（書き込みの許可がありません）。"},
        {LockProblem::LockIsLink, "ロックファイル ... がシンボリックリンクです。"},
        {LockProblem::LockNotAFile, "ロックファイル ... が通常のファイルではありません。"},
        {LockProblem::LockNotOwned, "ロックファイル ... の所有者がこのユーザーではありません。"},
        {LockProblem::SystemError, "ロックファイルを ... に作れません（%E）。"},
    };
    for (const auto& c : cases) {
        const QString path = c.problem >= LockProblem::LockIsLink ? file : folder;
        EXPECT_EQ(lock_failure_message({LockState::Failed, c.problem, path, EIO}),
                  QStringLiteral("二重起動を防ぐロックを取れないため、起動できません。\n") +
                      QString::fromUtf8(c.text).replace(QStringLiteral("..."), path).replace(
                          QStringLiteral("%E"), QString::fromLocal8Bit(std::strerror(EIO))));
    }
    // A second start while the first runs, and a start that locked, say nothing.
    EXPECT_EQ(lock_failure_message({LockState::Busy, LockProblem::None, file, 0}), QString());
    EXPECT_EQ(lock_failure_message({LockState::Acquired, LockProblem::None, file, 0}), QString());
}

// The program itself, when it cannot lock: it says why on standard error (and in a
// box, which waits for its answer) and makes nothing of its own.
TEST(SingleInstance, TheProgramSaysWhyItCannotLock) {
    const struct {
        bool installed;      // the user files in the data folder, else beside the program
        mode_t folder_mode;  // given to the folder of the user files; 0: a link at the lock file instead
        const char* cause;
    } cases[] = {
        {false, 0777, " にほかのユーザーも書き込めます"},
        {false, 0, " がシンボリックリンクです"},
        {true, 0500, " に書き込めません"},
    };
    for (const auto& c : cases) {
        PrivateProgram copy(c.installed);
        QTemporaryDir data, work;
        const QString folder = c.installed ? data.filePath(QStringLiteral("velmorant")) : copy.folder();
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString named = c.folder_mode ? folder : folder + QStringLiteral("/velmo.lock");
        if (c.folder_mode) ::chmod(bytes(folder).constData(), c.folder_mode);
        else ASSERT_EQ(::symlink(bytes(work.filePath(QStringLiteral("elsewhere"))).constData(), bytes(named).constData()), 0);
        QProcess program;
        program.setProcessEnvironment(program_environment(data.path()));
        program.start(copy.path(), {work.filePath(QStringLiteral("none.vqd"))});
        QByteArray err;
        for (int i = 0; i < 400 && program.waitForStarted(10000) && !err.contains('\n') && program.state() == QProcess::Running; ++i) {
            program.waitForFinished(50);
            err += program.readAllStandardError();
        }
        const QString said = QString::fromUtf8(err.left(err.indexOf('\n')));  // the first line
        EXPECT_TRUE(said.startsWith(QStringLiteral("velmorant: 二重起動を防ぐロックを取れないため、起動できません。"))) << said.toStdString();
        EXPECT_TRUE(said.contains(named + QString::fromUtf8(c.cause))) << said.toStdString();
        EXPECT_EQ(program.state(), QProcess::Running) << "the box waits";
        EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("elsewhere"))));
        stop(program);
        ::chmod(bytes(folder).constData(), 0700);
    }
}

}  // namespace
}  // namespace velmo::testing
