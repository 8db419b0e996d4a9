#pragma once
// One running instance per set of user files: a lock file held with flock for
// the life of the process, in the folder the user's files (velmo.lst,
// velmo.rcd) are written to. Every start that would write those files meets
// the lock there, whatever its environment (a desktop session, a terminal
// without one, su, a container).
#include <QString>

namespace velmo {

enum class LockState { Acquired, Busy, Failed };

// Why no lock could be taken.
enum class LockProblem {
    None,
    FolderMissing,       // the folder is not there and could not be made
    NotAFolder,          // something else than a folder stands at its place
    FolderIsLink,        // the folder is a symbolic link
    FolderNotOwned,      // the folder belongs to another user
    FolderOpenToOthers,  // its group or other users may write it (no sticky bit)
    FolderNotWritable,   // this user's own permission bits do not let it write there
    LockIsLink,          // a symbolic link stands at the lock file's place
    LockNotAFile,        // something else than a regular file stands there
    LockNotOwned,        // the lock file belongs to another user
    SystemError,         // a call failed for another reason (error)
};

struct LockResult {
    LockState state = LockState::Failed;
    LockProblem problem = LockProblem::None;
    QString path;   // the folder, or for the lock file's own problems the lock file
    int error = 0;  // errno of the call that failed, where one did
};

// What a start that could not lock tells its user, in Japanese: the folder or
// file and what is wrong with it. Empty for Acquired and Busy, which say nothing.
QString lock_failure_message(const LockResult& result);

// The folder the user's files are written to (user_file_write_path), without a
// trailing '/': where the lock lies.
QString lock_folder();

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock name + ".lock" in lock_folder(), making a missing data
    // folder first (mode 0700), as the first save would.
    LockResult acquire(const QString& name);
    // The same in a given folder. The folder must be a real folder owned by this
    // user (or by root) that no one else may write, unless its sticky bit keeps
    // others from removing what is not theirs; the lock file must be a regular
    // file of this user's. Permission bits decide, not what the process could do:
    // root may write anywhere, but a folder of mode 0500 is still refused. The
    // lock is the flock held on the file, not the file itself: a file left by a
    // process that ended never blocks.
    LockResult acquire_in(const QString& folder, const QString& name);

private:
    int fd_ = -1;
};

}  // namespace velmo
