#pragma once
// One running instance per user: a lock file held with flock for the life of the process.
#include <QString>

namespace velmo {

enum class LockResult { Acquired, Busy, Failed };

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock named name in $XDG_RUNTIME_DIR (else the temporary directory).
    LockResult acquire(const QString& name);

private:
    int fd_ = -1;
};

}  // namespace velmo
