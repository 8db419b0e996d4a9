#pragma once
// One running instance per user: a lock file held with flock for the life of the process.
#include <QString>

#include <sys/types.h>

namespace velmo {

enum class LockResult { Acquired, Busy, Failed };

// Where the locks of user uid live, so that every start of that user meets the
// others whatever its environment: runtime (the session's XDG_RUNTIME_DIR) when
// it is a folder the user owns; else run_user/<uid> (the login manager's folder,
// present while the user has any session) when the user owns it; else
// temp/velmorant-<uid>, created with mode 0700, when it is a real folder the
// user owns that no one else may write. Empty when none of these holds.
QString lock_folder(uid_t uid, const QByteArray& runtime, const QString& run_user, const QString& temp);

// The lock file of the user running the program: name + ".lock" in the
// lock_folder of this process's user and environment ("/run/user", the
// temporary folder); empty when there is none.
QString lock_path(const QString& name);

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock at lock_path(name). The lock is the flock held on the
    // file, not the file itself: a file left by a process that ended never blocks.
    LockResult acquire(const QString& name);

private:
    int fd_ = -1;
};

}  // namespace velmo
