#pragma once
// One running instance per user: a lock file held with flock for the life of the process.
#include <QString>

namespace velmo {

enum class LockResult { Acquired, Busy, Failed };

// The lock file of the user running the program: name + ".lock" in
// $XDG_RUNTIME_DIR when that is a folder this user owns, else
// name + "-" + user id + ".lock" in the temporary folder, which all users share.
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
