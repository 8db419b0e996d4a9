// The program runs once: a second start ends with code 1 while the first runs.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/instance_lock.h"

namespace {

QProcessEnvironment isolated_env(const QTemporaryDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// True when some process holds a flock on the file (looked up by inode in /proc/locks).
bool lock_is_held(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return false;
    const QString inode = QStringLiteral(":%1 ").arg(st.st_ino);
    const QString all = QString::fromLatin1(locks.readAll());
    for (const QString& line : all.split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("FLOCK")) && QString(line + QLatin1Char(0x20)).contains(inode)) return true;
    return false;
}

TEST(SingleInstance, SecondStartExitsWithOneWhileTheFirstRuns) {
    QTemporaryDir runtime, work;
    ASSERT_TRUE(runtime.isValid() && work.isValid());
    QProcess first;
    first.setProcessEnvironment(isolated_env(runtime));
    first.setWorkingDirectory(work.path());
    // The first instance stops at its question about the missing ledger and stays running.
    first.start(QStringLiteral(VELMO_EXE), {work.path() + QStringLiteral("/none.vqd")});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Wait until it holds its lock, seen in the kernel's lock table without touching it.
    const QString lock_file = runtime.path() + QStringLiteral("/Velmorant.lock");
    bool held = false;
    for (int i = 0; i < 400 && !held && first.state() == QProcess::Running; ++i) {
        first.waitForFinished(50);
        held = lock_is_held(lock_file);
    }
    ASSERT_TRUE(held);

    QProcess second;
    second.setProcessEnvironment(isolated_env(runtime));
    second.setWorkingDirectory(work.path());
    second.start(QStringLiteral(VELMO_EXE), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished(10000);
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, LockIsFreeAgainWhenItsHolderIsGone) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    {
        velmo::InstanceLock a;
        ASSERT_EQ(a.acquire(QStringLiteral("Velmorant")), velmo::LockResult::Acquired);
        velmo::InstanceLock b;
        EXPECT_EQ(b.acquire(QStringLiteral("Velmorant")), velmo::LockResult::Busy);
    }
    velmo::InstanceLock c;
    EXPECT_EQ(c.acquire(QStringLiteral("Velmorant")), velmo::LockResult::Acquired);
    qunsetenv("XDG_RUNTIME_DIR");
}

// Without a runtime folder of its own the program takes a lock of its own user
// in the shared temporary folder: a lock file another user left there, under
// the name every user once shared, unreadable to us and still held, blocks nothing.
TEST(SingleInstance, AnotherUsersLockInTheSharedFolderDoesNotBlockTheStart) {
    QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    const QString foreign = shared.path() + QStringLiteral("/Velmorant.lock");
    const int foreign_fd = ::open(QFile::encodeName(foreign).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(foreign_fd, 0);
    ASSERT_EQ(::flock(foreign_fd, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::fchmod(foreign_fd, 0), 0);
    const QByteArray saved_tmpdir = qgetenv("TMPDIR");
    const QByteArray saved_runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(shared.path()));
    qunsetenv("XDG_RUNTIME_DIR");
    {
        velmo::InstanceLock lock;
        EXPECT_EQ(lock.acquire(QStringLiteral("Velmorant")), velmo::LockResult::Acquired);
        velmo::InstanceLock second;  // the same user's second start is still refused
        EXPECT_EQ(second.acquire(QStringLiteral("Velmorant")), velmo::LockResult::Busy);
    }

    // The program itself: it starts, stops at its question about the missing ledger and holds its lock.
    QTemporaryDir work;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), shared.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(work.path());
    program.start(QStringLiteral(VELMO_EXE), {work.path() + QStringLiteral("/none.vqd")});
    ASSERT_TRUE(program.waitForStarted(10000));
    auto holds_own_lock = [&] {
        for (const QFileInfo& f : QDir(shared.path()).entryInfoList(QDir::Files | QDir::Hidden))
            if (f.absoluteFilePath() != foreign && lock_is_held(f.absoluteFilePath())) return true;
        return false;
    };
    bool held = false;
    for (int i = 0; i < 400 && !held && program.state() == QProcess::Running; ++i) {
        program.waitForFinished(50);
        held = holds_own_lock();
    }
    EXPECT_TRUE(held);
    EXPECT_EQ(program.state(), QProcess::Running) << "exit code " << program.exitCode();
    program.kill();
    program.waitForFinished(10000);

    ::close(foreign_fd);
    if (saved_tmpdir.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", saved_tmpdir);
    if (!saved_runtime.isNull()) qputenv("XDG_RUNTIME_DIR", saved_runtime);
}

}  // namespace
