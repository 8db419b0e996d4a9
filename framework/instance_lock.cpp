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

QString lock_path(const QString& name) {
    const uid_t uid = ::getuid();
    // After su the variable may still name the first user's folder, which is not ours.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.isEmpty() && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
        ::access(runtime.constData(), W_OK | X_OK) == 0)
        return QFile::decodeName(runtime) + QLatin1Char('/') + name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(uid) +
           QStringLiteral(".lock");
}

LockResult InstanceLock::acquire(const QString& name) {
    const QByteArray path = QFile::encodeName(lock_path(name));
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
