#include "framework/instance_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/user_files.h"

namespace velmo {

namespace {

// The file the lock's folder is found by: both user files are written to one folder.
const QString kUserFile = QStringLiteral("velmo.lst");

QString folder_of(const QString& user_file) { return QDir::cleanPath(QFileInfo(user_file).path()); }

// What is wrong with a folder, by its owner and permission bits alone: access()
// and open() succeed for root whatever the bits say.
LockProblem folder_problem(const struct stat& st, uid_t me) {
    // Another user could remove the lock file, or put one of their own in its place.
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) return LockProblem::FolderOpenToOthers;
    if (st.st_uid != me && st.st_uid != 0) return LockProblem::FolderNotOwned;
    // A folder of root's that is not this user's: only a shared folder with the
    // sticky bit (as /tmp) lets this user make files in it.
    const bool writable = st.st_uid == me ? (st.st_mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR)
                                          : (st.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH);
    return writable ? LockProblem::None : LockProblem::FolderNotWritable;
}

LockResult failed(LockProblem problem, const QString& path, int error = 0) {
    return {LockState::Failed, problem, path, error};
}

// Why a folder that could not be opened cannot be used.
LockResult unopened_folder(const QString& folder, uid_t me, int error) {
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
        if (errno == ENOENT) return failed(LockProblem::FolderMissing, folder, errno);
        if (errno == ENOTDIR) return failed(LockProblem::NotAFolder, folder);
        return failed(LockProblem::SystemError, folder, errno);
    }
    if (S_ISLNK(st.st_mode)) return failed(LockProblem::FolderIsLink, folder);
    if (!S_ISDIR(st.st_mode)) return failed(LockProblem::NotAFolder, folder);
    const LockProblem problem = folder_problem(st, me);
    return failed(problem == LockProblem::None ? LockProblem::SystemError : problem, folder, error);
}

// Why a lock file that could not be opened, or is not one, cannot be used.
LockProblem lock_file_problem(const struct stat& st, uid_t me) {
    if (S_ISLNK(st.st_mode)) return LockProblem::LockIsLink;
    if (!S_ISREG(st.st_mode)) return LockProblem::LockNotAFile;
    if (st.st_uid != me) return LockProblem::LockNotOwned;
    return LockProblem::None;
}

QString error_text(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

QString lock_folder() { return folder_of(user_file_write_path(kUserFile)); }

LockResult InstanceLock::acquire(const QString& name) {
    return acquire_in(folder_of(user_file_write_path(kUserFile, true)), name);
}

LockResult InstanceLock::acquire_in(const QString& folder_path, const QString& name) {
    const QString folder = QDir::cleanPath(folder_path);  // a trailing '/' would follow a link
    const uid_t me = ::geteuid();
    // The folder is opened once, not followed if it is a link, and everything after
    // is asked of what was opened: a folder swapped in meanwhile changes nothing.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return unopened_folder(folder, me, errno);
    struct stat st {};
    if (::fstat(dir, &st) != 0) {
        const int error = errno;
        ::close(dir);
        return failed(LockProblem::SystemError, folder, error);
    }
    if (const LockProblem problem = folder_problem(st, me); problem != LockProblem::None) {
        ::close(dir);
        return failed(problem, folder);
    }

    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".lock");
    const QByteArray file_name = QFile::encodeName(name + QStringLiteral(".lock"));
    // A link planted at the path is not followed, nor a FIFO waited on.
    const int fd = ::openat(dir, file_name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    const int open_error = errno;
    LockProblem problem = LockProblem::None;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int error = fd < 0 ? open_error : errno;
        struct stat there {};
        if (::fstatat(dir, file_name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0) problem = lock_file_problem(there, me);
        if (fd >= 0) ::close(fd);
        ::close(dir);
        return failed(problem == LockProblem::None ? LockProblem::SystemError : problem, file, error);
    }
    ::close(dir);
    problem = lock_file_problem(st, me);
    if (problem != LockProblem::None) {
        ::close(fd);
        return failed(problem, file);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return {LockState::Busy, LockProblem::None, file, 0};
        return failed(LockProblem::SystemError, file, error);
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return {LockState::Acquired, LockProblem::None, file, 0};
}

QString lock_failure_message(const LockResult& r) {
    if (r.state != LockState::Failed) return {};
    const QString& p = r.path;
    QString why;
    switch (r.problem) {
        case LockProblem::FolderMissing:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 がなく、作ることもできません。").arg(p);
            break;
        case LockProblem::NotAFolder:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 がフォルダではありません。").arg(p);
            break;
        case LockProblem::FolderIsLink:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 がシンボリックリンクです。").arg(p);
            break;
        case LockProblem::FolderNotOwned:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 の所有者がこのユーザーではありません。").arg(p);
            break;
        case LockProblem::FolderOpenToOthers:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 にほかのユーザーも書き込めます"
                                 "（ほかのユーザーがロックファイルを消したり置いたりできます）。"
                                 "このユーザーだけが書き込めるようにしてください。").arg(p);
            break;
        case LockProblem::FolderNotWritable:
            why = QStringLiteral("velmo.lst と velmo.rcd を置くフォルダ %1 に書き込めません（書き込みの許可がありません）。").arg(p);
            break;
        case LockProblem::LockIsLink:
            why = QStringLiteral("ロックファイル %1 がシンボリックリンクです。").arg(p);
            break;
        case LockProblem::LockNotAFile:
            why = QStringLiteral("ロックファイル %1 が通常のファイルではありません。").arg(p);
            break;
        case LockProblem::LockNotOwned:
            why = QStringLiteral("ロックファイル %1 の所有者がこのユーザーではありません。").arg(p);
            break;
        case LockProblem::SystemError:
        case LockProblem::None:
            why = QStringLiteral("ロックファイルを %1 に作れません（%2）。").arg(p, error_text(r.error));
            break;
    }
    return QStringLiteral("二重起動を防ぐロックを取れないため、起動できません。\n") + why;
}

}  // namespace velmo
