#pragma once
// What the program asks of its surroundings: the directory of the program file,
// today's date, the calendar, and files read and written whole.
#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The file a save through path replaces: path itself, or, when path is a
// symbolic link, the file at the end of its chain of links (relative links
// taken from the folder of the link), so that the links stay links. A chain
// longer than the system allows, or a link that cannot be read, gives nullopt.
std::optional<std::string> resolve_save_target(const std::string& path);

// Writes bytes to a temporary file beside the file path names (through any
// symbolic links) and renames it over that file, so the old file stays whole
// when anything fails; the new file keeps the old one's permission bits, owner
// and group. A file with more than one name (hard links), or whose owner or
// group this user cannot give a new file, is written in place instead, after a
// copy of its old bytes is made beside it (".<name>.backup.XXXXXX"), removed
// once the write is complete and synced. False on failure.
bool write_file_atomic(const QString& path, std::string_view bytes);

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
// beside it (".<name>.XXXXXX", regular files of this user). Returns how many.
int remove_leftover_temporaries(const QString& path);

// A size limit on files (ulimit -f) then makes a write fail with EFBIG instead
// of ending the process. Safe to call more than once.
void ignore_file_size_signal();

// For the command-line modes: writes "velmorant: <message>" and a line break to
// standard error and gives status, the exit status to return.
int command_failure(const std::string& message, int status = 1);

// Test seam: the next atomic writes fail after this many bytes (nullopt: never).
void set_write_fault(std::optional<std::size_t> fail_after_bytes);

}  // namespace velmo
