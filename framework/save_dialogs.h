#pragma once
// What the user is told and asked around a save of the program's own files:
// a read-only file, a failed save with its cause, and, at start, a save that
// did not finish.
#include <QString>

#include <string_view>

namespace velmo {

// The question before writing over a read-only file.
QString read_only_question(const QString& path);

// Saves bytes to path (write_file_atomic): a read-only file only when the user
// says so; a failure is told with its cause. True when the file holds the bytes.
bool save_with_dialogs(const QString& path, std::string_view bytes);

// Before path is read: when its last save did not finish (the copy of its old
// bytes lies beside it), the user is told and chooses between the old bytes
// (the present ones are kept under a name shown) and the present ones (the copy
// is kept under a name shown). No hidden copy remains either way, unless a step
// fails, which is told. A copy identical to the file is removed silently.
void offer_interrupted_save(const QString& path);

}  // namespace velmo
