#pragma once
// What the program asks of its surroundings: the directory of the program file,
// today's date, the calendar, and files read and written whole.
#include <QDate>
#include <QString>

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

// Whole-file reading; nullopt when the file cannot be opened.
std::optional<std::string> read_file(const QString& path);

// The file a save through path replaces: path itself, or, when path is a
// symbolic link, the file at the end of its chain of links (relative links
// taken from the folder of the link), so that the links stay links. A chain
// longer than the system allows, or a link that cannot be read, gives nullopt.
std::optional<std::string> resolve_save_target(const std::string& path);

// Writes bytes to a temporary file beside the file path names (through any
// symbolic links) and renames it over that file, so the old file stays whole
// when anything fails; the new file keeps the old one's permission bits.
// False on failure.
bool write_file_atomic(const QString& path, std::string_view bytes);

// Test seam: the next atomic writes fail after this many bytes (nullopt: never).
void set_write_fault(std::optional<std::size_t> fail_after_bytes);

}  // namespace velmo
