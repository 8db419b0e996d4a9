#include "framework/instance_lock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velmo {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

LockResult InstanceLock::acquire(const QString& name) {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    QByteArray path = QFile::encodeName(dir + QLatin1Char('/') + name + QStringLiteral(".lock"));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
