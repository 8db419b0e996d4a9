#include "framework/instance_lock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

// A folder of the user's own: a real folder (not a link) owned by uid that the
// user can enter and write.
bool own_folder(const QByteArray& path, uid_t uid) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
           (st.st_mode & S_IRWXU) == S_IRWXU;
}

}  // namespace

QString lock_folder(uid_t uid, const QByteArray& runtime, const QString& run_user, const QString& temp) {
    // After su the variable may still name the first user's folder, which is not ours.
    struct stat st {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
        ::access(runtime.constData(), W_OK | X_OK) == 0)
        return QFile::decodeName(runtime);
    const QString session = run_user + QLatin1Char('/') + QString::number(uid);
    if (own_folder(QFile::encodeName(session), uid)) return session;
    // The shared temporary folder: a folder of the user's own in it, which no
    // other user can have made, linked or opened to others.
    const QString own = temp + QStringLiteral("/velmorant-") + QString::number(uid);
    const QByteArray path = QFile::encodeName(own);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return {};
    if (!own_folder(path, uid) || ::lstat(path.constData(), &st) != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return {};
    return own;
}

QString lock_path(const QString& name) {
    const QString folder =
        lock_folder(::getuid(), qgetenv("XDG_RUNTIME_DIR"), QStringLiteral("/run/user"), QDir::tempPath());
    if (folder.isEmpty()) return {};
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

LockResult InstanceLock::acquire(const QString& name) {
    const QByteArray path = QFile::encodeName(lock_path(name));
    if (path.isEmpty()) return LockResult::Failed;
    // A link planted at the path is not followed.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return LockResult::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? LockResult::Busy : LockResult::Failed;
    }
    fd_ = fd;
    return LockResult::Acquired;
}

}  // namespace velmo
