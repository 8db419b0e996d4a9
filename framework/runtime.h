#pragma once
// What the program asks of its surroundings: the directory of the program file,
// today's date, the calendar, and files read and written whole.
#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

// Directory of the running program, with a trailing '/'. Tests point it elsewhere.
QString program_dir();
void set_program_dir(const QString& dir);  // empty: back to the executable's directory

// Today's date; tests may fix it.
QDate today();
void set_today(std::optional<QDate> date);

// Gregorian calendar.
bool is_valid_date(int year, int month, int day);
int days_in_month(int year, int month);  // 0 for a month outside 1..12
// Weekday of a date, Sunday = 1 .. Saturday = 7 (the date must be valid).
int day_of_week(int year, int month, int day);

// The largest file the program reads. A ledger of a full year is about 5 MB and
// the other files far less; anything larger is not one of ours.
inline constexpr std::size_t kMaxInputFileBytes = 64u * 1024u * 1024u;

enum class ReadStatus {
    Ok,
    Missing,   // absent, unreadable, or not a regular file (a folder, a FIFO, a device)
    TooLarge,  // a regular file above the limit; nothing of it was read
};

struct FileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;  // the whole file when status is Ok
};

// Reads a whole regular file of at most limit bytes, straight into one buffer.
// Files that are not regular files are never opened, so a FIFO or a device
// cannot make the program wait or read without end.
FileRead read_input_file(const QString& path, std::size_t limit = kMaxInputFileBytes);

// read_input_file, with nullopt for anything but a file read whole.
std::optional<std::string> read_file(const QString& path);

// The notice for a file refused by its size.
QString too_large_message(const QString& path);
// The notice after a file was read in part, and the question before a file
// read in part is written over.
QString damaged_file_message(const QString& path);
QString overwrite_damaged_question(const QString& path);

// The file a save through path replaces: path itself, or, when path is a
// symbolic link, the file at the end of its chain of links (relative links
// taken from the folder of the link), so that the links stay links. A chain
// longer than the system allows, or a link that cannot be read, gives nullopt.
std::optional<std::string> resolve_save_target(const std::string& path);

// What a save did: whether the file now holds the new bytes and, when it does
// not, why (the errno of the call that failed) and whether the file itself may
// be damaged. Tested as a bool.
struct SaveResult {
    bool ok = false;
    int error = 0;
    // Only after a failed in-place write whose old bytes could not be put back:
    // the file may be damaged, and old_copy holds its bytes from before the save.
    bool maybe_damaged = false;
    std::string old_copy;
    explicit operator bool() const { return ok; }
};

// Writes bytes to a temporary file beside the file path names (through any
// symbolic links) and renames it over that file, so the old file stays whole
// when anything fails; the new file keeps the old one's permission bits (a
// save that cannot keep them fails), owner and group, and the folder is synced
// after the rename. A new file gets 0666 less the umask. A file with more than
// one name (hard links), or whose owner or group this user cannot give a new
// file, is written in place instead: first a complete, synced copy of its old
// bytes is made beside it under the name interrupted_save_copy gives, then the
// file is rewritten and synced, then the copy is removed. A save that ends
// before that (a kill, a power cut) leaves the copy, which the next start finds.
// Unsynced leaves the rename path's syncs to the system (a copy that a power cut
// may take back to its last synced state, for files written again and again).
enum class Durability { Synced, Unsynced };
SaveResult write_file_atomic(const QString& path, std::string_view bytes, Durability durability = Durability::Synced);

// Why a save failed, in a few words, from the errno it ended with (empty for 0).
QString save_failure_cause(int error);
// "（cause）" to end a message with, or nothing when the cause is unknown.
QString cause_suffix(const QString& cause);

// The message for a failed save of path: the plain notice, the cause when it is
// known, and where the old bytes are when the file may be damaged.
QString save_failure_message(const QString& path, const SaveResult& result);

// Whether the file a save of path would replace exists and may not be written
// by its permission bits (no write bit for the user the program runs as, or, for
// the superuser, no write bit at all), as a text editor calls a file read-only.
bool is_read_only_file(const QString& path);

// The copy of the old bytes an in-place save of path keeps until the save is
// complete (".<name>.backup" beside the file path resolves to). Its presence at
// start means the last save of the file did not finish.
QString interrupted_save_copy(const QString& path);
bool has_interrupted_save(const QString& path);

// What a start does with the copy of an interrupted save. Restoring first keeps
// the file's present bytes under kept_as, then writes the copy back into the
// file in place (so every name of it stays) and removes the copy. Keeping moves
// the copy to kept_as (a name without a leading dot) and leaves the file as it
// is. Both give false, changing nothing more, when a step fails.
bool restore_interrupted_save(const QString& path, const QString& kept_as);
bool keep_interrupted_save_copy(const QString& path, const QString& kept_as);
// When the file still holds exactly the copy's bytes (the save ended before it
// wrote anything), the copy is removed and true returned.
bool drop_interrupted_save_if_unchanged(const QString& path);

// Size and modification time of a file, to tell whether another program
// rewrote it since it was read.
struct FileStamp {
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t mtime_ns = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp file_stamp(const QString& path);
// The question before overwriting a file another program changed.
QString changed_on_disk_question(const QString& path);

// Removes the temporary files an interrupted write_file_atomic of path left
// beside it (".<name>.XXXXXX" and the unfinished copies ".<name>.backup.XXXXXX",
// regular files of this user). Returns how many.
int remove_leftover_temporaries(const QString& path);

// A size limit on files (ulimit -f) then makes a write fail with EFBIG instead
// of ending the process. Safe to call more than once.
void ignore_file_size_signal();

// For the command-line modes: writes "velmorant: <message>" and a line break to
// standard error and gives status, the exit status to return.
int command_failure(const std::string& message, int status = 1);

// Held while the application object is made. Qt ends a process that cannot open its
// display with an abort after several lines of its own; while this lives, that
// ends it with one line on standard error ("velmorant: ディスプレイを開けません…")
// and status 1 instead. Qt's other messages meanwhile are passed on when it ends.
class DisplayOpening {
public:
    DisplayOpening();
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;
};

// The one line said when no display could be opened; display is $DISPLAY.
std::string no_display_message(const char* display);

// Test seam: the next atomic writes fail after this many bytes (nullopt: never),
// as a full disk would (ENOSPC).
void set_write_fault(std::optional<std::size_t> fail_after_bytes);

// Test seam over the steps of a save that change the disk: each creation, write
// (of at most chunk bytes when chunk is not 0), truncation, sync, close, rename
// and removal is one step, named in the log. With kill_at set, the process ends
// with SIGKILL just before that step (counted from 1); with fail_from set, that
// step and every later one fail (EIO) without being taken.
struct SaveSteps {
    std::optional<int> kill_at;
    std::optional<int> fail_from;
    std::size_t chunk = 0;
    std::vector<std::string> log;
};
// Starts counting into steps (nullptr: stops). The object must outlive the saves.
void set_save_steps(SaveSteps* steps);

}  // namespace velmo
