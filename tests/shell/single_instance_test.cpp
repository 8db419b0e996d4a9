// The program runs once: a second start ends with code 1 while the first runs.
#include <QDir>
#include <QDirIterator>
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
        QDirIterator it(shared.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (f != foreign && lock_is_held(f)) return true;
        }
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

// Every start of a user finds the same lock folder, with the session's variable
// or without it, and never one another user could have made or can write.
TEST(SingleInstance, EveryStartOfAUserFindsTheSameLockFolder) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString run_user = base.path() + QStringLiteral("/run");
    const QString temp = base.path() + QStringLiteral("/tmp");
    const uid_t me = ::getuid();
    const QString session = run_user + QLatin1Char('/') + QString::number(me);
    const QString fallback = temp + QStringLiteral("/velmorant-") + QString::number(me);
    ASSERT_TRUE(QDir().mkpath(temp));
    const auto folder = [&](const QString& runtime) {
        return velmo::lock_folder(me, QFile::encodeName(runtime), run_user, temp);
    };

    // No session folder: with the variable unset or naming another user's folder, the own temporary folder.
    EXPECT_EQ(folder({}), fallback);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_TRUE(QDir().mkpath(base.path() + QStringLiteral("/other")));
    ASSERT_EQ(::chown(QFile::encodeName(base.path() + QStringLiteral("/other")).constData(), me + 1, me + 1), 0);
    EXPECT_EQ(folder(base.path() + QStringLiteral("/other")), fallback);
    // With a session folder, a start from the desktop (the variable names it) and one from a console
    // (no variable) meet there; another user's start goes elsewhere.
    ASSERT_TRUE(QDir().mkpath(session));
    ASSERT_EQ(::chmod(QFile::encodeName(session).constData(), 0700), 0);
    EXPECT_EQ(folder(session), session);
    EXPECT_EQ(folder({}), session);
    EXPECT_NE(velmo::lock_folder(me + 1, {}, run_user, temp), session);
    QDir(session).removeRecursively();

    // A temporary folder of that name that is not the user's own is never used.
    const struct {
        const char* what;
        void (*spoil)(const QByteArray& path);
    } spoiled[] = {
        {"written by others", [](const QByteArray& p) { ::chmod(p.constData(), 0777); }},
        {"another user's", [](const QByteArray& p) { (void)::chown(p.constData(), 65534, 65534); }},
        {"a link", [](const QByteArray& p) { ::rmdir(p.constData()); (void)::symlink("/tmp", p.constData()); }},
    };
    for (const auto& s : spoiled) {
        SCOPED_TRACE(s.what);
        const QByteArray path = QFile::encodeName(fallback);
        ::unlink(path.constData());
        ::rmdir(path.constData());
        ASSERT_EQ(folder({}), fallback);
        s.spoil(path);
        EXPECT_EQ(folder({}), QString());
    }
}

}  // namespace
